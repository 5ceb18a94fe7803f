#include "TestSupport.h"

#include "platform/CommonDialog.h"
#include "platform/Cp949.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "platform/Paths.h"

#include <QFile>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace td;
using namespace td::test;

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    void cp949RoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii") << QStringLiteral("Arial,10") << QByteArray("Arial,10");
        QTest::newRow("hangul") << QStringLiteral("가") << QByteArray("\xB0\xA1");
        // Extension syllables exist only in the Windows code page.
        QTest::newRow("extension syllable") << QStringLiteral("똠") << QByteArray("\x8C\x63");
        QTest::newRow("mixed") << QStringLiteral("설정 1(어두운배경, 수직표시)")
                               << QByteArray("\xBC\xB3\xC1\xA4 1(\xBE\xEE\xB5\xCE\xBF\xEE\xB9\xE8\xB0\xE6, "
                                             "\xBC\xF6\xC1\xF7\xC7\xA5\xBD\xC3)");
        QTest::newRow("nul kept") << QString(QChar(0)) << QByteArray(1, '\0');
    }
    void cp949RoundTrip()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        const Cp949::Encoded e = Cp949::encode(text);
        QVERIFY(e.ok());
        QCOMPARE(e.bytes, bytes);
        bool clean = false;
        QCOMPARE(Cp949::decode(bytes, &clean), text);
        QVERIFY(clean);
    }

    void cp949RefusesWhatItCannotHold_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("bad");
        QTest::newRow("emoji") << QStringLiteral("a😀b") << QStringLiteral("😀");
        QTest::newRow("thai") << QStringLiteral("xก") << QStringLiteral("ก");
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QString(QChar(0xD800));
    }
    void cp949RefusesWhatItCannotHold()
    {
        QFETCH(QString, text);
        QFETCH(QString, bad);
        const Cp949::Encoded e = Cp949::encode(text);
        QVERIFY(!e.ok());
        QCOMPARE(e.badCharacter, bad);
        QVERIFY(e.bytes.isEmpty());   // never a "?" in its place
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

    void splitCrLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::newRow("crlf") << QByteArray("A\r\nB\r\n") << QList<QByteArray>{"A", "B"};
        QTest::newRow("lone lf stays") << QByteArray("A\nB\r\n") << QList<QByteArray>{"A\nB"};
        QTest::newRow("cr only") << QByteArray("A\rB") << QList<QByteArray>{"A", "B"};
        QTest::newRow("empty lines") << QByteArray("\r\n\r\nA\r\n") << QList<QByteArray>{"", "", "A"};
        QTest::newRow("empty file") << QByteArray() << QList<QByteArray>{};
        QTest::newRow("no final line end") << QByteArray("A\r\nB") << QList<QByteArray>{"A", "B"};
    }
    void splitCrLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<QByteArray>, lines);
        QCOMPARE(td::splitCrLines(bytes), lines);
    }

    void atomicWriteReplacesWholeFile_data()
    {
        QTest::addColumn<int>("durability");
        QTest::newRow("synced") << int(Durability::Synced);
        QTest::newRow("deferred") << int(Durability::Deferred);
    }
    void atomicWriteReplacesWholeFile()
    {
        QFETCH(int, durability);
        Fixture fx;
        const QString p = fx.path(QStringLiteral("f.txt"));
        writeFile(p, QByteArray(1000, 'x'));
        QVERIFY(fx.fs.writeAtomic(p, "short", Durability(durability)).ok);
        QCOMPARE(readFile(p), QByteArray("short"));
        // No temporary file left behind.
        QCOMPARE(QDir(fx.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void writeIntoMissingFolderFailsWithPath()
    {
        Fixture fx;
        const QString p = fx.path(QStringLiteral("nofolder/f.txt"));
        for (Durability d : {Durability::Synced, Durability::Deferred}) {
            const IoStatus st = fx.fs.writeAtomic(p, "x", d);
            QVERIFY(!st.ok);
            QCOMPARE(st.path, p);
            QVERIFY(!st.reason.isEmpty());
        }
    }

    void makeDirCreatesOneLevelOnly()
    {
        Fixture fx;
        QVERIFY(fx.fs.makeDir(fx.path(QStringLiteral("a"))).ok);
        QVERIFY(fx.fs.makeDir(fx.path(QStringLiteral("a"))).ok);   // existing: fine
        QVERIFY(!fx.fs.makeDir(fx.path(QStringLiteral("b/c"))).ok);
        QVERIFY(!QFileInfo::exists(fx.path(QStringLiteral("b"))));
    }

    void fileExistsIsExactAndSkipsHidden()
    {
        Fixture fx;
        writeFile(fx.path(QStringLiteral("2004_3.5")), "x");
        writeFile(fx.path(QStringLiteral(".hidden")), "x");
        QVERIFY(fx.fs.fileExists(fx.path(QStringLiteral("2004_3.5"))));
        QVERIFY(!fx.fs.fileExists(fx.path(QStringLiteral("2004_3.50"))));
        QVERIFY(!fx.fs.fileExists(fx.path(QStringLiteral(".hidden"))));
        QVERIFY(!fx.fs.fileExists(fx.dir.path()));   // a folder is not a file
        QVERIFY(!fx.fs.remove(fx.path(QStringLiteral("missing"))).ok);
    }

    // Only a regular file the user may write is replaced or deleted; only a regular
    // file is read, and a FIFO or device answers at once instead of hanging.
    void oddTargetsAreLeftAlone_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("read-only file of another user") << "read-only" << "Permission denied";
        QTest::newRow("FIFO") << "fifo" << "not a regular file";
        QTest::newRow("device") << "device" << "not a regular file";
        QTest::newRow("folder") << "folder" << "not a regular file";
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
        QVERIFY(::chmod(QFile::encodeName(fx.dir.path()).constData(), 0777) == 0);   // the folder would let it go
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
        QVERIFY(::truncate(QFile::encodeName(p).constData(), qint64(30) << 30) == 0);   // 30 GB, sparse
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
        QTest::addColumn<int>("oldMode");   // -1: a new file
        QTest::addColumn<int>("mode");
        for (int d : {int(Durability::Synced), int(Durability::Deferred)}) {
            const char* name = d == int(Durability::Synced) ? "synced" : "deferred";
            QTest::addRow("%s, new, umask 077", name) << d << 077 << -1 << 0600;
            QTest::addRow("%s, new, umask 022", name) << d << 022 << -1 << 0644;
            QTest::addRow("%s, new, umask 002", name) << d << 002 << -1 << 0664;
            QTest::addRow("%s, rewrite of 0640 under umask 077", name) << d << 077 << 0640 << 0640;
            QTest::addRow("%s, rewrite of 0600 under umask 002", name) << d << 002 << 0600 << 0600;
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

    // One separator between folder and name, whether or not the folder ends in one.
    void joinPath_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("joined");
        QTest::newRow("no separator") << "/home/me/daybrook" << "/home/me/daybrook/Holiday.dat";
        QTest::newRow("separator") << "/home/me/daybrook/" << "/home/me/daybrook/Holiday.dat";
        QTest::newRow("root") << "/" << "/Holiday.dat";
    }
    void joinPath()
    {
        QFETCH(QString, folder);
        QFETCH(QString, joined);
        QCOMPARE(td::joinPath(folder, "Holiday.dat"), joined);
        QCOMPARE(td::withSeparator(folder) + "Holiday.dat", joined);
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
        QTest::newRow("pictures") << QStringLiteral("Supported Picture Files(*.jpg,*.bmp,*.gif)|*.jpg;*.bmp;*.gif|")
                                  << QStringLiteral("Supported Picture Files(*.jpg,*.bmp,*.gif) (*.jpg *.bmp *.gif)");
        QTest::newRow("two") << QStringLiteral("A|*.a|B|*.b|") << QStringLiteral("A (*.a);;B (*.b)");
        QTest::newRow("empty") << QString() << QString();
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
