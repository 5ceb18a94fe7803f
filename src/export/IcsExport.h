#pragma once
#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

struct icalcomponent_impl;

namespace td::ics {

// Solar date of a lunar month and day in the lunar year that begins in solarYear;
// nothing for a date the lunar calendar does not have.
using LunarToSolar = std::function<std::optional<QDate>(int solarYear, int lunarMonth, int lunarDay)>;

// Text as it goes into the calendar file: NUL and the other control characters
// (but line feed and tab) and the escapes of stray bytes become U+FFFD.
QString calendarText(const QString& text);
// The summary of a day: its first line that is not blank, trimmed.
QString daySummary(const QString& dayText);
// The whole day text, and the finished items under "End List" in a second paragraph.
QString dayDescription(const QString& dayText, const QString* done);
// "20040305@tunedesk": the same day always gets the same event, so a calendar
// that imports the file again updates the event instead of adding a second one.
QString dayUid(const QDate& date);

// An iCalendar (RFC 5545) file of all-day events, built with libical, which
// escapes, folds at 75 octets and writes UTF-8 with CR LF.
class CalendarWriter {
public:
    // stamp: the DTSTAMP of every event (the time of the export).
    explicit CalendarWriter(const QDateTime& stamp);
    ~CalendarWriter();
    CalendarWriter(const CalendarWriter&) = delete;
    CalendarWriter& operator=(const CalendarWriter&) = delete;

    // One day with a day file; done is the companion file's text, null without one.
    // dayBytes and doneBytes, when given, ride along in X-TUNEDESK-DAY and
    // X-TUNEDESK-DONE (base64) so that an import gives the files back byte for
    // byte. A blank day without finished items gives no event. False when the day was left out.
    bool addDay(const QDate& date, const QString& dayText, const QString* done, const QByteArray* dayBytes = nullptr,
                const QByteArray* doneBytes = nullptr);
    // Holiday entries (month/day(S)[title] or (L)[title]), each bounded by the
    // range alike: a solar one as a yearly event from its first date in the
    // range to the range's last day; a lunar one as an event for each year
    // whose solar date falls in first..last. Lunar entries are left out when
    // lunarToSolar is empty; entries that do not parse, dates the range does
    // not have, and repeated entries (one event per UID) are left out.
    void addHolidays(const QStringList& entries, const QDate& first, const QDate& last,
                     const LunarToSolar& lunarToSolar);
    int eventCount() const { return events_; }

    // The file's bytes.
    QByteArray serialize() const;

private:
    icalcomponent_impl* addAllDayEvent(const QString& uid, const QDate& date, const QString& summary,
                                       const QString& description, const QDate& yearlyUntil = QDate());

    icalcomponent_impl* calendar_;
    QDateTime stamp_;
    int events_ = 0;
};

} // namespace td::ics
