// Runs the widest countdown registration (2000/1/1 to 2009/12/31, every day)
// over the data folder given as the first argument, with its journal in the
// folder given as the second, printing its progress, so that a test can kill
// it half-way.
#include "days/DayEntry.h"
#include "days/RunJournal.h"
#include "platform/FileSystem.h"
#include "schedule/DayRun.h"

#include <QCoreApplication>
#include <cstdio>

using namespace td;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const QString dataFolder = QString::fromLocal8Bit(argv[1]);
    const DDayChoices widest{QStringLiteral("2000"), QStringLiteral("1"), QStringLiteral("1"),
                             QStringLiteral("2009"), QStringLiteral("12"), QStringLiteral("31"), QStringLiteral("1")};
    const std::optional<DayRange> range = ddayDays(widest);
    if (!range)
        return 3;
    QtFileSystem fs;
    RunJournal journal(QString::fromLocal8Bit(argv[2]));
    const RunLabel label{QStringLiteral("dday-register"), QDate(2000, 1, 1), QDate(2009, 12, 31), QStringLiteral("[Exam D-xxx]")};
    const DayRunResult r = runDays(
        fs, dataFolder, *range, DayAction::Register,
        [](const MatchedDay& d) { return DayEntry::countdown(QStringLiteral("["), QStringLiteral("Exam"), QStringLiteral("]"), d.remaining); },
        [](double percent) { std::printf("%.3f\n", percent), std::fflush(stdout); }, &journal, &label);
    std::printf("done %d %d\n", r.changedDays, r.failedDays);
    return r.ok() ? 0 : 1;
}
