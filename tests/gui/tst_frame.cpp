#include "TestSupport.h"

#include "app/AboutPanel.h"
#include "app/frmOptions.h"
#include "app/frmSplash.h"
#include "display/PresetsPage.h"
#include "i18n/LanguageFile.h"
#include "platform/InstanceLock.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
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
    void captionCarriesMinorAndRevision()
    {
        QCOMPARE(frmOptions::captionFor(1, 55), QStringLiteral("Tune Desk for Daybrook build155"));
        QCOMPARE(frmOptions::captionFor(2, 0), QStringLiteral("Tune Desk for Daybrook build20"));
    }

    void dataFolderRule_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("folder");
        QTest::newRow("stored, used unchanged") << QStringLiteral("/data/plans") << QStringLiteral("/opt/td")
                                                << QStringLiteral("/data/plans");
        QTest::newRow("stored with separator") << QStringLiteral("/data/plans/") << QStringLiteral("/opt/td")
                                               << QStringLiteral("/data/plans/");
        QTest::newRow("program folder gets a separator") << QString() << QStringLiteral("/opt/td")
                                                         << QStringLiteral("/opt/td/");
        QTest::newRow("root is not doubled") << QString() << QStringLiteral("/") << QStringLiteral("/");
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
        QCOMPARE(fx.window.LstOption->count(), 8);
        QCOMPARE(fx.window.LstOption->currentRow(), -1);
        QCOMPARE(fx.window.LstOption->item(2)->text(), QStringLiteral("공휴일입력"));
        QCOMPARE(fx.window.presetsPage->currentPreset(), 0);
        QCOMPARE(fx.window.LblOptTitle->text(), QStringLiteral("자동설정"));
        QCOMPARE(fx.window.LblPrompt->text(), QStringLiteral("[Tunedesk.exe]"));
        QCOMPARE(fx.window.cmdOK->text(), QStringLiteral("확인"));
        QCOMPARE(fx.window.cmdCancel->text(), QStringLiteral("취소"));
        QVERIFY(fx.window.KoreanFont);
        for (int i = 0; i < 9; ++i) {
            QCOMPARE(fx.window.isPanelShown(i), i == 0);
            QCOMPARE(fx.window.picOptions[i]->isEnabled(), i == 0);
        }
        QCOMPARE(fx.window.picOptions[0]->x(), 1140 / 15);
        QCOMPARE(fx.window.picOptions[5]->x(), -20000 / 15);
        QVERIFY(fx.boxes.shown.isEmpty());
    }

    void pageListSwitchesPanels()
    {
        WindowFixture fx;
        QVERIFY(fx.window.Form_Load());
        fx.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fx.window));
        fx.window.showPanel(8, true);   // the about panel has no entry of its own
        QListWidget* list = fx.window.LstOption;
        for (int page : {3, 0, 7}) {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(page)).center());
            for (int i = 0; i < 9; ++i) {
                QCOMPARE(fx.window.isPanelShown(i), i == page);
                QCOMPARE(fx.window.picOptions[i]->isEnabled(), i == page);
            }
            QCOMPARE(fx.window.LblOptTitle->text(), fx.window.LstOption->item(page)->text());
        }
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
        QCOMPARE(fx.boxes.shown.size(), 2);   // the prompt, then one message naming the file
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
        QTest::addColumn<QString>("named");   // how the failure message names it
        QTest::newRow("FIFO as Daybrook.ini") << "Daybrook.ini" << true << "Daybrook.ini: not a regular file";
        QTest::newRow("device as Daybrook.ini") << "Daybrook.ini" << false << "Daybrook.ini: not a regular file";
        QTest::newRow("FIFO as Holiday.dat") << "Holiday.dat" << true << "Holiday.dat\r(not a regular file)";
        QTest::newRow("device as Holiday.dat") << "Holiday.dat" << false << "Holiday.dat\r(not a regular file)";
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
        QCOMPARE(fx.boxes.shown.size(), 2);   // the prompt, then the failure
        QVERIFY2(fx.boxes.shown[1].text.contains(fx.path(named)), qPrintable(fx.boxes.shown[1].text));
        const QFileInfo kept(path);
        QVERIFY(kept.exists() && !kept.isFile() && kept.isSymLink() == !fifo);
    }

    void cancelClosesWithoutWriting()
    {
        WindowFixture fx;
        QVERIFY(fx.window.Form_Load());
        fx.window.show();
        const QStringList before = QDir(fx.dir.path()).entryList(QDir::Files);
        const auto storeBefore = fx.store.values;
        fx.window.cmdCancel->click();
        QVERIFY(!fx.window.isVisible());
        QVERIFY(fx.boxes.shown.isEmpty());
        QCOMPARE(QDir(fx.dir.path()).entryList(QDir::Files), before);
        QCOMPARE(fx.store.values, storeBefore);
    }

    void missingLanguageFileEndsBeforeTheWindow()
    {
        Fixture fx;   // no language file installed
        LanguageFile lng(fx.fs, fx.boxes, fx.dir.path(), fx.services.currentLanguage);
        frmOptions window(fx.services, lng, frmOptions::captionFor(1, 55));
        QVERIFY(!window.Form_Load());
        QCOMPARE(fx.boxes.shown.size(), 1);
        QCOMPARE(fx.boxes.shown[0].title, QStringLiteral("언어 파일 없음"));
        QVERIFY(fx.boxes.shown[0].text.startsWith(QStringLiteral("파일을 찾을수 없습니다..\r\n")));
        QCOMPARE(window.windowTitle(), QString());   // the load stopped before the caption
        QCOMPARE(QDir(fx.dir.path()).entryList(QDir::Files), QStringList());
        QVERIFY(fx.store.values.isEmpty());
    }

    void splashWaitsThenOpens()
    {
        FakeLock lock;
        int opened = 0;
        frmSplash splash(lock, [&] { ++opened; });
        QCOMPARE(splash.Timer1.interval(), 2500);
        QVERIFY(!splash.Timer1.isActive());   // disabled until the load
        QVERIFY(splash.Form_Load());
        QVERIFY(splash.isVisible());
        QVERIFY(splash.Timer1.isActive());
        QVERIFY(splash.Timer1.isSingleShot());
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
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("shift");
        QTest::addColumn<bool>("opens");
        QTest::newRow("right, shift+ctrl+alt") << 2 << 7 << true;
        QTest::newRow("right, ctrl+alt") << 2 << 6 << false;
        QTest::newRow("left, shift+ctrl+alt") << 1 << 7 << false;
        QTest::newRow("right, no keys") << 2 << 0 << false;
    }
    void aboutGesture()
    {
        QFETCH(int, button);
        QFETCH(int, shift);
        QFETCH(bool, opens);
        WindowFixture fx;
        QVERIFY(fx.window.Form_Load());
        fx.window.LblEgg_MouseDown(button, shift, 0, 0);
        QCOMPARE(fx.window.isPanelShown(8), opens);
        QCOMPARE(fx.window.Timer1.isActive(), opens);
        QCOMPARE(fx.window.LblOptTitle->text(), opens ? QStringLiteral("데이브룩 스토리") : QStringLiteral("자동설정"));
    }

    void aboutGestureByMouse()
    {
        WindowFixture fx;
        QVERIFY(fx.window.Form_Load());
        fx.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fx.window));
        QTest::mousePress(fx.window.LblEgg, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier, QPoint(2, 2));
        QVERIFY(!fx.window.isPanelShown(8));
        QTest::mousePress(fx.window.LblEgg, Qt::RightButton,
                          Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier, QPoint(2, 2));
        QVERIFY(fx.window.isPanelShown(8));
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
            fx.window.aboutPanel->CmdBy->click();
            QVERIFY(!fx.window.isPanelShown(8));
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
        QCOMPARE(about->Picture2->y(), 200);
        QCOMPARE(fx.window.Timer1.interval(), 60);
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

    void pageClickParksAboutPanel()
    {
        WindowFixture fx;
        QVERIFY(fx.window.Form_Load());
        fx.window.LblEgg_MouseDown(2, 7, 0, 0);
        fx.window.LstOption->setCurrentRow(2);
        fx.window.LstOption_Click();
        QVERIFY(!fx.window.isPanelShown(8));
        QVERIFY(fx.window.isPanelShown(2));
        QCOMPARE(fx.window.LblOptTitle->text(), QStringLiteral("공휴일입력"));
    }

};

QTEST_MAIN(TestFrame)
#include "tst_frame.moc"
