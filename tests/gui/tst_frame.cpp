#include "TestSupport.h"

#include "app/AboutPanel.h"
#include "app/frmOptions.h"
#include "app/frmSplash.h"
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
        const QString plans = QStringLiteral("/data/plans"), program = QStringLiteral("/opt/td");
        // clang-format off
        QTest::newRow("stored, used unchanged") << plans << program << plans;
        QTest::newRow("stored with separator") << QStringLiteral("/data/plans/") << program << QStringLiteral("/data/plans/");
        QTest::newRow("program folder gets a separator") << QString() << program << QStringLiteral("/opt/td/");
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

    // A FIFO or a device in place of a settings file is a failed load step, never read or replaced:
    // the window opens, and OK, after its prompt, names the file, keeps it and keeps the window open.
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
        QVERIFY(fifo ? ::mkfifo(QFile::encodeName(path).constData(), 0666) == 0 : QFile::link(QStringLiteral("/dev/zero"), path));
        fx.store.values.insert(QStringLiteral("DataSaveDir"), QStringLiteral("/plans"));
        QVERIFY(fx.window.Form_Load());
        QCOMPARE(fx.services.DataFolder, QStringLiteral("/plans"));
        fx.window.show();
        fx.window.cmdOK->click();
        QVERIFY(fx.window.isVisible());
        QCOMPARE(fx.boxes.shown.size(), 2); // the prompt, then the failure
        QCOMPARE(fx.boxes.shown[0].text, QStringLiteral("[Tunedesk.exe]"));
        QCOMPARE(fx.boxes.shown[0].title, QStringLiteral("Tunedesk"));
        QCOMPARE(fx.boxes.shown[0].icon, MsgIcon::Information);
        QCOMPARE(fx.boxes.shown[0].buttons, MsgButtons::Ok);
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

    // The splash opens the window after its wait, or ends at once when another copy runs.
    void splash_data()
    {
        QTest::addColumn<bool>("lockFree");
        QTest::newRow("alone") << true;
        QTest::newRow("another copy runs") << false;
    }
    void splash()
    {
        QFETCH(bool, lockFree);
        FakeLock lock;
        lock.free = lockFree;
        int opened = 0;
        frmSplash splash(lock, [&] { ++opened; });
        QVERIFY(!splash.Timer1.isActive()); // disabled until the load
        QCOMPARE(splash.Form_Load(), lockFree);
        QCOMPARE(splash.isVisible(), lockFree);
        QCOMPARE(splash.Timer1.isActive(), lockFree);
        QTRY_COMPARE_WITH_TIMEOUT(opened, lockFree ? 1 : 0, 5000);
        QVERIFY(!splash.isVisible());
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

    // Closing the panel brings back the page and its title, each time, and stops the block where it is.
    void aboutClosesBackToThePage()
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
            QTRY_VERIFY(fx.window.aboutPanel->blockTop() < 3000 - 20);
            fx.window.aboutPanel->CmdBy->click();
            QVERIFY(!fx.window.isPanelShown(8));
            QVERIFY(fx.window.isPanelShown(page));
            QVERIFY(!fx.window.Timer1.isActive());
            QCOMPARE(fx.window.LblOptTitle->text(), title);
        }
        const int stopped = fx.window.aboutPanel->blockTop();
        QTest::qWait(150);
        QCOMPARE(fx.window.aboutPanel->blockTop(), stopped);
        fx.window.LblEgg_MouseDown(2, 7, 0, 0); // the next opening goes on from there
        QCOMPARE(fx.window.aboutPanel->blockTop(), stopped);
    }
};

QTEST_MAIN(TestFrame)
#include "tst_frame.moc"
