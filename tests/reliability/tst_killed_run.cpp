// A countdown registration killed half-way leaves every day file as it was or
// as the complete run leaves it: never cut short, never empty, and the
// temporary files of the write in flight are never taken for day files. The
// run's journal, written before the first day file, undoes it after a restart.
#include "TestSupport.h"
#include "days/DayEntry.h"
#include "days/DayFiles.h"
#include "days/RunJournal.h"
#include "platform/Cp949.h"
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
    return Cp949::encode(DayEntry::countdown(QStringLiteral("["), QStringLiteral("Exam"), QStringLiteral("]"), remaining)).bytes;
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
        if (i % 19 == 0) note = Cp949::encode(QStringLiteral("[회의] 3시\n")).bytes + "\r\n";
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

bool hidden(const QString& name) { return QFileInfo(name).fileName().startsWith(QLatin1Char('.')); }

// A kill ends the process, not the machine: what reached the page cache stays,
// so a memory-backed folder shows the same and keeps the test off a busy disk.
struct ScratchDir : QTemporaryDir {
    ScratchDir() : QTemporaryDir(root() + QStringLiteral("/tunedesk-killed-run-XXXXXX")) {}
    static QString root() { return QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath(); }
};

// Runs the widest registration over the folder to its end or, given a percentage,
// kills it (SIGKILL) once its progress passes that; false when it went otherwise.
bool run(const QString& folder, double killAt = 0, const QString& journal = {})
{
    QProcess process;
    QStringList args{folder + QLatin1Char('/')};
    if (!journal.isEmpty())
        args << journal;
    process.start(QStringLiteral(TD_DDAY_RUNNER), args);
    if (killAt == 0)
        return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    QByteArray pending;
    while (process.waitForReadyRead(20000)) {
        pending += process.readAllStandardOutput();
        for (qsizetype nl; (nl = pending.indexOf('\n')) >= 0; pending.remove(0, nl + 1)) {
            if (pending.startsWith("done"))
                return false;
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

    ScratchDir beforeDir_, afterDir_;
    Snapshot before_, after_;

private slots:
    void initTestCase()
    {
        writeNotes(beforeDir_.path());
        before_ = snapshot(beforeDir_.path());
        QVERIFY(before_.size() > 1000);
        // What a complete run leaves: a file for every day, and nothing but day files.
        writeNotes(afterDir_.path());
        QVERIFY(run(afterDir_.path()));
        after_ = snapshot(afterDir_.path());
        int dayFiles = 0;
        for (auto it = after_.cbegin(); it != after_.cend(); ++it) {
            QVERIFY2(kDayFileName.match(it.key()).hasMatch() && !it.value().isEmpty(), qPrintable(it.key()));
            dayFiles += !it.key().endsWith(QLatin1String("_D"));
        }
        QCOMPARE(dayFiles, int(kFirst.daysTo(kLast)) + 1);
    }

    // Killed half-way, then run again.
    void killedRunLeavesWholeFiles()
    {
        ScratchDir dir;
        writeNotes(dir.path());
        QVERIFY2(run(dir.path(), 50.0), "the run ended before it could be killed");

        const Snapshot now = snapshot(dir.path());
        int asBefore = 0, asAfter = 0, leftovers = 0;
        for (auto it = now.cbegin(); it != now.cend(); ++it) {
            const QString& name = it.key();
            if (!before_.contains(name) && !after_.contains(name)) {
                // Only the write in flight may leave its temporary file, hidden
                // so that no lookup of a day file can find it.
                ++leftovers;
                QVERIFY2(hidden(name) && !kDayFileName.match(name).hasMatch(), qPrintable(name));
                QVERIFY(!QtFileSystem().fileExists(dir.path() + QLatin1Char('/') + name));
                continue;
            }
            QVERIFY2(!it.value().isEmpty(), qPrintable(name));
            const bool old = before_.contains(name) && it.value() == before_.value(name);
            const bool done = after_.contains(name) && it.value() == after_.value(name);
            QVERIFY2(old || done, qPrintable(QStringLiteral("%1 is neither as before nor as after").arg(name)));
            if (before_.value(name) != after_.value(name))
                (done ? asAfter : asBefore)++;
        }
        // A day file that was there stays there; a day the run had not reached has none.
        for (auto it = before_.cbegin(); it != before_.cend(); ++it)
            QVERIFY2(now.contains(it.key()), qPrintable(it.key()));
        for (auto it = after_.cbegin(); it != after_.cend(); ++it)
            asBefore += !now.contains(it.key());
        QVERIFY(leftovers <= 1);
        QVERIFY2(asAfter > 100 && asBefore > 100,
                 qPrintable(QStringLiteral("killed with %1 days done and %2 to go").arg(asAfter).arg(asBefore)));

        // Running again finishes the job: the complete run's files, whatever was killed.
        QVERIFY(run(dir.path()));
        Snapshot finished = snapshot(dir.path());
        finished.removeIf([&](const auto& it) { return !after_.contains(it.key()) && hidden(it.key()); });
        QCOMPARE(finished.size(), after_.size());
        QVERIFY(finished == after_);
    }

    // Killed half-way, restarted, undone: every file as before the run.
    void killedRunIsUndone()
    {
        ScratchDir dir, state;
        writeNotes(dir.path());
        const QString journalFolder = state.path() + QStringLiteral("/tunedesk/journal");
        QVERIFY2(run(dir.path(), 50.0, journalFolder), "the run ended before it could be killed");
        QVERIFY(snapshot(dir.path()) != before_);

        // A new process would find the journal the same way: by its folder alone.
        QtFileSystem fs;
        RunJournal journal(journalFolder);
        QCOMPARE(journal.files().size(), 1);
        const UndoResult r = undoLast(fs, journal, dir.path() + QLatin1Char('/'));
        QCOMPARE(int(r.status), int(UndoResult::Status::Done));
        QVERIFY(r.changedSince.isEmpty() && r.failedDays == 0 && r.restoredDays > 100);
        QVERIFY(snapshot(dir.path()) == before_);
        QVERIFY(journal.files().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestKilledRun)
#include "tst_killed_run.moc"
