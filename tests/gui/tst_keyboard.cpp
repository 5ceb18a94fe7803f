// The window as a keyboard-only user, a screen reader and the Korean build meet it.
#include "WindowFixture.h"

#include "display/DisplayControls.h"
#include "i18n/QtTranslation.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>
#include <QTranslator>
#include <QWheelEvent>
#include <functional>
#include <memory>

using namespace td;
using namespace td::test;

namespace {

// The entry of the one panel shown (the about panel as 8 too), -1 for none, -2 for more than one.
int shownPage(const frmOptions& window)
{
    int shown = -1;
    for (int i = 0; i < frmOptions::kPanels; ++i)
        if (window.isPanelShown(i))
            shown = shown == -1 ? (i == frmOptions::kSyncPanel ? 8 : i) : -2;
    return shown;
}

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

// Runs `open`; each modal dialog it shows is answered in turn by the next of `answers` (a
// button's text, or "Escape"). Gives per dialog its title, the default button's text, the
// texts of its buttons sorted and of its labels, joined by "|".
QStringList answerModals(const std::function<void()>& open, QStringList answers = {"Escape"})
{
    QStringList seen;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || answers.isEmpty())
            return;
        QStringList texts;
        for (auto* b : modal->findChildren<QAbstractButton*>())
            texts << b->text();
        texts.sort();
        auto* box = qobject_cast<QMessageBox*>(modal);
        texts.prepend(box ? box->defaultButton()->text() : QString());
        for (auto* l : modal->findChildren<QLabel*>())
            texts << l->text();
        seen << modal->windowTitle() + '|' + texts.join('|');
        const QString answer = answers.takeFirst();
        if (answer == "Escape")
            QTest::keyClick(modal, Qt::Key_Escape);
        for (auto* b : modal->findChildren<QAbstractButton*>())
            if (b->text() == answer)
                b->click();
    });
    poll.start();
    open();
    return seen;
}

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT
private slots:
    void pageListFollowsKeysAndClicks()
    {
        WindowFixture fx;
        QVERIFY(fx.open());
        QListWidget* list = fx.pageList();
        showPage(fx.window, 2);
        QCOMPARE(shownPage(fx.window), 2);
        const struct {
            Qt::Key key;
            int page;
        } steps[] = {{Qt::Key_Down, 3}, {Qt::Key_End, 8}, {Qt::Key_Up, 7}, {Qt::Key_Home, 0}};
        for (const auto& step : steps) {
            QTest::keyClick(list, step.key);
            QCOMPARE(shownPage(fx.window), step.page);
            QCOMPARE(fx.title(), list->item(step.page)->text());
        }
        // A click on the entry already current shows its page again over the about panel.
        QTest::keyClick(list, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(shownPage(fx.window), -2);
        showPage(fx.window, 0);
        QCOMPARE(shownPage(fx.window), 0);
        QCOMPARE(fx.title(), list->item(0)->text());
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
        showPage(fx.window, 1);
        auto* bar = control<QScrollBar>(fx.window, qPrintable(barName));
        auto* valueLabel = control<QLabel>(fx.window, barName == QLatin1String("VScroll1") ? "LblFWidth" : "LblSBWidth");
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
        const std::unique_ptr<QTranslator> korean(installQtTranslation(QStringLiteral("Korean")));
        QVERIFY(korean);
        QtCommonDialog dialog;
        const QString file = answerModals([&] { dialog.ShowOpen(); }).join('|');
        QVERIFY2(file.contains(QStringLiteral("다음에서 찾기:")) && !file.contains(QStringLiteral("Look in:")), qPrintable(file));
    }

    // What a screen reader is given: names from the captions (following them), colour samples as
    // buttons that say their colour, combo boxes that say their entry and tell when it changes.
    void controlsSpeakTheirCaptionsAndValues()
    {
        WindowFixture fx;
        QVERIFY(fx.open());
        auto spoken = [](QWidget* w, QAccessible::Text t) { return QAccessible::queryAccessibleInterface(w)->text(t); };
        auto* bar = control<QScrollBar>(fx.window, "VScroll1");
        QCOMPARE(spoken(bar, QAccessible::Name), QStringLiteral("틀 폭"));
        control<QLabel>(fx.window, "Label8")->setText(QStringLiteral("Frame width"));
        QCOMPARE(spoken(bar, QAccessible::Name), QStringLiteral("Frame width"));
        QCOMPARE(spoken(control<QLineEdit>(fx.window, "TxtIndexR"), QAccessible::Name), QStringLiteral("뒤 표시"));

        auto* sample = control<ColorLabel>(fx.window, "LblColor", 3);
        QAccessibleInterface* button = QAccessible::queryAccessibleInterface(sample);
        QCOMPARE(button->role(), QAccessible::Button);
        QCOMPARE(button->text(QAccessible::Name), QStringLiteral("일요일 색"));
        QCOMPARE(button->text(QAccessible::Description), QStringLiteral("빨강 255, 초록 0, 파랑 0"));
        fx.dialog.confirmWith([](CommonDialog& d) { d.Color = 16711680; });
        button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(button->text(QAccessible::Description), QStringLiteral("빨강 0, 초록 0, 파랑 255"));

        showPage(fx.window, 3);
        auto* weekday = control<QComboBox>(fx.window, "CmbWDay");
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
        showPage(fx.window, 1);
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
        auto* colour = control<ColorLabel>(fx.window, "LblColor", 11);
        colour->setFocus();
        QTest::keyClick(colour, Qt::Key_Space);
        QCOMPARE(colour->backColor(), 255);
        QVERIFY(fx.window.isVisible());
    }

    // Enter does what the focused control does with it (a colour label opens its dialog, as
    // Space does) and never presses OK.
    void enterNeverPressesOk_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("effect");
        // clang-format off
        QTest::newRow("list") << 0 << "CmbSMode" << "opens";
        QTest::newRow("check box") << 1 << "ChkDual" << "toggles";
        QTest::newRow("option button") << 1 << "OptPos(6)" << "toggles";
        QTest::newRow("bar") << 1 << "VScroll1" << "nothing";
        QTest::newRow("colour label") << 1 << "LblColor(11)" << "ShowColor";
        QTest::newRow("holiday list") << 2 << "LstHoli" << "nothing";
        QTest::newRow("text field") << 2 << "TxtAnni" << "nothing";
        QTest::newRow("page list") << -1 << "LstOption" << "nothing";
        // clang-format on
    }
    void enterNeverPressesOk()
    {
        QFETCH(int, page);
        QFETCH(QString, name);
        QFETCH(QString, effect);
        WindowFixture fx;
        QVERIFY(fx.open());
        showPage(fx.window, std::max(page, 0));
        QWidget* target = page < 0 ? fx.pageList() : control<QWidget>(fx.window, "picOptions", page)->findChild<QWidget*>(name);
        auto* button = qobject_cast<QAbstractButton*>(target);
        const bool checked = button && button->isChecked();
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Return);
        if (auto* list = qobject_cast<QComboBox*>(target))
            QCOMPARE(list->view()->isVisible(), effect == "opens");
        if (button)
            QCOMPARE(button->isChecked() != checked, effect == "toggles");
        QVERIFY(fx.window.isVisible() && fx.boxes.shown.isEmpty());
        QCOMPARE(fx.dialog.calls, effect.startsWith("Show") ? QStringList{effect} : QStringList{});
    }

    // Escape, Cancel and the close box end at once when nothing would be lost; after an edit
    // they ask, in Korean, storing by default: Escape keeps editing, "close without saving"
    // writes nothing, "save and close" stores. Escape on OK's prompt does not store either.
    void closingAsksWhenEditsWouldBeLost_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("edited");
        QTest::addColumn<QStringList>("answers"); // the boxes' buttons pressed, "Escape" for the key
        QTest::addColumn<bool>("stored");
        // clang-format off
        QTest::newRow("Escape, no edit") << "Escape" << false << QStringList{} << false;
        QTest::newRow("close box, no edit") << "close" << false << QStringList{} << false;
        QTest::newRow("Escape, edited") << "Escape" << true << QStringList{"Escape", "저장하지 않고 닫기"} << false;
        QTest::newRow("Cancel, edited") << "Cancel" << true << QStringList{"계속 편집", "저장하고 닫기"} << true;
        QTest::newRow("close box, edited") << "close" << true << QStringList{"저장하고 닫기"} << true;
        QTest::newRow("OK, Escape on its prompt") << "OK" << true << QStringList{"Escape", "확인"} << true;
        // clang-format on
    }
    void closingAsksWhenEditsWouldBeLost()
    {
        QFETCH(QString, how);
        QFETCH(bool, edited);
        QFETCH(QStringList, answers);
        QFETCH(bool, stored);
        const std::unique_ptr<QTranslator> korean(installQtTranslation(QStringLiteral("Korean")));
        WindowFixture fx;
        QtMessageBoxes real;
        fx.boxes.real = &real;
        const QStringList files = QDir(fx.dir.path()).entryList(QDir::Files);
        QVERIFY(fx.open());
        showPage(fx.window, 1);
        if (edited)
            control<QCheckBox>(fx.window, "ChkDual")->click();
        const QStringList seen = answerModals(
            [&] {
                for (int round = 0; round < 2 && fx.window.isVisible(); ++round) {
                    if (how == "Escape")
                        QTest::keyClick(fx.pageList(), Qt::Key_Escape);
                    else if (how == "Cancel")
                        control<QPushButton>(fx.window, "cmdCancel")->click();
                    else if (how == "OK")
                        control<QPushButton>(fx.window, "cmdOK")->click();
                    else
                        fx.window.close();
                }
            },
            answers);
        QVERIFY(!fx.window.isVisible() && seen.size() == answers.size() && fx.boxes.shown.size() == answers.size());
        for (const QString& box : seen)
            QVERIFY2(box.startsWith(how == "OK" ? "Tunedesk|확인|취소|확인|" : "Tunedesk|저장하고 닫기|계속 편집|저장하고 닫기|저장하지 않고 닫기|"),
                     qPrintable(box));
        QCOMPARE(fx.store.values.contains("DualMonitor"), stored);
        QCOMPARE(QDir(fx.dir.path()).entryList(QDir::Files) != files, stored);
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
