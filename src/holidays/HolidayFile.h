#pragma once
#include "platform/FileSystem.h"
#include "platform/IoStatus.h"
#include "platform/ProfileFile.h"

#include <QString>
#include <QStringList>

namespace td {

// Holiday.dat: "Contents No" in section "Holiday Etc" counts the entries,
// kept as Holi0, Holi1, ... in section "Holiday Day".
namespace HolidayFile {

inline constexpr char kCountSection[] = "Holiday Etc";
inline constexpr char kCountKey[] = "Contents No";
inline constexpr char kEntrySection[] = "Holiday Day";
inline QString entryKey(int i) { return QStringLiteral("Holi%1").arg(i); }

// The count as Daybrook reads it (through the 60-byte buffer), or nothing when
// it is missing, empty, not a number or too large to be a count.
std::optional<int> count(const ProfileDocument& file);

// The entries in key order. Stops (with no entries) when the file cannot be
// read or holds no usable count; skips missing and empty keys. Entries are
// read whole, so one longer than Daybrook's 59 bytes is not cut here.
QStringList load(IFileSystem& fs, const QString& path);

// The writes of a store over the file as it is now, in order: the old entries
// blanked, then the new ones, then the new count.
QList<ProfileWrite> storeWrites(const ProfileDocument& file, const QStringList& entries);

// Stores the entries in one atomic rewrite; the failure says why.
IoStatus store(IFileSystem& fs, const QString& path, const QStringList& entries);

} // namespace HolidayFile
} // namespace td
