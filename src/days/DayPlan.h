#pragma once
#include "platform/FileSystem.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace td {

// What a run does to one day file, known before anything is written.
struct DayChange {
    QDate date;
    QString path;                     // the day file, or its companion
    std::optional<QByteArray> before; // bytes on disk before, nullopt = absent
    std::optional<QByteArray> after;  // bytes after, nullopt = deleted / stays absent
    bool companion = false;           // the companion "_D" file of the day (an import puts it back)

    enum class Kind {
        New,
        Changed,
        Deleted,
        Unchanged,
    };
    Kind kind() const;
};

struct DayPlan {
    QList<DayChange> days; // in the order of the dates given
    int failedDays = 0;    // days that could not be read, or whose text the code page cannot hold
    QString firstFailure;  // the path of the first of them
    QString firstReason;   // and why

    // How many days of each kind.
    int count(DayChange::Kind kind) const;
};

// The day text's operation: the text after, from the date and the text before
// ("" for a day without a file).
using DayOps = std::function<QString(const QDate&, const QString& dayText)>;
// How a day file's bytes become the text ops work on: the reading rule, or every
// line (a merge keeps empty leading lines).
enum class DayText {
    ReadingRule,
    AllLines,
};

// Computes what a run would do by the very text rules the run uses: reads each
// day file once, applies ops, and stores the result as the run would write it
// (CP949 + CR LF; a text of spaces only deletes the file). Writes nothing. A day
// that cannot be read or stored is counted as failed and left out.
DayPlan planDays(const IFileSystem& fs, const QString& dataFolder, const QList<QDate>& dates, const DayOps& ops,
                 DayText reading = DayText::ReadingRule);

// Puts bytes in place of a day file, or deletes it for nullopt (a file that is
// not there is no failure). The month folder is created (one level) when the
// write finds it missing. Atomic, not synced: the caller flushes once.
IoStatus putDayFile(IFileSystem& fs, const QString& monthFolderPath, const QString& dayFilePath,
                    const std::optional<QByteArray>& bytes);

} // namespace td
