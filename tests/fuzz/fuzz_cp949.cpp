// The CP949 codec: no byte is ever lost, and text that fits comes back unchanged.
#include "FuzzSupport.h"

#include <algorithm>
#include <iconv.h>

namespace {

// glibc's own converter, as a second opinion on input that is valid throughout.
std::optional<QString> iconvDecode(const QByteArray& bytes)
{
    static iconv_t cd = iconv_open("UTF-16LE", "CP949");
    require(cd != iconv_t(-1), "glibc has no CP949 converter");
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    QByteArray out(bytes.size() * 2 + 4, '\0');
    char *in = const_cast<char*>(bytes.constData()), *o = out.data();
    size_t inLeft = size_t(bytes.size()), outLeft = size_t(out.size());
    if (iconv(cd, &in, &inLeft, &o, &outLeft) == size_t(-1) || inLeft != 0)
        return std::nullopt;
    return QString(reinterpret_cast<const QChar*>(out.constData()), (out.size() - qsizetype(outLeft)) / 2);
}

bool hasEscape(const QString& s)
{
    return std::any_of(s.cbegin(), s.cend(), [](QChar c) { return Cp949::isEscape(c.unicode()); });
}

void bytesSurvive(const QByteArray& bytes)
{
    bool clean = false;
    const QString text = Cp949::decode(bytes, &clean);
    require(clean == !hasEscape(text), "clean flag disagrees with the escapes of " + shown(bytes));
    const Cp949::Encoded back = Cp949::encode(text);
    require(back.ok() && back.bytes == bytes, "bytes changed on decode and encode: " + shown(bytes) + " -> " + shown(back.bytes));
    const std::optional<QString> reference = iconvDecode(bytes);
    require(clean == reference.has_value(),
            (clean ? "iconv refuses what decoded clean: " : "valid CP949 decoded with escapes: ") + shown(bytes));
    require(!reference || text == *reference, "decoding differs from iconv: " + shown(bytes));
}

void textSurvives(const QString& text)
{
    const Cp949::Encoded e = Cp949::encode(text);
    // The first character that does not fit on its own is the one named.
    QString firstBad;
    for (qsizetype i = 0; i < text.size() && firstBad.isEmpty(); ++i) {
        const char16_t u = text[i].unicode();
        if (u >= 0x80 && !Cp949::isEscape(u) && (QChar::isSurrogate(u) || !Cp949::encode(QStringView(text).mid(i, 1)).ok()))
            firstBad = text.mid(i, (QChar::isHighSurrogate(u) && i + 1 < text.size()) ? 2 : 1);
    }
    require(e.badCharacter == firstBad, "wrong character named for " + shown(text) + ": " + shown(e.badCharacter));
    require(e.ok() || e.bytes.isEmpty(), "a refused text still gave bytes");
    bool clean = false;
    require(!e.ok() || hasEscape(text) || (Cp949::decode(e.bytes, &clean) == text && clean),
            "text changed on encode and decode: " + shown(text));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    bytesSurvive(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    // The same input read as UTF-16 text, in both byte orders, and every character
    // on its own, which a long text would otherwise hide behind its first misfit.
    QString be, le;
    for (size_t i = 0; i + 1 < size; i += 2) {
        be.append(QChar(char16_t(data[i] << 8 | data[i + 1])));
        le.append(QChar(char16_t(data[i + 1] << 8 | data[i])));
    }
    textSurvives(be);
    textSurvives(le);
    for (const QChar c : be)
        textSurvives(QString(c));
    return 0;
}
