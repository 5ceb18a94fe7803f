#include "TestSupport.h"

#include "days/DayEntry.h"
#include "days/DayFiles.h"
#include "days/RunJournal.h"
#include "days/RunMessages.h"
#include "schedule/DayRun.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QDataStream>
#include <QTest>
#include <QThread>

#include <sys/stat.h>

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
        // A day larger than the journal's chunks, and one the remove deletes, with a mode of its own.
        const QString big = DayFiles::dayFile(fx.data, fx.range.days[7].date), deleted = DayFiles::dayFile(fx.data, fx.range.days[0].date);
        writeFile(big, QByteArray(3 * 1024 * 1024 / 8, 'x').replace("x", "[memo]\r\n"));
        QVERIFY(::chmod(QFile::encodeName(deleted).constData(), 0604) == 0);
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
            QVERIFY(r.changedSince.isEmpty() && r.failed.isEmpty());
            QCOMPARE(fx.files(), steps.last());
        }
        QVERIFY(fx.journal.files().isEmpty());
        QCOMPARE(int(undoLast(fx.fs, fx.journal, fx.data).status), int(UndoResult::Status::NothingToUndo));
        QVERIFY(!QFileInfo::exists(fx.path("tunedesk"))); // never in the data folder
        struct stat st;
        QVERIFY(::stat(QFile::encodeName(deleted).constData(), &st) == 0 && (st.st_mode & 07777) == 0604);
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

    // A plan that waited (a preview) plans a day saved meanwhile again, from what is there then.
    void dayChangedSinceThePlanIsPlannedAgain()
    {
        Days fx;
        const DayPlan plan = planRun(fx.fs, fx.data, fx.range, DayAction::Register, countdown);
        const QString saved = DayFiles::dayFile(fx.data, fx.range.days[7].date);
        writeFile(saved, "[mine]\r\n");
        const DayRunResult r = executePlan(fx.fs, fx.data, plan, nullptr, RunLabel{});
        QVERIFY(r.ok());
        QCOMPARE(r.replanned, QStringList{saved});
        QCOMPARE(readFile(saved), QByteArray("[Exam D-0]\n[mine]\r\n"));
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

    // A run reads each file once, for its plan and journal, and a month without its
    // folder not at all; a file the calendar saves while the run goes on (for a
    // remove: rewritten in place, same size) is still told and left alone.
    void eachFileIsReadOnce_data()
    {
        QTest::addColumn<int>("action");
        QTest::newRow("remove") << int(DayAction::Remove);
        QTest::newRow("register in a month without its folder") << int(DayAction::Register);
    }
    void eachFileIsReadOnce()
    {
        QFETCH(int, action);
        const bool remove = DayAction(action) == DayAction::Remove;
        Fixture fx;
        const QString data = fx.services.DataFolder;
        const DayRange range = *ddayDays({"2004", "3", "1", "2004", "3", "5", "1"});
        if (remove) {
            for (const MatchedDay& d : range.days)
                writeFile(DayFiles::dayFile(data, d.date), cp949(countdown(d)) + "\r\n");
            QThread::msleep(200); // written well before the plan reads them
            struct stat st;
            QVERIFY(::stat(QFile::encodeName(DayFiles::dayFile(data, range.days[0].date)).constData(), &st) == 0);
            if (st.st_ctim.tv_nsec == 0)
                QSKIP("the file system keeps whole seconds: every file is read again");
        }
        DayPlan plan = planRun(fx.fs, data, range, DayAction(action), countdown);
        plan.fresh = true;
        QCOMPARE(fx.fs.reads, remove ? 5 : 0);
        QCOMPARE(plan.count(remove ? DayChange::Kind::Deleted : DayChange::Kind::New), 5);
        const QString saved = DayFiles::dayFile(data, range.days[3].date);
        const QByteArray mine = "[Call Kim]\r\n";
        if (remove) // as long as what the plan read
            QCOMPARE(mine.size(), readFile(saved).size());
        QTemporaryDir state;
        RunJournal journal(state.path());
        const int reads = fx.fs.reads;
        const DayRunResult r = executePlan(fx.fs, data, plan, &journal, RunLabel{"dday", {}, {}, "[Exam]"}, [&](int i) {
            if (i == 0) {
                QFile f(saved);
                QVERIFY(f.open(QIODevice::ReadWrite) && f.write(mine) == mine.size());
            }
        });
        QCOMPARE(r.leftAlone, QStringList{saved});
        QCOMPARE(r.changedDays, 4);
        QCOMPARE(fx.fs.reads - reads, 1); // the saved file alone, before its write
        QCOMPARE(readFile(saved), mine);
        const UndoResult u = undoLast(fx.fs, journal, data);
        QCOMPARE(u.restoredDays, 4);
        QCOMPARE(u.changedSince, QStringList{saved});
    }

    // A month folder deleted and made again while a run writes into it (the calendar
    // tidying an emptied month) takes the rest of its days in the new folder.
    void monthFolderMadeAgainDuringTheRun()
    {
        Days fx;
        const DayRange may = *ddayDays({"2004", "5", "1", "2004", "5", "20", "1"});
        const QString month = DayFiles::monthFolder(fx.data, QDate(2004, 5, 1));
        QVERIFY(QDir().mkdir(month));
        DayPlan plan = planRun(fx.fs, fx.data, may, DayAction::Register, countdown);
        plan.fresh = true;
        const DayRunResult r = executePlan(fx.fs, fx.data, plan, nullptr, RunLabel{}, [&](int i) {
            if (i == 9) // well into the month
                QVERIFY(QDir(month).removeRecursively() && QDir().mkdir(month));
        });
        QVERIFY2(r.failedDays == 0, qPrintable(r.firstFailure + ": " + r.firstReason));
        QCOMPARE(QDir(month).entryList(QDir::Files).size(), 10);
    }

    // A month folder a run made goes with its Undo, whether the run came straight
    // from its plan or from a preview that waited.
    void undoTakesTheMonthFolderItMade_data()
    {
        QTest::addColumn<bool>("fresh");
        QTest::newRow("straight from the plan") << true;
        QTest::newRow("after a preview") << false;
    }
    void undoTakesTheMonthFolderItMade()
    {
        QFETCH(bool, fresh);
        Days fx;
        DayPlan plan = planRun(fx.fs, fx.data, *ddayDays({"2004", "5", "3", "2004", "5", "4", "1"}), DayAction::Register, countdown);
        plan.fresh = fresh;
        QVERIFY(executePlan(fx.fs, fx.data, plan, &fx.journal, RunLabel{"dday-register", {}, {}, "[Exam]"}).ok());
        const QString month = DayFiles::monthFolder(fx.data, QDate(2004, 5, 3));
        QVERIFY(QFileInfo(month).isDir());
        QCOMPARE(undoLast(fx.fs, fx.journal, fx.data).removedFolders, QStringList{month});
        QVERIFY(!QFileInfo::exists(month));
    }

    // A journal that is cut short or damaged is refused and set aside; no day file is touched.
    void badJournalIsRefused_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("problem");
        // clang-format off
        QTest::newRow("cut short") << "cut" << int(JournalProblem::CutShort);
        QTest::newRow("one byte changed") << "flip" << int(JournalProblem::Damaged);
        QTest::newRow("header edited") << "header" << int(JournalProblem::Damaged);
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
        else
            bytes[how == "flip" ? bytes.size() / 2 : 40] ^= 0x20;
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

    // A day Undo cannot put back is named and left. One that cannot be read now blocks no
    // other day and no older run: the journal goes. One a full disk kept from being written
    // keeps the journal, so Undo puts it back once there is room.
    void undoNamesWhatItCannotPutBack_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("message"); // opening, the day named ({day}), closing
        QTest::addColumn<int>("journalsLeft");
        // clang-format off
        QTest::newRow("day grown past the size limit") << "grown" << QStringList{
            "D-Day 삭제 [Exam D-xxx] 실행을 일부만 되돌렸습니다. 날짜 파일 7개를 이전 상태로 돌려놓았고, 1개는 돌려놓지 않았습니다.\r"
            "지금 읽을 수 없는 날짜 파일 1개는 그대로 두었습니다:",
            "\r{day}: larger than 64 MiB\r",
            "\r이 실행의 기록은 지웠습니다. 다음 되돌리기는 그 앞의 실행을 되돌립니다."} << 1;
        QTest::newRow("full disk") << "full" << QStringList{
            "D-Day 삭제 [Exam D-xxx] 실행을 되돌리지 못했습니다. 날짜 파일을 하나도 돌려놓지 않았습니다 (돌려놓지 않은 파일 8개).\r"
            "8개를 되돌리지 못했습니다:",
            "\r{day}: No space left on device\r",
            "\r실행 기록은 남겨 두었습니다. 원인을 없앤 뒤 되돌리기를 다시 누르면 나머지를 되돌립니다."} << 2;
        // clang-format on
    }
    void undoNamesWhatItCannotPutBack()
    {
        QFETCH(QString, how);
        QFETCH(QStringList, message);
        QFETCH(int, journalsLeft);
        Days fx;
        std::optional<ScratchMount> disk;
        if (how == "full") {
            disk.emplace(fx.dir.path());
            if (!disk->mounted())
                QSKIP("mounting a tmpfs needs the superuser");
            fx.writeDays(fx.data);
        }
        Snapshot before = fx.files();
        QVERIFY(fx.run(DayAction::Register).ok());
        QVERIFY(fx.run(DayAction::Remove).ok());
        const QString day = DayFiles::dayFile(fx.data, fx.range.days[how == "full" ? 0 : 1].date);
        const QString filler = fx.path(".filler");
        if (how == "full") {
            fillFileSystem(filler);
        } else {
            QFile grown(day);
            QVERIFY(grown.resize(qint64(65) * 1024 * 1024));
        }
        Snapshot left = fx.files();

        const UndoResult r = undoLast(fx.fs, fx.journal, fx.data);
        QCOMPARE(int(r.status), int(UndoResult::Status::Done));
        const QString text = RunMessages::undone(true, r);
        QVERIFY2(text.startsWith(message[0]) && text.contains(message[1].replace("{day}", day)) && text.endsWith(message[2]),
                 qPrintable(text));
        QCOMPARE(fx.journal.files().size(), journalsLeft);
        if (how == "full") {
            QCOMPARE(fx.files(), left);
            QVERIFY(QFile::remove(filler));
            QVERIFY(RunMessages::undone(true, undoLast(fx.fs, fx.journal, fx.data)).startsWith("D-Day 삭제 [Exam D-xxx] 실행을 되돌렸습니다."));
        } else {
            before.remove(day);
        }
        // The run before it comes next.
        QCOMPARE(undoLast(fx.fs, fx.journal, fx.data).label.kind, QString("dday-register"));
        QVERIFY(fx.journal.files().isEmpty());
        left = fx.files();
        left.remove(day);
        before.remove(day);
        if (how == "full")
            QCOMPARE(readFile(day), QByteArray("[Exam D-14]\r\n"));
        QCOMPARE(left, before);
    }

    // With a journal folder that cannot be written (mounted read-only), a damaged journal is
    // refused and said not to be set aside, and neither it nor an undone journal that
    // cannot be removed keeps Undo from the runs before them.
    void readOnlyJournalFolder()
    {
        Days fx;
        ScratchMount disk(fx.journal.folder());
        if (!disk.mounted())
            QSKIP("mounting a tmpfs needs the superuser");
        const Snapshot before = fx.files();
        QVERIFY(fx.run(DayAction::Register).ok());
        const QString older = fx.journal.files().value(0), damaged = fx.journal.folder() + "/run-000002.journal";
        QByteArray bytes = readFile(older);
        bytes[bytes.size() / 2] ^= 0x20;
        writeFile(damaged, bytes);
        QVERIFY(disk.remountReadOnly());

        const UndoResult refused = undoLast(fx.fs, fx.journal, fx.data);
        QCOMPARE(int(refused.status), int(UndoResult::Status::Refused));
        QCOMPARE(RunMessages::journalRefused(true, refused),
                 QString("실행 기록 %1을(를) 적용하지 않았습니다: 손상되었거나 고쳐졌습니다.\r날짜 파일은 하나도 바꾸지 않았습니다. "
                         "이 기록을 %1.refused 로 옮기지 못했습니다 (Read-only file system). "
                         "프로그램을 끝낼 때까지 건너뛰며, 다음 되돌리기는 그 앞의 실행을 되돌립니다.")
                     .arg(damaged));
        QCOMPARE(readFile(damaged), bytes);

        const UndoResult undone = undoLast(fx.fs, fx.journal, fx.data);
        QCOMPARE(undone.journalPath, older);
        QCOMPARE(fx.files(), before);
        QVERIFY2(RunMessages::undone(true, undone).endsWith(QString("\r실행 기록 %1을(를) 지우지 못했습니다 (Read-only file system). "
                                                                    "프로그램을 끝낼 때까지 건너뛰며, 다음 되돌리기는 그 앞의 실행을 되돌립니다.")
                                                                .arg(older)),
                 qPrintable(RunMessages::undone(true, undone)));
        QCOMPARE(int(undoLast(fx.fs, fx.journal, fx.data).status), int(UndoResult::Status::NothingToUndo));
        QCOMPARE(fx.journal.files(), (QStringList{damaged, older}));
    }

    // A journal of the first format (every day in one envelope), left by an earlier
    // version, is still undone.
    void firstFormatIsStillUndone()
    {
        Days fx;
        const Snapshot before = fx.files();
        QVERIFY(fx.run(DayAction::Register).ok());
        const QString file = fx.journal.files().value(0);
        JournalReader reader(file);
        QVERIFY(reader.open(nullptr));
        const Journal j = reader.journal();
        QByteArray body;
        QDataStream out(&body, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_0);
        out << j.label.kind << j.dataFolder << qint64(j.label.first.toJulianDay()) << qint64(j.label.last.toJulianDay())
            << j.label.entry << qint64(j.made.toMSecsSinceEpoch()) << quint32(j.dayCount);
        for (JournalDay d; reader.next(d);) {
            out << qint64(d.date.toJulianDay()) << quint8((d.before ? 1 : 0) | (d.afterDigest ? 2 : 0) | (d.companion ? 4 : 0));
            if (d.before)
                out << *d.before;
            if (d.afterDigest)
                out << *d.afterDigest;
        }
        out << j.createdFolders;
        writeFile(file, RunJournal::sealEnvelope("TUNEDESK RUN JOURNAL 1\n", body));

        QCOMPARE(RunJournal::readHeader(file, nullptr)->dayCount, qint64(6));
        QCOMPARE(int(undoLast(fx.fs, fx.journal, fx.data).status), int(UndoResult::Status::Done));
        QCOMPARE(fx.files(), before);
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
            QCOMPARE(RunJournal::readHeader(files[i], nullptr)->label.entry, QString::number(23 - i));
        for (int i = 0; i < 10; ++i)
            QCOMPARE(undoLast(fx.fs, fx.journal, fx.data).label.entry, QString::number(22 - 2 * i));
        QCOMPARE(fx.files(), before);
        QCOMPARE(fx.journal.files().size(), 10);
        QCOMPARE(int(undoLast(fx.fs, fx.journal, fx.data).status), int(UndoResult::Status::NothingToUndo));
        QCOMPARE(RunJournal::readHeader(fx.journal.newestFor(other), nullptr)->label.entry, QString("23"));
        const QStringList left = QDir(fx.journal.folder()).entryList({QStringLiteral("*.refused"), QStringLiteral(".*.tmp")}, QDir::Files | QDir::Hidden);
        QCOMPARE(left.size(), 10);
        QCOMPARE(left.first(), QStringLiteral("run-000003.journal.refused"));

        // A data folder alone: its eleventh run drops its first.
        Days alone;
        for (int run = 0; run < 11; ++run) {
            const RunLabel l{"dday-register", QDate(2004, 3, 1), QDate(2004, 3, 2), QString::number(run)};
            QVERIFY(runDays(alone.fs, alone.data, one, run % 2 ? DayAction::Remove : DayAction::Register, countdown, {}, &alone.journal, &l).ok());
        }
        QCOMPARE(alone.journal.files().size(), 10);
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
