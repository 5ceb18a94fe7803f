#include "TestSupport.h"

#include "platform/CommonDialog.h"
#include "platform/Cp949.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "platform/ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <cstring>
#include <cerrno>

#include <sys/stat.h>
#include <grp.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace td;
using namespace td::test;

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    // Text and its bytes both ways; what the code page cannot hold is refused, never a "?" in its place.
    void codePage_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("bad");
        // Extension syllables exist only in the Windows code page.
        QTest::newRow("extension syllable") << QStringLiteral("똠") << QByteArray("\x8C\x63") << QString();
        QTest::newRow("nul kept") << QString(QChar(0)) << QByteArray(1, '\0') << QString();
        QTest::newRow("emoji") << QStringLiteral("a😀b") << QByteArray() << QStringLiteral("😀");
        QTest::newRow("thai") << QStringLiteral("xก") << QByteArray() << QStringLiteral("ก");
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray() << QString(QChar(0xD800));
    }
    void codePage()
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

    // A rewrite keeps the file's mode and leaves no temporary file; a new file gets 0666 less the umask.
    void atomicWriteAndFolders()
    {
        Fixture fx;
        const QString p = fx.path(QStringLiteral("2004_3.5")), missing = fx.path(QStringLiteral("nofolder/f.txt"));
        const QString fresh = fx.path(QStringLiteral("2004_3.6"));
        auto mode = [](const QString& path) {
            struct stat st;
            return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
        };
        writeFile(p, QByteArray(1000, 'x'));
        QVERIFY(::chmod(QFile::encodeName(p).constData(), 0640) == 0);
        for (Durability d : {Durability::Synced, Durability::Deferred}) {
            QFile::remove(fresh);
            const mode_t saved = ::umask(077);
            const bool written = fx.fs.writeAtomic(p, "short", d).ok && fx.fs.writeAtomic(fresh, "[Exam]\r\n", d).ok;
            ::umask(saved);
            QVERIFY(written);
            QCOMPARE(readFile(p), QByteArray("short"));
            QCOMPARE(mode(p), 0640);
            QCOMPARE(mode(fresh), 0600);
            QCOMPARE(QDir(fx.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2); // no temporary file left
            const IoStatus st = fx.fs.writeAtomic(missing, "x", d);
            QVERIFY(!st.ok && !st.reason.isEmpty());
            QCOMPARE(st.path, missing);
        }
        // A folder is made one level at a time; a lookup is exact and skips hidden files.
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
        } else if (::mknod(native.constData(), S_IFCHR | 0666, makedev(1, 5)) != 0) {
            QSKIP("making a device needs root");
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

    // A group-shared day file keeps its group, mode and ACL when another member of the
    // group rewrites it; a symbolic link is never replaced by a regular file.
    void sharedFilesAndLinks()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to hand the file to another user");
        Fixture fx;
        const QString p = fx.path(QStringLiteral("2004_3.5")), target = fx.path(QStringLiteral("elsewhere"));
        const QByteArray native = QFile::encodeName(p);
        writeFile(p, "[Dentist]\r\n");
        // Owned by root and a group the unprivileged writer is in, writable by the group only.
        const gid_t shared = 4243;
        QVERIFY(::chmod(native.constData(), 0664) == 0 && ::chown(native.constData(), 0, shared) == 0);
        const bool acl = QProcess::execute(QStringLiteral("setfacl"), {QStringLiteral("-m"), QStringLiteral("u:4242:rw"), p}) == 0;
        auto facl = [](const QString& path) {
            QProcess get;
            get.start(QStringLiteral("getfacl"), {QStringLiteral("--omit-header"), QStringLiteral("--numeric"), path});
            get.waitForFinished();
            return get.readAllStandardOutput();
        };
        const QByteArray aclBefore = acl ? facl(p) : QByteArray();
        writeFile(target, "kept");
        QVERIFY(QFile::link(target, fx.path(QStringLiteral("2004_3.6"))));
        QVERIFY(QFile::link(fx.path(QStringLiteral("gone")), fx.path(QStringLiteral("2004_3.7"))));
        QVERIFY(::chmod(QFile::encodeName(fx.dir.path()).constData(), 0777) == 0);
        gid_t saved[64];
        const int savedCount = ::getgroups(64, saved);
        QVERIFY(savedCount >= 0 && ::setgroups(1, &shared) == 0);
        {
            AsUnprivilegedUser user;
            const IoStatus st = fx.fs.writeAtomic(p, "[Exam]\r\n", Durability::Deferred);
            QVERIFY2(st.ok, qPrintable(st.reason));
            for (const char* link : {"2004_3.6", "2004_3.7"}) {
                const QString l = fx.path(QString::fromLatin1(link));
                QCOMPARE(fx.fs.writeAtomic(l, "x", Durability::Deferred).reason, QStringLiteral("a symbolic link, left alone"));
                QCOMPARE(fx.fs.remove(l).reason, QStringLiteral("a symbolic link, left alone"));
                QVERIFY(QFileInfo(l).isSymLink());
            }
        }
        QVERIFY(::setgroups(size_t(savedCount), saved) == 0);
        struct stat st;
        QVERIFY(::stat(native.constData(), &st) == 0);
        QCOMPARE(readFile(p), QByteArray("[Exam]\r\n"));
        QCOMPARE(st.st_gid, shared);
        QCOMPARE(int(st.st_mode & 07777), 0664);
        if (acl)
            QCOMPARE(facl(p), aclBefore);
        QCOMPARE(readFile(target), QByteArray("kept"));
        // A settings file kept as a link is saved into its target, and stays a link.
        QVERIFY(fx.fs.writeAtomic(fx.path(QStringLiteral("2004_3.6")), "saved", Durability::Synced).ok);
        QCOMPARE(readFile(target), QByteArray("saved"));
        QVERIFY(QFileInfo(fx.path(QStringLiteral("2004_3.6"))).isSymLink());
        if (!acl)
            QSKIP("no ACL support here (setfacl missing or the file system refuses ACLs)");
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

    void messageTextKeepsLoneCrAndKoreanReasons()
    {
        QCOMPARE(displayText(QStringLiteral("a\rb")), QStringLiteral("a\nb"));
        QCOMPARE(displayText(QStringLiteral("a\r\nb")), QStringLiteral("a\nb"));
        // The system's own words, as the file operations pass them on.
        for (int err : {ENOSPC, EACCES, EROFS, ENOENT, EDQUOT, EFBIG, EIO}) {
            const QString reason = QString::fromLocal8Bit(strerror(err));
            QVERIFY2(!displayText(QStringLiteral("저장하지 못했습니다.\r") + reason).contains(reason, Qt::CaseInsensitive),
                     qPrintable(reason));
            QVERIFY(displayText(QStringLiteral("Not saved.\r") + reason).endsWith(reason));
        }
    }

    void commonDialogFilter()
    {
        QCOMPARE(qtFilterFromCommon(QStringLiteral("Pictures(*.jpg,*.bmp)|*.jpg;*.bmp|B|*.b|")),
                 QStringLiteral("Pictures (*.jpg *.bmp);;B (*.b)"));
        QCOMPARE(qtFilterFromCommon(QStringLiteral("Save as Excel Files(*.xlsx)|*.xlsx|iCalendar Files(*.ics)|*.ics|")),
                 QStringLiteral("Save as Excel Files (*.xlsx);;iCalendar Files (*.ics)"));
    }

    void lookup_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected"); // the default "  dflt  " reads "  dflt"
        const QByteArray base("[Main]\r\nColor=255\r\n");
        // clang-format off
        QTest::newRow("caller names trimmed of spaces") << base << "  Main " << " Color  " << "255";
        QTest::newRow("caller tab is part of the name") << base << "Main\t" << "Color" << "  dflt";
        QTest::newRow("header trimmed, rest ignored") << QByteArray("  [ \tMain  ] words\r\nColor=1\r\n") << "Main" << "Color" << "1";
        QTest::newRow("one pair only") << QByteArray("[Main]\r\nName=\"\"x\"\"\r\n") << "Main" << "Name" << "\"x\"";
        QTest::newRow("unmatched quotes kept") << QByteArray("[Main]\r\nName=\"x'\r\n") << "Main" << "Name" << "\"x'";
        QTest::newRow("semicolon inside value") << QByteArray("[Main]\r\nColor=5 ;note\r\n") << "Main" << "Color" << "5 ;note";
        QTest::newRow("before first header") << QByteArray("Color=7\r\n[Main]\r\n") << "Main" << "Color" << "  dflt";
        QTest::newRow("byte order mark hides the first header") << QByteArray("\xEF\xBB\xBF[Main]\r\nA=1\r\n") << "Main" << "A" << "  dflt";
        // The trail byte of 똠 (8C 63) is a lower-case "c": it must not match "C".
        QTest::newRow("trail byte is not folded")
            << (cp949(QStringLiteral("[똠]")) + "\r\nA=1\r\n") << Cp949::decode("\x8C\x43") << "A" << "  dflt";
        // clang-format on
    }
    void lookup()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        Fixture fx;
        writeFile(fx.path("t.ini"), file);
        ProfileFile pf(fx.fs);
        QCOMPARE(pf.read(fx.path("t.ini"), section, key, QStringLiteral("  dflt  ")), expected);
        // One snapshot gives the same answer as a read of its own.
        ProfileDocument doc;
        QVERIFY(pf.load(fx.path("t.ini"), doc).ok);
        QCOMPARE(ProfileFile::readFrom(doc, section, key, QStringLiteral("  dflt  ")), expected);
    }

    void bufferCut_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("bufferSize");
        QTest::addColumn<QString>("expected");
        const QString korean40 = QString(40, QChar(0xAC00));                    // 80 bytes
        const QString mixed = QStringLiteral("a") + QString(29, QChar(0xAC00)); // 59 bytes
        QTest::newRow("korean cut before a split character") << korean40 << 60 << QString(29, QChar(0xAC00));
        QTest::newRow("odd start ends exactly at 59") << mixed + QStringLiteral("나") << 60 << mixed;
        QTest::newRow("buffer of one") << QStringLiteral("abc") << 1 << QString();
    }
    void bufferCut()
    {
        QFETCH(QString, value);
        QFETCH(int, bufferSize);
        QFETCH(QString, expected);
        Fixture fx;
        ProfileFile pf(fx.fs);
        QVERIFY(pf.write(fx.path("t.ini"), "S", "K", value).ok);
        QCOMPARE(pf.read(fx.path("t.ini"), "S", "K", QString(), bufferSize), expected);
        // The default goes through the same buffer.
        QCOMPARE(pf.read(fx.path("t.ini"), "S", "Missing", value, bufferSize), expected);
    }

    // Every write changes one place of the file and leaves every other byte as it was.
    void write_data()
    {
        QTest::addColumn<QByteArray>("before"); // null: no file
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        const QByteArray big("; Daybrook settings\r\nstray line\r\n[Other]\r\nSunColor=1\r\n\r\n[Main]   ; note\r\n"
                             "  SUNcolor = 255  \r\nsunColor=999\r\n; the end\r\n\tWeird line\nTail=x");
        // clang-format off
        QTest::newRow("in place, first of two") << big << "main" << "SunColor" << "16711680"
                                                << QByteArray(big).replace("  SUNcolor = 255  ", "SUNcolor=16711680");
        QTest::newRow("last line keeps its missing end") << big << "Main" << "tail" << "y" << QByteArray(big).replace("Tail=x", "Tail=y");
        QTest::newRow("section with no keys: after its header")
            << QByteArray("[A]\r\n; c\r\n\r\n[B]\r\n") << "A" << "New" << "v" << QByteArray("[A]\r\nNew=v\r\n; c\r\n\r\n[B]\r\n");
        QTest::newRow("new section at the end") << QByteArray("[A]\r\nx=1\r\n\r\n") << " C " << "New" << "v"
                                                << QByteArray("[A]\r\nx=1\r\n\r\n[C]\r\nNew=v\r\n");
        QTest::newRow("new section after a cr-only end") << QByteArray("[A]\rx=1\r") << "C" << "New" << "v"
                                                         << QByteArray("[A]\rx=1\r[C]\r\nNew=v\r\n");
        QTest::newRow("stray bytes survive a rewrite") << QByteArray("[S]\r\nOdd=\x81\xFF\x80z\r\n") << "S" << "Odd"
                                                       << Cp949::decode("\x81\xFF\x80z") << QByteArray("[S]\r\nOdd=\x81\xFF\x80z\r\n");
        QTest::newRow("korean, no byte order mark")
            << QByteArray() << QStringLiteral("사용자정의 1") << QStringLiteral("제목") << QStringLiteral("똠방각하 햏 Arial,10")
            << cp949(QStringLiteral("[사용자정의 1]\r\n제목=똠방각하 햏 Arial,10\r\n"));
        // clang-format on
    }
    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        Fixture fx;
        if (!before.isNull())
            writeFile(fx.path("t.ini"), before);
        ProfileFile pf(fx.fs);
        QVERIFY(pf.write(fx.path("t.ini"), section, key, value).ok);
        QCOMPARE(readFile(fx.path("t.ini")), after);
        QCOMPARE(pf.read(fx.path("t.ini"), section, key, {}, 0), value.trimmed());
    }

    // A name or value that could not stand in the file, or would not read back, is
    // refused before anything is written.
    void refusesWhatWouldBreakTheFile_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("reasonPart");
        // clang-format off
        QTest::newRow("cr in value") << "S" << "K" << "a\rb" << "line break";
        QTest::newRow("emoji in value") << "S" << "K" << QStringLiteral("파티🎉") << QStringLiteral("🎉");
        QTest::newRow("bracket in section") << "S]x" << "K" << "v" << "]";
        QTest::newRow("tab before the key") << "S" << "\tK" << "v" << "cannot be a key";
        // clang-format on
    }
    void refusesWhatWouldBreakTheFile()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, reasonPart);
        Fixture fx;
        const QByteArray before("[S]\r\nK=old\r\n");
        writeFile(fx.path("t.ini"), before);
        ProfileFile pf(fx.fs);
        const IoStatus refused = pf.writeAll(fx.path("t.ini"), {{"S", "Other", "2"}, {section, key, value}});
        QVERIFY(!refused.ok);
        QVERIFY2(refused.reason.contains(reasonPart), qPrintable(refused.reason));
        QCOMPARE(fx.fs.writes, 0); // nothing written, not even the good pair before it
        QCOMPARE(readFile(fx.path("t.ini")), before);
    }

    void writeManyMatchesKeyByKey()
    {
        Fixture fx;
        const QByteArray start("; top\r\n[Main]\r\nA=1\r\n; keep\r\n\r\n[Other]\r\nB=2");
        writeFile(fx.path("one.ini"), start);
        writeFile(fx.path("many.ini"), start);
        const QList<QPair<QString, QString>> pairs{
            {"a", "10"}, {"New1", "x"}, {"B", "y"}, {"new1", "z"}, {"A", QStringLiteral("한글")}, {"C", ""}};
        ProfileFile pf(fx.fs);
        for (const auto& kv : pairs)
            QVERIFY(pf.write(fx.path("one.ini"), "Main", kv.first, kv.second).ok);
        QVERIFY(pf.writeMany(fx.path("many.ini"), "Main", pairs).ok);
        QCOMPARE(readFile(fx.path("many.ini")), readFile(fx.path("one.ini")));
        QCOMPARE(readFile(fx.path("many.ini")),
                 "; top\r\n[Main]\r\nA=" + cp949(QStringLiteral("한글")) + "\r\nNew1=z\r\nB=y\r\nC=\r\n; keep\r\n\r\n[Other]\r\nB=2");
    }

    // A file that exists but cannot be read is never replaced by a fresh one.
    void unreadableFileIsNotReplaced()
    {
        Fixture fx;
        const QByteArray before("[S]\r\nK=old\r\n");
        writeFile(fx.path("t.ini"), before);
        ProfileFile pf(fx.fs);
        fx.fs.failReadAt = fx.fs.reads + 1;
        QVERIFY(!pf.write(fx.path("t.ini"), "S", "Other", "new").ok);
        QCOMPARE(readFile(fx.path("t.ini")), before);
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
