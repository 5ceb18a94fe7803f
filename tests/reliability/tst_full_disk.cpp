// A real full disk under every store of the window. As root a small tmpfs is
// mounted and filled (writes fail with ENOSPC); where mounting is not allowed,
// each case runs in a child process whose file-size limit makes writes fail
// the same way (EFBIG). Either way the writes go through the real file system.
#include "TestSupport.h"

#include "app/frmOptions.h"
#include "days/DayFiles.h"
#include "display/PresetsPage.h"
#include "export/ExportPage.h"
#include "holidays/HolidayPage.h"
#include "i18n/LanguageFile.h"
#include "schedule/DDayPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QListWidget>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace td;
using namespace td::test;

namespace {

const char* kByLimit = "TD_FULL_DISK_BY_LIMIT";

// A folder whose file system can be filled and freed again.
class FullDisk {
public:
    explicit FullDisk(const QString& folder) : folder_(folder)
    {
        byLimit_ = qEnvironmentVariableIsSet(kByLimit);
        if (!byLimit_)
            mounted_ = ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=4m") == 0;
    }
    ~FullDisk()
    {
        free();
        if (mounted_)
            ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
    }
    bool usable() const { return mounted_ || byLimit_; }
    QString reason() const { return QString::fromLocal8Bit(strerror(byLimit_ ? EFBIG : ENOSPC)); }

    void fill()
    {
        if (byLimit_) {
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit lim{};
            ::getrlimit(RLIMIT_FSIZE, &lim);
            saved_ = lim;
            lim.rlim_cur = 16; // every file the cases write is longer
            QVERIFY(::setrlimit(RLIMIT_FSIZE, &lim) == 0);
            filled_ = true;
            return;
        }
        const int fd = ::open(QFile::encodeName(filler()).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        QVERIFY(fd >= 0);
        const QByteArray block(65536, 'f');
        for (qsizetype size = block.size(); size > 0;) {
            if (::write(fd, block.constData(), size_t(size)) < 0) {
                QCOMPARE(errno, ENOSPC);
                size /= 2; // down to the last free byte
            }
        }
        ::close(fd);
        filled_ = true;
    }
    void free()
    {
        if (!filled_)
            return;
        if (byLimit_)
            ::setrlimit(RLIMIT_FSIZE, &saved_);
        else
            QFile::remove(filler());
        filled_ = false;
    }
    QString filler() const { return folder_ + QStringLiteral("/.filler"); }

private:
    QString folder_;
    bool byLimit_ = false, mounted_ = false, filled_ = false;
    rlimit saved_{};
};

// Every file under the folder, hidden ones too, with its bytes.
QMap<QString, QByteArray> snapshot(const QString& folder, const QString& skip)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path != skip)
            files.insert(path, readFile(path));
    }
    return files;
}

void choose(QComboBox* list, const QString& text)
{
    const int i = list->findText(text);
    QVERIFY2(i >= 0, qPrintable(text));
    list->setCurrentIndex(i);
}

const QString kExportFailed = QStringLiteral("변환한 자료를 파일에 저장하지 못했습니다.");

} // namespace

class TestFullDisk : public QObject {
    Q_OBJECT
private slots:
    void fullDisk_data()
    {
        QTest::addColumn<QString>("store");
        // clang-format off
        QTest::newRow("OK") << "OK";
        QTest::newRow("store-now button") << "CmdDColor";
        QTest::newRow("holiday store, first run") << "holidays";
        QTest::newRow("D-Day run") << "generator";
        QTest::newRow("export over a workbook") << "export";
        // clang-format on
    }

    // Each store on a full disk keeps every file as it was, tells the user once
    // per file which file failed and why, and keeps the window open; once space
    // is freed the same store succeeds.
    void fullDisk()
    {
        QFETCH(QString, store);
        Fixture fx;
        const QString folder = fx.path(QStringLiteral("program"));
        QVERIFY(QDir().mkpath(folder));
        FullDisk disk(folder);
        if (!disk.usable()) {
            // Not allowed to mount: the same case in a child under a file-size limit.
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QString::fromLatin1(kByLimit), QStringLiteral("1"));
            child.setProcessEnvironment(env);
            child.setProcessChannelMode(QProcess::MergedChannels);
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("fullDisk:") + QString::fromUtf8(QTest::currentDataTag())});
            QVERIFY(child.waitForFinished(120000));
            const QByteArray out = child.readAll();
            QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, out.constData());
            QVERIFY2(out.contains("Totals: 3 passed"), out.constData()); // init, the case, cleanup
            return;
        }

        fx.services.programFolder = folder;
        fx.services.DataFolder = folder + QLatin1Char('/');
        QFile::copy(QStringLiteral(TUNEDESK_SOURCE_DIR "/data/tuneKorean.lng"), folder + QStringLiteral("/tuneKorean.lng"));
        const QString ini = folder + QStringLiteral("/Daybrook.ini");
        const QString holidays = folder + QStringLiteral("/Holiday.dat");
        const QString workbook = folder + QStringLiteral("/book.xlsx");
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
        window.presetsPage->setCurrentPreset(5); // a user preset: the store-now button works
        choose(control<QComboBox>(*window.ddayPage, "CmbPYear", 5), "2026");
        choose(control<QComboBox>(*window.ddayPage, "CmbPmonth", 5), "12");
        choose(control<QComboBox>(*window.ddayPage, "CmbPDay", 5), "1");
        choose(control<QComboBox>(*window.ddayPage, "CmbPYear", 4), "2026");
        choose(control<QComboBox>(*window.ddayPage, "CmbPmonth", 4), "12");
        choose(control<QComboBox>(*window.ddayPage, "CmbPDay", 4), "3");
        choose(control<QComboBox>(*window.ddayPage, "CmbMDay2"), "1");
        control<QLineEdit>(*window.ddayPage, "TxtRegPlan2")->setText(QStringLiteral("Exam of the year"));
        for (int i = 0; i < 2; ++i) {
            choose(control<QComboBox>(*window.exportPage, "CmbPYear", i), "2026");
            choose(control<QComboBox>(*window.exportPage, "CmbPmonth", i), "12");
        }
        control<QCheckBox>(*window.exportPage, "ChkShow")->setChecked(false);
        fx.boxes.shown.clear();

        auto act = [&] {
            if (store == QLatin1String("OK")) {
                window.cmdOK->click();
                fx.boxes.shown.removeFirst(); // the prompt
            } else if (store == QLatin1String("CmdDColor")) {
                control<QPushButton>(*window.presetsPage, "CmdDColor")->click();
            } else if (store == QLatin1String("holidays")) {
                window.holidayPage->Main_WriteProfile();
            } else if (store == QLatin1String("generator")) {
                window.LstOption->setCurrentRow(6); // the page of the button, as a user gets there
                control<QPushButton>(*window.ddayPage, "CmdDataInput2", 0)->click();
            } else {
                window.LstOption->setCurrentRow(4);
                fx.dialog.confirmWith([&](CommonDialog& d) { d.FileName = workbook; });
                control<QPushButton>(*window.exportPage, "CmdTitle")->click();
            }
        };

        const QMap<QString, QByteArray> before = snapshot(folder, disk.filler());
        disk.fill();
        act();
        disk.free();
        QCOMPARE(snapshot(folder, disk.filler()), before); // every file byte for byte, nothing added
        QVERIFY(window.isVisible());

        // One message per failed file, naming it and why.
        const QString iniFailed = ini + QStringLiteral(": ") + disk.reason();
        const QString holidaysFailed = holidays + QStringLiteral("\r(") + disk.reason() + QLatin1Char(')');
        QStringList expected;
        if (store == QLatin1String("OK"))
            expected = {iniFailed, holidaysFailed};
        else if (store == QLatin1String("CmdDColor"))
            expected = {iniFailed};
        else if (store == QLatin1String("holidays"))
            expected = {holidaysFailed};
        if (!expected.isEmpty()) {
            QCOMPARE(fx.boxes.shown.size(), expected.size());
            for (int i = 0; i < expected.size(); ++i)
                QVERIFY2(fx.boxes.shown[i].text.contains(expected[i]), qPrintable(fx.boxes.shown[i].text));
        } else if (store == QLatin1String("generator")) {
            QCOMPARE(fx.boxes.shown.size(), 1);
            QCOMPARE(fx.boxes.shown[0].text, QStringLiteral("Daybrook 데이타 처리 중 3일을 처리하지 못했습니다.\r첫 실패: ")
                                                 + day1 + QLatin1Char('\r') + disk.reason());
        } else {
            QCOMPARE(fx.boxes.shown.size(), 1);
            const QString text = fx.boxes.shown[0].text;
            const QString head = kExportFailed + QLatin1Char('\r') + workbook + QLatin1Char('\r');
            QVERIFY2(text.startsWith(head) && text.size() > head.size(), qPrintable(text));
        }

        // Space again: the same store goes through.
        fx.boxes.shown.clear();
        act();
        if (store == QLatin1String("OK")) {
            QVERIFY(!window.isVisible());
        } else if (store == QLatin1String("generator")) {
            QCOMPARE(fx.boxes.shown.size(), 1);
            QCOMPARE(fx.boxes.shown[0].text, QStringLiteral("Daybrook 데이타 처리가 완료 되었습니다."));
            QCOMPARE(readFile(day1), QByteArray("[Exam of the year D-2]\n[Dentist at nine]\r\n"));
        } else if (store == QLatin1String("export")) {
            QCOMPARE(fx.boxes.shown.size(), 1);
            QCOMPARE(fx.boxes.shown[0].text, QStringLiteral("Daybrook 데이타 변환이 완료 되었습니다."));
            QVERIFY(readFile(workbook).startsWith("PK"));
        } else {
            QVERIFY2(fx.boxes.shown.isEmpty(), qPrintable(fx.boxes.shown.value(0).text));
        }
        if (store != QLatin1String("generator") && store != QLatin1String("export"))
            QVERIFY(snapshot(folder, disk.filler()) != before);
        if (store == QLatin1String("holidays"))
            QVERIFY(readFile(holidays).contains("[Holiday Etc]"));
    }
};

QTEST_MAIN(TestFullDisk)
#include "tst_full_disk.moc"
