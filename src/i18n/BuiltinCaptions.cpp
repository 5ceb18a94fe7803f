#include "BuiltinCaptions.h"

namespace td {

QStringList BuiltinCaptions::pages(bool korean)
{
    if (korean)
        return {QStringLiteral("자동설정"), QStringLiteral("화면표시"), QStringLiteral("공휴일입력"),
                QStringLiteral("반복일정"), QStringLiteral("자료변환"), QStringLiteral("주간보기"),
                QStringLiteral("D-Day"), QStringLiteral("기타설정"), QStringLiteral("동기화")};
    return {QStringLiteral("DefaultSet"), QStringLiteral("Display"), QStringLiteral("Holiday"),
            QStringLiteral("Regular"), QStringLiteral("Data"), QStringLiteral("WeekView"),
            QStringLiteral("D-Day"), QStringLiteral("Misc."), QStringLiteral("Sync")};
}

QStringList BuiltinCaptions::displayModes(bool korean)
{
    if (korean)
        return {QStringLiteral("아주작은 표시모드(메모없음)"), QStringLiteral("작은 표시모드(메모없음)"),
                QStringLiteral("큰 표시모드(메모포함)"), QStringLiteral("수직 표시모드(메모포함)"),
                QStringLiteral("이중 수직 표시모드(메모포함)"), QStringLiteral("이중 수직 표시모드2(메모포함)"),
                QStringLiteral("수평 표시모드(메모없음)")};
    return {QStringLiteral("Very Small Mode(No Memo)"), QStringLiteral("Small Mode(No Memo)"),
            QStringLiteral("Large Mode(With Memo)"), QStringLiteral("Vertical Mode(With Memo)"),
            QStringLiteral("Dual Vertical Mode(W/Memo)"), QStringLiteral("Dual Vertical Mode2(W/Memo)"),
            QStringLiteral("Horizontal Mode(No Memo)")};
}

QStringList BuiltinCaptions::presets(bool korean)
{
    if (korean)
        return {QStringLiteral("설정 1(어두운배경, 수직표시)"), QStringLiteral("설정 2(어두운배경, 수직표시)"),
                QStringLiteral("설정 3(밝은배경, 수직표시)"), QStringLiteral("설정 4(어두운배경, 작은표시)"),
                QStringLiteral("설정 5(어두운배경, 아주작은표시)"), QStringLiteral("사용자정의 1"),
                QStringLiteral("사용자정의 2"), QStringLiteral("사용자정의 3"), QStringLiteral("사용자정의 4")};
    return {QStringLiteral("Default 1(Dark BG, Vertical)"), QStringLiteral("Default 2(Dark BG, Vertical)"),
            QStringLiteral("Default 3(Bright BG, Vertical)"), QStringLiteral("Default 4(Dark BG, Small)"),
            QStringLiteral("Default 5(Dark BG, Very Small)"), QStringLiteral("User Defined 1"),
            QStringLiteral("User Defined 2"), QStringLiteral("User Defined 3"), QStringLiteral("User Defined 4")};
}

QStringList BuiltinCaptions::weekdayOccurrences(bool)
{
    // The two added entries follow the form of their neighbours in either language.
    return {QStringLiteral("1st"), QStringLiteral("2nd"), QStringLiteral("3rd"), QStringLiteral("4th"),
            QStringLiteral("All"), QStringLiteral("5th"), QStringLiteral("Last")};
}

} // namespace td
