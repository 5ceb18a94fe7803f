// Times the widest generator runs over Daybrook's day files against a plain
// loop that writes and deletes the same files with the same contents.
//
//   bench_schedule [folder [rounds]]   (default: a temporary folder under the current one, 5 rounds)
//
// Target: a register run within 2 x the plain loop, and no run above a second.
#include "platform/CommonDialog.h"
#include "platform/Cp949.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"
#include "schedule/DDayPage.h"
#include "schedule/DayEntry.h"
#include "schedule/DayFiles.h"
#include "schedule/DayRun.h"
#include "schedule/RegularPage.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <unistd.h>
#include <vector>

using namespace td;

namespace {


struct Plan {
    const char* name;
    DayRange range;
    std::function<QString(const MatchedDay&)> entryFor;
};

double ms(QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
}

// The same files written and then deleted the simplest way: no reading, no
// atomic replace, one sync at the end like the generators.
std::pair<double, double> plainLoop(const QString& data, const Plan& plan)
{
    QElapsedTimer t;
    t.start();
    QString lastFolder;
    for (const MatchedDay& d : plan.range.days) {
        const QString folder = DayFiles::monthFolder(data, d.date);
        if (folder != lastFolder) {
            QDir().mkdir(folder);
            lastFolder = folder;
        }
        QFile f(DayFiles::dayFile(data, d.date));
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(Cp949::encode(plan.entryFor(d)).bytes + "\r\n");
    }
    syncFolder(data);
    const double write = ms(t);
    t.restart();
    for (const MatchedDay& d : plan.range.days)
        QFile::remove(DayFiles::dayFile(data, d.date));
    syncFolder(data);
    return {write, ms(t)};
}

std::pair<double, double> generatorRun(const QString& data, const Plan& plan)
{
    QtFileSystem fs;
    QElapsedTimer t;
    t.start();
    const DayRunResult reg = runDays(fs, data, plan.range, DayAction::Register, plan.entryFor);
    const double write = ms(t);
    t.restart();
    const DayRunResult rem = runDays(fs, data, plan.range, DayAction::Remove, plan.entryFor);
    const double remove = ms(t);
    if (!reg.ok() || !rem.ok() || reg.changedDays != plan.range.days.size())
        std::fprintf(stderr, "  run failed: %d/%d days, first %s\n", reg.failedDays + rem.failedDays,
                     int(plan.range.days.size()), qPrintable(reg.firstFailure + rem.firstFailure));
    return {write, remove};
}

// The pages as the user drives them: progress bar, window pump and message box included.
class QuietBoxes : public IMessageBoxes {
public:
    QString last;
    MsgAnswer show(const Message& m) override { last = m.text; return MsgAnswer::Ok; }
};
class NoStore : public ISettingsStore {
public:
    QString get(const QString&, const QString& d) const override { return d; }
    bool save(const QString&, const QString&) override { return true; }
    bool removeSection() override { return true; }
};

void choose(QComboBox* list, const QString& text) { list->setCurrentIndex(list->findText(text)); }

std::pair<double, double> pageRun(const QString& data, bool dday)
{
    QtFileSystem fs;
    NoStore store;
    QuietBoxes boxes;
    QtCommonDialog dialog;
    Services s{fs, store, boxes, dialog, data};
    s.DataFolder = data;
    QElapsedTimer t;
    double write = 0, remove = 0;
    if (dday) {
        DDayPage p(s, nullptr);
        p.show();
        for (auto [i, y, m, d] : {std::tuple{5, "2000", "1", "1"}, std::tuple{4, "2009", "12", "31"}}) {
            choose(p.CmbPYear[i], y);
            choose(p.CmbPmonth[i], m);
            choose(p.CmbPDay[i], d);
        }
        choose(p.CmbMDay2, "1");
        p.TxtRegPlan2->setText("Exam");
        t.start();
        p.CmdDataInput2_Click(0);
        write = ms(t);
        t.restart();
        p.CmdDataInput2_Click(1);
        remove = ms(t);
    } else {
        RegularPage p(s, nullptr);
        p.show();
        choose(p.CmbPYear[3], "2000");
        choose(p.CmbPmonth[3], "1");
        choose(p.CmbPYear[2], "2009");
        choose(p.CmbPmonth[2], "12");
        p.OptWeek->setChecked(true);
        choose(p.CmbWSel, "All");
        choose(p.CmbWDay, "Sunday");
        p.TxtRegPlan->setText("Church");
        t.start();
        p.CmdDataInput_Click(0);
        write = ms(t);
        t.restart();
        p.CmdDataInput_Click(1);
        remove = ms(t);
    }
    if (boxes.last != ScheduleMessages::completed(true))
        std::fprintf(stderr, "  page run did not complete: %s\n", qPrintable(boxes.last));
    return {write, remove};
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString base = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    const int kRounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    QTemporaryDir root(base + "/bench_schedule-XXXXXX");
    if (!root.isValid()) {
        std::fprintf(stderr, "cannot create a folder under %s\n", qPrintable(base));
        return 1;
    }

    const std::vector<Plan> plans{
        {"D-Day 2000/1/1 to 2009/12/31, step 1", *ddayDays({"2000", "1", "1", "2009", "12", "31", "1"}),
         [](const MatchedDay& d) { return DayEntry::countdown("[", "Exam", "]", d.remaining); }},
        {"recurring, all Sundays 2000/1 to 2009/12",
         *regularDays({"2000", "1", "2009", "12", true, QString(), 4, 0}),
         [](const MatchedDay&) { return DayEntry::regular("[", "Church", "]"); }},
    };

    std::printf("folder: %s\nmedian of %d rounds, in ms (each run ends with one file-system flush)\n\n",
                qPrintable(root.path()), kRounds);
    int round = 0;
    for (const Plan& plan : plans) {
        std::vector<double> runW, runR, plainW, plainR, pageW, pageR;
        for (int i = 0; i < kRounds; ++i) {
            const QString a = root.path() + QStringLiteral("/r%1/").arg(round++);
            const QString b = root.path() + QStringLiteral("/r%1/").arg(round++);
            const QString c = root.path() + QStringLiteral("/r%1/").arg(round++);
            QDir().mkpath(a);
            QDir().mkpath(b);
            QDir().mkpath(c);
            // Alternate the order so neither side always meets a warmer cache.
            std::pair<double, double> run, plain;
            if (i % 2) {
                plain = plainLoop(b, plan);
                run = generatorRun(a, plan);
            } else {
                run = generatorRun(a, plan);
                plain = plainLoop(b, plan);
            }
            const auto page = pageRun(c, &plan == &plans[0]);
            runW.push_back(run.first);
            runR.push_back(run.second);
            plainW.push_back(plain.first);
            plainR.push_back(plain.second);
            pageW.push_back(page.first);
            pageR.push_back(page.second);
        }
        const double rw = median(runW), rr = median(runR), pw = median(plainW), pr = median(plainR);
        std::printf("%s: %lld files\n", plan.name, (long long)plan.range.days.size());
        std::printf("  register  generator %8.1f   plain loop %8.1f   ratio %5.2f   (page, as clicked %8.1f)\n",
                    rw, pw, rw / pw, median(pageW));
        std::printf("  remove    generator %8.1f   plain loop %8.1f   ratio %5.2f   (page, as clicked %8.1f)\n\n",
                    rr, pr, rr / pr, median(pageR));
    }
    return 0;
}
