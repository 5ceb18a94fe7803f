// The window as a keyboard-only user, a screen reader and the Korean build meet it.
#include "TestSupport.h"

#include "app/frmOptions.h"
#include "display/DisplayControls.h"
#include "display/MiscPage.h"
#include "display/PresetsPage.h"
#include "display/ScreenPage.h"
#include "export/ExportPage.h"
#include "holidays/HolidayPage.h"
#include "i18n/LanguageFile.h"
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
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QWheelEvent>
#include <functional>

using namespace td;
using namespace td::test;

namespace {

struct WindowFixture : Fixture {
    WindowFixture() { installLanguageFile(); }
    LanguageFile lng{fs, boxes, dir.path(), services.currentLanguage};
    frmOptions window{services, lng, frmOptions::captionFor(1, 55)};

    bool open()
    {
        if (!window.Form_Load())
            return false;
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowExposed(&window);
    }
    int shownPage() const
    {
        int shown = -1;
        for (int i = 0; i < 9; ++i)
            if (window.isPanelShown(i))
                shown = shown == -1 ? i : -2;
        return shown;
    }
    QPoint entry(int row) const { return window.LstOption->visualItemRect(window.LstOption->item(row)).center(); }
};

QString accessibleName(QWidget* w)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QString();
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
    void pageListFollowsKeysDragAndClicks()
    {
        WindowFixture fx;
        QVERIFY(fx.open());
        QListWidget* list = fx.window.LstOption;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, fx.entry(2));
        QCOMPARE(fx.shownPage(), 2);
        const struct {
            Qt::Key key;
            int page;
        } steps[] = {
            {Qt::Key_Down, 3}, {Qt::Key_End, 7}, {Qt::Key_Up, 6}, {Qt::Key_Home, 0}, {Qt::Key_PageDown, 7}};
        for (const auto& step : steps) {
            QTest::keyClick(list, step.key);
            QCOMPARE(fx.shownPage(), step.page);
            QCOMPARE(fx.window.LblOptTitle->text(), list->item(step.page)->text());
            QVERIFY(fx.window.picOptions[step.page]->isEnabled());
        }
        // A drag from entry 1 to entry 5.
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, fx.entry(1));
        QMouseEvent move(QEvent::MouseMove, fx.entry(5), list->viewport()->mapToGlobal(fx.entry(5)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &move);
        QCOMPARE(fx.shownPage(), 5);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, fx.entry(5));
        QCOMPARE(fx.window.LblOptTitle->text(), list->item(5)->text());
        // A click on the entry already current shows its page again over the about panel.
        fx.window.LblEgg_MouseDown(2, 7, 0, 0);
        QCOMPARE(fx.shownPage(), -2);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, fx.entry(5));
        QCOMPARE(fx.shownPage(), 5);
        QCOMPARE(fx.window.LblOptTitle->text(), list->item(5)->text());
    }

    void verticalBarsMoveWithTheirThumb_data()
    {
        QTest::addColumn<QString>("barName");
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<int>("change");
        for (const char* bar : {"VScroll1", "VScroll2"}) {
            const QString b = QString::fromLatin1(bar);
            // clang-format off
            for (auto [gesture, change] : {std::pair{"top arrow", 1}, {"above the thumb", 1}, {"Up key", 1},
                                           {"Page Up key", 1}, {"wheel up", 1}, {"bottom arrow", -1},
                                           {"below the thumb", -1}, {"Down key", -1}, {"wheel down", -1}})
                QTest::newRow(qPrintable(b + QLatin1Char(' ') + QString::fromLatin1(gesture)))
                    << b << QString::fromLatin1(gesture) << change;
            // clang-format on
        }
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
        // clang-format off
        const QMap<QString, QStyle::SubControl> parts = {
            {"top arrow", QStyle::SC_ScrollBarSubLine}, {"bottom arrow", QStyle::SC_ScrollBarAddLine},
            {"above the thumb", QStyle::SC_ScrollBarSubPage}, {"below the thumb", QStyle::SC_ScrollBarAddPage}};
        // clang-format on
        const QMap<QString, Qt::Key> keys = {{"Up key", Qt::Key_Up}, {"Page Up key", Qt::Key_PageUp}, {"Down key", Qt::Key_Down}};
        if (parts.contains(gesture)) {
            QTest::mouseClick(bar, Qt::LeftButton, {}, partOf(bar, parts[gesture]).center());
        } else if (keys.contains(gesture)) {
            QTest::keyClick(bar, keys[gesture]);
        } else {
            const QPointF at = thumb.center();
            QWheelEvent e(at, bar->mapToGlobal(at), QPoint(), QPoint(0, gesture == QLatin1String("wheel up") ? 120 : -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
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
        QtMessageBoxes boxes;
        const Message question{QStringLiteral("?"), QStringLiteral("Tunedesk"), MsgIcon::Question, MsgButtons::OkCancel};
        QVERIFY(textsOfModal([&] { boxes.show(question); }).contains(QStringLiteral("Cancel")));

        QTranslator* korean = installQtTranslation(QStringLiteral("Korean"));
        QVERIFY(korean);
        QtCommonDialog dialog;
        const QStringList box = textsOfModal([&] { boxes.show(question); });
        QVERIFY2(box.contains(QStringLiteral("확인")) && box.contains(QStringLiteral("취소")), qPrintable(box.join('|')));
        const QStringList colour = textsOfModal([&] { dialog.ShowColor(); });
        QCOMPARE(colour.value(0), QStringLiteral("색 선택"));
        QVERIFY2(colour.contains(QStringLiteral("취소")) && !colour.contains(QStringLiteral("Cancel")),
                 qPrintable(colour.join('|')));
        const QStringList font = textsOfModal([&] { dialog.ShowFont(); });
        QCOMPARE(font.value(0), QStringLiteral("글꼴 선택"));
        QVERIFY2(font.contains(QStringLiteral("크기(&S)")), qPrintable(font.join('|')));
        const QStringList file = textsOfModal([&] { dialog.ShowOpen(); });
        QVERIFY2(file.contains(QStringLiteral("다음에서 찾기:")) && !file.contains(QStringLiteral("Look in:")),
                 qPrintable(file.join('|')));
        QCoreApplication::removeTranslator(korean);
        delete korean;
    }

    void everyControlHasTheNameOfItsCaption()
    {
        WindowFixture fx;
        QVERIFY(fx.window.Form_Load());
        QCOMPARE(accessibleName(fx.window.LstOption), QStringLiteral("설정 페이지"));
        for (int i = 0; i < 9; ++i) {
            for (QWidget* w : fx.window.picOptions[i]->findChildren<QWidget*>()) {
                const bool control = qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w)
                                     || qobject_cast<QScrollBar*>(w) || qobject_cast<QAbstractButton*>(w)
                                     || (qobject_cast<QLabel*>(w) && w->focusPolicy() != Qt::NoFocus);
                // Hidden controls are not presented; a combo's parts speak through it.
                if (control && w->isVisibleTo(fx.window.picOptions[i]) && !qobject_cast<QComboBox*>(w->parentWidget()))
                    QVERIFY2(!accessibleName(w).trimmed().isEmpty(),
                             qPrintable(QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(' ') + w->objectName()));
            }
        }
        const struct {
            QWidget* control;
            const char16_t* name;
        } expected[] = {
            {control<QScrollBar>(*fx.window.screenPage, "VScroll1"), u"틀 폭"},
            {control<QScrollBar>(*fx.window.screenPage, "VScroll2"), u"상태바 테두리"},
            {control<QScrollBar>(*fx.window.screenPage, "HSMWidth"), u"메모 간격"},
            {control<QScrollBar>(*fx.window.miscPage, "HSTTimer"), u"오늘 메모 초"},
            {control<QLineEdit>(*fx.window.holidayPage, "TxtAnni"), u"제목"},
            {control<QComboBox>(*fx.window.holidayPage, "Cmbmonth"), u"월"},
            {control<QComboBox>(*fx.window.exportPage, "CmbPYear", 0), u"From 년"},
            {control<QComboBox>(*fx.window.exportPage, "CmbPmonth", 1), u"To 월"},
            {control<QComboBox>(*fx.window.regularPage, "CmbMDay"), u"날짜기준"},
            {control<QLineEdit>(*fx.window.regularPage, "TxtRegPlan"), u"입력내용"}, // the frame's title, not the "에" outside it
        };
        for (const auto& e : expected)
            QCOMPARE(e.control->accessibleName(), QString::fromUtf16(e.name));
        // The names follow the captions when they change.
        control<QLabel>(*fx.window.screenPage, "Label8")->setText(QStringLiteral("Frame width"));
        fx.window.nameAndOrderControls();
        QCOMPARE(control<QScrollBar>(*fx.window.screenPage, "VScroll1")->accessibleName(), QStringLiteral("Frame width"));
    }

    void tabFollowsTheVisualOrder()
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
        QVERIFY(fx.window.isVisible());
        QCOMPARE(title->text(), QStringLiteral("AB"));
        QTest::keyClick(title, Qt::Key_Escape);
        QVERIFY(!fx.window.isVisible());
        QVERIFY(fx.boxes.shown.isEmpty());
        QVERIFY(!QFile::exists(fx.path(QStringLiteral("Holiday.dat"))));
        QCOMPARE(QDir(fx.dir.path()).entryList(QDir::Files), files); // neither the load nor Cancel writes
        QCOMPARE(fx.store.values, stored);

        WindowFixture ok;
        QVERIFY(ok.open());
        ok.window.LstOption->setFocus();
        QTest::keyClick(ok.window.LstOption, Qt::Key_Down);
        QTest::keyClick(ok.window.LstOption, Qt::Key_Return);
        QVERIFY(ok.window.isVisible());
        QVERIFY(ok.boxes.shown.isEmpty());
        ok.window.LstOption->setCurrentRow(0);
        control<QComboBox>(*ok.window.presetsPage, "CmbSMode")->setFocus();
        QTest::keyClick(control<QComboBox>(*ok.window.presetsPage, "CmbSMode"), Qt::Key_Return);
        QCOMPARE(ok.boxes.shown.size(), 1);
        QCOMPARE(ok.boxes.shown[0].text, QStringLiteral("[Tunedesk.exe]"));
        QVERIFY(!ok.window.isVisible());
    }

    void colourLabelOpensItsDialogFromTheKeyboard()
    {
        WindowFixture fx;
        QVERIFY(fx.open());
        fx.window.LstOption->setCurrentRow(1);
        fx.dialog.confirmWith([](CommonDialog& d) { d.Color = 255; });
        control<ColorLabel>(*fx.window.screenPage, "LblColor", 11)->setFocus();
        QTest::keyClick(control<ColorLabel>(*fx.window.screenPage, "LblColor", 11), Qt::Key_Space);
        QCOMPARE(fx.dialog.calls, QStringList{QStringLiteral("ShowColor")});
        QVERIFY(fx.window.isVisible());
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
