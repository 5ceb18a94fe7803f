// A real full disk under every store of the window: a small tmpfs mounted and
// filled, so that writes fail with ENOSPC in the real file system. Mounting
// needs the superuser; every case also runs under a file size limit of zero
// (writes fail with EFBIG), which needs nobody's leave.
#include "TestSupport.h"

#include "app/frmOptions.h"
#include "days/DayFiles.h"
#include "holidays/HolidayPage.h"
#include "i18n/LanguageFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace td;
using namespace td::test;

namespace {

// Every file under the folder but the filler, hidden ones too, with its bytes.
QMap<QString, QByteArray> snapshot(const QString& folder, const QString& filler)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        if (const QString path = it.next(); path != filler)
            files.insert(path, readFile(path));
    return files;
}

// While it lives, no write of this process may make a file grow: each fails with
// EFBIG instead of raising SIGXFSZ.
class NoFileGrows {
public:
    NoFileGrows()
    {
        std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &old_);
        const rlimit none{0, old_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &none);
    }
    ~NoFileGrows() { ::setrlimit(RLIMIT_FSIZE, &old_); }
    NoFileGrows(const NoFileGrows&) = delete;
    NoFileGrows& operator=(const NoFileGrows&) = delete;

private:
    rlimit old_{};
};

QStringList texts(const QList<Message>& boxes)
{
    QStringList out;
    for (const Message& m : boxes)
        out << m.text;
    return out;
}

} // namespace

class TestFullDisk : public QObject {
    Q_OBJECT
private slots:
    void fullDisk_data()
    {
        // The boxes on a full disk ({ini}, {holidays}, {day1}, {workbook}, {reason} filled
        // in), then the one box once space is freed ("" for none).
        QTest::addColumn<QString>("store");
        QTest::addColumn<QStringList>("failed");
        QTest::addColumn<QString>("done");
        QTest::addColumn<bool>("tmpfs"); // else the file size limit
        const QString ini = QStringLiteral("다음 설정을 저장하지 못했습니다. 창을 닫지 않았으니 다시 시도하십시오.\r{ini}: {reason}");
        const QString holidays = QStringLiteral("공휴일 목록을 Holiday.dat 파일에 저장하지 못했습니다.\r{holidays}\r({reason})\r"
                                                "창을 닫지 않으니 목록은 그대로 남아 있습니다.");
        struct Row {
            const char* name;
            QString store;
            QStringList failed;
            QString done;
        };
        // clang-format off
        const QList<Row> rows{
            {"OK", "OK", {ini, holidays}, ""},
            {"store-now button", "CmdDColor", {ini}, "미리 설정 \"사용자정의 1\"을(를) 저장했습니다.\r{ini} [사용자정의 1]"},
            {"holiday store, first run", "holidays", {holidays}, ""},
            {"D-Day run", "generator",
             {"Daybrook 데이타 처리 중 3일을 처리하지 못했습니다.\r첫 실패: {day1}\r{reason}\r"
              "쓴 날 0일, 그대로 둔 날 0일, 실패한 날 3일"},
             "Daybrook 데이타 처리가 완료 되었습니다.\r쓴 날 3일, 그대로 둔 날 0일, 실패한 날 0일"},
            {"export over a workbook", "export", {"변환한 자료를 파일에 저장하지 못했습니다.\r{workbook}\r{any reason}"},
             "Daybrook 데이타 변환이 완료 되었습니다.\r{workbook}"},
            // The workbook library's own temporary files on the full disk too.
            {"export, temporary folder full", "export-tmp", {"변환한 자료를 파일에 저장하지 못했습니다.\r{workbook}\r{any reason}"},
             "Daybrook 데이타 변환이 완료 되었습니다.\r{workbook}"}};
        // clang-format on
        for (const bool tmpfs : {true, false})
            for (const Row& r : rows)
                QTest::addRow("%s, %s", r.name, tmpfs ? "tmpfs" : "size limit") << r.store << r.failed << r.done << tmpfs;
    }

    // Each store on a full disk keeps every file as it was, tells the user once
    // per file which file failed and why, and keeps the window open; once space
    // is freed the same store succeeds.
    void fullDisk()
    {
        QFETCH(QString, store);
        QFETCH(QStringList, failed);
        QFETCH(QString, done);
        QFETCH(bool, tmpfs);
        Fixture fx;
        const QString folder = fx.path(QStringLiteral("program"));
        QVERIFY(QDir().mkpath(folder));
        const QByteArray mountPoint = QFile::encodeName(folder);
        if (tmpfs && ::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=4m") != 0)
            QSKIP("mounting a tmpfs needs the superuser");
        const auto unmount = qScopeGuard([&] {
            if (tmpfs)
                ::umount2(mountPoint.constData(), MNT_DETACH);
        });
        const QString filler = folder + QStringLiteral("/.filler");
        const QByteArray tmpdir = qgetenv("TMPDIR");
        const auto restoreTmp = qScopeGuard([&] { tmpdir.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", tmpdir); });
        if (store == QLatin1String("export-tmp"))
            qputenv("TMPDIR", mountPoint);

        fx.services.programFolder = folder;
        fx.services.DataFolder = folder + QLatin1Char('/');
        QFile::copy(QStringLiteral(TUNEDESK_SOURCE_DIR "/data/tuneKorean.lng"), folder + QStringLiteral("/tuneKorean.lng"));
        const QString ini = folder + QStringLiteral("/Daybrook.ini"), holidays = folder + QStringLiteral("/Holiday.dat"),
                      workbook = folder + QStringLiteral("/book.xlsx");
        const QString day1 = DayFiles::dayFile(fx.services.DataFolder, QDate(2026, 12, 1));
        writeFile(ini, cp949(QStringLiteral("[사용자정의 1]\r\nSunColor=255\r\n[다른 설정]\r\nKey=kept as it was\r\n")));
        if (store != QLatin1String("holidays"))
            writeFile(holidays, "[Holiday Etc]\r\nContents No=1\r\n[Holiday Day]\r\nholi0=1/1(S)[New Year]\r\n");
        writeFile(day1, "[Dentist at nine]\r\n");
        writeFile(DayFiles::dayFile(fx.services.DataFolder, QDate(2026, 12, 2)), "[Call the bank]\r\n");
        writeFile(workbook, "an older workbook");

        LanguageFile lng(fx.fs, fx.boxes, folder, fx.services.currentLanguage);
        frmOptions window(fx.services, lng, frmOptions::captionFor(1, 55));
        QVERIFY(window.Form_Load());
        window.show();
        control<QComboBox>(window, "CmbDefault")->setCurrentIndex(5); // a user preset: the store-now button works
        auto choose = [&window](const char* name, int index, const char* text) {
            control<QComboBox>(window, name, index)->setCurrentText(QLatin1String(text));
        };
        // A countdown from 2026/12/1 to 12/3 on the first of the month, and an export of 2026/12.
        for (const int i : {5, 4, 0, 1}) {
            choose("CmbPYear", i, "2026");
            choose("CmbPmonth", i, "12");
        }
        choose("CmbPDay", 5, "1");
        choose("CmbPDay", 4, "3");
        choose("CmbMDay2", -1, "1");
        control<QLineEdit>(window, "TxtRegPlan2")->setText(QStringLiteral("Exam of the year"));
        control<QCheckBox>(window, "ChkShow")->setChecked(false);
        fx.boxes.shown.clear();

        auto act = [&] {
            if (store == QLatin1String("OK")) {
                control<QPushButton>(window, "cmdOK")->click();
                fx.boxes.shown.removeFirst(); // the prompt
            } else if (store == QLatin1String("CmdDColor")) {
                control<QPushButton>(window, "CmdDColor")->click();
            } else if (store == QLatin1String("holidays")) {
                control<HolidayPage>(window)->Main_WriteProfile();
            } else if (store == QLatin1String("generator")) {
                showPage(window, 6);
                control<QPushButton>(window, "CmdDataInput2", 0)->click();
            } else {
                showPage(window, 4);
                fx.dialog.confirmWith([&](CommonDialog& d) { d.FileName = workbook; });
                control<QPushButton>(window, "CmdTitle")->click();
            }
        };

        const QMap<QString, QByteArray> before = snapshot(folder, filler);
        if (tmpfs) {
            fillFileSystem(filler);
            act();
            QFile::remove(filler);
        } else {
            const NoFileGrows limit;
            act();
        }
        QCOMPARE(snapshot(folder, filler), before); // every file byte for byte, nothing added
        QVERIFY(window.isVisible());

        // One message per failed file, naming it and why; the run's names the first day it failed on.
        const QStringList names{"{ini}", "{holidays}", "{day1}", "{workbook}", "{reason}"};
        const QStringList values{ini, holidays, day1, workbook, QString::fromLocal8Bit(strerror(tmpfs ? ENOSPC : EFBIG))};
        auto fillIn = [&](QString& text) {
            for (qsizetype i = 0; i < names.size(); ++i)
                text.replace(names[i], values[i]);
        };
        for (QString& text : failed)
            fillIn(text);
        fillIn(done);
        QStringList shown = texts(fx.boxes.shown);
        for (qsizetype i = 0; i < shown.size(); ++i) {
            // The workbook library words its own reason, and not always the system's.
            const qsizetype any = failed.value(i).indexOf(QLatin1String("{any reason}"));
            if (any > 0 && shown[i].size() > any)
                shown[i] = shown[i].left(any) + QStringLiteral("{any reason}");
        }
        QCOMPARE(shown, failed);

        // Space again: the same store goes through.
        fx.boxes.shown.clear();
        act();
        QCOMPARE(texts(fx.boxes.shown), done.isEmpty() ? QStringList() : QStringList{done});
        if (store == QLatin1String("OK"))
            QVERIFY(!window.isVisible());
        else if (store == QLatin1String("generator"))
            QCOMPARE(readFile(day1), QByteArray("[Exam of the year D-2]\n[Dentist at nine]\r\n"));
        else if (store.startsWith(QLatin1String("export")))
            QVERIFY(readFile(workbook).startsWith("PK"));
        else if (store == QLatin1String("holidays"))
            QVERIFY(readFile(holidays).contains("[Holiday Etc]"));
        if (done.isEmpty())
            QVERIFY(snapshot(folder, filler) != before);
    }
};

QTEST_MAIN(TestFullDisk)
#include "tst_full_disk.moc"
