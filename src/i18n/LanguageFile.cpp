#include "LanguageFile.h"

#include "platform/Cp949.h"
#include "platform/Language.h"
#include "platform/Paths.h"

#include <QRegularExpression>

namespace td {

LanguageFile::LanguageFile(IFileSystem& fs, IMessageBoxes& boxes, QString programFolder, QString currentLanguage)
    : fs_(fs), boxes_(boxes), folder_(std::move(programFolder)), language_(std::move(currentLanguage))
{
}

std::optional<QHash<int, QString>> LanguageFile::parse(const QByteArray& bytes, int* badLine)
{
    QHash<int, QString> texts;
    int number = 0;
    for (const QByteArray& raw : splitCrLines(bytes)) {
        ++number;
        if (badLine)
            *badLine = number;
        if (raw.isEmpty())
            continue;
        const QString line = Cp949::decode(raw);
        const qsizetype space = line.indexOf(QLatin1Char(' '));
        if (space < 0)
            return std::nullopt;
        // The key: everything up to the first space, as a 16-bit integer.
        // Blanks, a sign and digits only: toInt alone would stop at a zero character.
        const QString keyText = line.left(space).trimmed();
        static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]+$"));
        bool ok = false;
        const int key = number.match(keyText).hasMatch() ? keyText.toInt(&ok) : 0;
        if (!ok || key < -32768 || key > 32767)
            return std::nullopt;
        // The text starts at the 6th character, whatever the key's width.
        const QString text = line.mid(5);
        texts.insert(key, text.isEmpty() ? QStringLiteral("??????") : text);
    }
    return texts;
}

void LanguageFile::load(const QString& fileName)
{
    const QString path = joinPath(folder_, fileName);
    if (!fs_.fileExists(path)) {
        const bool korean = isKorean(language_);
        Message m;
        m.text = korean ? QStringLiteral("파일을 찾을수 없습니다..\r\n적어도 하나의 언어파일이 있어야 합니다!")
                        : QStringLiteral("File Not Found.\r\nMust Have at least one Language File!");
        m.title = korean ? QStringLiteral("언어 파일 없음") : QStringLiteral("Errore While Loading");
        m.icon = MsgIcon::Critical;
        reportError((korean ? QStringLiteral("tunedesk: 언어 파일이 없습니다: %1") : QStringLiteral("tunedesk: no language file: %1")).arg(path));
        boxes_.show(m);
        throw ProgramEnd{};
    }
    const bool korean = isKorean(language_);
    QByteArray bytes;
    ++reads_;
    if (const IoStatus st = fs_.readAll(path, bytes); !st) {
        reportError((korean ? QStringLiteral("tunedesk: 언어 파일을 읽을 수 없습니다: %1: %2") : QStringLiteral("tunedesk: cannot read the language file %1: %2"))
                        .arg(path, st.reason));
        throw ProgramEnd{};
    }
    int badLine = 0;
    auto parsed = parse(bytes, &badLine);
    if (!parsed) {
        reportError((korean ? QStringLiteral("tunedesk: 언어 파일의 %2번째 줄이 '번호 글' 꼴이 아닙니다: %1")
                            : QStringLiteral("tunedesk: line %2 of the language file is not a key, a space and a text: %1"))
                        .arg(path)
                        .arg(badLine));
        throw ProgramEnd{};
    }
    texts_ = std::move(*parsed);
    loadedName_ = fileName;
}

QString LanguageFile::GetLngText(int key, const QString& fileName)
{
    if (loadedName_ != fileName || reads_ == 0)
        load(fileName);
    return texts_.value(key);
}

} // namespace td
