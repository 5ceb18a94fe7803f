#pragma once
#include "FileSystem.h"
#include "IoStatus.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <optional>

namespace td {

// A private-profile (INI) file held byte for byte, with the Windows lookup and
// write rules Daybrook reads with. Names and values are in the file's code page.
class ProfileDocument {
public:
    static ProfileDocument parse(const QByteArray& bytes);
    const QByteArray& bytes() const;

    // The value as the platform returns it (trimmed, one outer quote pair removed),
    // or nothing when the section or key is missing. Names match without regard to ASCII case.
    std::optional<QByteArray> value(QByteArrayView section, QByteArrayView key) const;
    // Rewrites the first matching key in place, or adds the key / section.
    void setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value);
    // Key names of the first section of that name, in file order.
    QList<QByteArray> keys(QByteArrayView section) const;

private:
    QByteArray bytes_;
};

// GetPrivateProfileStringA / WritePrivateProfileStringA over IFileSystem, in CP949.
class ProfileFile {
public:
    explicit ProfileFile(IFileSystem& fs);

    // At most bufferSize - 1 bytes of the value, never cutting a double-byte
    // character; bufferSize 0 reads the value whole. A missing file, section
    // or key gives the default (trailing spaces removed).
    QString read(const QString& path, const QString& section, const QString& key,
                 const QString& defaultValue = QString(), int bufferSize = 60);

    // Refuses (without touching the file) a name or value with CR or LF or with
    // text CP949 cannot hold; the reason says which. The file is replaced atomically.
    IoStatus write(const QString& path, const QString& section, const QString& key, const QString& value);

    // The same final file as write() called for each pair in order, with one rewrite.
    IoStatus writeMany(const QString& path, const QString& section,
                       const QList<QPair<QString, QString>>& keyValues);

private:
    IFileSystem& fs_;
};

} // namespace td
