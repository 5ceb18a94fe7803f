// Files as hostile as the disk may hold them: huge, full of zero bytes, locks
// nobody holds. Each gives its documented result.
#include "TestSupport.h"
#include "days/DayEntry.h"
#include "days/DayFiles.h"
#include "platform/InstanceLock.h"
#include "platform/ProfileFile.h"
#include "schedule/DayRun.h"

#include <QProcess>
#include <QTest>

using namespace td;
using namespace td::test;

class TestHostileFiles : public QObject {
    Q_OBJECT
    QProcess otherProgram_;

private slots:
    // 50 MB of notes as the tool writes them (entries joined by LF, CR LF at the
    // end): registering then removing an entry gives the day back byte for byte.
    void bigDayFile()
    {
        QByteArray notes;
        const QByteArray korean = cp949(QStringLiteral("[회의] 3시 회의실"));
        for (int i = 0; notes.size() < 50 * 1024 * 1024; ++i)
            notes += "[Note " + QByteArray::number(i) + "] " + korean + " " + QByteArray(160, 'x') + '\n';
        notes.back() = '\r';
        notes += '\n';
        Fixture f;
        const QDate day(2004, 3, 5);
        const QString data = f.dir.path() + QLatin1Char('/'), path = DayFiles::dayFile(data, day);
        const QString entry = DayEntry::countdown(QStringLiteral("["), QStringLiteral("Exam"), QStringLiteral("]"), 30);
        QVERIFY(QDir().mkpath(DayFiles::monthFolder(data, day)));
        writeFile(path, notes);
        const DayRange range{0, {MatchedDay{day, 0, 0}}};
        const auto fixed = [&](const MatchedDay&) { return entry; };
        QCOMPARE(runDays(f.fs, data, range, DayAction::Register, fixed).changedDays, 1);
        // Compared whole with QVERIFY: a failed QCOMPARE of 50 MB would print it all.
        QVERIFY(readFile(path) == cp949(entry) + '\n' + notes);
        QCOMPARE(runDays(f.fs, data, range, DayAction::Remove, fixed).changedDays, 1);
        QVERIFY(readFile(path) == notes);
    }

    // 100,000 presets, about 10 MB, after a section whose values hold zero bytes.
    void bigProfile()
    {
        QByteArray file = QByteArrayLiteral("[Default]\r\nSunColor=25\0 5\r\nFont=Ari\0al\r\n[W\0x]\r\nK=1\r\n");
        for (int i = 0; i < 100000; ++i)
            file += "[Preset" + QByteArray::number(i).rightJustified(6, '0') + "]\r\nSunColor=" + QByteArray::number(i)
                    + "\r\nFont=Arial,10\r\nTitle=Preset " + QByteArray::number(i) + "\r\nBackPicture=C:\\Daybrook\\winter.bmp\r\n";
        file += "; end\r\n";
        Fixture f;
        const QString path = f.path(QStringLiteral("Daybrook.ini"));
        writeFile(path, file);
        ProfileFile profile(f.fs);
        // Keys are rewritten in place, zero bytes around them kept; a new section goes at the end.
        QVERIFY(profile.write(path, QStringLiteral("Default"), QStringLiteral("Font"), QStringLiteral("Arial,10")).ok);
        QVERIFY(profile.write(path, QStringLiteral("Preset050000"), QStringLiteral("SunColor"), QStringLiteral("255")).ok);
        QVERIFY(profile.write(path, QStringLiteral("사용자1"), QStringLiteral("SunColor"), QStringLiteral("0")).ok);
        QByteArray expected = file;
        expected.replace(QByteArrayLiteral("Font=Ari\0al"), "Font=Arial,10");
        expected.replace("[Preset050000]\r\nSunColor=50000\r\n", "[Preset050000]\r\nSunColor=255\r\n");
        expected += cp949(QStringLiteral("[사용자1]\r\nSunColor=0\r\n"));
        QVERIFY(readFile(path) == expected);
        // The platform hands a value over up to its first zero byte.
        QCOMPARE(profile.read(path, QStringLiteral("Default"), QStringLiteral("SunColor")), QStringLiteral("25"));
        QCOMPARE(profile.read(path, QStringLiteral("Preset099999"), QStringLiteral("SunColor")), QStringLiteral("99999"));
    }

    // A lock nobody holds any more is taken over and then keeps a second copy out.
    void staleLock_data()
    {
        QTest::addColumn<QByteArray>("contents");
        // A live process of another program holds the pid the lock names.
        if (otherProgram_.state() == QProcess::NotRunning) {
            otherProgram_.start(QStringLiteral("sleep"), {QStringLiteral("60")});
            QVERIFY(otherProgram_.waitForStarted());
        }
        const QByteArray host = QSysInfo::machineHostName().toUtf8();
        QTest::newRow("pid reused by another program") << QByteArray::number(otherProgram_.processId()) + "\ntunedesk\n" + host + '\n';
        QTest::newRow("empty lock file, its copy killed before writing it") << QByteArray();
    }
    void staleLock()
    {
        QFETCH(QByteArray, contents);
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("/tunedesk.lock");
        writeFile(path, contents);
        QtInstanceLock lock(path), second(path);
        QVERIFY(lock.tryAcquire());
        QVERIFY(!second.tryAcquire());
    }

    // A lock that cannot be made at all says nothing about other copies: the tool starts.
    void lockInReadOnlyFolder()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("/tunedesk.lock");
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                                      | QFileDevice::ExeOther));
        {
            AsUnprivilegedUser user; // the superuser writes through permissions
            QVERIFY(QtInstanceLock(path).tryAcquire());
        }
        QVERIFY(!QFileInfo(path).exists()); // and nothing was made there
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    void cleanupTestCase()
    {
        otherProgram_.kill();
        otherProgram_.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestHostileFiles)
#include "tst_hostile_files.moc"
