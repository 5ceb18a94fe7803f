#pragma once
#include "days/DayPlan.h"
#include "platform/FileSystem.h"

#include <QByteArray>
#include <QDate>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>

namespace td::ics {

struct ImportResult {
    // The entries each day of the range receives, in the order of the file.
    QMap<QDate, QStringList> entriesByDay;
    int events = 0; // events read, in the range or not
    QString error;  // why nothing may be written, for the user; empty when fine
    bool ok() const { return error.isEmpty(); }
};

// The day entry of an event summary: "[" summary "]", line breaks as spaces.
// A summary that already is one bracketed entry (as an exported day's first
// line is) is taken as it is. Empty for a blank summary.
QString entryOf(const QString& summary);

// Reads an iCalendar file and gives the entries of the events that fall on the
// days first..last. Recurring events are expanded within the range; an event
// lands on its start date in the local time zone (all-day and floating ones on
// their own date). A file that is not iCalendar, is cut short, holds an
// unterminated or unreadable component, or an event whose summary the Korean
// code page cannot hold gives an error naming the file and, where known, the
// line or the event, and no entries. The events are read one at a time: only
// the time zones are kept, so memory grows with the entries, not the file.
ImportResult readCalendar(const QByteArray& bytes, const QString& fileName, const QDate& first,
                          const QDate& last, bool korean);

// What merging the entries into the day files would do: per day, every entry
// merged in order by the register rule. The plan is what the preview shows and
// what the journaled run applies.
DayPlan planEntries(const IFileSystem& fs, const QString& dataFolder, const QMap<QDate, QStringList>& entriesByDay);

} // namespace td::ics
