#include "HolidayFile.h"

#include "HolidayEntry.h"

#include <QRegularExpression>

namespace td::HolidayFile {
namespace {

const QString countSection() { return QString::fromLatin1(kCountSection); }
const QString entrySection() { return QString::fromLatin1(kEntrySection); }

QString countText(const ProfileDocument& file)
{
    return ProfileFile::readFrom(file, countSection(), QString::fromLatin1(kCountKey), QString(), 60);
}

} // namespace

std::optional<int> count(const ProfileDocument& file)
{
    return HolidayEntry::wholeNumber(countText(file));
}

QStringList load(IFileSystem& fs, const QString& path)
{
    QStringList entries;
    ProfileDocument file;
    if (!ProfileFile(fs).load(path, file))
        return entries;
    const std::optional<int> n = count(file);
    if (!n)
        return entries;
    const QString section = entrySection();
    for (int i = 0; i < *n; ++i) {
        const QString entry = ProfileFile::readFrom(file, section, entryKey(i), QString(), 0);
        if (!entry.isEmpty())
            entries.append(entry);
    }
    return entries;
}

QList<ProfileWrite> storeWrites(const ProfileDocument& file, const QStringList& entries)
{
    QList<ProfileWrite> writes;
    const QString section = entrySection();

    const QString old = countText(file);
    if (old.isEmpty()) {
        writes.append({section, entryKey(0), QString()});
    } else if (const std::optional<int> m = HolidayEntry::wholeNumber(old)) {
        for (int i = 0; i < *m; ++i)
            writes.append({section, entryKey(i), QString()});
    } else {
        // A count we cannot read tells nothing of how long the old list was:
        // blank every entry key there is, so no old entry can come back.
        static const QRegularExpression entryKeyName(QStringLiteral("^holi[0-9]+$"),
                                                     QRegularExpression::CaseInsensitiveOption);
        for (const QByteArray& key : file.keys(QByteArrayLiteral("Holiday Day"))) {
            const QString name = QString::fromLatin1(key);
            if (entryKeyName.match(name).hasMatch())
                writes.append({section, name, QString()});
        }
    }

    for (int i = 0; i < entries.size(); ++i)
        writes.append({section, entryKey(i), entries[i]});
    writes.append({countSection(), QString::fromLatin1(kCountKey), QString::number(entries.size())});
    return writes;
}

IoStatus store(IFileSystem& fs, const QString& path, const QStringList& entries)
{
    ProfileFile profile(fs);
    ProfileDocument file;
    if (const IoStatus st = profile.load(path, file); !st)
        return st;
    return profile.writeAll(path, storeWrites(file, entries));
}

} // namespace td::HolidayFile
