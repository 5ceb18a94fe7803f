#include "SettingsStore.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <cctype>
#include <optional>

#include <sys/stat.h>

namespace td {
namespace {
QString qualified(const QString& section, const QString& key) { return section + QLatin1Char('/') + key; }

// A section or key name as the INI file spells it: %XX and %UXXXX stand for one character.
QString unescapedName(QStringView s)
{
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        bool ok = false;
        if (s[i] == u'%' && i + 5 < s.size() && s[i + 1] == u'U') {
            const uint c = s.mid(i + 2, 4).toUInt(&ok, 16);
            if (ok) {
                out += QChar(char16_t(c));
                i += 5;
                continue;
            }
        } else if (s[i] == u'%' && i + 2 < s.size()) {
            const uint c = s.mid(i + 1, 2).toUInt(&ok, 16);
            if (ok) {
                out += QChar(char16_t(c));
                i += 2;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

// A value as text: quotes and backslash escapes as the store writes them are
// undone, and nothing else. Commas and semicolons are plain text, so a value
// another program wrote unquoted ("a, b.jpg") is not taken for a list.
QString unescapedValue(QStringView s)
{
    if (s.startsWith(u"@@"))
        s = s.mid(1);
    else if (s.startsWith(u"@ByteArray(") && s.endsWith(u')'))
        s = s.mid(11, s.size() - 12);
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == u'"')
            continue;
        if (c != u'\\' || i + 1 == s.size()) {
            out += c;
            continue;
        }
        const QChar e = s[++i];
        switch (e.unicode()) {
        case 'a': out += QChar(7); break;
        case 'b': out += QChar(8); break;
        case 'f': out += QChar(12); break;
        case 'n': out += QChar(10); break;
        case 'r': out += QChar(13); break;
        case 't': out += QChar(9); break;
        case 'v': out += QChar(11); break;
        case 'x': {
            qsizetype j = i + 1;
            while (j < s.size() && j < i + 5 && isxdigit(s[j].toLatin1()))
                ++j;
            out += QChar(char16_t(s.mid(i + 1, j - i - 1).toUInt(nullptr, 16)));
            i = j - 1;
            break;
        }
        case '0': {
            qsizetype j = i + 1;
            while (j < s.size() && j < i + 4 && s[j] >= u'0' && s[j] <= u'7')
                ++j;
            out += QChar(char16_t(s.mid(i + 1, j - i - 1).toUInt(nullptr, 8)));
            i = j - 1;
            break;
        }
        default: out += e; break; // \\ \" \' \? \; \, and the rest stand for themselves
        }
    }
    return out;
}

// The text of key in the section of the file's contents; nothing when the
// section or the key is missing.
std::optional<QString> rawValue(const QByteArray& contents, const QString& section, const QString& key)
{
    const QString text = QString::fromUtf8(contents);
    std::optional<QString> found;
    bool inSection = false;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(u'[')) {
            const qsizetype end = line.indexOf(u']');
            inSection = end > 0 && unescapedName(line.mid(1, end - 1).trimmed()) == section;
            continue;
        }
        if (!inSection || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0 && unescapedName(line.left(eq).trimmed()) == key)
            found = unescapedValue(line.mid(eq + 1).trimmed()); // the last one wins, as in the store
    }
    return found;
}
// Which file is on the path: QSettings writes a new file and renames it over
// the old one, so a store that reached the disk changes it.
struct FileId {
    bool exists = false;
    struct stat st {};
    bool operator==(const FileId& o) const
    {
        if (exists != o.exists)
            return false;
        return !exists
               || (st.st_dev == o.st.st_dev && st.st_ino == o.st.st_ino && st.st_size == o.st.st_size
                   && st.st_mtim.tv_sec == o.st.st_mtim.tv_sec && st.st_mtim.tv_nsec == o.st.st_mtim.tv_nsec);
    }
};

FileId fileId(const QString& path)
{
    FileId id;
    id.exists = ::stat(QFile::encodeName(path).constData(), &id.st) == 0;
    return id;
}

} // namespace

QtSettingsStore::QtSettingsStore(const QString& iniPath, const QString& section)
    : path_(iniPath), section_(section), settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{
}

QtSettingsStore::~QtSettingsStore() = default;

QString QtSettingsStore::get(const QString& key, const QString& defaultValue) const
{
    // Re-read the file: Daybrook may have changed it since the last call. The
    // value is read as its text: the store's own reading would make a list of
    // an unquoted "a, b" and give it back empty.
    settings_->sync();
    QFile file(settings_->fileName());
    if (!file.open(QIODevice::ReadOnly))
        return file.exists() ? settings_->value(qualified(section_, key), defaultValue).toString() : defaultValue;
    return rawValue(file.readAll(), section_, key).value_or(defaultValue);
}

bool QtSettingsStore::save(const QString& key, const QString& value)
{
    return store([&](QSettings& s) { s.setValue(qualified(section_, key), value); }, false);
}

bool QtSettingsStore::removeSection()
{
    bool held = false;
    const auto remove = [&](QSettings& s) {
        s.beginGroup(section_);
        held = !s.allKeys().isEmpty();
        s.endGroup();
        s.remove(section_);
    };
    const bool removed = store(remove, true);
    return removed || !held; // a section that is not there needs no removing
}

QStringList QtSettingsStore::keys() const
{
    QSettings settings(path_, QSettings::IniFormat);
    settings.beginGroup(section_);
    return settings.childKeys();
}

bool QtSettingsStore::store(const std::function<void(QSettings&)>& change, bool mayEmpty)
{
    // Each store is judged on its own: QSettings keeps the first error it met
    // for as long as it lives, so a fresh one is used for every write.
    QSettings settings(path_, QSettings::IniFormat);
    const FileId before = fileId(path_);
    change(settings);
    settings.sync();
    const FileId after = fileId(path_);
    bool written = settings.status() == QSettings::NoError;
    // A malformed line elsewhere in the file is a format error although the
    // write went through: then the replaced file tells.
    if (settings.status() == QSettings::FormatError)
        written = !(after == before);
    // A store that holds a value is never empty: an empty file is a write the disk lost.
    if (written && !mayEmpty && (!after.exists || after.st.st_size == 0))
        written = false;
    return written;
}

QString QtSettingsStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QLatin1String("/Daybrook/Daybrook.conf");
}

} // namespace td
