#include "TestSupport.h"

#include "days/DayEntry.h"
#include "days/DayFiles.h"
#include "days/RunJournal.h"
#include "schedule/DayRun.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTest>

using namespace td;
using namespace td::test;

namespace {

using Snapshot = QMap<QString, QByteArray>; // every file under the folder -> bytes

QString countdown(const MatchedDay& d) { return DayEntry::countdown("[", "Exam", "]", d.remaining); }

// Eight days, every 2nd from 27 February 2004, in a fresh data folder, and a journal folder apart from it.
struct Days : Fixture {
    QTemporaryDir state;
    QString data = services.DataFolder;
    const DayRange range = *ddayDays({"2004", "2", "27", "2004", "3", "12", "2"});
    RunJournal journal{state.path() + "/tunedesk/journal"};
    Days() { writeDays(data); }
    // Files in the shapes Daybrook, this tool and hand editing leave them; null = no file.
    void writeDays(const QString& folder) const
    {
        const QList<QByteArray> days{
            "[Exam D-14]\r\n",       // only this run's entry: removing deletes it
            "[X]\n[Y]\r\n",          // lone LF inside a line
            "\r\n\r\n[X]\r\n",       // empty lines on top, which a rewrite drops
            QByteArray(),            // no file: register creates it
            "\xff\xfe stray\r[B]",   // bytes CP949 does not know, lone CR, no final line end
            "[Exam D-4]\n[old]\r\n", // this run's entry already there
            QByteArray(),
            "[A]\r\n\r\n[B]\r\n",
        };
        for (int i = 0; i < days.size(); ++i) {
            if (!days[i].isNull())
                writeFile(DayFiles::dayFile(folder, range.days[i].date), days[i]);
        }
    }
    Snapshot files() const
    {
        Snapshot s;
        for (QDirIterator it(dir.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
            const QString path = it.next();
            s.insert(path, readFile(path));
        }
        return s;
    }
    DayRunResult run(DayAction action)
    {
        const QString kind = action == DayAction::Register ? "dday-register" : "dday-remove";
        const RunLabel l{kind, QDate(2004, 2, 27), QDate(2004, 3, 12), "[Exam D-xxx]"};
        return runDays(fs, data, range, action, countdown, {}, &journal, &l);
    }
};

} // namespace

class TestRunJournal : public QObject {
    Q_OBJECT
private slots:
    // Undo after register and remove gives back every file byte for byte: files
    // the run created go, files it deleted return.
    void undoGivesBackEveryByte()
    {
        Days fx;
        QList<Snapshot> steps{fx.files()};
        for (DayAction action : {DayAction::Register, DayAction::Remove}) {
            QVERIFY(fx.run(action).ok());
            steps << fx.files();
            QVERIFY(steps.last() != steps[steps.size() - 2]);
        }
        // Each undo takes back the newest run left, down to the files as they were.
        while (steps.size() > 1) {
            steps.removeLast();
            const UndoResult r = undoLast(fx.fs, fx.journal, fx.data);
            QCOMPARE(int(r.status), int(UndoResult::Status::Done));
            QVERIFY(r.changedSince.isEmpty() && r.failedDays == 0);
            QCOMPARE(fx.files(), steps.last());
        }
        QVERIFY(fx.journal.files().isEmpty());
        QCOMPARE(int(undoLast(fx.fs, fx.journal, fx.data).status), int(UndoResult::Status::NothingToUndo));
        QVERIFY(!QFileInfo::exists(fx.path("tunedesk"))); // never in the data folder
    }

    // The preview's days and counts are what the run then does to the files.
    void planIsWhatTheRunDoes_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<QList<int>>("counts"); // new, changed, deleted, unchanged
        QTest::newRow("register") << int(DayAction::Register) << QList<int>{2, 4, 0, 2};
        // Remove leaves the days it does not find the entry in as they are, CR LF and all.
        QTest::newRow("remove") << int(DayAction::Remove) << QList<int>{0, 1, 1, 6};
    }
    void planIsWhatTheRunDoes()
    {
        QFETCH(int, action);
        QFETCH(QList<int>, counts);
        Days fx;
        Snapshot before = fx.files();
        const DayPlan plan = planRun(fx.fs, fx.data, fx.range, DayAction(action), countdown);
        QCOMPARE(fx.files(), before); // the plan writes nothing
        using K = DayChange::Kind;
        QCOMPARE((QList<int>{plan.count(K::New), plan.count(K::Changed), plan.count(K::Deleted), plan.count(K::Unchanged)}),
                 counts);

        QVERIFY(runDays(fx.fs, fx.data, fx.range, DayAction(action), countdown).ok());
        for (const DayChange& c : plan.days) {
            QCOMPARE(c.path, DayFiles::dayFile(fx.data, c.date));
            if (c.after)
                before[c.path] = *c.after;
            else
                before.remove(c.path);
        }
        QCOMPARE(fx.files(), before); // each day as planned, the rest of the folder untouched
    }

    // A day changed since the run, by the calendar or by hand, is left alone and named.
    void dayChangedSinceTheRunIsLeftAlone()
    {
        Days fx;
        Snapshot before = fx.files();
        QVERIFY(fx.run(DayAction::Register).ok());

        // A note edited, a day the run created edited, a day the run created deleted.
        const QString edited = DayFiles::dayFile(fx.data, fx.range.days[1].date);
        const QString created = DayFiles::dayFile(fx.data, fx.range.days[6].date);
        before.insert(edited, "[Exam D-12]\n[X]\n[Y]\r\n[mine]\r\n");
        before.insert(created, "[Exam D-2]\r\n[mine]\r\n");
        writeFile(edited, before[edited]);
        writeFile(created, before[created]);
        QVERIFY(QFile::remove(DayFiles::dayFile(fx.data, fx.range.days[3].date)));
        const UndoResult r = undoLast(fx.fs, fx.journal, fx.data);
        QCOMPARE(int(r.status), int(UndoResult::Status::Done));
        QCOMPARE(r.changedSince, (QStringList{edited, created}));
        QCOMPARE(r.restoredDays, 3); // eight days less two unchanged, two edited and the one deleted by hand
        QCOMPARE(fx.files(), before);
    }

    // A journal that is cut short or damaged is refused and set aside; no day file is touched.
    void badJournalIsRefused_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("problem");
        // clang-format off
        QTest::newRow("cut short") << "cut" << int(JournalProblem::CutShort);
        QTest::newRow("one byte changed") << "flip" << int(JournalProblem::Damaged);
        // clang-format on
    }
    void badJournalIsRefused()
    {
        QFETCH(QString, how);
        QFETCH(int, problem);
        Days fx;
        QVERIFY(fx.run(DayAction::Register).ok());
        const QString file = fx.journal.files().value(0);
        QByteArray bytes = readFile(file);
        if (how == "cut")
            bytes.truncate(bytes.size() / 2);
        else if (how == "flip")
            bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x20);
        writeFile(file, bytes);

        const Snapshot after = fx.files();
        const UndoResult r = undoLast(fx.fs, fx.journal, fx.services.DataFolder);
        QCOMPARE(int(r.status), int(UndoResult::Status::Refused));
        QCOMPARE(int(r.problem), problem);
        QCOMPARE(r.journalPath, file);
        QCOMPARE(fx.files(), after);
        QCOMPARE(readFile(file + ".refused"), bytes);
        QVERIFY(fx.journal.files().isEmpty());
    }

    // Each data folder keeps its own ten last runs, newest first; refused journals beyond ten
    // and what killed journal writes left go. Undo in one folder passes over the other's
    // journals and keeps them.
    void everyFolderKeepsItsRuns()
    {
        Days fx;
        QTemporaryDir elsewhere;
        const QString other = elsewhere.path() + "/";
        QDir().mkpath(fx.journal.folder());
        for (int i = 1; i <= 12; ++i)
            writeFile(fx.journal.folder() + QStringLiteral("/run-%1.journal.refused").arg(i, 6, 10, QLatin1Char('0')), "x");
        writeFile(fx.journal.folder() + QStringLiteral("/.run-000013.journal.tmp"), "cut");
        const DayRange one = *ddayDays({"2004", "3", "1", "2004", "3", "2", "1"});
        Snapshot before;
        for (int run = 0; run < 24; ++run) {
            const RunLabel l{"dday-register", QDate(2004, 3, 1), QDate(2004, 3, 2), QString::number(run)};
            const DayAction action = run % 4 > 1 ? DayAction::Remove : DayAction::Register;
            if (run == 4)
                before = fx.files();
            QVERIFY(runDays(fx.fs, run % 2 ? other : fx.data, one, action, countdown, {}, &fx.journal, &l).ok());
        }
        const QStringList files = fx.journal.files();
        QCOMPARE(files.size(), 20);
        for (int i = 0; i < files.size(); ++i)
            QCOMPARE(RunJournal::read(files[i], nullptr)->label.entry, QString::number(23 - i));
        for (int i = 0; i < 10; ++i)
            QCOMPARE(undoLast(fx.fs, fx.journal, fx.data).label.entry, QString::number(22 - 2 * i));
        QCOMPARE(fx.files(), before);
        QCOMPARE(fx.journal.files().size(), 10);
        QCOMPARE(int(undoLast(fx.fs, fx.journal, fx.data).status), int(UndoResult::Status::NothingToUndo));
        QCOMPARE(RunJournal::read(fx.journal.newestFor(other), nullptr)->label.entry, QString("23"));
        const QStringList left = QDir(fx.journal.folder()).entryList({QStringLiteral("*.refused"), QStringLiteral(".*.tmp")}, QDir::Files | QDir::Hidden);
        QCOMPARE(left.size(), 10);
        QCOMPARE(left.first(), QStringLiteral("run-000003.journal.refused"));
    }

    // A journal that cannot be written stops the run before any day file is touched.
    void unwritableJournalStopsTheRun()
    {
        Days fx;
        writeFile(fx.state.path() + "/tunedesk", "a file where the folder should be");
        const Snapshot before = fx.files();
        const DayRunResult r = fx.run(DayAction::Register);
        QVERIFY(!r.ok() && !r.journalFailure.ok);
        QCOMPARE(fx.files(), before);
    }
};

QTEST_GUILESS_MAIN(TestRunJournal)
#include "tst_runjournal.moc"
