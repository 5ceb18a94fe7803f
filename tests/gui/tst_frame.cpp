#include "TestSupport.h"

#include "app/frmOptions.h"
#include "app/frmSplash.h"
#include "display/PresetsPage.h"
#include "i18n/LanguageFile.h"
#include "platform/InstanceLock.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

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
        QCOMPARE(frmOptions::dataFolderFor(stored, program), folder);
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
        QCOMPARE(fx.window.presetsPage->CmbDefault->currentIndex(), 0);
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
        fx.window.showPanel(8, true);   // the about panel has no entry of its own
        for (int page : {3, 0, 7}) {
            fx.window.LstOption->setCurrentRow(page);
            fx.window.LstOption_Click();
            for (int i = 0; i < 9; ++i) {
                QCOMPARE(fx.window.isPanelShown(i), i == page);
                QCOMPARE(fx.window.picOptions[i]->isEnabled(), i == page);
            }
            QCOMPARE(fx.window.LblOptTitle->text(), fx.window.LstOption->item(page)->text());
        }
    }

    void pageListClickByMouse()
    {
        WindowFixture fx;
        QVERIFY(fx.window.Form_Load());
        fx.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fx.window));
        QListWidget* list = fx.window.LstOption;
        const QRect r = list->visualItemRect(list->item(4));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
        QVERIFY(fx.window.isPanelShown(4));
        QCOMPARE(fx.window.LblOptTitle->text(), QStringLiteral("자료변환"));
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

    void splashPictureSize()
    {
        QCOMPARE(frmSplash::picture().size(), QSize(256, 101));
    }
};

QTEST_MAIN(TestFrame)
#include "tst_frame.moc"
