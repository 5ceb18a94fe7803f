// A countdown registration killed or cancelled half-way leaves every day file as
// it was or as the complete run leaves it: never cut short, never empty, and the
// temporary file of the write in flight is never taken for a day file. The
// run's journal, written before the first day file, undoes it after a restart.
#include "TestSupport.h"
#include "days/DayEntry.h"
#include "days/DayFiles.h"
#include "days/PercentBar.h"
#include "days/RunJournal.h"
#include "platform/FileSystem.h"
#include "schedule/DDayPage.h"

#include <QComboBox>
#include <QDirIterator>
#include <QLineEdit>
#include <QPushButton>
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

// Every day file left half-way is present or absent, and whole, as before the run or as after
// it; more than a hundred days each way.
void expectBeforeOrAfter(const Snapshot& mid, const Snapshot& before, const Snapshot& after)
{
    QSet<QString> names(mid.keyBegin(), mid.keyEnd());
    int asBefore = 0, asAfter = 0;
    for (const QString& name : names.unite(QSet<QString>(after.keyBegin(), after.keyEnd()))) {
        if (!kDayFileName.match(name).hasMatch())
            continue;
        const QByteArray now = mid.value(name);
        const bool old = mid.contains(name) == before.contains(name) && now == before.value(name);
        const bool done = mid.contains(name) == after.contains(name) && now == after.value(name);
        QVERIFY2(old || done, qPrintable(QStringLiteral("%1 is neither as before nor as after").arg(name)));
        if (before.value(name) != after.value(name))
            (done ? asAfter : asBefore)++;
    }
    QVERIFY2(asAfter > 100 && asBefore > 100,
             qPrintable(QStringLiteral("stopped with %1 days done and %2 to go").arg(asAfter).arg(asBefore)));
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
        QVERIFY(r.changedSince.isEmpty() && r.notBack() == 0 && r.restoredDays > 100);
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

        expectBeforeOrAfter(killed, before, after);
    }

    // The D-Day page's Cancel, clicked at half of the widest run, stops it after the day in
    // hand; the days done are journaled, said, and taken back by Undo, new month folders too.
    void cancelledRun()
    {
        ScratchDir dir, state;
        writeNotes(dir.path());
        const Snapshot before = snapshot(dir.path());
        test::Fixture f;
        f.services.DataFolder = dir.path() + QLatin1Char('/');
        f.services.journalFolder = state.path() + QStringLiteral("/journal");
        DDayPage page(f.services, nullptr);
        page.show();
        const char* lists[][2] = {{"CmbPYear(5)", "2000"}, {"CmbPmonth(5)", "1"}, {"CmbPDay(5)", "1"}, {"CmbPYear(4)", "2009"}, {"CmbPmonth(4)", "12"}, {"CmbPDay(4)", "31"}, {"CmbMDay2", "1"}};
        for (const auto& [name, text] : lists) {
            auto* list = page.findChild<QComboBox*>(QString::fromLatin1(name));
            list->setCurrentIndex(list->findText(QString::fromLatin1(text)));
        }
        test::control<QLineEdit>(page, "TxtRegPlan2")->setText(QStringLiteral("Exam"));
        auto* cancel = test::control<QPushButton>(page, "CmdCancelRun2");
        auto* bar = test::control<PercentBar>(page, "PrgBData2");
        QVERIFY(!cancel->isEnabled());
        bool othersLive = true;
        QObject::connect(bar, &QProgressBar::valueChanged, [&] {
            if (bar->percent() < 50 || !cancel->isEnabled())
                return;
            // Nothing else on the page may act meanwhile.
            othersLive = test::control<QPushButton>(page, "CmdUndo2")->isEnabled();
            QTest::mouseClick(cancel, Qt::LeftButton);
        });
        test::control<QPushButton>(page, "CmdDataInput2", 0)->click();
        QVERIFY(!othersLive && !cancel->isEnabled());
        const Snapshot cancelled = snapshot(dir.path());
        QCOMPARE(f.boxes.shown.size(), 1);
        const QRegularExpression said(QStringLiteral("^취소했습니다. 3653일 중 (\\d+)일을 처리했습니다."));
        const auto m = said.match(f.boxes.shown[0].text);
        // Clicked once the bar showed half; stopped well before the end.
        QVERIFY2(m.hasMatch() && m.captured(1).toInt() > 1826 && m.captured(1).toInt() < 3400, qPrintable(f.boxes.shown[0].text));

        test::control<QPushButton>(page, "CmdUndo2")->click();
        QVERIFY(snapshot(dir.path()) == before);
        QVERIFY(!QFileInfo::exists(dir.path() + "/2003_1")); // the month folders the run made go with it
        QVERIFY(run(dir.path(), state.path() + QStringLiteral("/complete")));
        expectBeforeOrAfter(cancelled, before, snapshot(dir.path()));
    }
};

QTEST_MAIN(TestKilledRun)
#include "tst_killed_run.moc"
