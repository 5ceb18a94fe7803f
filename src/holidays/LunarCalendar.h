#pragma once
#include <QDate>
#include <optional>

namespace td {

// Solar date of lunar month/day in the lunar year that begins in solarYear (the year
// of that lunar new year), on the Korean lunar calendar. The month is always the
// regular month, never the leap month that may follow it. A day the month lacks
// (30th of a 29-day month) gives the month's last day and sets *clamped. nullopt for
// an invalid month/day, or a year outside 1 to 9999.
std::optional<QDate> lunarToSolar(int solarYear, int lunarMonth, int lunarDay, bool* clamped = nullptr);

} // namespace td
