#pragma once
#include <QDate>
#include <QList>
#include <QString>
#include <optional>

namespace td {

// A day a generator visits: its date, its place in the range (0 = first day)
// and, for a countdown, the days left to the target.
struct MatchedDay {
    QDate date;
    int index = 0;
    int remaining = 0;

    bool operator==(const MatchedDay&) const = default;
};

// The days of one run. dayCount is the last index: progress is index / dayCount.
struct DayRange {
    int dayCount = 0;
    QList<MatchedDay> days;
};

// Entries of the weekday-occurrence list after "All".
inline constexpr int kFifthOccurrence = 5;
inline constexpr int kLastOccurrence = 6;

// The choices of the recurring plan page, as its lists show them. An empty
// text or an index of -1 is a list with nothing chosen.
struct RegularChoices {
    QString fromYear, fromMonth; // first month of the range
    QString toYear, toMonth;     // last month of the range
    bool byWeekday = false;      // weekday rule; otherwise the fixed day of the month
    QString monthDay;            // "1" to "31"
    int occurrence = -1;         // 0 to 3: 1st to 4th; 4 ("All") or none: every one;
                                 // 5: the 5th; 6: the last in the month
    int weekday = -1;            // 0 = Sunday to 6 = Saturday
};

// The choices of the countdown page.
struct DDayChoices {
    QString startYear, startMonth, startDay;
    QString targetYear, targetMonth, targetDay;
    QString step; // every N-th day back from the target; none: every day
};

// Every day from the first of the first month to the last of the last month
// that follows the rule. No result when a month is missing or the range is
// shorter than a day ("To" before "From").
std::optional<DayRange> regularDays(const RegularChoices& c);

// The target day and every N-th day before it, back to the start. No result
// when a date is missing or impossible, or the target is not after the start.
std::optional<DayRange> ddayDays(const DDayChoices& c);

// Weekday number with Sunday = 1 to Saturday = 7.
inline int sundayFirstWeekday(const QDate& d) { return d.dayOfWeek() % 7 + 1; }

} // namespace td
