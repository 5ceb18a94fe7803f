// Files as hostile as the disk may hold them: huge, random, full of zero bytes,
// counts that lie, locks nobody holds. Each gives its documented result.
#include "TestSupport.h"
#include "holidays/HolidayFile.h"
#include "i18n/LanguageFile.h"
#include "platform/Cp949.h"
#include "platform/InstanceLock.h"
#include "platform/ProfileFile.h"
#include "schedule/DayEntry.h"
#include "schedule/DayFiles.h"
#include "schedule/DayRun.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

using namespace td;
using namespace td::test;

namespace {

const QDate kDay(2004, 3, 5);

QString entry() { return DayEntry::countdown(QStringLiteral("["), QStringLiteral("Exam"), QStringLiteral("]"), 30); }

// Registers the countdown entry on the day, then removes it; returns the day
// file's bytes after each step.
struct RoundTrip {
    QByteArray registered, removed;
};
RoundTrip registerThenRemove(Fixture& f, const QByteArray& dayFile)
{
    const QString data = f.dir.path() + QLatin1Char('/');
    QDir().mkpath(DayFiles::monthFolder(data, kDay));
    const QString path = DayFiles::dayFile(data, kDay);
    writeFile(path, dayFile);
    RoundTrip r;
    bool changed = false;
    if (!processDay(f.fs, data, kDay, entry(), DayAction::Register, &changed) || !changed)
        return r;
    r.registered = readFile(path);
    if (!processDay(f.fs, data, kDay, entry(), DayAction::Remove, &changed) || !changed)
        return r;
    r.removed = readFile(path);
    return r;
}

// The reading rule, written out on bytes: lines end at CR or CR LF, leading
// empty lines vanish, the rest are joined with LF; the tool ends its file with CR LF.
QByteArray asRewritten(QByteArray bytes)
{
    const bool ended = bytes.endsWith('\r') || bytes.endsWith("\r\n");
    while (bytes.startsWith("\r\n") || bytes.startsWith('\r'))
        bytes.remove(0, bytes.startsWith("\r\n") ? 2 : 1);
    bytes.replace("\r\n", "\n");
    bytes.replace('\r', '\n');
    if (ended)
        bytes.chop(1);
    return bytes + "\r\n";
}

QByteArray randomBytes(quint32 seed, qsizetype size, bool withCr)
{
    QRandomGenerator rng(seed);
    QByteArray out(size, Qt::Uninitialized);
    for (char& c : out) {
        c = char(rng.bounded(256));
        if (!withCr && c == '\r')
            c = 'r';
    }
    return out;
}

// A literal with its zero bytes.
template <size_t N>
QByteArray raw(const char (&s)[N])
{
    return QByteArray(s, N - 1);
}

QByteArray lockContents(qint64 pid, const QByteArray& app)
{
    return QByteArray::number(pid) + '\n' + app + '\n' + QSysInfo::machineHostName().toUtf8() + '\n';
}

} // namespace

class TestHostileFiles : public QObject {
    Q_OBJECT
    QProcess otherProgram_;
    QByteArray bigProfile_;

    // 100,000 presets, about 10 MB.
    const QByteArray& bigProfileFile()
    {
        if (bigProfile_.isEmpty()) {
            bigProfile_.reserve(11 * 1024 * 1024);
            for (int i = 0; i < 100000; ++i) {
                const QByteArray n = QByteArray::number(i).rightJustified(6, '0');
                bigProfile_ += "[Preset" + n + "]\r\nSunColor=" + QByteArray::number(i) + "\r\nFont=Arial,10\r\nTitle=Preset "
                    + QByteArray::number(i) + "\r\nBackPicture=C:\\Daybrook\\skins\\winter.bmp\r\n";
            }
            bigProfile_ += "; end\r\n";
        }
        return bigProfile_;
    }

private slots:
    // ---- day files ----

    void hugeDayFile()
    {
        // 50 MB of notes as the tool writes them: entries joined by LF, CR LF at the end.
        QByteArray notes;
        notes.reserve(50 * 1024 * 1024 + 64);
        const QByteArray korean = Cp949::encode(QStringLiteral("[회의] 3시 회의실")).bytes;
        for (int i = 0; notes.size() < 50 * 1024 * 1024; ++i)
            notes += "[Note " + QByteArray::number(i) + "] " + korean + " " + QByteArray(160, 'x') + '\n';
        notes.chop(1);
        notes += "\r\n";

        Fixture f;
        const RoundTrip r = registerThenRemove(f, notes);
        QCOMPARE(r.registered.size(), notes.size() + Cp949::encode(entry()).bytes.size() + 1);
        QVERIFY(r.registered.startsWith(Cp949::encode(entry()).bytes + '\n'));
        QVERIFY(r.registered.endsWith(notes));
        QVERIFY(r.removed == notes);
    }

    void randomDayFile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("afterward");
        for (quint32 seed : {1u, 2u, 3u}) {
            // Without CR every byte is one line's text: the same bytes come back.
            const QByteArray plain = randomBytes(seed, 64 * 1024, false) + "\r\n";
            QTest::addRow("seed %u, no CR", seed) << plain << plain;
            // With CR, the lines come back joined by LF.
            const QByteArray any = randomBytes(seed, 64 * 1024, true);
            QTest::addRow("seed %u, any bytes", seed) << any << asRewritten(any);
        }
    }
    void randomDayFile()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, afterward);
        Fixture f;
        const RoundTrip r = registerThenRemove(f, file);
        QVERIFY(r.registered.startsWith(Cp949::encode(entry()).bytes + '\n'));
        QCOMPARE(r.removed.size(), afterward.size());
        QVERIFY(r.removed == afterward);
    }

    void zeroBytesInDayFile()
    {
        Fixture f;
        const QByteArray file = raw("[A]\0 zero\n\0\n[B]\0\r\n");
        const RoundTrip r = registerThenRemove(f, file);
        QCOMPARE(r.registered, Cp949::encode(entry()).bytes + '\n' + file);
        QCOMPARE(r.removed, file);
    }

    // ---- Daybrook.ini ----

    void bigProfileReads()
    {
        const QByteArray& file = bigProfileFile();
        QVERIFY(file.size() > 10 * 1000 * 1000);
        Fixture f;
        const QString path = f.path(QStringLiteral("Daybrook.ini"));
        writeFile(path, file);
        ProfileFile profile(f.fs);
        QCOMPARE(profile.read(path, QStringLiteral("Preset099999"), QStringLiteral("SunColor")), QStringLiteral("99999"));
        QCOMPARE(profile.read(path, QStringLiteral("Preset100000"), QStringLiteral("Font"), QStringLiteral("none ")),
                 QStringLiteral("none"));
    }

    void bigProfile_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("oldPart");   // what the write replaces
        QTest::addColumn<QByteArray>("newPart");
        QTest::newRow("key in the middle") << "Preset050000" << "SunColor" << "255"
                                           << QByteArray("[Preset050000]\r\nSunColor=50000\r\n")
                                           << QByteArray("[Preset050000]\r\nSunColor=255\r\n");
        QTest::newRow("new key in the last section")
            << "preset099999" << "WeekView" << "1" << QByteArray("BackPicture=C:\\Daybrook\\skins\\winter.bmp\r\n; end\r\n")
            << QByteArray("BackPicture=C:\\Daybrook\\skins\\winter.bmp\r\nWeekView=1\r\n; end\r\n");
        QTest::newRow("new section") << "사용자1" << "SunColor" << "0" << QByteArray("; end\r\n")
                                     << QByteArray("; end\r\n") + cp949(QStringLiteral("[사용자1]\r\nSunColor=0\r\n"));
    }
    void bigProfile()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, oldPart);
        QFETCH(QByteArray, newPart);

        const QByteArray& file = bigProfileFile();
        Fixture f;
        const QString path = f.path(QStringLiteral("Daybrook.ini"));
        writeFile(path, file);
        ProfileFile profile(f.fs);
        QVERIFY(profile.write(path, section, key, value).ok);
        const qsizetype at = file.lastIndexOf(oldPart);
        QVERIFY(at >= 0);
        const QByteArray expected = file.left(at) + newPart + file.mid(at + oldPart.size());
        const QByteArray written = readFile(path);
        QCOMPARE(written.size(), expected.size());
        QVERIFY(written == expected);
        QCOMPARE(profile.read(path, section, key), value);
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
        QByteArray expected = file;
        expected.replace(raw("Font=Ari\0al"), "Font=Arial,10");
        QCOMPARE(readFile(path), expected);
        // A zero character cannot be written into the file.
        QVERIFY(!profile.write(path, QStringLiteral("Default"), QStringLiteral("Font"), QString::fromLatin1(raw("a\0b"))).ok);
        QCOMPARE(readFile(path), expected);
    }

    // ---- Holiday.dat ----

    void holidayCountThatLies_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("loaded");
        QTest::newRow("32767 over three keys")
            << QByteArray("[Holiday Etc]\r\nContents No=32767\r\n[Holiday Day]\r\nHoli0=1/1(S)[A]\r\nHoli9000=2/2(S)[B]\r\n"
                          "Holi32766=3/3(L)[C]\r\nHoli32767=4/4(S)[past the count]\r\n")
            << QStringList{"1/1(S)[A]", "2/2(S)[B]", "3/3(L)[C]"};
        QTest::newRow("zero bytes") << raw("[Holiday Etc]\r\nContents No=3\0 junk\r\n[Holiday Day]\r\nHoli0=1/1(S)[A\0B]\r\n"
                                                  "Holi1=\0\r\nHoli2=2/2(L)[C]\r\n")
                                    << QStringList{"1/1(S)[A", "2/2(L)[C]"};
        QTest::newRow("zero byte in the count") << raw("[Holiday Etc]\r\nContents No=\0" "3\r\n[Holiday Day]\r\nHoli0=a\r\n")
                                                << QStringList{};
    }
    void holidayCountThatLies()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, loaded);
        Fixture f;
        const QString path = f.path(QStringLiteral("Holiday.dat"));
        writeFile(path, file);
        QCOMPARE(HolidayFile::load(f.fs, path), loaded);

        // Storing over it gives the stored list back, whatever the file said before.
        const QStringList stored{"5/5(S)[Children]", "12/25(S)[X-mas]"};
        QVERIFY(HolidayFile::store(f.fs, path, stored).ok);
        QCOMPARE(HolidayFile::load(f.fs, path), stored);
    }

    // ---- language file ----

    void longLanguageFile_data()
    {
        QTest::addColumn<int>("badLine");   // 0: none
        QTest::newRow("well formed") << 0;
        QTest::newRow("malformed near the end") << 99990;
    }
    void longLanguageFile()
    {
        QFETCH(int, badLine);
        QByteArray file;
        for (int i = 0; i < 100000; ++i) {
            if (i == badLine && badLine)
                file += "no key on this line\r\n";
            else
                file += QByteArray::number(1000 + i % 9000) + ' ' + cp949(QStringLiteral("캡션 ")) + QByteArray::number(i) + "\r\n";
        }
        Fixture f;
        writeFile(f.path(QStringLiteral("tuneKorean.lng")), file);
        LanguageFile lng(f.fs, f.boxes, f.dir.path(), QStringLiteral("Korean"));
        if (badLine) {
            QVERIFY_THROWS_EXCEPTION(ProgramEnd, lng.GetLngText(1000, QStringLiteral("tuneKorean.lng")));
            QVERIFY(f.boxes.shown.isEmpty());
            return;
        }
        // The last line of a key wins; the file is read once for all lookups.
        for (int key = 1000; key < 10000; key += 97)
            QCOMPARE(lng.GetLngText(key, QStringLiteral("tuneKorean.lng")),
                     QStringLiteral("캡션 %1").arg(99000 + (key - 1000) - (key - 1000 >= 1000 ? 9000 : 0)));
        QCOMPARE(lng.GetLngText(999, QStringLiteral("tuneKorean.lng")), QString());
        QCOMPARE(lng.fileReads(), 1);
    }

    void zeroBytesInLanguageFile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("ends");
        QTest::addColumn<QString>("text");   // of key 1000
        QTest::newRow("in a caption") << raw("1000 a\0b\r\n") << false << QString::fromLatin1(raw("a\0b"));
        QTest::newRow("a line of one zero byte") << raw("1000 a\r\n\0\r\n") << true << QString();
        QTest::newRow("in the key") << raw("10\0" "00 a\r\n") << true << QString();
    }
    void zeroBytesInLanguageFile()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, ends);
        QFETCH(QString, text);
        Fixture f;
        writeFile(f.path(QStringLiteral("tuneKorean.lng")), file);
        LanguageFile lng(f.fs, f.boxes, f.dir.path(), QStringLiteral("Korean"));
        if (ends)
            QVERIFY_THROWS_EXCEPTION(ProgramEnd, lng.GetLngText(1000, QStringLiteral("tuneKorean.lng")));
        else
            QCOMPARE(lng.GetLngText(1000, QStringLiteral("tuneKorean.lng")), text);
        QVERIFY(f.boxes.shown.isEmpty());
    }

    // ---- instance lock ----

    void staleInstanceLock_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("acquired");

        QProcess gone;
        gone.start(QStringLiteral("true"), {});
        QVERIFY(gone.waitForFinished());
        QTest::newRow("holder has ended") << lockContents(gone.processId(), "tunedesk") << true;

        // A live process of another program holds the pid the lock names.
        if (otherProgram_.state() == QProcess::NotRunning) {
            otherProgram_.start(QStringLiteral("sleep"), {QStringLiteral("60")});
            QVERIFY(otherProgram_.waitForStarted());
        }
        QTest::newRow("pid reused by another program") << lockContents(otherProgram_.processId(), "tunedesk") << true;

        // A copy killed between creating the lock file and writing it.
        QTest::newRow("empty lock file") << QByteArray() << true;
        QTest::newRow("garbage") << QByteArray("not a lock file at all") << true;
        QTest::newRow("zero bytes") << QByteArray(64, '\0') << true;
    }
    void staleInstanceLock()
    {
        QFETCH(QByteArray, contents);
        QFETCH(bool, acquired);
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("/tunedesk.lock");
        writeFile(path, contents);
        QtInstanceLock lock(path);
        QCOMPARE(lock.tryAcquire(), acquired);
        if (acquired) {
            // Now held: a second copy is kept out.
            QtInstanceLock second(path);
            QVERIFY(!second.tryAcquire());
        }
    }

    void cleanupTestCase()
    {
        otherProgram_.kill();
        otherProgram_.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestHostileFiles)
#include "tst_hostile_files.moc"
