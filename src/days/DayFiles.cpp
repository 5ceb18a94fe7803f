#include "DayFiles.h"

#include "platform/Cp949.h"

#include <QStringList>

#include <cstring>

namespace td {

namespace {

// A number as "%d" prints it, at p; returns the end.
char* decimal(char* p, int value)
{
    char digits[12];
    int n = 0;
    unsigned u = value < 0 ? 0u - unsigned(value) : unsigned(value);
    do {
        digits[n++] = char('0' + u % 10);
        u /= 10;
    } while (u != 0);
    if (value < 0)
        *p++ = '-';
    while (n > 0)
        *p++ = digits[--n];
    return p;
}

// The date taken apart once and printed into one string: a run names thousands of days.
QString withDate(const QString& dataFolder, const QDate& date, bool day)
{
    int y = 0, m = 0, d = 0;
    date.getDate(&y, &m, &d);
    char name[48];
    char* p = decimal(name, y);
    *p++ = '_';
    p = decimal(p, m);
    if (day) { // "Y_M/Y_M.D"
        *p++ = '/';
        const qsizetype month = p - name - 1;
        std::memcpy(p, name, size_t(month));
        p += month;
        *p++ = '.';
        p = decimal(p, d);
    }
    const int n = int(p - name);
    QString out;
    out.reserve(dataFolder.size() + n);
    out += dataFolder;
    out += QLatin1StringView(name, n);
    return out;
}

} // namespace

QString DayFiles::folderName(const QDate& date)
{
    return withDate(QString(), date, false);
}

QString DayFiles::monthFolder(const QString& dataFolder, const QDate& date)
{
    return withDate(dataFolder, date, false);
}

QString DayFiles::dayFile(const QString& dataFolder, const QDate& date)
{
    return withDate(dataFolder, date, true);
}

namespace {

// The lines of a day, decoded whole: CR and LF are never part of a two-byte
// character, so they stand where they stood in the bytes. Each line (up to CR
// or CR LF; a lone LF stays in it) goes to take as a view.
template <typename Take>
void eachLine(const QString& all, Take take)
{
    const qsizetype n = all.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (all[i] == QLatin1Char('\r')) {
            take(QStringView(all).mid(start, i - start));
            if (i + 1 < n && all[i + 1] == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n) // a final line end starts no other line
        take(QStringView(all).mid(start));
}

} // namespace

QString DayFiles::joinLines(const QByteArray& bytes)
{
    const QString all = Cp949::decode(bytes);
    QString text;
    eachLine(all, [&text](QStringView line) {
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += line;
    });
    return text;
}

QString DayFiles::allLines(const QByteArray& bytes)
{
    const QString all = Cp949::decode(bytes);
    QString text;
    bool first = true;
    eachLine(all, [&](QStringView line) {
        if (!first)
            text += QLatin1Char('\n');
        first = false;
        text += line;
    });
    return text;
}

IoStatus DayFiles::read(const IFileSystem& fs, const QString& path, QString& text)
{
    QByteArray bytes;
    IoStatus st = fs.readAll(path, bytes);
    if (st.ok)
        text = joinLines(bytes);
    return st;
}

QString DayFiles::mergeEntry(const QString& dayText, const QString& entry)
{
    // Only parts that are the entry itself give way: a user's line that merely
    // holds it ("[Meeting] moved to 3") is the user's and stays.
    QStringList out{entry};
    if (!dayText.isEmpty()) {
        bool leading = true;
        for (const QString& part : dayText.split(QLatin1Char('\n'))) {
            if (leading && part == entry)
                continue;
            leading = false;
            out.append(part);
        }
    }
    return out.join(QLatin1Char('\n'));
}

QString DayFiles::removeEntry(const QString& dayText, const QString& entry)
{
    if (entry.isEmpty())
        return dayText;
    QString text = dayText;
    text.replace(entry + QLatin1Char('\n'), QString());
    text.replace(entry, QString());
    return text;
}

} // namespace td
