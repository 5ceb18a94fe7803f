// The language-file lookup: it never crashes, and it ends the program exactly
// for a file with a malformed line; otherwise every key gives the text of its last line.
#include "FuzzSupport.h"
#include "i18n/LanguageFile.h"

#include <QMap>

namespace {

struct SilentBoxes : IMessageBoxes {
    int shown = 0;
    MsgAnswer show(const Message&) override { return ++shown, MsgAnswer::Ok; }
};

// An independent line checker. Lines end at CR or CR LF. A non-empty line
// needs a space; what stands before the first space, blanks around it
// allowed, must be a decimal 16-bit number with an optional sign. The text
// starts at the 6th character; a line without one gives "??????".
std::optional<QMap<int, QString>> check(const QByteArray& bytes)
{
    static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9]+$"));
    QMap<int, QString> texts;
    for (const QByteArray& raw : splitLines(bytes, false)) {
        const QString text = Cp949::decode(raw);
        const QString number = text.left(qMax(text.indexOf(QLatin1Char(' ')), 0)).trimmed();
        bool ok = false;
        const short value = decimal.match(number).hasMatch() ? number.toShort(&ok) : 0;
        if (!ok && !raw.isEmpty())
            return std::nullopt;
        if (ok)
            texts.insert(value, text.size() > 5 ? text.mid(5) : QStringLiteral("??????"));
    }
    return texts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<QMap<int, QString>> expected = check(bytes);
    require(LanguageFile::parse(bytes).has_value() == expected.has_value(),
            (expected ? "a well-formed file was refused: " : "a malformed file was taken: ") + shown(bytes));

    MemoryFileSystem fs;
    SilentBoxes boxes;
    fs.files.insert(QStringLiteral("/prog/tuneKorean.lng"), bytes);
    LanguageFile file(fs, boxes, QStringLiteral("/prog"), QStringLiteral("Korean"));
    int reported = 0;
    file.reportError = [&reported](const QString&) { ++reported; };
    // The keys of the file, one the window uses, and one no file has.
    const QList<int> keys = QList<int>{1603, -1} + (expected ? expected->keys() : QList<int>());
    for (const int key : keys) {
        bool ended = false;
        QString text;
        try {
            text = file.GetLngText(key, QStringLiteral("tuneKorean.lng"));
        } catch (const ProgramEnd&) {
            ended = true;
        }
        require(ended == !expected, "the program ending does not follow the file's lines: " + shown(bytes));
        require(boxes.shown == 0, "a present file gave a message");
        require(reported == (ended ? 1 : 0), "an end of the program was not told on stderr, or a good file was");
        if (ended)
            break;
        require(text == expected->value(key), "key " + std::to_string(key) + " gives " + shown(text) + " in " + shown(bytes));
    }
    return 0;
}
