#include "TestSupport.h"

#include "app/AboutPanel.h"
#include "app/frmOptions.h"
#include "app/frmSplash.h"
#include "display/PresetsPage.h"
#include "i18n/LanguageFile.h"
#include "platform/InstanceLock.h"

#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <sys/stat.h>

using namespace td;
using namespace td::test;

namespace {

struct WindowFixture : Fixture {
    WindowFixture() { installLanguageFile(); }
    LanguageFile lng{fs, boxes, dir.path(), services.currentLanguage};
    frmOptions window{services, lng, frmOptions::captionFor(1, 55)};
};

class FakeLock : public IInstanceLock {
public:
    bool free = true;
    bool tryAcquire() override { return free; }
};

} // namespace

class TestFrame : public QObject {
    Q_OBJECT
private slots:
    void dataFolderRule_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("folder");
        // clang-format off
        QTest::newRow("stored, used unchanged") << QStringLiteral("/data/plans") << QStringLiteral("/opt/td")
                                                << QStringLiteral("/data/plans");
        QTest::newRow("stored with separator") << QStringLiteral("/data/plans/") << QStringLiteral("/opt/td")
                                               << QStringLiteral("/data/plans/");
        QTest::newRow("program folder gets a separator") << QString() << QStringLiteral("/opt/td")
                                                         << QStringLiteral("/opt/td/");
        QTest::newRow("root is not doubled") << QString() << QStringLiteral("/") << QStringLiteral("/");
        // clang-format on
    }
    void dataFolderRule()
    {
        QFETCH(QString, stored);
        QFETCH(QString, program);
        QFETCH(QString, folder);
        QCOMPARE(Services::dataFolderFor(stored, program), folder);
    }

    void loadShowsPageZeroWithoutSelection()
    {
        WindowFixture fx;
        fx.store.values.insert(QStringLiteral("DataSaveDir"), QStringLiteral("/plans"));
        QVERIFY(fx.window.Form_Load());
        QCOMPARE(fx.window.windowTitle(), QStringLiteral("Tune Desk for Daybrook build155"));
        QCOMPARE(fx.services.DataFolder, QStringLiteral("/plans"));
        QCOMPARE(fx.window.LstOption->currentRow(), -1);
        QCOMPARE(fx.window.presetsPage->currentPreset(), 0);
        for (int i = 0; i < 9; ++i) {
            QCOMPARE(fx.window.isPanelShown(i), i == 0);
            QCOMPARE(fx.window.picOptions[i]->isEnabled(), i == 0);
        }
        QVERIFY(fx.boxes.shown.isEmpty());
    }

    void okShowsPromptAndCloses()
    {
        WindowFixture fx;
        QVERIFY(fx.window.Form_Load());
        fx.window.show();
        fx.window.cmdOK->click();
        QCOMPARE(fx.boxes.shown.size(), 1);
        QCOMPARE(fx.boxes.shown[0].text, QStringLiteral("[Tunedesk.exe]"));
        QCOMPARE(fx.boxes.shown[0].title, QStringLiteral("Tunedesk"));
        QCOMPARE(fx.boxes.shown[0].icon, MsgIcon::Information);
        QCOMPARE(fx.boxes.shown[0].buttons, MsgButtons::Ok);
        QVERIFY(!fx.window.isVisible());
    }

    void failedStoreAtOkKeepsWindowOpen_data()
    {
        QTest::addColumn<QString>("failing");
        QTest::newRow("settings file") << QStringLiteral("Daybrook.ini");
        QTest::newRow("holiday file") << QStringLiteral("Holiday.dat");
    }
    void failedStoreAtOkKeepsWindowOpen()
    {
        QFETCH(QString, failing);
        WindowFixture fx;
        QVERIFY(fx.window.Form_Load());
        fx.window.show();
        fx.fs.failPathPart = failing;
        fx.window.cmdOK->click();
        QVERIFY(fx.window.isVisible());
        QCOMPARE(fx.boxes.shown.size(), 2); // the prompt, then one message naming the file
        QVERIFY2(fx.boxes.shown[1].text.contains(failing), qPrintable(fx.boxes.shown[1].text));
        QVERIFY(!QFile::exists(fx.path(failing)));

        // Once the disk is writable again, OK stores both files and closes.
        fx.fs.failPathPart.clear();
        fx.window.cmdOK->click();
        QVERIFY(!fx.window.isVisible());
        QVERIFY(QFile::exists(fx.path(QStringLiteral("Daybrook.ini"))));
        QVERIFY(QFile::exists(fx.path(QStringLiteral("Holiday.dat"))));
    }

    // A FIFO or a device in place of a settings file is a failed load step, never
    // read or replaced: the window opens, and OK names the file and keeps it.
    void oddSettingsFilesDoNotHangTheWindow_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("fifo");
        QTest::addColumn<QString>("named"); // how the failure message names it
        // clang-format off
        QTest::newRow("FIFO as Daybrook.ini") << "Daybrook.ini" << true << "Daybrook.ini: not a regular file";
        QTest::newRow("device as Daybrook.ini") << "Daybrook.ini" << false << "Daybrook.ini: not a regular file";
        QTest::newRow("FIFO as Holiday.dat") << "Holiday.dat" << true << "Holiday.dat\r(not a regular file)";
        QTest::newRow("device as Holiday.dat") << "Holiday.dat" << false << "Holiday.dat\r(not a regular file)";
        // clang-format on
    }
    void oddSettingsFilesDoNotHangTheWindow()
    {
        QFETCH(QString, name);
        QFETCH(bool, fifo);
        QFETCH(QString, named);
        WindowFixture fx;
        const QString path = fx.path(name);
        QVERIFY(fifo ? ::mkfifo(QFile::encodeName(path).constData(), 0666) == 0
                     : QFile::link(QStringLiteral("/dev/zero"), path));
        QVERIFY(fx.window.Form_Load());
        fx.window.show();
        fx.window.cmdOK->click();
        QVERIFY(fx.window.isVisible());
        QCOMPARE(fx.boxes.shown.size(), 2); // the prompt, then the failure
        QVERIFY2(fx.boxes.shown[1].text.contains(fx.path(named)), qPrintable(fx.boxes.shown[1].text));
        const QFileInfo kept(path);
        QVERIFY(kept.exists() && !kept.isFile() && kept.isSymLink() == !fifo);
    }

    void missingLanguageFileEndsBeforeTheWindow()
    {
        Fixture fx; // no language file installed
        LanguageFile lng(fx.fs, fx.boxes, fx.dir.path(), fx.services.currentLanguage);
        frmOptions window(fx.services, lng, frmOptions::captionFor(1, 55));
        QVERIFY(!window.Form_Load());
        QCOMPARE(fx.boxes.shown.size(), 1);
        QCOMPARE(fx.boxes.shown[0].title, QStringLiteral("언어 파일 없음"));
        QVERIFY(fx.boxes.shown[0].text.startsWith(QStringLiteral("파일을 찾을수 없습니다..\r\n")));
        QCOMPARE(window.windowTitle(), QString()); // the load stopped before the caption
        QCOMPARE(QDir(fx.dir.path()).entryList(QDir::Files), QStringList());
        QVERIFY(fx.store.values.isEmpty());
    }

    void splashWaitsThenOpens()
    {
        FakeLock lock;
        int opened = 0;
        frmSplash splash(lock, [&] { ++opened; });
        QVERIFY(!splash.Timer1.isActive()); // disabled until the load
        QVERIFY(splash.Form_Load());
        QVERIFY(splash.isVisible());
        QVERIFY(splash.Timer1.isActive());
        QTRY_COMPARE_WITH_TIMEOUT(opened, 1, 5000);
        QVERIFY(!splash.isVisible());
    }

    void splashEndsWhenAnotherCopyRuns()
    {
        FakeLock lock;
        lock.free = false;
        int opened = 0;
        frmSplash splash(lock, [&] { ++opened; });
        QVERIFY(!splash.Form_Load());
        QVERIFY(!splash.isVisible());
        QVERIFY(!splash.Timer1.isActive());
        QCOMPARE(opened, 0);
    }

    void aboutGesture_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<Qt::KeyboardModifiers>("keys");
        QTest::addColumn<bool>("opens");
        const Qt::KeyboardModifiers all = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
        QTest::newRow("right, shift+ctrl+alt") << Qt::RightButton << all << true;
        QTest::newRow("right, shift+ctrl") << Qt::RightButton << (Qt::ShiftModifier | Qt::ControlModifier) << false;
        QTest::newRow("right, ctrl+alt") << Qt::RightButton << (Qt::ControlModifier | Qt::AltModifier) << false;
        QTest::newRow("left, shift+ctrl+alt") << Qt::LeftButton << all << false;
        QTest::newRow("right, no keys") << Qt::RightButton << Qt::KeyboardModifiers() << false;
    }
    void aboutGesture()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(Qt::KeyboardModifiers, keys);
        QFETCH(bool, opens);
        WindowFixture fx;
        QVERIFY(fx.window.Form_Load());
        fx.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fx.window));
        QTest::mousePress(fx.window.LblEgg, button, keys, QPoint(2, 2));
        QCOMPARE(fx.window.isPanelShown(8), opens);
        QCOMPARE(fx.window.Timer1.isActive(), opens);
        QCOMPARE(fx.window.LblOptTitle->text(), opens ? QStringLiteral("데이브룩 스토리") : QStringLiteral("자동설정"));
    }

    void aboutRestoresTitleEachTime()
    {
        WindowFixture fx;
        QVERIFY(fx.window.Form_Load());
        for (int page : {3, 6}) {
            fx.window.LstOption->setCurrentRow(page);
            fx.window.LstOption_Click();
            const QString title = fx.window.LblOptTitle->text();
            fx.window.LblEgg_MouseDown(2, 7, 0, 0);
            QCOMPARE(fx.window.LblOptTitle->text(), QStringLiteral("데이브룩 스토리"));
            fx.window.LblEgg_MouseDown(2, 7, 0, 0); // again while open: the page title is still kept
            fx.window.aboutPanel->CmdBy->click();
            QVERIFY(!fx.window.isPanelShown(8));
            QVERIFY(fx.window.isPanelShown(page));
            QVERIFY(!fx.window.Timer1.isActive());
            QCOMPARE(fx.window.LblOptTitle->text(), title);
        }
    }

    void aboutBlockScrollsAndWraps()
    {
        WindowFixture fx;
        AboutPanel* about = fx.window.aboutPanel;
        about->setBlockTop(100);
        fx.window.Timer1_Timer();
        QCOMPARE(about->blockTop(), 90);
        // At exactly minus the height the block still moves; one step later it starts over.
        about->setBlockTop(-AboutPanel::kBlockHeight);
        fx.window.Timer1_Timer();
        QCOMPARE(about->blockTop(), -AboutPanel::kBlockHeight - 10);
        fx.window.Timer1_Timer();
        QCOMPARE(about->blockTop(), 3000);
    }

    void aboutKeepsPositionBetweenOpenings()
    {
        WindowFixture fx;
        QVERIFY(fx.window.Form_Load());
        fx.window.LblEgg_MouseDown(2, 7, 0, 0);
        QTRY_VERIFY(fx.window.aboutPanel->blockTop() < 3000 - 20);
        fx.window.CmdBy_Click();
        const int stopped = fx.window.aboutPanel->blockTop();
        QTest::qWait(150);
        QCOMPARE(fx.window.aboutPanel->blockTop(), stopped);
        fx.window.LblEgg_MouseDown(2, 7, 0, 0);
        QCOMPARE(fx.window.aboutPanel->blockTop(), stopped);
    }
};

QTEST_MAIN(TestFrame)
#include "tst_frame.moc"
