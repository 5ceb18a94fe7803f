#include "TestSupport.h"

#include "days/DayEntry.h"
#include "days/DayFiles.h"
#include "schedule/DayRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace td;
using namespace td::test;

namespace {

// The text of a day file as the reading rule reads it; a null string when absent.
QString dayText(const QString& path)
{
    return QFileInfo::exists(path) ? DayFiles::joinLines(readFile(path)) : QString();
}

auto fixed(const QString& entry)
{
    return [entry](const MatchedDay&) { return entry; };
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

    void readingRule_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        // clang-format off
        QTest::newRow("CR LF") << QByteArray("A\r\nB\r\n") << "A\nB";
        QTest::newRow("lone LF") << QByteArray("A\nB\r\n") << "A\nB";
        QTest::newRow("CR alone") << QByteArray("A\rB") << "A\nB";
        QTest::newRow("leading empty lines") << QByteArray("\r\n\r\nA\r\nB\r\n") << "A\nB";
        QTest::newRow("later empty lines stay") << QByteArray("A\r\n\r\nB\r\n") << "A\n\nB";
        // clang-format on
    }
    void readingRule()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(DayFiles::joinLines(bytes), text);
    }

    void merge_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("buffer");
        // clang-format off
        QTest::newRow("one-line file, entry inside") << QByteArray("[A]\n[B]\n[C]\r\n") << "[B]" << "[B]\n[A]\n[B]\n[C]";
        QTest::newRow("the entry twice") << QByteArray("[A]\n[A]\r\n") << "[A]" << "[A]";
        QTest::newRow("leading line holding more than the entry")
            << cp949(QStringLiteral("[회의] 3시로 변경\r\n[B]\r\n")) << QStringLiteral("[회의]")
            << QStringLiteral("[회의]\n[회의] 3시로 변경\n[B]");
        QTest::newRow("a later equal line stays") << QByteArray("[A]\r\n[B]\r\n[A]\r\n") << "[A]" << "[A]\n[B]\n[A]";
        QTest::newRow("leading empty lines stay") << QByteArray("\r\n\r\n[B]\r\n") << "[A]" << "[A]\n\n\n[B]";
        QTest::newRow("a tab before the entry is text") << QByteArray("\t[A]\r\n") << "[A]" << "[A]\n\t[A]";
        QTest::newRow("trailing LF left by a removal") << QByteArray("[X]\n\r\n") << "[A]" << "[A]\n[X]\n";
        QTest::newRow("countdown counts differ") << QByteArray("[Exam D-10]\r\n") << "[Exam D-1]"
                                                << "[Exam D-1]\n[Exam D-10]";
        // clang-format on
    }
    void merge()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, entry);
        QFETCH(QString, buffer);
        Fixture fx;
        const QString path = fx.path("2004_3/2004_3.5");
        writeFile(path, file);
        QString got = QStringLiteral("stale");
        QVERIFY(DayFiles::MergeDayEntry(fx.fs, path, entry, got).ok);
        QCOMPARE(got, buffer);
    }

    // Markers and plan text lose their outer spaces only.
    void entryTrimsSpacesOnly()
    {
        QCOMPARE(DayEntry::regular("\t[ ", QStringLiteral(" 회의\u3000 "), " ]"), QStringLiteral("\t[회의\u3000]"));
        QCOMPARE(DayEntry::countdown(" [", "\tExam ", "]\t", 3), QStringLiteral("[\tExam D-3]\t"));
    }

    void remove_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("left");
        // clang-format off
        QTest::newRow("last of two keeps the LF") << "[B]\n[A]" << "[A]" << "[B]\n";
        QTest::newRow("inside one line") << "[A]\n[B]\n[C]" << "[B]" << "[A]\n[C]";
        QTest::newRow("every occurrence") << "[A]\n[B]\n[A]" << "[A]" << "[B]\n";
        QTest::newRow("within a longer part") << "[A] moved\n[B]" << "[A]" << " moved\n[B]";
        QTest::newRow("empty entry changes nothing") << "[B]\n[C]" << "" << "[B]\n[C]";
        // clang-format on
    }
    void remove()
    {
        QFETCH(QString, text);
        QFETCH(QString, entry);
        QFETCH(QString, left);
        QCOMPARE(DayFiles::removeEntry(text, entry), left);
    }

    void writeBlankDeletesAndKeepsFolder()
    {
        Fixture fx;
        const QString folder = fx.path("2004_3"), path = fx.path("2004_3/2004_3.5");
        writeFile(path, "[A]\r\n");
        QVERIFY(DayFiles::WriteDayFile(fx.fs, folder, path, "   ").ok);
        QVERIFY(!QFileInfo::exists(path));
        QVERIFY(QFileInfo(folder).isDir());
        // A second time there is nothing to delete, and that is no failure.
        QVERIFY(DayFiles::WriteDayFile(fx.fs, folder, path, "").ok);
        // Only spaces are blank: a tab, an ideographic space or a line break is kept.
        for (const QString& kept : {QStringLiteral("\t"), QStringLiteral(" \u3000 "), QStringLiteral("\n")}) {
            QVERIFY(DayFiles::WriteDayFile(fx.fs, folder, path, kept).ok);
            QCOMPARE(readFile(path), cp949(kept) + "\r\n");
        }
    }

    void unreadableDayIsLeftAlone()
    {
        for (DayAction action : {DayAction::Register, DayAction::Remove}) {
            Fixture fx;
            const QDate day(2004, 3, 5);
            const QString path = DayFiles::dayFile(fx.services.DataFolder, day);
            writeFile(path, "[A]\r\n");
            fx.fs.failReadAt = 1;
            const IoStatus st = processDay(fx.fs, fx.services.DataFolder, day, "[A]", action);
            QVERIFY(!st.ok);
            QCOMPARE(st.path, path);
            QCOMPARE(readFile(path), QByteArray("[A]\r\n"));
            QCOMPARE(fx.fs.writes + fx.fs.removes, 0);
        }
    }

    // Register twice, then remove: each day holds its own countdown entry on top of
    // what it held, then reads as before; a day that held only the entry loses its file.
    void registerThenRemoveGivesEveryDayBack()
    {
        Fixture fx;
        const QString data = fx.services.DataFolder;
        // Every 2nd day from 27 February 2004, over the 29th: eight days.
        const DayRange range = *ddayDays({"2004", "2", "27", "2004", "3", "12", "2"});
        // Files as Daybrook and this tool leave them; a null entry is a day without a file.
        const QList<QByteArray> before{cp949(QStringLiteral("[회의]\r\n[B]\r\n")), "[X]\n[Y]\r\n", "\r\n\r\n[X]\r\n",
                                       "[X]\r\n\r\n[Y]\r\n", QByteArray(""), "[Exam D-10]\r\n", QByteArray(),
                                       "\xffx\r\n[B]\r\n"};
        const QString notVisited = DayFiles::dayFile(data, QDate(2004, 3, 1));
        writeFile(notVisited, "[Exam D-11]\r\n");
        QStringList textBefore;
        for (int i = 0; i < before.size(); ++i) {
            if (!before[i].isNull())
                writeFile(DayFiles::dayFile(data, range.days[i].date), before[i]);
            textBefore << (before[i].isNull() ? QString() : DayFiles::allLines(before[i]));
        }
        auto entryFor = [](const MatchedDay& d) { return DayEntry::countdown("[", "Exam", "]", d.remaining); };
        for (int run = 0; run < 2; ++run) {
            QVERIFY(runDays(fx.fs, data, range, DayAction::Register, entryFor).ok());
            for (int i = 0; i < before.size(); ++i) {
                const QString entry = entryFor(range.days[i]);
                QCOMPARE(dayText(DayFiles::dayFile(data, range.days[i].date)),
                         textBefore[i].isEmpty() ? entry : entry + "\n" + textBefore[i]);
            }
        }

        QVERIFY(runDays(fx.fs, data, range, DayAction::Remove, entryFor).ok());
        for (int i = 0; i < before.size(); ++i) {
            const QString path = DayFiles::dayFile(data, range.days[i].date);
            if (textBefore[i].isEmpty())
                QVERIFY2(!QFileInfo::exists(path), qPrintable(path));
            else
                QCOMPARE(dayText(path), textBefore[i]);
        }
        QCOMPARE(readFile(notVisited), QByteArray("[Exam D-11]\r\n"));
        // The second registration found every entry in place: nothing to write, nothing to flush.
        QCOMPARE(fx.fs.flushes, 2);
    }

    // Each day is stored as CP949 text + CR LF, with no temporary file left beside
    // it; the run flushes once, and reports fractional progress up to 100.
    void progressAndOneFlush()
    {
        Fixture fx, idle;
        const QString data = fx.services.DataFolder;
        const DayRange range = *ddayDays({"2004", "3", "1", "2004", "3", "31", "7"});
        QList<double> seen;
        QVERIFY(runDays(fx.fs, data, range, DayAction::Register, fixed("[회의]"), [&](double p) { seen << p; }).ok());
        QCOMPARE(readFile(data + "2004_3/2004_3.31"), cp949(QStringLiteral("[회의]\r\n")));
        QCOMPARE(QDir(data + "2004_3").entryList(QDir::Files | QDir::Hidden).size(), 5);
        QCOMPARE(fx.fs.flushes, 1);
        QCOMPARE(seen.last(), 100.0);
        QVERIFY(std::is_sorted(seen.begin(), seen.end()));
        QCOMPARE(seen.first(), 2.0 / 30.0 * 100.0); // 3 March

        // Removing where nothing is there writes nothing, makes no folder and needs no flush.
        QVERIFY(runDays(idle.fs, idle.services.DataFolder, range, DayAction::Remove, fixed("[A]")).ok());
        QCOMPARE(idle.fs.flushes, 0);
        QCOMPARE(QDir(idle.services.DataFolder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{});
    }

    // A failing day does not stop the run, and the run says how many days failed and where first.
    void failuresAreCounted_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("failed");
        QTest::addColumn<QString>("firstFailure"); // relative to the data folder
        const int reg = int(DayAction::Register), rem = int(DayAction::Remove);
        // clang-format off
        QTest::newRow("data folder missing") << "missing" << reg << 3 << "missing/2004_3";
        QTest::newRow("read-only month folder") << "read-only" << reg << 2 << "2004_3/2004_3.1";
        QTest::newRow("read-only month folder, removing") << "read-only" << rem << 2 << "2004_3/2004_3.1";
        QTest::newRow("second read fails") << "read 2" << rem << 1 << "2004_3/2004_3.31";
        // Files the run must not touch: one the user may not write, one too large to read.
        QTest::newRow("read-only day file") << "read-only day" << reg << 1 << "2004_3/2004_3.1";
        QTest::newRow("30 GB day file") << "huge day" << reg << 1 << "2004_3/2004_3.1";
        // clang-format on
    }
    void failuresAreCounted()
    {
        QFETCH(QString, how);
        QFETCH(int, action);
        QFETCH(int, failed);
        QFETCH(QString, firstFailure);
        Fixture fx;
        QString data = fx.services.DataFolder;
        // 1 and 31 March, 30 April.
        const DayRange range = *ddayDays({"2004", "3", "1", "2004", "4", "30", "30"});
        if (action == int(DayAction::Remove)) {
            for (const MatchedDay& d : range.days)
                writeFile(DayFiles::dayFile(data, d.date), "[A]\r\n");
        }
        const QString month = data + "2004_3";
        if (how == "missing") {
            data += "missing/";
        } else if (how == "read-only") {
            QDir().mkpath(month);
            QFile::setPermissions(month, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            // The superuser writes through permissions: then the folder refuses by injection.
            QFile probe(month + "/probe");
            if (probe.open(QIODevice::WriteOnly)) {
                probe.remove();
                fx.fs.failPathPart = "2004_3/";
            }
        } else if (how.endsWith(" day")) {
            const QByteArray first = QFile::encodeName(DayFiles::dayFile(data, QDate(2004, 3, 1)));
            // It holds the entry: registering and removing both would change it.
            writeFile(QFile::decodeName(first), "[A]\r\n[B]\r\n");
            QVERIFY(how == "huge day" ? ::truncate(first.constData(), qint64(30) << 30) == 0
                                      : ::chmod(first.constData(), 0444) == 0);
            // Everything else is open to the user the run acts as.
            QVERIFY(::chmod(QFile::encodeName(data).constData(), 0777) == 0);
            for (const MatchedDay& d : range.days) {
                ::chmod(QFile::encodeName(DayFiles::monthFolder(data, d.date)).constData(), 0777);
                if (d.date != QDate(2004, 3, 1))
                    ::chmod(QFile::encodeName(DayFiles::dayFile(data, d.date)).constData(), 0666);
            }
        } else {
            fx.fs.failReadAt = 2;
        }

        std::optional<AsUnprivilegedUser> user;
        if (how == "read-only day")
            user.emplace();
        const DayRunResult r = runDays(fx.fs, data, range, DayAction(action), fixed("[A]"));
        user.reset();
        if (how == "read-only day")
            QCOMPARE(readFile(DayFiles::dayFile(data, QDate(2004, 3, 1))), QByteArray("[A]\r\n[B]\r\n"));
        if (how == "huge day")
            QCOMPARE(QFileInfo(DayFiles::dayFile(data, QDate(2004, 3, 1))).size(), qint64(30) << 30);
        QFile::setPermissions(month, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(r.failedDays, failed);
        QCOMPARE(r.firstFailure, fx.services.DataFolder + firstFailure);
        QVERIFY(!r.ok());
        // The run went on: the April day was done.
        if (how != "missing")
            QCOMPARE(QFileInfo::exists(DayFiles::dayFile(data, QDate(2004, 4, 30))), action == int(DayAction::Register));
    }
};

QTEST_GUILESS_MAIN(TestDayFiles)
#include "tst_dayfiles.moc"
