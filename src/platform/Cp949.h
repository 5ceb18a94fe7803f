#pragma once
#include <QByteArray>
#include <QString>
#include <optional>

namespace td {

// Code page 949 (Windows Korean, with the extension syllables such as 똠).
// Daybrook's files are in this code page.
//
// Decoding never loses a byte: a byte that does not start a valid character
// becomes the lone surrogate U+DC00 + byte, and encoding turns such a
// surrogate back into that byte, so a file with stray bytes survives a
// read-modify-write unchanged.
class Cp949 {
public:
    struct Encoded {
        QByteArray bytes;
        // First character that the code page cannot hold; empty when all fit.
        QString badCharacter;
        bool ok() const { return badCharacter.isEmpty(); }
    };

    static QString decode(QByteArrayView bytes, bool* clean = nullptr);
    // Never substitutes: on failure, bytes is empty and badCharacter names the culprit.
    static Encoded encode(QStringView text);
    static bool canEncode(QStringView text) { return encode(text).ok(); }
    // Text typed by the user may not use the byte escapes.
    static bool isEscape(char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }
};

} // namespace td
