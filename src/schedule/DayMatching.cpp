#include "DayMatching.h"

namespace td {
namespace {

std::optional<int> number(const QString& text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return n;
}

QDate dateOf(const QString& year, const QString& month, const QString& day)
{
    const auto y = number(year), m = number(month), d = number(day);
    if (!y || !m || !d)
        return {};
    return QDate(*y, *m, *d); // invalid for 31 April or 29 February of a common year
}

// The last day of the month, counted the way Daybrook's tool always has:
// from the 25th, step a day at a time until the month turns over.
QDate lastDayOfMonth(const QDate& first)
{
    QDate d(first.year(), first.month(), 25);
    int steps = 0;
    do {
        d = d.addDays(1);
        ++steps;
    } while (d.day() != 1);
    return QDate(first.year(), first.month(), 24 + steps);
}

} // namespace

std::optional<DayRange> regularDays(const RegularChoices& c)
{
    const QDate start = dateOf(c.fromYear, c.fromMonth, QStringLiteral("1"));
    const QDate toFirst = dateOf(c.toYear, c.toMonth, QStringLiteral("1"));
    if (!start.isValid() || !toFirst.isValid())
        return std::nullopt;
    const QDate end = lastDayOfMonth(toFirst);

    DayRange range;
    range.dayCount = int(start.daysTo(end));
    if (range.dayCount < 1)
        return std::nullopt;

    const int wanted = c.weekday + 1; // 0 when no weekday is chosen: never matches
    int counter = 0;
    for (int i = 0; i <= range.dayCount; ++i) {
        const QDate date = start.addDays(i);
        bool matches = false;
        if (c.byWeekday) {
            if (date.day() == 1)
                counter = 0;
            if (sundayFirstWeekday(date) == wanted) {
                ++counter;
                if (c.occurrence >= 0 && c.occurrence <= 3)
                    matches = counter == c.occurrence + 1;
                else if (c.occurrence == kFifthOccurrence)
                    matches = counter == 5;
                else if (c.occurrence == kLastOccurrence)
                    matches = date.addDays(7).month() != date.month();
                else
                    matches = true;
            }
        } else {
            matches = !c.monthDay.isEmpty() && QString::number(date.day()) == c.monthDay;
        }
        if (matches)
            range.days.append({date, i, 0});
    }
    return range;
}

std::optional<DayRange> ddayDays(const DDayChoices& c)
{
    const QDate start = dateOf(c.startYear, c.startMonth, c.startDay);
    const QDate target = dateOf(c.targetYear, c.targetMonth, c.targetDay);
    if (!start.isValid() || !target.isValid())
        return std::nullopt;

    DayRange range;
    range.dayCount = int(start.daysTo(target));
    if (range.dayCount < 1)
        return std::nullopt;

    const auto chosen = number(c.step);
    const int step = chosen && *chosen > 0 ? *chosen : 1;
    for (int i = 0; i <= range.dayCount; ++i) {
        const int remaining = range.dayCount - i;
        if (remaining % step == 0)
            range.days.append({start.addDays(i), i, remaining});
    }
    return range;
}

} // namespace td
