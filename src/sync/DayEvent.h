#pragma once
#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

#include "SyncState.h"

namespace td::sync {

// The event of a day with a note, as the calendar export writes it: one all-day
// VEVENT, UID "YYYYMMDD@tunedesk", SUMMARY the first non-empty line,
// DESCRIPTION the whole text with the finished items under "End List".
QByteArray dayEvent(const QDate& date, const QString& dayText, const QString* done, const QDateTime& stamp);

// What a day carries to the server: the description the event gets.
QString dayContent(const QString& dayText, const QString* done);
// The day text back from a content: the finished items are taken off when they
// are this day's own; otherwise (edited elsewhere) they stay in the text, so
// nothing written anywhere is dropped.
QString dayTextOf(const QString& content, const QString* done);
// A text as it comes back from a day file: line ends as LF, no empty lines in front.
QString normalText(const QString& text);
// SHA-256 of a content, as the sync state keeps it.
QByteArray contentDigest(const QString& content);

// One calendar resource read from the server.
struct ServerEvent {
    bool readable = false;
    QString uid;
    QDate day;           // set for a day's own event
    QString description; // as normalText leaves it
    // Another client's event: the entries it gives each day, as the import writes them.
    QMap<QDate, QStringList> entries;
    QString summary;
    QString problem; // why a foreign event cannot be folded (the import's own message)
    bool ours() const { return day.isValid(); }
};
// The day text an event of ours carries. A summary that no longer matches the
// description's first line was edited when it is not the one of the last sync
// (base): with the description as it was then, the new title replaces that
// line; with both edited, the title goes on top and nothing is dropped.
QString eventContent(const ServerEvent& event, const std::optional<DayState>& base, bool* retitled);

// today bounds how far a repeating foreign event is unrolled: a year either side.
ServerEvent readEvent(const QByteArray& ics, const QDate& today, bool korean);

} // namespace td::sync
