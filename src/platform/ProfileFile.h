#pragma once
#include "FileSystem.h"
#include "IoStatus.h"

#include <QByteArray>
#include <QHash>
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

    // Names compare after this folding: ASCII letters to lower case; the second
    // byte of a double-byte character is left alone (it may look like a letter).
    static QByteArray foldName(QByteArrayView name);

private:
    // The lines of one section, each with its own line end; lines[0] is the
    // header, except in the part before the first header.
    struct Section {
        QList<QByteArray> lines;
        QHash<QByteArray, int> keyLine; // folded key -> its first line
        int lastKeyLine = 0;            // where a new key goes after (0: the header)
    };

    const Section* find(QByteArrayView section) const;
    void appendLineEndIfMissing();

    QList<Section> sections_;             // [0]: the lines before the first header
    QHash<QByteArray, int> sectionIndex_; // folded name -> first section of that name
    mutable QByteArray bytes_;
    mutable bool bytesStale_ = false;
};

// One key to write: section, key and value as the caller gives them.
struct ProfileWrite {
    QString section;
    QString key;
    QString value;
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

    // The same over several sections: one check of everything, then one rewrite.
    IoStatus writeAll(const QString& path, const QList<ProfileWrite>& writes);

    // The file as it is now, for many reads from one snapshot; a missing file
    // gives an empty document. Fails only when an existing file cannot be read.
    IoStatus load(const QString& path, ProfileDocument& document) const;

    // read() over a loaded document: the same rules and the same result.
    static QString readFrom(const ProfileDocument& document, const QString& section, const QString& key,
                            const QString& defaultValue = QString(), int bufferSize = 60);

    // Why text cannot go into a profile file (a line break, a character CP949
    // cannot hold), or empty when it can. what names the text in the reason.
    static QString refusal(const QString& text, const QString& what);

    // At most maxBytes bytes of CP949 text, never ending inside a double-byte character.
    static QByteArray cutToBytes(const QByteArray& bytes, qsizetype maxBytes);

private:
    IFileSystem& fs_;
};

} // namespace td
