#include "TestSupport.h"

#include "days/DayEntry.h"
#include "days/DayFiles.h"
#include "days/RunJournal.h"
#include "schedule/DayRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace td;
using namespace td::test;

namespace {

auto fixed(const QString& entry)
{
    return [entry](const MatchedDay&) { return entry; };
}

DayRange oneDay(const QDate& day)
{
    return DayRange{0, {MatchedDay{day, 0, 0}}};
}

} // namespace

class TestDayFiles : public QObject {
    Q_OBJECT
private slots:
    void paths()
    {
        QCOMPARE(DayFiles::dayFile("/apps/cal/", QDate(2004, 12, 31)), QStringLiteral("/apps/cal/2004_12/2004_12.31"));
        // No separator is put after the data folder.
        QCOMPARE(DayFiles::dayFile("/plans", QDate(2004, 3, 5)), QStringLiteral("/plans2004_3/2004_3.5"));
    }

    // Leading empty lines go, later ones stay; LF and CR alone end a line too.
    void readingRule()
    {
        QCOMPARE(DayFiles::joinLines("\r\n\r\nA\nB\rC\r\n"), QStringLiteral("A\nB\nC"));
        QCOMPARE(DayFiles::joinLines("A\r\n\r\nB\r\n"), QStringLiteral("A\n\nB"));
    }

    // The file a register leaves: the entry on top, as LF-joined lines + CR LF.
    void merge_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QByteArray>("written");
        // clang-format off
        QTest::newRow("one-line file, entry inside") << QByteArray("[A]\n[B]\n[C]\r\n") << "[B]" << QByteArray("[B]\n[A]\n[B]\n[C]\r\n");
        QTest::newRow("already on top: left as it is") << QByteArray("[A]\r\n[B]\r\n[A]\r\n") << "[A]" << QByteArray("[A]\r\n[B]\r\n[A]\r\n");
        QTest::newRow("leading empty lines stay") << QByteArray("\r\n\r\n[B]\r\n") << "[A]" << QByteArray("[A]\n\n\n[B]\r\n");
        QTest::newRow("trailing LF left by a removal") << QByteArray("[X]\n\r\n") << "[A]" << QByteArray("[A]\n[X]\n\r\n");
        // clang-format on
    }
    void merge()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, entry);
        QFETCH(QByteArray, written);
        Fixture fx;
        const QDate day(2004, 3, 5);
        const QString path = DayFiles::dayFile(fx.services.DataFolder, day);
        writeFile(path, file);
        QVERIFY(runDays(fx.fs, fx.services.DataFolder, oneDay(day), DayAction::Register, fixed(entry)).ok());
        QCOMPARE(readFile(path), written);
    }

    // Markers and plan text lose their outer spaces only.
    void entryTrimsSpacesOnly()
    {
        QCOMPARE(DayEntry::regular("\t[ ", QStringLiteral(" 회의\u3000 "), " ]"), QStringLiteral("\t[회의\u3000]"));
        QCOMPARE(DayEntry::countdown(" [", "\tExam ", "]\t", 3), QStringLiteral("[\tExam D-3]\t"));
    }

    // Every occurrence goes, also within a longer part of the day.
    void remove()
    {
        QCOMPARE(DayFiles::removeEntry("[A]\n[B]\n[A]", "[A]"), QStringLiteral("[B]\n"));
        QCOMPARE(DayFiles::removeEntry("[A] moved\n[B]", "[A]"), QStringLiteral(" moved\n[B]"));
    }

    // A day left holding nothing but spaces loses its file (its folder stays); a
    // tab, an ideographic space or a line break is the user's and is kept.
    void blankDayIsDeleted_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after"); // empty: no file
        QTest::newRow("spaces") << QStringLiteral("  [A]") << QString();
        QTest::newRow("the entry alone") << QStringLiteral("[A]") << QString();
        QTest::newRow("tab") << QStringLiteral("\t[A]") << QStringLiteral("\t");
        QTest::newRow("ideographic space") << QStringLiteral("\u3000[A]") << QStringLiteral("\u3000");
        QTest::newRow("line break") << QStringLiteral("[A]\r\n \r\n ") << QStringLiteral(" \n ");
    }
    void blankDayIsDeleted()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        Fixture fx;
        const QDate day(2004, 3, 5);
        const QString path = DayFiles::dayFile(fx.services.DataFolder, day);
        writeFile(path, cp949(before) + "\r\n");
        const DayRunResult r = runDays(fx.fs, fx.services.DataFolder, oneDay(day), DayAction::Remove, fixed("[A]"));
        QVERIFY(r.ok());
        QCOMPARE(r.changedDays, 1);
        QCOMPARE(QFileInfo::exists(path), !after.isEmpty());
        if (!after.isEmpty())
            QCOMPARE(readFile(path), cp949(after) + "\r\n");
        QVERIFY(QFileInfo(DayFiles::monthFolder(fx.services.DataFolder, day)).isDir());
    }

    // Each day is stored as CP949 text + CR LF; the run flushes once, and reports
    // fractional progress up to 100.
    void progressAndOneFlush()
    {
        Fixture fx, idle;
        const QString data = fx.services.DataFolder;
        const DayRange range = *ddayDays({"2004", "3", "1", "2004", "3", "31", "7"});
        QList<double> seen;
        QVERIFY(runDays(fx.fs, data, range, DayAction::Register, fixed("[회의]"), [&](double p) { seen << p; }).ok());
        QCOMPARE(readFile(data + "2004_3/2004_3.31"), cp949(QStringLiteral("[회의]\r\n")));
        QCOMPARE(fx.fs.flushes, 1);
        QCOMPARE(seen.last(), 100.0);
        QVERIFY(std::is_sorted(seen.begin(), seen.end()));
        QCOMPARE(seen.first(), 2.0 / 30.0 * 100.0); // 3 March

        // Removing where nothing is there writes nothing and makes no folder.
        QVERIFY(runDays(idle.fs, idle.services.DataFolder, range, DayAction::Remove, fixed("[A]")).ok());
        QCOMPARE(QDir(idle.services.DataFolder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{});
        // A note that does not hold the entry is not touched: its CR LF stay, nothing is written.
        writeFile(idle.services.DataFolder + "2004_3/2004_3.31", "[B]\r\nnote\r\n");
        QVERIFY(runDays(idle.fs, idle.services.DataFolder, range, DayAction::Remove, fixed("[A]")).ok());
        QCOMPARE(readFile(idle.services.DataFolder + "2004_3/2004_3.31"), QByteArray("[B]\r\nnote\r\n"));
        QCOMPARE(idle.fs.flushes, 0);
    }

    // A write, delete, folder or flush the system refuses is a failed day, named,
    // never counted as done; the other day of the run still goes through.
    void refusedCallsAreCounted_data()
    {
        QTest::addColumn<QString>("call");
        QTest::addColumn<bool>("removing");
        QTest::addColumn<int>("failed");
        QTest::addColumn<bool>("firstDone"); // the first day's file is as the run wanted it
        QTest::newRow("write") << "write" << false << 1 << false;
        QTest::newRow("delete") << "delete" << true << 1 << false;
        QTest::newRow("folder") << "folder" << false << 1 << false;
        // Nothing written is known to be on disk: every written day counts as failed.
        QTest::newRow("flush") << "flush" << false << 2 << true;
    }
    void refusedCallsAreCounted()
    {
        QFETCH(QString, call);
        QFETCH(bool, removing);
        QFETCH(int, failed);
        QFETCH(bool, firstDone);
        Fixture fx;
        const QString data = fx.services.DataFolder;
        const QDate first(2004, 3, 1), last(2004, 3, 31);
        const DayRange range{30, {MatchedDay{first, 0, 0}, MatchedDay{last, 30, 0}}};
        if (removing) {
            writeFile(DayFiles::dayFile(data, first), "[A]\r\n");
            writeFile(DayFiles::dayFile(data, last), "[A]\r\n");
        } else if (call != "folder") {
            QVERIFY(QDir().mkpath(DayFiles::monthFolder(data, first)));
        }
        (call == "write"    ? fx.fs.failWriteAt
         : call == "delete" ? fx.fs.failRemoveAt
         : call == "folder" ? fx.fs.failMakeDirAt
                            : fx.fs.failFlushAt) = 1;
        const DayRunResult r =
            runDays(fx.fs, data, range, removing ? DayAction::Remove : DayAction::Register, fixed("[A]"));
        QCOMPARE(r.failedDays, failed);
        QVERIFY(!r.ok());
        QVERIFY2(r.firstReason.startsWith("injected"), qPrintable(r.firstReason));
        // The first day is as the run wanted only when the flush alone failed.
        QCOMPARE(QFileInfo::exists(DayFiles::dayFile(data, first)) != removing, firstDone);
        QCOMPARE(QFileInfo::exists(DayFiles::dayFile(data, last)), !removing);
    }

    // The journal is on disk, synced, before the first day file is touched; one that
    // cannot be written stops the run with every day as it was and leaves no part behind.
    void journalGoesFirst()
    {
        for (const bool journalFails : {false, true}) {
            Fixture fx;
            QTemporaryDir state;
            RunJournal journal(state.path());
            const QString data = fx.services.DataFolder, path = DayFiles::dayFile(data, QDate(2004, 3, 5));
            writeFile(path, "[B]\r\n");
            fx.fs.failWriteAt = journalFails ? 1 : 0;
            const DayRange range{30, {MatchedDay{QDate(2004, 3, 1), 0, 0}, MatchedDay{QDate(2004, 3, 5), 4, 0}}};
            const DayRunResult r = runDays(fx.fs, data, range, DayAction::Register, fixed("[A]"), {}, &journal);
            QCOMPARE(r.journalFailure.ok, !journalFails);
            QCOMPARE(fx.fs.writeLog.size(), journalFails ? 1 : 3);
            QVERIFY2(fx.fs.writeLog.first().startsWith("commit synced " + state.path()), qPrintable(fx.fs.writeLog.join('\n')));
            QCOMPARE(readFile(path), journalFails ? QByteArray("[B]\r\n") : QByteArray("[A]\n[B]\r\n"));
            QCOMPARE(QDir(state.path()).entryList(QDir::Files | QDir::Hidden).size(), journalFails ? 1 : 2); // the lock
        }
    }

    // A day the run may not write, or too large to read, shows in the plan as failing, fails
    // alone and is left as it was; the run goes on and says how many days failed and where first.
    void failuresAreCounted_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("removing");
        QTest::addColumn<int>("failed");
        // clang-format off
        QTest::newRow("read-only month folder") << "read-only month" << false << 2;
        QTest::newRow("read-only day file") << "read-only day" << false << 1;
        QTest::newRow("another user's day file") << "other's day" << false << 1;
        QTest::newRow("30 GB day file") << "huge day" << false << 1;
        QTest::newRow("30 GB day file, removing") << "huge day" << true << 1;
        // clang-format on
    }
    void failuresAreCounted()
    {
        QFETCH(QString, how);
        QFETCH(bool, removing);
        QFETCH(int, failed);
        if (how == "other's day" && ::geteuid() != 0)
            QSKIP("needs the superuser to own the file the run's user may not write");
        Fixture fx;
        const QString data = fx.services.DataFolder;
        // 1 and 31 March, 30 April.
        const DayRange range = *ddayDays({"2004", "3", "1", "2004", "4", "30", "30"});
        const QString first = DayFiles::dayFile(data, QDate(2004, 3, 1));
        const QByteArray month = QFile::encodeName(DayFiles::monthFolder(data, QDate(2004, 3, 1)));
        // It holds the entry below another line: registering and removing both would rewrite it.
        writeFile(first, "[B]\r\n[A]\r\n");
        const QString april = DayFiles::dayFile(data, QDate(2004, 4, 30));
        if (removing)
            writeFile(april, "[A]\r\n");
        const QByteArray file = QFile::encodeName(first);
        QVERIFY(how == "huge day" ? ::truncate(file.constData(), qint64(30) << 30) == 0
                                  : ::chmod(file.constData(), how == "read-only day" ? 0444
                                                              : how == "other's day" ? 0644
                                                                                     : 0666)
                                        == 0);
        QVERIFY(::chmod(month.constData(), how == "read-only month" ? 0555 : 0777) == 0);
        // Everything else is open to the user the run acts as.
        QVERIFY(::chmod(QFile::encodeName(data).constData(), 0777) == 0);
        std::optional<AsUnprivilegedUser> user;
        if (how.startsWith("read-only") || how == "other's day")
            user.emplace();
        const DayAction action = removing ? DayAction::Remove : DayAction::Register;
        const DayPlan plan = planRun(fx.fs, data, range, action, fixed("[A]"));
        const DayRunResult r = runDays(fx.fs, data, range, action, fixed("[A]"));
        user.reset();
        ::chmod(month.constData(), 0777);
        if (how == "huge day")
            QCOMPARE(QFileInfo(first).size(), qint64(30) << 30);
        else
            QCOMPARE(readFile(first), QByteArray("[B]\r\n[A]\r\n"));
        QCOMPARE(r.failedDays, failed);
        QCOMPARE(r.firstFailure, first);
        QCOMPARE(plan.count(DayChange::Kind::Failed), failed);
        QCOMPARE(plan.days.first().kind(), DayChange::Kind::Failed);
        QCOMPARE(plan.firstReason, r.firstReason);
        QCOMPARE(QFileInfo::exists(april), !removing); // the run went on
    }
};

QTEST_GUILESS_MAIN(TestDayFiles)
#include "tst_dayfiles.moc"
