#pragma once
#include "platform/FileSystem.h"
#include "platform/IoStatus.h"

#include <QDate>
#include <QString>

namespace td {

// Where Daybrook keeps a day's notes: one folder per month under the data
// folder, one file per day, and a companion "_D" file of finished items.
struct DayFiles {
    // "2004_3" for March 2004.
    static QString folderName(const QDate& date);
    // DataFolder + folder (plain concatenation: the data folder brings its own separator).
    static QString monthFolder(const QString& dataFolder, const QDate& date);
    // DataFolder + folder + "/" + folder + "." + day.
    static QString dayFile(const QString& dataFolder, const QDate& date);
    static QString companionFile(const QString& dataFolder, const QDate& date) { return companionOf(dayFile(dataFolder, date)); }
    // The companion of a day file, named from the day file's own path.
    static QString companionOf(const QString& dayFilePath) { return dayFilePath + QLatin1String("_D"); }

    // The reading rule: lines end at CR or CR LF (a lone LF stays in its line);
    // lines are joined with LF, and empty lines before the first non-empty one vanish.
    static QString joinLines(const QByteArray& bytes);
    // Every line, empty leading lines too, joined with LF.
    static QString allLines(const QByteArray& bytes);
    // Reads a day file by the reading rule. A failed read leaves text untouched.
    static IoStatus read(const IFileSystem& fs, const QString& path, QString& text);

    // The day's text with the entry on top. The LF-separated parts of the text
    // are its lines: leading parts equal to the entry give way to it; every
    // other part stays, in order. A day with nothing else left holds the entry alone.
    static QString mergeEntry(const QString& dayText, const QString& entry);
    // Takes out every "entry LF", then every remaining entry, scanning from the
    // start, case-sensitively. An empty entry changes nothing.
    static QString removeEntry(const QString& dayText, const QString& entry);
};

} // namespace td
