// The files a user of some years has beside the program: Daybrook.ini with the nine
// presets Daybrook writes, and a Holiday.dat with the public holidays, lunar feasts
// and family anniversaries people keep.
#pragma once
#include "platform/Cp949.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace bench {

// Nine preset sections with every key a preset holds, among otherSections
// sections of other settings (with the presets in their middle).
inline QByteArray daybrookIni(const QStringList& presets, int otherSections = 0)
{
    static const char* colourKeys[] = {"TitleColor", "TitleMonthColor", "TitleBorderColor", "EMonthColor",
                                       "AnniColor", "LunarColor", "YearColor", "SunColor", "SatColor",
                                       "WeekColor", "MemoColor", "BackColor"};
    QString text;
    for (int s = 0; s <= otherSections; ++s) {
        if (s == otherSections / 2)
            for (int p = 0; p < presets.size(); ++p) {
                text += QLatin1Char('[') + presets[p] + QStringLiteral("]\r\n");
                for (const char* k : colourKeys)
                    text += QStringLiteral("%1=%2\r\n").arg(QLatin1String(k)).arg(1000 * p + 7);
                text += QStringLiteral("DayFont=굴림,9\r\nMemoFont=굴림,9\r\nLunarFont=굴림,8\r\nTitleWeek=Arial,9\r\n"
                                       "TitleYear=Arial,10\r\nYearBold=1\r\nTitleMonth=Arial,28\r\nMonthBold=1\r\n"
                                       "TitlePosition=1\r\nDisplayMode=%1\r\n")
                            .arg(p % 7);
            }
        if (s == otherSections)
            break;
        text += QStringLiteral("[Other section %1]\r\n").arg(s);
        for (int k = 0; k < 20; ++k)
            text += QStringLiteral("Key%1=value %2 of section %3\r\n").arg(k).arg(k * s).arg(s);
    }
    return td::Cp949::encode(text).bytes;
}

// The public holidays of Korea, solar and lunar, then anniversaries up to count entries.
inline QStringList holidayEntries(int count)
{
    QStringList list = {
        QStringLiteral("1/1(S)[신정]"),
        QStringLiteral("1/1(L)[설날]"),
        QStringLiteral("12/30(L)[설날 연휴]"),
        QStringLiteral("1/2(L)[설날 연휴]"),
        QStringLiteral("3/1(S)[삼일절]"),
        QStringLiteral("4/8(L)[부처님오신날]"),
        QStringLiteral("5/5(S)[어린이날]"),
        QStringLiteral("6/6(S)[현충일]"),
        QStringLiteral("8/15(S)[광복절]"),
        QStringLiteral("8/14(L)[추석 연휴]"),
        QStringLiteral("8/15(L)[추석]"),
        QStringLiteral("8/16(L)[추석 연휴]"),
        QStringLiteral("10/3(S)[개천절]"),
        QStringLiteral("10/9(S)[한글날]"),
        QStringLiteral("12/25(S)[성탄절]"),
        QStringLiteral("5/8(S)[어버이날]"),
        QStringLiteral("5/15(S)[스승의 날]"),
        QStringLiteral("1/15(L)[정월 대보름]"),
    };
    for (int i = list.size(); i < count; ++i)
        list << QStringLiteral("%1/%2(%3)[%4 생일]").arg(i % 12 + 1).arg(i % 28 + 1).arg(i % 3 ? 'S' : 'L').arg(i);
    return list.mid(0, count);
}

inline QByteArray holidayDat(const QStringList& entries)
{
    QByteArray bytes("[Holiday Day]\r\n");
    for (int i = 0; i < entries.size(); ++i)
        bytes += "Holi" + QByteArray::number(i) + "=" + td::Cp949::encode(entries[i]).bytes + "\r\n";
    return bytes + "[Holiday Etc]\r\nContents No=" + QByteArray::number(entries.size()) + "\r\n";
}

} // namespace bench
