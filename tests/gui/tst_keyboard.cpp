// The window as a keyboard-only user, a screen reader and the Korean build meet it.
#include "WindowFixture.h"

#include "display/DisplayControls.h"
#include "display/MiscPage.h"
#include "display/PresetsPage.h"
#include "display/ScreenPage.h"
#include "export/ExportPage.h"
#include "holidays/HolidayPage.h"
#include "i18n/QtTranslation.h"
#include "schedule/RegularPage.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>
#include <QTranslator>
#include <QWheelEvent>
#include <functional>

using namespace td;
using namespace td::test;

namespace {

// The one page shown, -1 for none, -2 for more than one.
int shownPage(const frmOptions& window)
{
    int shown = -1;
    for (int i = 0; i < 9; ++i)
        if (window.isPanelShown(i))
            shown = shown == -1 ? i : -2;
    return shown;
}

QPoint entry(const QListWidget* list, int row) { return list->visualItemRect(list->item(row)).center(); }

// The rectangle of one part of a bar, laid out as the bar lays it out for its style.
QRect partOf(const QScrollBar* bar, QStyle::SubControl part)
{
    struct Options : QScrollBar {
        using QScrollBar::initStyleOption; // protected in the bar
    };
    QStyleOptionSlider o;
    (bar->*&Options::initStyleOption)(&o);
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &o, part, bar);
}

// Runs `open`, which shows a modal dialog; records the dialog's title and the texts
// of its buttons and labels, and closes it with Escape.
QStringList textsOfModal(const std::function<void()>& open)
{
    QStringList texts;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        poll.stop();
        texts << modal->windowTitle();
        for (auto* b : modal->findChildren<QAbstractButton*>())
            texts << b->text();
        for (auto* l : modal->findChildren<QLabel*>())
            texts << l->text();
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    poll.start();
    open();
    return texts;
}

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT
private slots:
    void pageListFollowsKeysAndClicks()
    {
        WindowFixture fx;
        QVERIFY(fx.open());
        QListWidget* list = fx.window.LstOption;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entry(list, 2));
        QCOMPARE(shownPage(fx.window), 2);
        const struct {
            Qt::Key key;
            int page;
        } steps[] = {{Qt::Key_Down, 3}, {Qt::Key_End, 7}, {Qt::Key_Home, 0}};
        for (const auto& step : steps) {
            QTest::keyClick(list, step.key);
            QCOMPARE(shownPage(fx.window), step.page);
            QCOMPARE(fx.window.LblOptTitle->text(), list->item(step.page)->text());
        }
        // A click on the entry already current shows its page again over the about panel.
        fx.window.LblEgg_MouseDown(2, 7, 0, 0);
        QCOMPARE(shownPage(fx.window), -2);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entry(list, 0));
        QCOMPARE(shownPage(fx.window), 0);
        QCOMPARE(fx.window.LblOptTitle->text(), list->item(0)->text());
    }

    // The mouse on the bar's parts, the keys and the wheel each take their own path through the bar.
    void verticalBarsMoveWithTheirThumb_data()
    {
        QTest::addColumn<QString>("barName");
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<int>("change");
        QTest::newRow("VScroll1 top arrow") << "VScroll1"
                                            << "top arrow" << 1;
        QTest::newRow("VScroll2 below the thumb") << "VScroll2"
                                                  << "below the thumb" << -1;
        QTest::newRow("VScroll1 Up key") << "VScroll1"
                                         << "Up key" << 1;
        QTest::newRow("VScroll2 wheel down") << "VScroll2"
                                             << "wheel down" << -1;
    }
    void verticalBarsMoveWithTheirThumb()
    {
        QFETCH(QString, barName);
        QFETCH(QString, gesture);
        QFETCH(int, change);
        WindowFixture fx;
        QVERIFY(fx.open());
        fx.window.LstOption->setCurrentRow(1);
        auto* bar = control<QScrollBar>(*fx.window.screenPage, qPrintable(barName));
        auto* valueLabel = control<QLabel>(*fx.window.screenPage, barName == QLatin1String("VScroll1") ? "LblFWidth" : "LblSBWidth");
        bar->setValue(2);
        const QRect thumb = partOf(bar, QStyle::SC_ScrollBarSlider);
        if (gesture == QLatin1String("top arrow")) {
            QTest::mouseClick(bar, Qt::LeftButton, {}, partOf(bar, QStyle::SC_ScrollBarSubLine).center());
        } else if (gesture == QLatin1String("below the thumb")) {
            QTest::mouseClick(bar, Qt::LeftButton, {}, partOf(bar, QStyle::SC_ScrollBarAddPage).center());
        } else if (gesture == QLatin1String("Up key")) {
            QTest::keyClick(bar, Qt::Key_Up);
        } else {
            QWheelEvent e(thumb.center(), bar->mapToGlobal(thumb.center()), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(bar, &e);
        }
        QCOMPARE(bar->value(), 2 + change);
        QCOMPARE(valueLabel->text(), QString::number(2 + change));
        const int movedTop = partOf(bar, QStyle::SC_ScrollBarSlider).top();
        QVERIFY2(change > 0 ? movedTop < thumb.top() : movedTop > thumb.top(), "the thumb went the other way");
    }

    void qtDialogsSpeakTheBuildLanguage()
    {
        QVERIFY(!installQtTranslation(QStringLiteral("English")));
        QTranslator* korean = installQtTranslation(QStringLiteral("Korean"));
        QVERIFY(korean);
        QtMessageBoxes boxes;
        const Message question{QStringLiteral("?"), QStringLiteral("Tunedesk"), MsgIcon::Question, MsgButtons::OkCancel};
        const QStringList box = textsOfModal([&] { boxes.show(question); });
        QVERIFY2(box.contains(QStringLiteral("확인")) && box.contains(QStringLiteral("취소")), qPrintable(box.join('|')));
        QtCommonDialog dialog;
        const QStringList file = textsOfModal([&] { dialog.ShowOpen(); });
        QVERIFY2(file.contains(QStringLiteral("다음에서 찾기:")) && !file.contains(QStringLiteral("Look in:")),
                 qPrintable(file.join('|')));
        QCoreApplication::removeTranslator(korean);
        delete korean;
    }

    // What a screen reader is given: names from the captions (following them), colour samples as
    // buttons that say their colour, combo boxes that say their entry and tell when it changes.
    void controlsSpeakTheirCaptionsAndValues()
    {
        WindowFixture fx;
        QVERIFY(fx.open());
        auto spoken = [](QWidget* w, QAccessible::Text t) { return QAccessible::queryAccessibleInterface(w)->text(t); };
        auto* bar = control<QScrollBar>(*fx.window.screenPage, "VScroll1");
        QCOMPARE(spoken(bar, QAccessible::Name), QStringLiteral("틀 폭"));
        control<QLabel>(*fx.window.screenPage, "Label8")->setText(QStringLiteral("Frame width"));
        QCOMPARE(spoken(bar, QAccessible::Name), QStringLiteral("Frame width"));
        QCOMPARE(spoken(control<QLineEdit>(*fx.window.regularPage, "TxtIndexR"), QAccessible::Name), QStringLiteral("뒤 표시"));

        auto* sample = control<ColorLabel>(*fx.window.presetsPage, "LblColor", 3);
        QAccessibleInterface* button = QAccessible::queryAccessibleInterface(sample);
        QCOMPARE(button->role(), QAccessible::Button);
        QCOMPARE(button->text(QAccessible::Name), QStringLiteral("일요일 색"));
        QCOMPARE(button->text(QAccessible::Description), QStringLiteral("빨강 255, 초록 0, 파랑 0"));
        fx.dialog.confirmWith([](CommonDialog& d) { d.Color = 16711680; });
        button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(button->text(QAccessible::Description), QStringLiteral("빨강 0, 초록 0, 파랑 255"));

        fx.window.LstOption->setCurrentRow(3);
        auto* weekday = control<QComboBox>(*fx.window.regularPage, "CmbWDay");
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(weekday);
        QCOMPARE(list->text(QAccessible::Name), QStringLiteral("요일기준 요일"));
        QCOMPARE(list->textInterface()->text(0, 100), QStringLiteral("선택 없음"));
        weekday->setFocus();
        QTest::keyClick(weekday, Qt::Key_Down);
        QTest::keyClick(weekday, Qt::Key_Down);
        QCOMPARE(list->textInterface()->text(0, 100), QStringLiteral("Monday"));
    }

    void tabFollowsTheVisualOrderAndSpaceOpensTheColour()
    {
        WindowFixture fx;
        QVERIFY(fx.open());
        fx.window.LstOption->setCurrentRow(1);
        fx.window.LstOption->setFocus();
        QStringList visited;
        for (int i = 0; i < 40 && visited.value(visited.size() - 1) != QLatin1String("cmdCancel"); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited.join(QLatin1Char(' ')),
                 QStringLiteral("OptBlink(0) VScroll1 LblColor(11) VScroll2 HSMWidth ChkDual OptPos(3) OptPos(6) "
                                "cmdOK cmdCancel"));
        // The colour sample reached by Tab opens its dialog on Space, and Space presses nothing else.
        fx.dialog.confirmWith([](CommonDialog& d) { d.Color = 255; });
        auto* colour = control<ColorLabel>(*fx.window.screenPage, "LblColor", 11);
        colour->setFocus();
        QTest::keyClick(colour, Qt::Key_Space);
        QCOMPARE(colour->backColor(), 255);
        QVERIFY(fx.window.isVisible());
    }

    void escapeCancelsAndEnterPressesOkOutsideTextFields()
    {
        WindowFixture fx;
        const QStringList files = QDir(fx.dir.path()).entryList(QDir::Files);
        const auto stored = fx.store.values;
        QVERIFY(fx.open());
        fx.window.LstOption->setCurrentRow(2);
        auto* title = control<QLineEdit>(*fx.window.holidayPage, "TxtAnni");
        title->setFocus();
        QTest::keyClicks(title, QStringLiteral("AB"));
        QTest::keyClick(title, Qt::Key_Return); // typed, not yet added
        QCOMPARE(title->text(), QStringLiteral("AB"));
        QTest::keyClick(title, Qt::Key_Escape);
        QVERIFY(!fx.window.isVisible());
        QVERIFY(fx.boxes.shown.isEmpty());
        QCOMPARE(QDir(fx.dir.path()).entryList(QDir::Files), files); // neither the load nor Cancel writes
        QCOMPARE(fx.store.values, stored);

        WindowFixture ok;
        QVERIFY(ok.open());
        ok.window.LstOption->setFocus();
        QTest::keyClick(ok.window.LstOption, Qt::Key_Down);
        QTest::keyClick(ok.window.LstOption, Qt::Key_Return);
        QVERIFY(ok.window.isVisible());
        ok.window.LstOption->setCurrentRow(0);
        control<QComboBox>(*ok.window.presetsPage, "CmbSMode")->setFocus();
        QTest::keyClick(control<QComboBox>(*ok.window.presetsPage, "CmbSMode"), Qt::Key_Return);
        QCOMPARE(ok.boxes.shown.size(), 1); // OK's prompt
        QVERIFY(!ok.window.isVisible());
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
