#include "DayEntry.h"

#include "platform/Cp949.h"
#include "platform/Spaces.h"

namespace td {

QString DayEntry::regular(const QString& left, const QString& plan, const QString& right)
{
    return trimSpaces(left) + trimSpaces(plan) + trimSpaces(right);
}

QString DayEntry::countdownSuffix(int remaining)
{
    return QStringLiteral(" D-") + QString::number(remaining);
}

QString DayEntry::countdown(const QString& left, const QString& plan, const QString& right, int remaining)
{
    return trimSpaces(left) + trimSpaces(plan) + countdownSuffix(remaining) + trimSpaces(right);
}

DayEntry::Check DayEntry::check(const QString& left, const QString& plan, const QString& right, const QString& entry)
{
    for (const QString* field : {&left, &plan, &right}) {
        for (QChar c : *field) {
            if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar(0x2028) || c == QChar(0x2029))
                return {Problem::LineBreak, {}};
        }
    }
    for (const QString* field : {&left, &plan, &right}) {
        // The byte escapes of a decoded file are not text a user may type.
        for (QChar c : *field) {
            if (Cp949::isEscape(c.unicode()))
                return {Problem::NotStorable, QString(c)};
        }
        const Cp949::Encoded e = Cp949::encode(*field);
        if (!e.ok())
            return {Problem::NotStorable, e.badCharacter};
    }
    if (trimSpaces(entry).isEmpty())
        return {Problem::Empty, {}};
    return {};
}

QString ScheduleMessages::completed(bool korean)
{
    return korean ? QStringLiteral("Daybrook 데이타 처리가 완료 되었습니다.")
                  : QStringLiteral("Daybrook Data Processing is completed.");
}

QString ScheduleMessages::wrongDate(bool korean)
{
    return korean ? QStringLiteral("날짜 설정 오류입니다.") : QStringLiteral("Wrong Date Setting.");
}

QString ScheduleMessages::failed(bool korean, int failedDays, const QString& firstPath, const QString& reason)
{
    // A lone CR breaks the line in the message box.
    const QString text = korean ? QStringLiteral("Daybrook 데이타 처리 중 %1일을 처리하지 못했습니다.\r첫 실패: %2").arg(failedDays).arg(firstPath)
                                : QStringLiteral("Daybrook Data Processing failed on %1 day(s).\rFirst failure: %2").arg(failedDays).arg(firstPath);
    return reason.isEmpty() ? text : text + QLatin1Char('\r') + reason;
}

QString ScheduleMessages::refused(bool korean, const DayEntry::Check& check)
{
    switch (check.problem) {
    case DayEntry::Problem::Empty:
        return korean ? QStringLiteral("입력내용이 비어 있습니다.") : QStringLiteral("The plan text and its markers are empty.");
    case DayEntry::Problem::LineBreak:
        return korean ? QStringLiteral("입력내용에 줄바꿈을 넣을 수 없습니다.")
                      : QStringLiteral("The plan text and its markers cannot hold a line break.");
    case DayEntry::Problem::NotStorable:
        return korean ? QStringLiteral("입력내용의 \"%1\" 문자는 Daybrook 파일에 저장할 수 없습니다.").arg(check.character)
                      : QStringLiteral("The character \"%1\" cannot be stored in Daybrook's files.").arg(check.character);
    case DayEntry::Problem::None:
        break;
    }
    return {};
}

} // namespace td
