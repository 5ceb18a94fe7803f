// What the export benchmarks share: a page's surroundings that answer at once,
// a day's two texts, and the median of the runs.
#pragma once
#include "days/DayFiles.h"
#include "platform/CommonDialog.h"
#include "platform/Cp949.h"
#include "platform/MessageBoxes.h"
#include "platform/SettingsStore.h"

#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bench {

class Store : public td::ISettingsStore {
public:
    QString get(const QString&, const QString& def) const override { return def; }
    bool save(const QString&, const QString&) override { return true; }
    bool removeSection() override { return true; }
};

class Boxes : public td::IMessageBoxes {
public:
    QStringList shown;
    td::MsgAnswer show(const td::Message& m) override
    {
        shown << m.text;
        return td::MsgAnswer::Ok;
    }
};

class Dialog : public td::CommonDialog {
public:
    QString target;
    bool ShowColor() override { return false; }
    bool ShowFont() override { return false; }
    bool ShowOpen() override { return false; }
    bool ShowSave() override
    {
        FileName = target;
        return true;
    }
};

struct Day {
    QDate date;
    QString memo;
    QString done;
};

// 2000/1 to 2009/12 in the export page's lists, found by their design names.
inline void chooseTenYears(QWidget& page)
{
    const auto list = [&page](const char* name) { return page.findChild<QComboBox*>(QString::fromLatin1(name)); };
    list("CmbPYear(0)")->setCurrentIndex(list("CmbPYear(0)")->findText(QStringLiteral("2000")));
    list("CmbPmonth(0)")->setCurrentIndex(0);
    list("CmbPYear(1)")->setCurrentIndex(list("CmbPYear(1)")->findText(QStringLiteral("2009")));
    list("CmbPmonth(1)")->setCurrentIndex(11);
}

// The floor of an export: the same files read with bare system calls.
inline void readBare(const std::vector<QByteArray>& names)
{
    char buffer[4096];
    for (const QByteArray& name : names) {
        struct stat st;
        if (::stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        while (::read(fd, buffer, sizeof buffer) > 0) {
        }
        ::close(fd);
    }
}

// Runs f once and adds its time in milliseconds to times.
template <typename F>
void timeInto(std::vector<double>& times, F f)
{
    QElapsedTimer t;
    t.start();
    f();
    times.push_back(t.nsecsElapsed() / 1e6);
}

// Every export run ended with the completion box.
inline bool exportsCompleted(const Boxes& boxes, int runs)
{
    if (boxes.shown.size() == runs && boxes.shown.last().contains(QStringLiteral("완료")))
        return true;
    std::fprintf(stderr, "the export did not complete: %s\n", qPrintable(boxes.shown.value(0)));
    return false;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A day file and a companion on every day of first..last under data, as Daybrook
// writes them (CP949, CR LF); the texts are returned too.
inline std::vector<Day> writeTenYears(const QString& data, const QDate& first, const QDate& last)
{
    std::vector<Day> days;
    for (QDate d = first; d <= last; d = d.addDays(1)) {
        Day day{d, QStringLiteral("[회의 %1]\n[Plan for the day]").arg(d.day()),
                QStringLiteral("[끝 %1] finished item").arg(d.month())};
        QDir().mkpath(td::DayFiles::monthFolder(data, d));
        QFile f(td::DayFiles::dayFile(data, d));
        f.open(QIODevice::WriteOnly);
        f.write(td::Cp949::encode(day.memo).bytes + "\r\n");
        QFile g(td::DayFiles::companionFile(data, d));
        g.open(QIODevice::WriteOnly);
        g.write(td::Cp949::encode(day.done).bytes + "\r\n");
        days.push_back(day);
    }
    return days;
}

// Both files of every day, as the bare reads open them.
inline std::vector<QByteArray> dayFileNames(const QString& data, const std::vector<Day>& days)
{
    std::vector<QByteArray> names;
    for (const Day& d : days) {
        names.push_back(QFile::encodeName(td::DayFiles::dayFile(data, d.date)));
        names.push_back(QFile::encodeName(td::DayFiles::companionFile(data, d.date)));
    }
    return names;
}

} // namespace bench
