#include "DayFiles.h"

#include "platform/Cp949.h"

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

IoStatus DayFiles::read(const IFileSystem& fs, const QString& path, QString& text)
{
    QByteArray bytes;
    IoStatus st = fs.readAll(path, bytes);
    if (st.ok)
        text = joinLines(bytes);
    return st;
}

} // namespace td
