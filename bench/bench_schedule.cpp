// Times the widest generator runs over Daybrook's day files against a plain C
// loop doing the least durable work for the same files (a temporary file and a
// rename per day, one syncfs; remove reads each file before deleting it); the
// cost of the run journal (the same run with and without it); and the preview
// of ten years with a file on every day.
//
//   bench_schedule [folder [rounds [only]]]   (default: a temporary folder under the current one, 5 rounds;
//                                              only: "D-Day" or "recurring", that run alone, for profiling)
//
// Targets: through the window, journal included, within 1.2 x the plain loop;
// the preview of 3,653 days under 100 ms, of the widest range (13,515 days) under 300 ms.
#include "days/DayEntry.h"
#include "days/DayFiles.h"
#include "days/PlanPreview.h"
#include "days/RunJournal.h"
#include "platform/CommonDialog.h"
#include "platform/Cp949.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"
#include "schedule/DDayPage.h"
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
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QWindow>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <functional>
#include <unistd.h>
#include <vector>

using namespace td;

namespace {

// A control of a page, found by its design name ("CmbPYear", 3: "CmbPYear(3)").
template <typename T>
T* named(const QWidget& page, const char* name, int index = -1)
{
    return page.findChild<T*>(index >= 0 ? QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index)
                                         : QString::fromLatin1(name));
}

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

// Between the register and the remove, as between two clicks (the user reads the
// completion message first): files written within the last 50 ms are read again
// before they are deleted, since their times cannot yet tell a later change.
void betweenClicks() { QThread::msleep(100); }

void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
}

// The same files written and then deleted by a plain C loop: a temporary file
// and a rename per day, one syncfs at the end; removing reads each file first.
std::pair<double, double> plainLoop(const QString& data, const Plan& plan)
{
    struct Day {
        std::string folder, path, tmp, bytes;
    };
    std::vector<Day> days;
    const std::string base = QFile::encodeName(data).toStdString();
    for (const MatchedDay& d : plan.range.days) {
        char folder[32], name[48];
        std::snprintf(folder, sizeof folder, "%d_%d", d.date.year(), d.date.month());
        std::snprintf(name, sizeof name, "%s.%d", folder, d.date.day());
        const QByteArray bytes = Cp949::encode(plan.entryFor(d)).bytes + "\r\n";
        days.push_back({base + folder, base + folder + "/" + name, base + folder + "/." + name + ".tmp", bytes.toStdString()});
    }
    QElapsedTimer t;
    t.start();
    const std::string* lastFolder = nullptr;
    for (const Day& d : days) {
        if (!lastFolder || *lastFolder != d.folder) {
            ::mkdir(d.folder.c_str(), 0755);
            lastFolder = &d.folder;
        }
        const int fd = ::open(d.tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            continue;
        if (::write(fd, d.bytes.data(), d.bytes.size()) < 0)
            std::perror("write");
        ::close(fd);
        ::rename(d.tmp.c_str(), d.path.c_str());
    }
    syncFolder(data);
    const double write = ms(t);
    betweenClicks();
    t.restart();
    char buf[4096];
    for (const Day& d : days) {
        const int fd = ::open(d.path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        while (::read(fd, buf, sizeof buf) > 0) {
        }
        ::close(fd);
        ::unlink(d.path.c_str());
    }
    syncFolder(data);
    return {write, ms(t)};
}

std::pair<double, double> generatorRun(const QString& data, const Plan& plan, const QString& journalFolder = {})
{
    QtFileSystem fs;
    std::optional<RunJournal> journal;
    if (!journalFolder.isEmpty())
        journal.emplace(journalFolder);
    RunJournal* j = journal ? &*journal : nullptr;
    const RunLabel label{QStringLiteral("dday-register"), QDate(2000, 1, 1), QDate(2009, 12, 31), QStringLiteral("[Exam D-xxx]")};
    QElapsedTimer t;
    t.start();
    const DayRunResult reg = runDays(fs, data, plan.range, DayAction::Register, plan.entryFor, {}, j, &label);
    const double write = ms(t);
    betweenClicks();
    t.restart();
    const DayRunResult rem = runDays(fs, data, plan.range, DayAction::Remove, plan.entryFor, {}, j, &label);
    const double remove = ms(t);
    if (!reg.ok() || !rem.ok() || reg.changedDays != plan.range.days.size())
        std::fprintf(stderr, "  run failed: %d/%d days, first %s\n", reg.failedDays + rem.failedDays,
                     int(plan.range.days.size()), qPrintable(reg.firstFailure + rem.firstFailure));
    return {write, remove};
}

// The parts of a run one by one, on the same files: the plan (every day read),
// the journal written and synced, then the day writes with the one flush.
struct Parts {
    double plan = 0, journal = 0, writes = 0;
};
std::pair<Parts, Parts> runParts(const QString& data, const Plan& plan, const QString& journalFolder)
{
    QtFileSystem fs;
    RunJournal journal(journalFolder);
    const RunLabel label{QStringLiteral("dday-register"), QDate(2000, 1, 1), QDate(2009, 12, 31), QStringLiteral("[Exam D-xxx]")};
    std::pair<Parts, Parts> out;
    for (auto [action, parts] : {std::pair{DayAction::Register, &out.first}, std::pair{DayAction::Remove, &out.second}}) {
        if (action == DayAction::Remove)
            betweenClicks();
        QElapsedTimer t;
        t.start();
        DayPlan p = planRun(fs, data, plan.range, action, plan.entryFor);
        p.fresh = true;
        parts->plan = ms(t);
        t.restart();
        if (!journal.write(fs, data, label, p))
            std::fprintf(stderr, "  the journal could not be written\n");
        parts->journal = ms(t);
        t.restart();
        if (!executePlan(fs, data, p, nullptr, label).ok())
            std::fprintf(stderr, "  the run failed\n");
        parts->writes = ms(t);
    }
    return out;
}

// The pages as the user drives them: progress bar, window pump and message box included.
class QuietBoxes : public IMessageBoxes {
public:
    QString last;
    MsgAnswer show(const Message& m) override
    {
        last = m.text;
        return MsgAnswer::Ok;
    }
};
class NoStore : public ISettingsStore {
public:
    QString get(const QString&, const QString& d) const override { return d; }
    bool save(const QString&, const QString&) override { return true; }
    bool removeSection() override { return true; }
};

void choose(QComboBox* list, const QString& text) { list->setCurrentIndex(list->findText(text)); }

// A countdown over every day from 1 January 2000 to the last day of lastYear, step 1
// (2009: ten years, the widest run timed; 2036: the widest range the page offers).
void chooseWidestCountdown(DDayPage& p, const char* lastYear = "2009")
{
    for (auto [i, y, m, d] : {std::tuple{5, "2000", "1", "1"}, std::tuple{4, lastYear, "12", "31"}}) {
        choose(named<QComboBox>(p, "CmbPYear", i), y);
        choose(named<QComboBox>(p, "CmbPmonth", i), m);
        choose(named<QComboBox>(p, "CmbPDay", i), d);
    }
    choose(named<QComboBox>(p, "CmbMDay2"), "1");
    named<QLineEdit>(p, "TxtRegPlan2")->setText("Exam");
}

// The page painted as the user sees it before the click: its first paint (the
// backing store, the style's pixmaps) is not part of a run.
void onScreen(QWidget& page)
{
    for (int i = 0; i < 100 && !(page.windowHandle() && page.windowHandle()->isExposed()); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents();
}

std::pair<double, double> pageRun(const QString& data, bool dday, const QString& journalFolder)
{
    QtFileSystem fs;
    NoStore store;
    QuietBoxes boxes;
    QtCommonDialog dialog;
    Services s{fs, store, boxes, dialog, data};
    s.DataFolder = data;
    s.journalFolder = journalFolder;
    QElapsedTimer t;
    double write = 0, remove = 0;
    if (dday) {
        DDayPage p(s, nullptr);
        p.show();
        chooseWidestCountdown(p);
        onScreen(p);
        t.start();
        p.CmdDataInput2_Click(0);
        write = ms(t);
        betweenClicks();
        t.restart();
        p.CmdDataInput2_Click(1);
        remove = ms(t);
    } else {
        RegularPage p(s, nullptr);
        p.show();
        choose(named<QComboBox>(p, "CmbPYear", 3), "2000");
        choose(named<QComboBox>(p, "CmbPmonth", 3), "1");
        choose(named<QComboBox>(p, "CmbPYear", 2), "2009");
        choose(named<QComboBox>(p, "CmbPmonth", 2), "12");
        named<QRadioButton>(p, "OptWeek")->setChecked(true);
        choose(named<QComboBox>(p, "CmbWSel"), "All");
        choose(named<QComboBox>(p, "CmbWDay"), "Sunday");
        named<QLineEdit>(p, "TxtRegPlan")->setText("Church");
        onScreen(p);
        t.start();
        p.CmdDataInput_Click(0);
        write = ms(t);
        betweenClicks();
        t.restart();
        p.CmdDataInput_Click(1);
        remove = ms(t);
    }
    // The completion message, then the counts.
    if (!boxes.last.startsWith(ScheduleMessages::completed(true) + QLatin1Char('\r')) || !boxes.last.contains(QStringLiteral("실패한 날 0일")))
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
    auto fresh = [&] {
        const QString dir = root.path() + QStringLiteral("/r%1/").arg(round++);
        QDir().mkpath(dir);
        return dir;
    };
    const QByteArray only = argc > 3 ? QByteArray(argv[3]) : QByteArray();
    for (const Plan& plan : plans) {
        if (!only.isEmpty() && !QByteArray(plan.name).startsWith(only))
            continue;
        std::vector<double> bareW, bareR, journW, journR, plainW, plainR, pageW, pageR;
        std::vector<double> partPlan[2], partJournal[2], partWrites[2];
        for (int i = 0; i < kRounds; ++i) {
            // Alternate the order so no side always meets a warmer cache.
            std::pair<double, double> bare, journaled, plain, page;
            const QString a = fresh(), b = fresh(), c = fresh(), e = fresh();
            const QString journals = root.path() + QStringLiteral("/journal%1").arg(round);
            if (i % 2) {
                plain = plainLoop(b, plan);
                page = pageRun(c, &plan == &plans[0], journals + QStringLiteral("p"));
                journaled = generatorRun(e, plan, journals);
                bare = generatorRun(a, plan);
            } else {
                bare = generatorRun(a, plan);
                journaled = generatorRun(e, plan, journals);
                page = pageRun(c, &plan == &plans[0], journals + QStringLiteral("p"));
                plain = plainLoop(b, plan);
            }
            const std::pair<Parts, Parts> parts = runParts(fresh(), plan, journals + QStringLiteral("s"));
            for (int k = 0; k < 2; ++k) {
                const Parts& one = k == 0 ? parts.first : parts.second;
                partPlan[k].push_back(one.plan);
                partJournal[k].push_back(one.journal);
                partWrites[k].push_back(one.writes);
            }
            bareW.push_back(bare.first);
            bareR.push_back(bare.second);
            journW.push_back(journaled.first);
            journR.push_back(journaled.second);
            plainW.push_back(plain.first);
            plainR.push_back(plain.second);
            pageW.push_back(page.first);
            pageR.push_back(page.second);
        }
        std::printf("%s: %lld files\n", plan.name, (long long)plan.range.days.size());
        for (auto [name, bw, jw, pw, gw] : {std::tuple{"register", median(bareW), median(journW), median(pageW), median(plainW)},
                                            std::tuple{"remove  ", median(bareR), median(journR), median(pageR), median(plainR)}}) {
            std::printf("  %s  run %7.1f   with journal %7.1f (+%4.1f %%)   page as clicked %7.1f   plain C loop %7.1f"
                        "   page / plain %5.2f\n",
                        name, bw, jw, (jw / bw - 1) * 100, pw, gw, pw / gw);
        }
        for (int k = 0; k < 2; ++k) {
            const double pl = median(partPlan[k]), jo = median(partJournal[k]), wr = median(partWrites[k]);
            const double page = median(k == 0 ? pageW : pageR);
            std::printf("  %s parts: plan %6.1f   journal %6.1f (%4.1f %%)   writes and flush %7.1f   sum %7.1f"
                        "   page as clicked less the sum %6.1f\n",
                        k == 0 ? "register" : "remove  ", pl, jo, jo / (pl + jo + wr) * 100, wr, pl + jo + wr,
                        page - (pl + jo + wr));
        }
        std::printf("\n");
    }

    // The preview with a note on every day, from the click to the laid-out window:
    // ten years at step 1, and the widest range the page offers (to 2036).
    for (const char* lastYear : {"2009", "2036"}) {
        if (!only.isEmpty())
            break;
        const QString full = fresh();
        const std::optional<DayRange> range = ddayDays({"2000", "1", "1", lastYear, "12", "31", "1"});
        const Plan widest{"", *range, plans[0].entryFor};
        for (const MatchedDay& d : widest.range.days) {
            QDir().mkdir(DayFiles::monthFolder(full, d.date));
            QFile f(DayFiles::dayFile(full, d.date));
            if (f.open(QIODevice::WriteOnly))
                f.write("[Meeting]\r\n[Call Kim] 3pm\r\n");
        }
        QtFileSystem fs;
        std::vector<double> planMs, clickMs;
        NoStore store;
        QuietBoxes boxes;
        QtCommonDialog dialog;
        Services s{fs, store, boxes, dialog, full};
        s.DataFolder = full;
        s.today = [] { return QDate(2026, 12, 6); };
        DDayPage p(s, nullptr);
        p.show();
        chooseWidestCountdown(p, lastYear);
        int rows = 0;
        for (int i = 0; i < kRounds; ++i) {
            QElapsedTimer t;
            t.start();
            const DayPlan plan = planRun(fs, full, widest.range, DayAction::Register, widest.entryFor);
            planMs.push_back(ms(t));
            t.restart();
            p.CmdPreview2_Click();
            QCoreApplication::processEvents();
            clickMs.push_back(ms(t));
            auto* preview = p.findChild<PlanPreview*>();
            rows = preview && preview->model(0) ? preview->model(0)->rowCount() : -1;
            delete preview;
            if (plan.count(DayChange::Kind::Changed) != int(widest.range.days.size()))
                std::fprintf(stderr, "  the plan does not change every day\n");
        }
        std::printf("preview, D-Day 2000/1/1 to %s/12/31 step 1, a file on every day: %d rows\n", lastYear, rows);
        std::printf("  plan (reads included) %7.1f   preview button to window %7.1f   (target %d)\n", median(planMs),
                    median(clickMs), std::strcmp(lastYear, "2009") == 0 ? 100 : 300);
    }
    return 0;
}
