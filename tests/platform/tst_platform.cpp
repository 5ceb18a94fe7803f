#include "TestSupport.h"

#include "platform/CommonDialog.h"
#include "platform/Cp949.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"

#include <QFile>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace td;
using namespace td::test;

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    // Text and its bytes both ways; what the code page cannot hold is refused, never a "?" in its place.
    void cp949_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("bad");
        QTest::newRow("ascii") << QStringLiteral("Arial,10") << QByteArray("Arial,10") << QString();
        QTest::newRow("hangul") << QStringLiteral("가") << QByteArray("\xB0\xA1") << QString();
        // Extension syllables exist only in the Windows code page.
        QTest::newRow("extension syllable") << QStringLiteral("똠") << QByteArray("\x8C\x63") << QString();
        QTest::newRow("nul kept") << QString(QChar(0)) << QByteArray(1, '\0') << QString();
        QTest::newRow("emoji") << QStringLiteral("a😀b") << QByteArray() << QStringLiteral("😀");
        QTest::newRow("thai") << QStringLiteral("xก") << QByteArray() << QStringLiteral("ก");
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray() << QString(QChar(0xD800));
    }
    void cp949()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, bad);
        const Cp949::Encoded e = Cp949::encode(text);
        QCOMPARE(e.ok(), bad.isEmpty());
        QCOMPARE(e.badCharacter, bad);
        QCOMPARE(e.bytes, bytes);
        if (!bad.isEmpty())
            return;
        bool clean = false;
        QCOMPARE(Cp949::decode(bytes, &clean), text);
        QVERIFY(clean);
    }

    void cp949KeepsStrayBytes()
    {
        // A lone lead byte, an invalid pair and a high byte at the end survive a round trip.
        const QByteArray raw("ok\x81\xFF\x80\xB0\xA1\xC8", 8);
        bool clean = true;
        const QString text = Cp949::decode(raw, &clean);
        QVERIFY(!clean);
        QVERIFY(text.startsWith(QStringLiteral("ok")));
        QVERIFY(text.contains(QStringLiteral("가")));
        QCOMPARE(Cp949::encode(text).bytes, raw);
    }

    void atomicWriteAndFolders()
    {
        Fixture fx;
        const QString p = fx.path(QStringLiteral("2004_3.5")), missing = fx.path(QStringLiteral("nofolder/f.txt"));
        writeFile(p, QByteArray(1000, 'x'));
        for (Durability d : {Durability::Synced, Durability::Deferred}) {
            QVERIFY(fx.fs.writeAtomic(p, "short", d).ok);
            QCOMPARE(readFile(p), QByteArray("short"));
            QCOMPARE(QDir(fx.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1); // no temporary file left
            const IoStatus st = fx.fs.writeAtomic(missing, "x", d);
            QVERIFY(!st.ok && !st.reason.isEmpty());
            QCOMPARE(st.path, missing);
        }
        // A folder is made one level at a time; a lookup is exact and skips hidden files.
        QVERIFY(fx.fs.makeDir(fx.path(QStringLiteral("a"))).ok);
        QVERIFY(fx.fs.makeDir(fx.path(QStringLiteral("a"))).ok);
        QVERIFY(!fx.fs.makeDir(fx.path(QStringLiteral("b/c"))).ok);
        QVERIFY(!QFileInfo::exists(fx.path(QStringLiteral("b"))));
        writeFile(fx.path(QStringLiteral(".hidden")), "x");
        QVERIFY(fx.fs.fileExists(p));
        QVERIFY(!fx.fs.fileExists(p + QLatin1Char('0')));
        QVERIFY(!fx.fs.fileExists(fx.path(QStringLiteral(".hidden"))));
        QVERIFY(!fx.fs.fileExists(fx.path(QStringLiteral("a"))));
        QVERIFY(!fx.fs.remove(fx.path(QStringLiteral("missing"))).ok);
    }

    // Only a regular file the user may write is replaced or deleted; only a regular
    // file is read, and a FIFO or device answers at once instead of hanging.
    void oddTargetsAreLeftAlone_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        // clang-format off
        QTest::newRow("read-only file of another user") << "read-only" << "Permission denied";
        QTest::newRow("FIFO") << "fifo" << "not a regular file";
        QTest::newRow("device") << "device" << "not a regular file";
        QTest::newRow("folder") << "folder" << "not a regular file";
        // clang-format on
    }
    void oddTargetsAreLeftAlone()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        Fixture fx;
        const QString p = fx.path(QStringLiteral("2004_3.5"));
        const QByteArray native = QFile::encodeName(p);
        if (kind == QLatin1String("read-only")) {
            writeFile(p, "[Dentist]\r\n");
            QVERIFY(::chmod(native.constData(), 0444) == 0);
        } else if (kind == QLatin1String("fifo")) {
            QVERIFY(::mkfifo(native.constData(), 0666) == 0);
        } else if (kind == QLatin1String("device")) {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), p));
        } else {
            QVERIFY(QDir().mkdir(p));
        }
        struct stat before;
        QVERIFY(::lstat(native.constData(), &before) == 0);
        QVERIFY(::chmod(QFile::encodeName(fx.dir.path()).constData(), 0777) == 0); // the folder would let it go
        AsUnprivilegedUser user;

        QByteArray bytes;
        const IoStatus read = fx.fs.readAll(p, bytes);
        QCOMPARE(read.ok, kind == QLatin1String("read-only"));
        QVERIFY(!read.missing);
        for (Durability d : {Durability::Synced, Durability::Deferred}) {
            const IoStatus st = fx.fs.writeAtomic(p, "[Exam]\r\n", d);
            QVERIFY(!st.ok);
            QCOMPARE(st.path, p);
            QCOMPARE(st.reason, reason);
        }
        const IoStatus removed = fx.fs.remove(p);
        QVERIFY(!removed.ok);
        QCOMPARE(removed.reason, reason);

        struct stat after;
        QVERIFY(::lstat(native.constData(), &after) == 0);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_mode, before.st_mode);
        if (kind == QLatin1String("read-only"))
            QCOMPARE(readFile(p), QByteArray("[Dentist]\r\n"));
        QCOMPARE(QDir(fx.dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size(), 1);
    }

    void hugeFileIsRefusedUnread()
    {
        Fixture fx;
        const QString p = fx.path(QStringLiteral("2004_3.5"));
        writeFile(p, {});
        QVERIFY(::truncate(QFile::encodeName(p).constData(), qint64(30) << 30) == 0); // 30 GB, sparse
        QByteArray bytes("untouched");
        const IoStatus st = fx.fs.readAll(p, bytes);
        QVERIFY(!st.ok);
        QCOMPARE(st.reason, QStringLiteral("larger than 64 MiB"));
        QCOMPARE(bytes, QByteArray("untouched"));
    }

    // A folder that takes no temporary file: the writable file is rewritten in place.
    void settingsFileInAFolderWithoutRoomForATemporaryFile()
    {
        Fixture fx;
        const QString p = fx.path(QStringLiteral("Daybrook.ini"));
        writeFile(p, "[A]\r\nK=old\r\n");
        QVERIFY(QFile::setPermissions(p, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther
                                             | QFileDevice::WriteOther));
        QVERIFY(::chmod(QFile::encodeName(fx.dir.path()).constData(), 0555) == 0);
        {
            AsUnprivilegedUser user;
            QVERIFY(fx.fs.writeAtomic(p, "[A]\r\nK=new\r\n", Durability::Synced).ok);
        }
        QVERIFY(::chmod(QFile::encodeName(fx.dir.path()).constData(), 0700) == 0);
        QCOMPARE(readFile(p), QByteArray("[A]\r\nK=new\r\n"));
    }

    // New files get 0666 less the umask; a rewrite keeps the file's mode.
    void fileModes_data()
    {
        QTest::addColumn<int>("durability");
        QTest::addColumn<int>("mask");
        QTest::addColumn<int>("oldMode"); // -1: a new file
        QTest::addColumn<int>("mode");
        for (int d : {int(Durability::Synced), int(Durability::Deferred)}) {
            const char* name = d == int(Durability::Synced) ? "synced" : "deferred";
            QTest::addRow("%s, new, umask 077", name) << d << 077 << -1 << 0600;
            QTest::addRow("%s, new, umask 022", name) << d << 022 << -1 << 0644;
            QTest::addRow("%s, rewrite of 0640 under umask 077", name) << d << 077 << 0640 << 0640;
        }
    }
    void fileModes()
    {
        QFETCH(int, durability);
        QFETCH(int, mask);
        QFETCH(int, oldMode);
        QFETCH(int, mode);
        Fixture fx;
        const QString p = fx.path(QStringLiteral("2004_3.5"));
        if (oldMode >= 0) {
            writeFile(p, "old");
            QVERIFY(::chmod(QFile::encodeName(p).constData(), mode_t(oldMode)) == 0);
        }
        const mode_t saved = ::umask(mode_t(mask));
        const IoStatus st = fx.fs.writeAtomic(p, "[Exam]\r\n", Durability(durability));
        ::umask(saved);
        QVERIFY(st.ok);
        struct stat after;
        QVERIFY(::stat(QFile::encodeName(p).constData(), &after) == 0);
        QCOMPARE(int(after.st_mode & 07777), mode);
    }

    void messageTextKeepsLoneCr()
    {
        QCOMPARE(displayText(QStringLiteral("a\rb")), QStringLiteral("a\nb"));
        QCOMPARE(displayText(QStringLiteral("a\r\nb")), QStringLiteral("a\nb"));
    }

    void commonDialogFilter_data()
    {
        QTest::addColumn<QString>("common");
        QTest::addColumn<QString>("qt");
        // clang-format off
        QTest::newRow("pictures") << QStringLiteral("Supported Picture Files(*.jpg,*.bmp,*.gif)|*.jpg;*.bmp;*.gif|")
                                  << QStringLiteral("Supported Picture Files(*.jpg,*.bmp,*.gif) (*.jpg *.bmp *.gif)");
        QTest::newRow("two") << QStringLiteral("A|*.a|B|*.b|") << QStringLiteral("A (*.a);;B (*.b)");
        QTest::newRow("empty") << QString() << QString();
        // clang-format on
    }
    void commonDialogFilter()
    {
        QFETCH(QString, common);
        QFETCH(QString, qt);
        QCOMPARE(qtFilterFromCommon(common), qt);
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
