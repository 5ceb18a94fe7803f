#include "HolidayEntry.h"

#include "platform/Cp949.h"
#include "platform/Spaces.h"

#include <algorithm>

namespace td::HolidayEntry {

QString build(const QString& month, const QString& day, bool solar, const QString& title)
{
    return month + QLatin1Char('/') + day + (solar ? QLatin1String("(S)[") : QLatin1String("(L)[")) + title
           + QLatin1Char(']');
}

std::optional<int> wholeNumber(const QString& text)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        negative = t[i++] == QLatin1Char('-');
    qint64 value = 0;
    qsizetype digits = 0;
    for (; i < t.size() && t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9'); ++i, ++digits) {
        value = value * 10 + (t[i].unicode() - '0');
        if (value > 100000)
            value = 100000; // far out of range already; keep it from overflowing
    }
    if (i < t.size() && t[i] == QLatin1Char('.')) {
        ++i;
        for (; i < t.size() && t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9'); ++i)
            ++digits;
    }
    if (digits == 0 || i != t.size())
        return std::nullopt;
    if (negative)
        value = -value;
    if (value < -32768 || value > 32767)
        return std::nullopt;
    return int(value);
}

Fields parse(const QString& entry)
{
    Fields f;
    QString s = entry;

    if (const qsizetype slash = s.indexOf(QLatin1Char('/')); slash >= 0) {
        f.month = wholeNumber(s.left(slash));
        s = s.mid(slash + 1);
    }

    const qsizetype open = s.indexOf(QLatin1Char('('));
    if (open >= 0) {
        f.day = wholeNumber(s.left(open));
        f.solar = s.mid(open + 1, 1) == QLatin1String("S");
    }

    if (const qsizetype close = s.indexOf(QLatin1Char(')')); close >= 0) {
        // Skip ")" and the "[" after it; the last character is the closing "]".
        const QString t = trimSpaces(s.mid(close + 2));
        if (!t.isEmpty())
            f.title = t.left(t.size() - 1);
    }
    return f;
}

qsizetype sortedPosition(const QStringList& sorted, const QString& entry)
{
    return std::upper_bound(sorted.cbegin(), sorted.cend(), entry, lessThan) - sorted.cbegin();
}

QString refusal(const QString& entry, bool korean)
{
    for (const QChar c : entry) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            return korean ? QStringLiteral("기념일 제목에는 줄바꿈을 넣을 수 없습니다.")
                          : QStringLiteral("An anniversary title cannot hold a line break.");
    }
    for (qsizetype i = 0; i < entry.size(); ++i) {
        const char16_t u = entry[i].unicode();
        // The byte escapes stand for stray bytes of a file; they cannot be typed in.
        const bool escape = Cp949::isEscape(u);
        QString bad = escape || u == 0 ? QString(QChar(u)) : Cp949::encode(QStringView(entry).mid(i, 1)).badCharacter;
        if (!bad.isEmpty()) {
            if (QChar::isHighSurrogate(u) && i + 1 < entry.size())
                bad = entry.mid(i, 2);
            return korean ? QStringLiteral("기념일 제목의 \"%1\" 문자는 Daybrook의 파일에 저장할 수 없습니다.\r"
                                           "이 문자를 빼고 다시 입력하십시오.")
                                .arg(bad)
                          : QStringLiteral("The anniversary title holds \"%1\", a character Daybrook's files cannot "
                                           "hold.\rPlease type the title without it.")
                                .arg(bad);
        }
    }
    const qsizetype bytes = Cp949::encode(entry).bytes.size();
    if (bytes > kMaxBytes)
        return korean ? QStringLiteral("기념일이 너무 깁니다: 날짜와 제목을 합쳐 %1바이트입니다.\r"
                                       "Daybrook은 %2바이트까지만 읽습니다(한글은 한 글자에 2바이트). "
                                       "제목을 줄여 주십시오.")
                            .arg(bytes)
                            .arg(kMaxBytes)
                      : QStringLiteral("This entry is too long: date and title take %1 bytes.\r"
                                       "Daybrook reads at most %2 bytes (a Korean character takes two). "
                                       "Please shorten the title.")
                            .arg(bytes)
                            .arg(kMaxBytes);
    return {};
}

} // namespace td::HolidayEntry
