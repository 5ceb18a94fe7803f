#include "WindowFixture.h"

#include "app/AboutPanel.h"
#include "days/DayPlan.h"
#include "days/RunJournal.h"
#include "days/RunMessages.h"
#include "sync/SyncPage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>

#include <sys/stat.h>

using namespace td;
using namespace td::test;

class TestFrame : public QObject {
    Q_OBJECT
private slots:
    // Right after start, Undo's tooltip names the last run as one for the data folder in use.
    void undoTooltipKnowsTheDataFolderAtStart()
    {
        WindowFixture fx;
        fx.services.journalFolder = fx.dir.path() + QStringLiteral("/journal");
        const QString data = Services::dataFolderFor(QString(), fx.services.programFolder);
        QString path;
        const RunLabel label{QStringLiteral("regular-register"), QDate(2020, 1, 1), QDate(2020, 1, 31), QStringLiteral("[x]")};
        QVERIFY(RunJournal(fx.services.journalFolder).write(fx.fs, data, label, DayPlan{}, &path));
        QVERIFY(fx.window.Form_Load());
        const auto journal = RunJournal::readHeader(path, nullptr);
        QVERIFY(journal);
        QCOMPARE(fx.window.findChild<QPushButton*>(QStringLiteral("CmdUndo"))->toolTip(), RunMessages::undoTip(true, *journal));
    }

    // With no folder stored, the data lives in the program folder, ending in one separator.
    // A large font grows the window until every caption fits and no control runs into another;
    // at the design font every control keeps its designed pixels.
    void largeFontGrowsTheWindow_data()
    {
        QTest::addColumn<int>("points");
        QTest::newRow("design font") << 9;
        QTest::newRow("16 pt") << 16;
    }
    void largeFontGrowsTheWindow()
    {
        QFETCH(int, points);
        const QFont before = QApplication::font();
        QFont big = before;
        big.setPointSize(points);
        QApplication::setFont(big);
        auto restore = qScopeGuard([&] { QApplication::setFont(before); });
        WindowFixture fx;
        QVERIFY(fx.open());
        QWidget& w = fx.window;
        if (points == 9)
            QCOMPARE(QRect(control<QWidget>(w, "picOptions", 0)->pos(), w.size()), QRect(76, 30, 624, 476));
        QVERIFY(w.width() >= 624 && w.height() >= 476);
        for (int page = 0; page < fx.pageList()->count(); ++page) {
            showPage(w, page);
            QVERIFY(fx.window.isPanelShown(frmOptions::panelOf(page)));
            QList<QWidget*> shown;
            for (QWidget* c : w.findChildren<QWidget*>())
                if (c->isVisible() && !c->isWindow() && !c->objectName().isEmpty()
                    && QRect(QPoint(0, 0), w.size()).intersects(QRect(c->mapTo(&w, QPoint(0, 0)), c->size())))
                    shown << c;
            for (QWidget* c : shown) {
                const QString at = QStringLiteral("page %1, %2").arg(page).arg(c->objectName());
                QVERIFY2(QRect(QPoint(0, 0), w.size()).contains(QRect(c->mapTo(&w, QPoint(0, 0)), c->size())), qPrintable(at));
                const QFontMetrics fm = c->fontMetrics();
                if (auto* l = qobject_cast<QLabel*>(c); l && !l->text().isEmpty() && !l->wordWrap())
                    QVERIFY2(l->width() >= l->sizeHint().width() && l->height() >= fm.height(), qPrintable(at));
                if (auto* b = qobject_cast<QAbstractButton*>(c); b && !b->text().isEmpty())
                    QVERIFY2(b->width() >= fm.size(Qt::TextShowMnemonic, b->text()).width() && b->height() >= fm.height(),
                             qPrintable(at));
                // Controls may sit inside one another (a frame round its samples), never half over one another.
                for (QWidget* d : shown) {
                    const QRect a = c->geometry(), o = d->geometry();
                    if (d != c && d->parentWidget() == c->parentWidget() && a.intersects(o))
                        QVERIFY2(a.contains(o) || o.contains(a), qPrintable(at + QStringLiteral(" over ") + d->objectName()));
                }
            }
        }
    }

    void dataFolderDefaultsToTheProgramFolder()
    {
        QCOMPARE(Services::dataFolderFor(QString(), QStringLiteral("/opt/td")), QStringLiteral("/opt/td/"));
        QCOMPARE(Services::dataFolderFor(QString(), QStringLiteral("/")), QStringLiteral("/"));
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
        QVERIFY(fx.open());
        control<QPushButton>(fx.window, "cmdOK")->click();
        QVERIFY(fx.window.isVisible());
        QCOMPARE(fx.boxes.shown.size(), 2); // the prompt, then the failure
        QCOMPARE(fx.boxes.shown[0].text, QStringLiteral("설정을 저장하고 Tunedesk를 닫습니다."));
        QCOMPARE(fx.boxes.shown[0].title, QStringLiteral("Tunedesk"));
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
    }

    // Only the right button with Shift, Ctrl and Alt opens the about panel. Closing it brings back the page
    // and its title, each time, and stops the block where it is.
    void aboutPanel()
    {
        WindowFixture fx;
        QVERIFY(fx.open());
        const Qt::KeyboardModifiers all = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
        auto* egg = control<QLabel>(fx.window, "LblEgg");
        auto* about = control<AboutPanel>(fx.window);
        QTest::mouseClick(egg, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier, QPoint(2, 2));
        QVERIFY(!fx.window.isPanelShown(8));
        QTest::mouseClick(egg, Qt::LeftButton, all, QPoint(2, 2));
        QVERIFY(!fx.window.isPanelShown(8));
        for (int page : {3, 6}) {
            showPage(fx.window, page);
            const QString title = fx.title();
            QTest::mouseClick(egg, Qt::RightButton, all, QPoint(2, 2));
            QCOMPARE(fx.title(), QStringLiteral("데이브룩 스토리"));
            QTest::mouseClick(egg, Qt::RightButton, all, QPoint(2, 2)); // again while open: the page title is still kept
            QTRY_VERIFY(about->blockTop() < 3000 - 20);
            about->CmdBy->click();
            QVERIFY(!fx.window.isPanelShown(8));
            QVERIFY(fx.window.isPanelShown(frmOptions::panelOf(page)));
            QCOMPARE(fx.title(), title);
        }
        const int stopped = about->blockTop();
        QTest::qWait(150);
        QCOMPARE(about->blockTop(), stopped);
        // The keyboard's way in: the focus goes to the panel, and the covered page takes no key.
        showPage(fx.window, 8);
        QTest::keyClick(fx.pageList(), Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(fx.window.isPanelShown(8));
        QCOMPARE(about->blockTop(), stopped); // the opening goes on from there
        QCOMPARE(QApplication::focusWidget(), about->CmdBy);
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QVERIFY2(!control<SyncPage>(fx.window)->isAncestorOf(QApplication::focusWidget()),
                     qPrintable(QApplication::focusWidget()->objectName()));
        }
    }
};

QTEST_MAIN(TestFrame)
#include "tst_frame.moc"
