// Peak memory of journaled runs over large day files: a D-Day registered over
// five days whose files hold 50 MB of notes each, the same run without a
// journal, its Undo, and what every start does for the Undo tooltip (the
// newest journal of the data folder and its run) with such journals on disk.
// Each is measured in a child process of its own (ru_maxrss of the child, less
// what the child holds before it starts).
//
//   bench_journal [folder]   (default: a temporary folder under the current one)
//
// Targets: the journal adds about one day file to a run, not all of them; the
// tooltip's read stays under 50 ms and a few MB whatever the journals hold.
#include "days/DayEntry.h"
#include "days/DayFiles.h"
#include "days/RunJournal.h"
#include "platform/FileSystem.h"
#include "schedule/DayRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace td;

namespace {

constexpr int kDays = 5;
constexpr qint64 kDayBytes = 50 * 1000 * 1000;

long maxRssKb()
{
    struct rusage u;
    ::getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// Runs work in a child; the child's peak resident memory above what it started
// with, in MB, and the time work took, in ms.
std::pair<double, double> inChild(const std::function<bool()>& work)
{
    int pipeFd[2];
    if (::pipe(pipeFd) != 0)
        return {-1, -1};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFd[0]);
        const long start = maxRssKb();
        QElapsedTimer t;
        t.start();
        const bool ok = work();
        const double result[2] = {(maxRssKb() - start) / 1024.0, t.nsecsElapsed() / 1e6};
        if (::write(pipeFd[1], result, sizeof result) != sizeof result)
            ::_exit(2);
        ::_exit(ok ? 0 : 1);
    }
    ::close(pipeFd[1]);
    double result[2] = {-1, -1};
    if (::read(pipeFd[0], result, sizeof result) != sizeof result)
        std::fprintf(stderr, "  the child gave no figures\n");
    ::close(pipeFd[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::fprintf(stderr, "  the measured work failed\n");
    return {result[0], result[1]};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString base = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QTemporaryDir root(base + "/bench_journal-XXXXXX");
    if (!root.isValid()) {
        std::fprintf(stderr, "cannot create a folder under %s\n", qPrintable(base));
        return 1;
    }
    const QString data = root.path() + QStringLiteral("/data/");
    const QString journals = root.path() + QStringLiteral("/journal");
    const DayRange range = *ddayDays({"2004", "3", "1", "2004", "3", "5", "1"});
    const auto entryFor = [](const MatchedDay& d) { return DayEntry::countdown("[", "Exam", "]", d.remaining); };
    const RunLabel label{QStringLiteral("dday-register"), QDate(2004, 3, 1), QDate(2004, 3, 5), QStringLiteral("[Exam D-xxx]")};

    // Five days of 50 MB of notes, CP949 with CR LF.
    const auto writeDays = [&] {
        const QByteArray line = "[note] 회의 준비, 자료 정리\r\n";
        QByteArray note;
        note.reserve(kDayBytes + line.size());
        while (note.size() < kDayBytes)
            note += line;
        for (const MatchedDay& d : range.days) {
            QDir().mkpath(DayFiles::monthFolder(data, d.date));
            QFile f(DayFiles::dayFile(data, d.date));
            if (!f.open(QIODevice::WriteOnly) || f.write(note) != note.size())
                std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
        }
    };
    writeDays();

    std::printf("folder: %s\n%d day files of %.0f MB each; peak resident memory above the child's start, in MB\n\n",
                qPrintable(root.path()), kDays, kDayBytes / 1e6);
    QtFileSystem fs;
    const auto [bareMb, bareMs] = inChild([&] {
        return runDays(fs, data, range, DayAction::Register, entryFor).changedDays == kDays;
    });
    writeDays();
    const auto [runMb, runMs] = inChild([&] {
        RunJournal journal(journals);
        return runDays(fs, data, range, DayAction::Register, entryFor, {}, &journal, &label).changedDays == kDays;
    });
    // What a start does for the tooltip: the newest journal of the folder and its run.
    const auto [tipMb, tipMs] = inChild([&] {
        const RunJournal journal(journals);
        const QString newest = journal.newestFor(data);
        return !newest.isEmpty() && RunJournal::readHeader(newest, nullptr).has_value();
    });
    qint64 journalBytes = 0;
    for (const QFileInfo& f : QDir(journals).entryInfoList({QStringLiteral("run-*")}, QDir::Files))
        journalBytes += f.size();
    const auto [undoMb, undoMs] = inChild([&] {
        RunJournal journal(journals);
        const UndoResult r = undoLast(fs, journal, data);
        return r.status == UndoResult::Status::Done && r.restoredDays == kDays;
    });
    std::printf("run without journal   %8.1f MB %9.1f ms\n", bareMb, bareMs);
    std::printf("run with journal      %8.1f MB %9.1f ms   (journal adds %.1f MB; one day file is %.1f MB)\n", runMb,
                runMs, runMb - bareMb, kDayBytes / 1048576.0);
    std::printf("undo                  %8.1f MB %9.1f ms\n", undoMb, undoMs);
    std::printf("start-up tooltip read %8.1f MB %9.3f ms   (target 50 ms; journal on disk before undo: %.1f MB)\n", tipMb,
                tipMs, journalBytes / 1048576.0);
    return 0;
}
