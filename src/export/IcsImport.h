#pragma once
#include "days/DayPlan.h"
#include "platform/FileSystem.h"

#include <QByteArray>
#include <QDate>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTime>
#include <functional>
#include <optional>

namespace td::ics {

// A character the Korean code page lacks, in text that comes from a calendar,
// is written as this mark ("□", U+25A1, which the code page holds).
inline constexpr char16_t kLostMark = 0x25A1;

// Bounds that keep a hostile file from freezing or exhausting the program.
inline constexpr int kMaxDepth = 8;                     // components inside components
inline constexpr qsizetype kMaxLine = 1024 * 1024;      // one content line, unfolded
inline constexpr int kMaxTitle = 1000;                  // characters of an event's title
inline constexpr qint64 kMaxStepsBeforeRange = 100'000; // repetitions counted before the range
inline constexpr qint64 kMaxStepsPerDay = 48;           // repetitions per day of the range

struct ImportOptions {
    QDate first, last; // the chosen months
    bool korean = true;
    // Told how much of the file is read (0 to 100); false stops the reading.
    std::function<bool(int percent)> progress;
};

// An event whose text loses characters the code page lacks.
struct LossyEvent {
    int line = 0;
    QString text;    // as the file has it
    QString written; // as the day file gets it
};

// What the import leaves out, by kind.
struct LeftOut {
    int untitled = 0;
    int todos = 0;
    int journals = 0;
    int cancelled = 0;
    int holidays = 0; // the holiday events of this program's own export
    int refused = 0;  // events named in skipped (a rule that cannot be read in time, a title too long)
    int outside = 0;  // events with no day in the chosen months
    QDate outsideFirst, outsideLast;
};

// A day of this program's own export: the day file and its companion as they were.
struct OwnDay {
    QByteArray day;
    std::optional<QByteArray> done;
};

struct ImportResult {
    // The entries each day of the range receives, in the order of their start.
    QMap<QDate, QStringList> entriesByDay;
    // Days of this program's own export, put back as they were.
    QMap<QDate, OwnDay> ownDays;
    int events = 0;          // events read, in the range or not
    QList<LossyEvent> lossy; // for the user to decide on
    QStringList skipped;     // broken or refused parts, each named for the user
    LeftOut leftOut;
    bool readAsCp949 = false; // the file was in the Korean code page, not UTF-8
    bool cancelled = false;
    QString error; // why nothing may be written, for the user; empty when fine
    bool ok() const { return error.isEmpty() && !cancelled; }
};

// The day entry of an event: "[" title "]", line breaks and control characters
// as spaces; a timed event's line starts with its local start time
// ("[09:00 팀 회의]"). A title that already is one bracketed entry (as an
// exported day's first line is) is taken as it is. Empty for a blank title.
QString entryOf(const QString& summary, const QTime& start = QTime());

// Text as the code page can store it: each character it lacks becomes kLostMark.
QString storable(const QString& text);

// Reads an iCalendar file and gives what falls on the days first..last.
// A file that is not a calendar (in UTF-8 or the Korean code page), is cut
// short, or holds an event whose dates cannot be read is refused with a message
// naming the file and the line or the event. Any other broken part is skipped
// and named in skipped. Own exports (UIDs "YYYYMMDD@tunedesk") give their days
// back whole. Of the versions of an event (same UID and RECURRENCE-ID) the
// newest by SEQUENCE, then DTSTAMP, counts.
ImportResult readCalendar(const QByteArray& bytes, const QString& fileName, const ImportOptions& options);
inline ImportResult readCalendar(const QByteArray& bytes, const QString& fileName, const QDate& first,
                                 const QDate& last, bool korean)
{
    return readCalendar(bytes, fileName, ImportOptions{first, last, korean, {}});
}

// What the import would do to the day files (and the companions of own days):
// the lines a day does not hold yet go on top, in order; a day that holds them
// all is not touched. The plan is what the preview shows and the journaled run applies.
DayPlan planImport(const IFileSystem& fs, const QString& dataFolder, const ImportResult& read);

// For the preview: what was left out, skipped, and which events lose characters.
QString importNotes(bool korean, const ImportResult& read);

} // namespace td::ics
