#pragma once
#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>

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
    QDate day;             // set for a day's own event
    QString content;       // its description, with an edited summary taken in as the first line
    bool retitled = false; // the summary was edited: the description on the server is behind
    // Another client's event: the entries it gives each day, as the import writes them.
    QMap<QDate, QStringList> entries;
    QString summary;
    QString problem; // why a foreign event cannot be folded (the import's own message)
    bool ours() const { return day.isValid(); }
};
// today bounds how far a repeating foreign event is unrolled: a year either side.
ServerEvent readEvent(const QByteArray& ics, const QDate& today, bool korean);

} // namespace td::sync
