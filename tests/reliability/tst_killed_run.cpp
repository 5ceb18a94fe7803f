// A countdown registration killed half-way leaves every day file as it was or
// as the complete run leaves it: never cut short, never empty, and the
// temporary file of the write in flight is never taken for a day file. The
// run's journal, written before the first day file, undoes it after a restart.
#include "TestSupport.h"
#include "days/DayEntry.h"
#include "days/DayFiles.h"
#include "days/RunJournal.h"
#include "platform/FileSystem.h"

#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace td;

namespace {

using Snapshot = QHash<QString, QByteArray>; // path under the data folder -> bytes

const QDate kFirst(2000, 1, 1), kLast(2009, 12, 31);
const QRegularExpression kDayFileName(QStringLiteral("^(\\d{4})_(\\d{1,2})/\\1_\\2\\.\\d{1,2}(_D)?$"));

QByteArray entry(int remaining)
{
    return test::cp949(DayEntry::countdown(QStringLiteral("["), QStringLiteral("Exam"), QStringLiteral("]"), remaining));
}

// Day files that already hold other notes, in the shapes Daybrook and this
// tool leave them; 2003 has none, so its month folders do not exist yet.
void writeNotes(const QString& folder)
{
    const QString data = folder + QLatin1Char('/');
    int i = 0;
    for (QDate d = kFirst; d <= kLast; d = d.addDays(1), ++i) {
        if (d.year() == 2003)
            continue;
        QByteArray note;
        if (i % 3 == 0) note = "[Meeting]\r\n";
        if (i % 7 == 0) note = "[A]\r\n[B]\r\nline three\r\n";
        if (i % 11 == 0) note = "\xff\xfe stray bytes\r\n";
        if (i % 13 == 0) // this run's own entry is there already
            note = entry(int(d.daysTo(kLast))) + "\n[old]\r\n";
        if (i % 19 == 0) note = test::cp949(QStringLiteral("[회의] 3시\n")) + "\r\n";
        if (note.isEmpty() && i % 17 != 0)
            continue;
        QDir().mkpath(DayFiles::monthFolder(data, d));
        if (!note.isEmpty())
            test::writeFile(DayFiles::dayFile(data, d), note);
        if (i % 17 == 0) // finished items, which a run never touches
            test::writeFile(DayFiles::companionFile(data, d), "[done]\r\n");
    }
}

Snapshot snapshot(const QString& folder)
{
    Snapshot s;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = it.next();
        s.insert(QDir(folder).relativeFilePath(path), test::readFile(path));
    }
    return s;
}

// A kill ends the process, not the machine: what reached the page cache stays,
// so a memory-backed folder shows the same and keeps the test off a busy disk.
struct ScratchDir : QTemporaryDir {
    ScratchDir() : QTemporaryDir(root() + QStringLiteral("/tunedesk-killed-run-XXXXXX")) {}
    static QString root() { return QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath(); }
};

// Runs the widest registration over the folder, with its journal in the other, to its
// end or, given a percentage, kills it (SIGKILL) once its progress passes that; false
// when it went otherwise. Once a quarter is done, meanwhile(pid) runs while the run goes on.
bool run(const QString& folder, const QString& journal, double killAt = 0, const std::function<void(qint64)>& meanwhile = {})
{
    QProcess process;
    process.start(QStringLiteral(TD_DDAY_RUNNER), {folder + QLatin1Char('/'), journal});
    if (killAt == 0)
        return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    QByteArray pending;
    bool quarter = false;
    while (process.waitForReadyRead(20000)) {
        pending += process.readAllStandardOutput();
        for (qsizetype nl; (nl = pending.indexOf('\n')) >= 0; pending.remove(0, nl + 1)) {
            if (pending.startsWith("done"))
                return false;
            if (meanwhile && !quarter && pending.left(nl).toDouble() >= 25) {
                quarter = true;
                meanwhile(process.processId());
            }
            if (pending.left(nl).toDouble() >= killAt) {
                process.kill();
                return process.waitForFinished(20000) && process.exitStatus() == QProcess::CrashExit;
            }
        }
    }
    return false;
}

} // namespace

class TestKilledRun : public QObject {
    Q_OBJECT

private slots:
    void killedRun()
    {
        ScratchDir dir, state;
        writeNotes(dir.path());
        const Snapshot before = snapshot(dir.path());
        QVERIFY(before.size() > 1000);
        const QString journalFolder = state.path() + QStringLiteral("/tunedesk/journal");
        // Another copy (this process: its own runtime folder, the same journals) can
        // neither undo nor start a run while the run writes, and is told who holds it.
        QtFileSystem fs;
        UndoResult meanwhile;
        DayRunResult second;
        qint64 runner = 0;
        const auto tryMeanwhile = [&](qint64 pid) {
            runner = pid;
            RunJournal journal(journalFolder);
            meanwhile = undoLast(fs, journal, dir.path() + QLatin1Char('/'));
            DayPlan plan;
            plan.days.append(DayChange{QDate(2003, 1, 1), dir.path() + QStringLiteral("/x"), std::nullopt, QByteArray("[x]\r\n")});
            second = executePlan(fs, dir.path() + QLatin1Char('/'), plan, &journal, RunLabel{});
        };
        QVERIFY2(run(dir.path(), journalFolder, 50.0, tryMeanwhile), "the run ended before it could be killed");
        QCOMPARE(int(meanwhile.status), int(UndoResult::Status::Busy));
        QCOMPARE(meanwhile.busy.reason, QStringLiteral("in use by another copy of Tunedesk (process %1)").arg(runner));
        QVERIFY(second.busy && second.changedDays == 0);
        QVERIFY(!QFileInfo::exists(dir.path() + QStringLiteral("/x")));
        const Snapshot killed = snapshot(dir.path());
        // Only the write in flight may leave its temporary file, hidden from every lookup of a day file.
        int leftovers = 0;
        for (auto it = killed.cbegin(); it != killed.cend(); ++it) {
            if (kDayFileName.match(it.key()).hasMatch())
                continue;
            ++leftovers;
            QVERIFY2(QFileInfo(it.key()).fileName().startsWith(QLatin1Char('.')), qPrintable(it.key()));
            QVERIFY(!fs.fileExists(dir.path() + QLatin1Char('/') + it.key()));
        }
        QVERIFY(leftovers <= 1);

        // A new process finds the journal by its folder alone and undoes the run: every file as before.
        RunJournal journal(journalFolder);
        QCOMPARE(journal.files().size(), 1);
        const UndoResult r = undoLast(fs, journal, dir.path() + QLatin1Char('/'));
        QCOMPARE(int(r.status), int(UndoResult::Status::Done));
        QVERIFY(r.changedSince.isEmpty() && r.failedDays == 0 && r.restoredDays > 100);
        QVERIFY(snapshot(dir.path()) == before);
        QVERIFY(journal.files().isEmpty());

        // What the complete run leaves: a file for every day, and nothing but day files.
        QVERIFY(run(dir.path(), state.path() + QStringLiteral("/complete")));
        const Snapshot after = snapshot(dir.path());
        int dayFiles = 0;
        for (auto it = after.cbegin(); it != after.cend(); ++it) {
            QVERIFY2(kDayFileName.match(it.key()).hasMatch() && !it.value().isEmpty(), qPrintable(it.key()));
            dayFiles += !it.key().endsWith(QLatin1String("_D"));
        }
        QCOMPARE(dayFiles, int(kFirst.daysTo(kLast)) + 1);

        // Every day file the kill left is present or absent, and whole, as before the run or as after it.
        QSet<QString> names(killed.keyBegin(), killed.keyEnd());
        int asBefore = 0, asAfter = 0;
        for (const QString& name : names.unite(QSet<QString>(after.keyBegin(), after.keyEnd()))) {
            if (!kDayFileName.match(name).hasMatch())
                continue;
            const QByteArray now = killed.value(name);
            const bool old = killed.contains(name) == before.contains(name) && now == before.value(name);
            const bool done = killed.contains(name) == after.contains(name) && now == after.value(name);
            QVERIFY2(old || done, qPrintable(QStringLiteral("%1 is neither as before nor as after").arg(name)));
            if (before.value(name) != after.value(name))
                (done ? asAfter : asBefore)++;
        }
        QVERIFY2(asAfter > 100 && asBefore > 100,
                 qPrintable(QStringLiteral("killed with %1 days done and %2 to go").arg(asAfter).arg(asBefore)));
    }
};

QTEST_GUILESS_MAIN(TestKilledRun)
#include "tst_killed_run.moc"
