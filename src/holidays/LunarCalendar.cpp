#include "LunarCalendar.h"

#include <QHash>

#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <cmath>
#include <memory>

namespace td {
namespace {

constexpr qint64 kUnixEpochJulianDay = 2440588; // 1970-01-01
constexpr double kMsPerDay = 86400000.0;

// Month starts where the Korea Astronomy and Space Science Institute's published tables
// and ICU's astronomy part, within the years the program offers (2000 on): a new moon
// close to midnight falls on the other day. Regular months only.
const struct {
    int solarYear, month;
    QDate firstDay;
} kOfficialMonthStarts[] = {
    {2017, 2, QDate(2017, 2, 26)}, // ICU: 27 February, and so a 30-day first month
};

// ICU's Korean (Dangi) calendar. Reading fields back from a date runs its
// astronomy again and costs about half a millisecond; turning fields into a
// date costs a few microseconds. So only the latter is used, and the start and
// length of each month asked for are kept: a long holiday list touches a few
// dozen months at most.
class KoreanLunarCalendar {
public:
    KoreanLunarCalendar()
    {
        UErrorCode status = U_ZERO_ERROR;
        // GMT: the calendar places new moons by Korean time itself; the zone only
        // decides where a day begins, and at GMT a day's start is its Julian day.
        cal_.reset(icu::Calendar::createInstance(icu::TimeZone::getGMT()->clone(),
                                                 icu::Locale("ko_KR@calendar=dangi"), status));
        if (U_FAILURE(status) || !cal_)
            cal_.reset();
    }

    std::optional<QDate> toSolar(int solarYear, int month, int day, bool* clamped)
    {
        if (!cal_)
            return std::nullopt;
        const std::optional<Month> m = monthOf(solarYear, month);
        if (!m)
            return std::nullopt;
        const bool shortMonth = day > m->length;
        if (clamped)
            *clamped = shortMonth;
        return QDate::fromJulianDay(m->startDay + (shortMonth ? m->length : day) - 1);
    }

private:
    struct Month {
        qint64 startDay = 0; // Julian day of the 1st
        int length = 0;      // 29 or 30
    };

    // The dangi years count from 2333 BC: the lunar year that begins in solar
    // year Y is extended year Y + 2333.
    static constexpr int kEraOffset = 2333;

    // Julian day of the 1st of a month; leap picks the leap month of that number,
    // where ICU, for a year without one, gives some neighbouring month instead.
    std::optional<qint64> firstDay(int extendedYear, int month, bool leap)
    {
        UErrorCode status = U_ZERO_ERROR;
        cal_->clear();
        cal_->set(UCAL_EXTENDED_YEAR, extendedYear);
        cal_->set(UCAL_MONTH, month - 1);
        cal_->set(UCAL_IS_LEAP_MONTH, leap ? 1 : 0);
        cal_->set(UCAL_DATE, 1);
        const UDate ms = cal_->getTime(status);
        if (U_FAILURE(status))
            return std::nullopt;
        return qint64(std::floor(ms / kMsPerDay)) + kUnixEpochJulianDay;
    }

    // The first day of a regular month, as published where ICU differs.
    std::optional<qint64> regularStart(int solarYear, int month)
    {
        for (const auto& official : kOfficialMonthStarts)
            if (official.solarYear == solarYear && official.month == month)
                return official.firstDay.toJulianDay();
        return firstDay(solarYear + kEraOffset, month, false);
    }

    std::optional<Month> monthOf(int solarYear, int month)
    {
        const int key = solarYear * 16 + month;
        if (const auto it = months_.constFind(key); it != months_.cend())
            return *it;

        const int year = solarYear + kEraOffset;
        const auto start = regularStart(solarYear, month);
        // The month after it is the leap month of the same number when the year
        // has one, otherwise the next regular month.
        const auto nextRegular = month == 12 ? regularStart(solarYear + 1, 1) : regularStart(solarYear, month + 1);
        const auto leap = firstDay(year, month, true);
        if (!start || !nextRegular || !leap)
            return std::nullopt;
        const qint64 next = *leap > *start && *leap < *nextRegular ? *leap : *nextRegular;
        const Month m{*start, int(next - *start)};
        if (m.length != 29 && m.length != 30)
            return std::nullopt;
        months_.insert(key, m);
        return m;
    }

    std::unique_ptr<icu::Calendar> cal_;
    QHash<int, Month> months_;
};

} // namespace

std::optional<QDate> lunarToSolar(int solarYear, int lunarMonth, int lunarDay, bool* clamped)
{
    if (clamped)
        *clamped = false;
    if (solarYear < 1 || solarYear > 9999 || lunarMonth < 1 || lunarMonth > 12 || lunarDay < 1 || lunarDay > 30)
        return std::nullopt;
    // One calendar per thread: creating it loads ICU's data and is the slow part.
    thread_local KoreanLunarCalendar calendar;
    return calendar.toSolar(solarYear, lunarMonth, lunarDay, clamped);
}

} // namespace td
