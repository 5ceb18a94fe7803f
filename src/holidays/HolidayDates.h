#pragma once
#include <QDate>
#include <QString>
#include <optional>

namespace td::HolidayDates {

struct Next {
    QDate date;
    bool clamped = false; // a lunar 30th moved to the 29th, the last day of its month that year
};

// The first solar date from today (today included) on which the entry falls: for a
// solar entry the next such month/day (29 February: the next leap year), for a lunar
// one the next solar date of that lunar month/day. Nothing when the entry's month and
// day cannot be read or never form a date (4/31, a lunar 31st).
std::optional<Next> next(const QString& entry, const QDate& today);

// The line the holiday page shows for the entry: "다음 양력 날짜: 2027-02-07 (일)" or
// "Next solar date: 2027-02-07 (Sun)", with a note when a lunar 30th was moved.
// Empty when next() gives nothing.
QString line(const QString& entry, const QDate& today, bool korean);

} // namespace td::HolidayDates
