// Files as hostile as the disk may hold them: huge, random, full of zero bytes,
// locks nobody holds. Each gives its documented result.
#include "TestSupport.h"
#include "days/DayEntry.h"
#include "days/DayFiles.h"
#include "i18n/LanguageFile.h"
#include "platform/Cp949.h"
#include "platform/InstanceLock.h"
#include "platform/ProfileFile.h"
#include "schedule/DayRun.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <optional>

using namespace td;
using namespace td::test;

namespace {

// The reading rule, written out on bytes: lines end at CR or CR LF, leading
// empty lines vanish, the rest are joined with LF; the tool ends its file with CR LF.
QByteArray asRewritten(QByteArray bytes)
{
    const bool ended = bytes.endsWith('\r') || bytes.endsWith("\r\n");
    while (bytes.startsWith("\r\n") || bytes.startsWith('\r'))
        bytes.remove(0, bytes.startsWith("\r\n") ? 2 : 1);
    bytes.replace("\r\n", "\n").replace('\r', '\n');
    if (ended)
        bytes.chop(1);
    return bytes + "\r\n";
}

// A literal with its zero bytes.
template <size_t N>
QByteArray raw(const char (&s)[N])
{
    return QByteArray(s, N - 1);
}

} // namespace

class TestHostileFiles : public QObject {
    Q_OBJECT
    QProcess otherProgram_;

private slots:
    // Registering then removing the entry gives the day back as the reading rule reads it.
    void dayFileRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("afterward");
        // 50 MB of notes as the tool writes them: entries joined by LF, CR LF at the end.
        QByteArray notes;
        notes.reserve(50 * 1024 * 1024 + 64);
        const QByteArray korean = cp949(QStringLiteral("[회의] 3시 회의실"));
        for (int i = 0; notes.size() < 50 * 1024 * 1024; ++i)
            notes += "[Note " + QByteArray::number(i) + "] " + korean + " " + QByteArray(160, 'x') + '\n';
        notes.back() = '\r';
        notes += '\n';
        QTest::newRow("50 MB") << notes << notes;
        QByteArray any(64 * 1024, Qt::Uninitialized);
        QRandomGenerator(1).fillRange(reinterpret_cast<quint32*>(any.data()), any.size() / 4);
        QVERIFY(any.contains('\0') && any.contains('\r') && any.contains('\n'));
        QTest::newRow("random bytes, zero bytes among them") << any << asRewritten(any);
    }
    void dayFileRoundTrip()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, afterward);
        Fixture f;
        const QDate day(2004, 3, 5);
        const QString data = f.dir.path() + QLatin1Char('/'), path = DayFiles::dayFile(data, day);
        const QString entry = DayEntry::countdown(QStringLiteral("["), QStringLiteral("Exam"), QStringLiteral("]"), 30);
        QVERIFY(QDir().mkpath(DayFiles::monthFolder(data, day)));
        writeFile(path, file);
        bool changed = false;
        QVERIFY(processDay(f.fs, data, day, entry, DayAction::Register, &changed) && changed);
        // Sizes first: a failed comparison of 50 MB would print it all.
        const QByteArray registered = readFile(path);
        QCOMPARE(registered.size(), afterward.size() + cp949(entry).size() + 1);
        QVERIFY(registered == cp949(entry) + '\n' + afterward);
        QVERIFY(processDay(f.fs, data, day, entry, DayAction::Remove, &changed) && changed);
        const QByteArray removed = readFile(path);
        QCOMPARE(removed.size(), afterward.size());
        QVERIFY(removed == afterward);
    }

    void bigProfile()
    {
        // 100,000 presets, about 10 MB.
        QByteArray file;
        file.reserve(11 * 1024 * 1024);
        for (int i = 0; i < 100000; ++i)
            file += "[Preset" + QByteArray::number(i).rightJustified(6, '0') + "]\r\nSunColor=" + QByteArray::number(i)
                    + "\r\nFont=Arial,10\r\nTitle=Preset " + QByteArray::number(i) + "\r\nBackPicture=C:\\Daybrook\\winter.bmp\r\n";
        file += "; end\r\n";
        QVERIFY(file.size() > 10 * 1000 * 1000);
        Fixture f;
        const QString path = f.path(QStringLiteral("Daybrook.ini"));
        writeFile(path, file);
        ProfileFile profile(f.fs);
        // A key in the middle is rewritten in place, a new section goes at the end.
        QVERIFY(profile.write(path, QStringLiteral("Preset050000"), QStringLiteral("SunColor"), QStringLiteral("255")).ok);
        QVERIFY(profile.write(path, QStringLiteral("사용자1"), QStringLiteral("SunColor"), QStringLiteral("0")).ok);
        QByteArray expected = file;
        expected.replace("[Preset050000]\r\nSunColor=50000\r\n", "[Preset050000]\r\nSunColor=255\r\n");
        expected += cp949(QStringLiteral("[사용자1]\r\nSunColor=0\r\n"));
        const QByteArray written = readFile(path);
        QCOMPARE(written.size(), expected.size());
        QVERIFY(written == expected);
        QCOMPARE(profile.read(path, QStringLiteral("Preset099999"), QStringLiteral("SunColor")), QStringLiteral("99999"));
        QCOMPARE(profile.read(path, QStringLiteral("사용자1"), QStringLiteral("SunColor")), QStringLiteral("0"));
    }

    void zeroBytesInProfile()
    {
        Fixture f;
        const QString path = f.path(QStringLiteral("Daybrook.ini"));
        const QByteArray file = raw("[Default]\r\nSunColor=25\0 5\r\nFont=Ari\0al\r\n[W\0x]\r\nK=1\r\n");
        writeFile(path, file);
        ProfileFile profile(f.fs);
        // The platform hands a value over up to its first zero byte.
        QCOMPARE(profile.read(path, QStringLiteral("Default"), QStringLiteral("SunColor")), QStringLiteral("25"));
        QVERIFY(profile.write(path, QStringLiteral("Default"), QStringLiteral("Font"), QStringLiteral("Arial,10")).ok);
        const QByteArray expected = QByteArray(file).replace(raw("Font=Ari\0al"), "Font=Arial,10");
        QCOMPARE(readFile(path), expected);
    }

    void hugeLanguageFile()
    {
        QByteArray file;
        for (int i = 0; i < 100000; ++i)
            file += QByteArray::number(1000 + i % 9000) + ' ' + cp949(QStringLiteral("캡션 ")) + QByteArray::number(i) + "\r\n";
        Fixture f;
        writeFile(f.path(QStringLiteral("tuneKorean.lng")), file);
        LanguageFile lng(f.fs, f.boxes, f.dir.path(), QStringLiteral("Korean"));
        // The last line of a key wins; the file is read once for all lookups.
        QCOMPARE(lng.GetLngText(1999, QStringLiteral("tuneKorean.lng")), QStringLiteral("캡션 99999"));
        QCOMPARE(lng.GetLngText(999, QStringLiteral("tuneKorean.lng")), QString());
        QCOMPARE(lng.fileReads(), 1);
        QVERIFY(f.boxes.shown.isEmpty());
    }

    // A lock nobody holds any more is taken over and then keeps a second copy out;
    // a lock that cannot be made at all says nothing about other copies: the tool starts.
    void instanceLock_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QByteArray>("contents"); // of a stale lock file
        // A live process of another program holds the pid the lock names.
        if (otherProgram_.state() == QProcess::NotRunning) {
            otherProgram_.start(QStringLiteral("sleep"), {QStringLiteral("60")});
            QVERIFY(otherProgram_.waitForStarted());
        }
        const QByteArray host = QSysInfo::machineHostName().toUtf8();
        // clang-format off
        QTest::newRow("pid reused by another program") << "stale" << QByteArray::number(otherProgram_.processId()) + "\ntunedesk\n" + host + '\n';
        QTest::newRow("empty lock file, its copy killed before writing it") << "stale" << QByteArray();
        QTest::newRow("zero bytes") << "stale" << QByteArray(64, '\0');
        QTest::newRow("a folder in place of the lock") << "folder" << QByteArray();
        QTest::newRow("a file in place of the runtime folder") << "file" << QByteArray();
        QTest::newRow("read-only runtime folder") << "read-only" << QByteArray();
        // clang-format on
    }
    void instanceLock()
    {
        QFETCH(QString, how);
        QFETCH(QByteArray, contents);
        QTemporaryDir dir;
        QString path = dir.path() + QStringLiteral("/tunedesk.lock");
        if (how == QLatin1String("stale")) {
            writeFile(path, contents);
            QtInstanceLock lock(path), second(path);
            QVERIFY(lock.tryAcquire());
            QVERIFY(!second.tryAcquire());
            return;
        }
        if (how == QLatin1String("folder")) {
            QVERIFY(QDir().mkdir(path));
        } else if (how == QLatin1String("file")) {
            writeFile(dir.path() + QStringLiteral("/runtime"), "x");
            path = dir.path() + QStringLiteral("/runtime/tunedesk.lock");
        } else {
            QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                                          | QFileDevice::ExeOther));
        }
        {
            std::optional<AsUnprivilegedUser> user; // the superuser writes through permissions
            if (how == QLatin1String("read-only"))
                user.emplace();
            QtInstanceLock lock(path);
            QVERIFY(lock.tryAcquire());
        }
        QVERIFY(!QFileInfo(path).isFile()); // and nothing was made there
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
