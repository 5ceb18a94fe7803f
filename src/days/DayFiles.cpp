#include "DayFiles.h"

#include "platform/Cp949.h"

#include <QStringList>

namespace td {

QString DayFiles::folderName(const QDate& date)
{
    return QString::number(date.year()) + QLatin1Char('_') + QString::number(date.month());
}

QString DayFiles::monthFolder(const QString& dataFolder, const QDate& date)
{
    return dataFolder + folderName(date);
}

QString DayFiles::dayFile(const QString& dataFolder, const QDate& date)
{
    const QString folder = folderName(date);
    return dataFolder + folder + QLatin1Char('/') + folder + QLatin1Char('.') + QString::number(date.day());
}

QString DayFiles::joinLines(const QByteArray& bytes)
{
    QString text;
    for (const QByteArray& line : splitCrLines(bytes)) {
        if (text.isEmpty())
            text = Cp949::decode(line);
        else
            text += QLatin1Char('\n') + Cp949::decode(line);
    }
    return text;
}

QString DayFiles::allLines(const QByteArray& bytes)
{
    QStringList lines;
    for (const QByteArray& line : splitCrLines(bytes))
        lines.append(Cp949::decode(line));
    return lines.join(QLatin1Char('\n'));
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
