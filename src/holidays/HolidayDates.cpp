#include "HolidayDates.h"

#include "HolidayEntry.h"
#include "LunarCalendar.h"

#include <QLocale>

namespace td::HolidayDates {

std::optional<Next> next(const QString& entry, const QDate& today)
{
    const HolidayEntry::Fields f = HolidayEntry::parse(entry);
    if (!f.month || !f.day || !f.solar || !today.isValid())
        return std::nullopt;
    const int month = *f.month, day = *f.day, year = today.year();
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return std::nullopt;

    if (*f.solar) {
        // 29 February comes back within eight years (2096, then 2104).
        for (int y = year; y <= year + 8; ++y) {
            const QDate d(y, month, day);
            if (d.isValid() && d >= today)
                return Next{d, false};
        }
        return std::nullopt;
    }

    // The lunar year that began last solar year may still have its last months ahead
    // (they run into February); the one beginning next year lies wholly ahead.
    for (int y = year - 1; y <= year + 1; ++y) {
        bool clamped = false;
        const std::optional<QDate> d = lunarToSolar(y, month, day, &clamped);
        if (!d)
            return std::nullopt;
        if (*d >= today)
            return Next{*d, clamped};
    }
    return std::nullopt;
}

QString line(const QString& entry, const QDate& today, bool korean)
{
    const std::optional<Next> n = next(entry, today);
    if (!n)
        return {};
    const QLocale locale(korean ? QLocale::Korean : QLocale::English, korean ? QLocale::SouthKorea : QLocale::UnitedStates);
    const QString date = n->date.toString(Qt::ISODate);
    const QString weekday = locale.dayName(n->date.dayOfWeek(), QLocale::ShortFormat);
    QString text = korean ? QStringLiteral("다음 양력 날짜: %1 (%2)").arg(date, weekday)
                          : QStringLiteral("Next solar date: %1 (%2)").arg(date, weekday);
    if (n->clamped) {
        const int month = *HolidayEntry::parse(entry).month;
        text += korean ? QStringLiteral("\n그 해 음력 %1월은 29일까지: 29일로 옮김").arg(month)
                       : QStringLiteral("\nLunar month %1 has 29 days that year: moved to the 29th").arg(month);
    }
    return text;
}

} // namespace td::HolidayDates
