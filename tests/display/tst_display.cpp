#include "TestSupport.h"
#include "display/DisplayControls.h"
#include "display/DisplaySettings.h"
#include "display/MiscPage.h"
#include "display/PresetsPage.h"
#include "display/ScreenPage.h"
#include "display/WeekViewPage.h"
#include "i18n/BuiltinCaptions.h"
#include "platform/ProfileFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QTimer>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace td;
using namespace td::test;

namespace {

const QString kPreset0 = QStringLiteral("설정 1(어두운배경, 수직표시)");
const QString kPreset5 = QStringLiteral("사용자정의 1");

QByteArray crlf(const QString& text) { return cp949(QString(text).replace(QLatin1String("\n"), QLatin1String("\r\n"))); }

QString sectionText(const QString& name, const QList<QPair<QString, QString>>& kv)
{
    QString s = QLatin1Char('[') + name + QStringLiteral("]\n");
    for (const auto& p : kv)
        s += p.first + QLatin1Char('=') + p.second + QLatin1Char('\n');
    return s;
}

// The four display pages wired as the options window wires them, with the lists filled.
struct Window {
    Fixture f;
    QtCommonDialog qtDialog;
    Services services;
    PresetsPage p0{services, nullptr};
    ScreenPage p1{services, nullptr};
    WeekViewPage p5{services, nullptr};
    MiscPage p7{services, nullptr};
    DisplaySettings display{services, &p0, &p1, &p5, &p7};

    // realDialogs: the Qt colour and font dialogs, answered by acceptNextDialog.
    explicit Window(bool realDialogs = false)
        : services(f.fs, f.store, f.boxes, realDialogs ? static_cast<CommonDialog&>(qtDialog) : f.dialog, f.dir.path())
    {
        auto* presets = control<QComboBox>(p0, "CmbDefault");
        auto* modes = control<QComboBox>(p0, "CmbSMode");
        const QSignalBlocker b1(presets), b2(modes);
        presets->addItems(BuiltinCaptions::presets(true));
        modes->addItems(BuiltinCaptions::displayModes(true));
        presets->setCurrentIndex(-1);
        modes->setCurrentIndex(-1);
    }
    // What the window load does.
    void load()
    {
        p0.setCurrentPreset(0);
        display.Main_ReadColor(0);
    }
    QString ini() const { return f.path(QStringLiteral("Daybrook.ini")); }
    void writeIni(const QString& text) { writeFile(ini(), crlf(text)); }
    QString fileValue(const QString& section, const QString& key)
    {
        return ProfileFile(f.fs).read(ini(), section, key, QStringLiteral("<missing>"), 0);
    }
    QString store(const QString& key) const { return f.store.values.value(key, QStringLiteral("<missing>")); }
    const Message& lastBox() const { return f.boxes.shown.last(); }
};

// Confirms the next modal dialog once it is open, after change(dialog) has
// made a choice in it (none: confirmed as it opened). What the dialog showed
// when it opened is kept in opened.
struct DialogAnswer {
    QFont openedFont;
    QColor openedColour;
    bool answered = false;
};
void acceptNextDialog(DialogAnswer& answer, std::function<void(QDialog*)> change = {})
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, &answer, change] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d)
            return;
        if (auto* fd = qobject_cast<QFontDialog*>(d))
            answer.openedFont = fd->currentFont();
        if (auto* cd = qobject_cast<QColorDialog*>(d))
            answer.openedColour = cd->currentColor();
        if (change)
            change(d);
        answer.answered = true;
        d->accept();
        poll->deleteLater();
    });
    poll->start();
}

} // namespace

class TestDisplay : public QObject {
    Q_OBJECT
private slots:
    // Every key stored away from its default is loaded and written back unchanged,
    // a value longer than 59 bytes too.
    void storedValuesRoundTrip()
    {
        Window w;
        // clang-format off
        const QString section = sectionText(kPreset0, {
            {"TitleColor", "-2147483624"}, {"TitleMonthColor", "2"}, {"TitleBorderColor", "3"}, {"EMonthColor", "4"},
            {"AnniColor", "5"}, {"LunarColor", "6"}, {"YearColor", "7"}, {"SunColor", "-2147483643"}, {"SatColor", "9"},
            {"WeekColor", "10"}, {"MemoColor", "11"}, {"BackColor", "12"}, {"DayFont", "Arial,10"}, {"MemoFont", "Courier"},
            {"LunarFont", "아주 긴 이름을 가진 한글 글꼴의 설명은 예순 바이트를 넘는다,10.5"}, {"TitleWeek", "Serif,9"}, {"TitleYear", "Courier,12"}, {"YearBold", "0"},
            {"TitleMonth", "Arial,11.5"}, {"MonthBold", "0"}, {"TitlePosition", "2"}, {"DisplayMode", "3"}});
        // clang-format on
        w.writeIni(section);
        // clang-format off
        const QMap<QString, QString> store = {
            {"VerticalPosition", "1"}, {"HorizontalPosition", "0"}, {"DualMonitor", "1"}, {"FDay Color", "123"},
            {"FDay Border", "3"}, {"Status Bar Border", "0"}, {"FDay Shape", "3"}, {"TodayLine", "1"},
            {"MemoOffset", "-200"}, {"TodayShowTime", "45"}, {"TodayMemoEnable", "0"}, {"DataSyncInterval", "600"},
            {"DataSync", "1"}, {"Daybrook BG", "/pics/a.jpg"}, {"WeekViewA0", "1"}, {"WeekViewA1", "2"},
            {"WeekViewA2", "3"}, {"WeekViewA3", "4"}, {"WeekViewFont", "Arial"}, {"WeekViewFontSize", "10"}};
        // clang-format on
        w.f.store.values = store;
        w.load();
        QCOMPARE(control<ColorLabel>(w.p0, "LblColor", 4)->font().family(), QStringLiteral("Serif")); // the samples take the faces
        QVERIFY(!control<QGroupBox>(w.p1, "FrmVert")->isEnabled());                                   // two monitors win over the vertical mode
        // A system colour shows as the nearest platform colour and is kept as stored.
        QCOMPARE(control<ColorLabel>(w.p0, "LblColor", 3)->palette().color(QPalette::Active, QPalette::WindowText),
                 QGuiApplication::palette().color(QPalette::Base));
        QVERIFY(w.display.Main_WriteColor(0));
        QCOMPARE(readFile(w.ini()), crlf(section));
        QCOMPARE(w.f.store.values, store);
    }

    // Switching reloads without storing. What the new section lacks, or what a control refuses, keeps the
    // previous preset's value (a missing font empties its label, a missing bold flag gives bold), and a store
    // writes those values into the new section.
    void switchingPresetsAndBack()
    {
        Window w;
        // clang-format off
        w.writeIni(sectionText(kPreset0, {{"SunColor", "65280"}, {"BackColor", "12"}, {"DayFont", "Arial,10"},
                                          {"YearBold", "0"}, {"TitlePosition", "0"}, {"DisplayMode", "2"}})
                   + sectionText(kPreset5, {{"SunColor", "128"}, {"BackColor", "-1"}, {"TitlePosition", "5"},
                                            {"DisplayMode", "7"}}));
        // clang-format on
        w.f.store.values = {{"DataSyncInterval", "600"}, {"FDay Shape", "3"}, {"TodayShowTime", "45"}};
        w.load();
        w.f.dialog.confirmWith([](CommonDialog& d) { d.Color = 777; });
        QTest::mouseClick(control<ColorLabel>(w.p0, "LblColor", 3), Qt::LeftButton);
        QCOMPARE(control<ColorLabel>(w.p0, "LblColor", 3)->foreColor(), 777);
        w.f.store.values = {{"DataSyncInterval", "5"}, {"FDay Shape", "2"}, {"TodayShowTime", "abc"}};
        w.p0.setCurrentPreset(5);
        QVERIFY(w.display.Main_WriteColor(5));
        // clang-format off
        const QMap<QString, QString> preset5 = {{"SunColor", "128"}, {"BackColor", "12"}, {"DayFont", ""}, {"YearBold", "1"},
                                                {"TitlePosition", "0"}, {"DisplayMode", "2"}};
        // clang-format on
        for (auto it = preset5.begin(); it != preset5.end(); ++it)
            QCOMPARE(w.fileValue(kPreset5, it.key()), it.value());
        const QMap<QString, QString> kept = {{"DataSyncInterval", "600"}, {"FDay Shape", "3"}, {"TodayShowTime", "45"}};
        for (auto it = kept.begin(); it != kept.end(); ++it)
            QCOMPARE(w.store(it.key()), it.value());
        w.p0.setCurrentPreset(0);
        QCOMPARE(control<ColorLabel>(w.p0, "LblColor", 3)->foreColor(), 65280);
        QCOMPARE(w.fileValue(kPreset0, "SunColor"), QStringLiteral("65280"));
    }

    void modeRule_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("dual");
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<bool>("horizontal");
        QTest::newRow("2") << 2 << false << false << false;
        QTest::newRow("3") << 3 << false << true << false;
        QTest::newRow("6") << 6 << false << false << true;
        QTest::newRow("3, two monitors") << 3 << true << false << false;
    }

    void modeRule()
    {
        QFETCH(int, mode);
        QFETCH(bool, dual);
        QFETCH(bool, vertical);
        QFETCH(bool, horizontal);
        Window w;
        w.load();
        // Come from the opposite state so that each change is seen.
        control<QComboBox>(w.p0, "CmbSMode")->setCurrentIndex(vertical ? 6 : 3);
        control<QCheckBox>(w.p1, "ChkDual")->setChecked(dual);
        control<QComboBox>(w.p0, "CmbSMode")->setCurrentIndex(mode);
        QCOMPARE(control<QGroupBox>(w.p1, "FrmVert")->isEnabled(), vertical);
        QCOMPARE(control<QGroupBox>(w.p1, "FrmHori")->isEnabled(), horizontal);
        for (int i = 3; i <= 8; ++i)
            QCOMPARE(control<QRadioButton>(w.p1, "OptPos", i)->isEnabled(), i <= 5 ? vertical : horizontal);
        // One monitor again: the mode's frame comes back. No mode switches both off.
        control<QCheckBox>(w.p1, "ChkDual")->setChecked(false);
        QCOMPARE(control<QGroupBox>(w.p1, "FrmVert")->isEnabled(), mode >= 3 && mode <= 5);
        QCOMPARE(control<QRadioButton>(w.p1, "OptPos", 7)->isEnabled(), mode == 6);
        control<QComboBox>(w.p0, "CmbSMode")->setCurrentIndex(-1);
        QVERIFY(!control<QGroupBox>(w.p1, "FrmVert")->isEnabled());
        QVERIFY(!control<QGroupBox>(w.p1, "FrmHori")->isEnabled());
    }

    void displayFonts_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("before");
        QTest::addColumn<float>("sizeShown"); // the dialog opens with the label's size, or keeps its own
        QTest::addColumn<bool>("bold");       // only year and month take a bold choice
        QTest::newRow("day, fraction dropped") << 0 << "Arial,10.5" << 10.f << false;
        QTest::newRow("memo, size after the first comma") << 1 << "Arial,9,12" << 7.f << false;
        QTest::newRow("year, no comma: the whole text") << 4 << "12" << 12.f << true;
        QTest::newRow("month, no comma: a face") << 6 << "Arial" << 7.f << true;
    }

    void displayFonts()
    {
        QFETCH(int, index);
        QFETCH(QString, before);
        QFETCH(float, sizeShown);
        QFETCH(bool, bold);
        Window w;
        w.load();
        auto* label = control<ClickLabel>(w.p0, "LblDName", index);
        label->setText(before);
        QFont plain = label->font();
        plain.setBold(false);
        label->setFont(plain);
        w.f.dialog.FontSize = 7;
        w.f.dialog.cancelNext();
        control<QPushButton>(w.p0, "CmdDFont", index)->click();
        QCOMPARE(w.f.dialog.FontSize, sizeShown);
        QCOMPARE(w.f.dialog.Flags, 515);
        QCOMPARE(control<ClickLabel>(w.p0, "LblDName", index)->text(), before); // a cancel leaves the label as it was
        w.f.dialog.confirmWith([](CommonDialog& d) { d.FontName = QStringLiteral("Serif"); d.FontBold = true; });
        w.p0.CmdDFont_Click(index);
        QCOMPARE(control<ClickLabel>(w.p0, "LblDName", index)->text(), QStringLiteral("Serif,") + QString::number(sizeShown));
        QCOMPARE(w.p0.fontFace(index), QStringLiteral("Serif"));
        QCOMPARE(w.p0.fontBold(index), bold);
    }

    // The Qt dialogs, confirmed without a change, keep every value as stored:
    // faces drawn through substitutes, a size with a fraction, the bold flag, a
    // system colour. A change made in them is taken.
    void realDialogsConfirmedUnchanged()
    {
        Window w(true);
        // clang-format off
        w.writeIni(sectionText(kPreset0, {{"LunarColor", "-2147483644"}, {"DayFont", "Arial,10.5"},
                                          {"TitleMonth", "굴림,12"}, {"MonthBold", "1"}}));
        // clang-format on
        w.f.store.values = {{"WeekViewFont", "굴림"}, {"WeekViewFontSize", "9"}};
        w.load();
        DialogAnswer a;
        for (int i : {0, 6}) {
            const QString drawn = QFontInfo(control<ClickLabel>(w.p0, "LblDName", i)->font()).family();
            acceptNextDialog(a);
            control<QPushButton>(w.p0, "CmdDFont", i)->click();
            QVERIFY(a.answered);
            QCOMPARE(a.openedFont.family(), drawn); // the face that draws, not a fallback
            QCOMPARE(a.openedFont.bold(), i == 6);
        }
        acceptNextDialog(a);
        control<QPushButton>(w.p5, "CmdWFont")->click();
        QCOMPARE(a.openedFont.family(), QFontInfo(control<ColorLabel>(w.p5, "LblMemo", 0)->font()).family());
        const QColor shown = control<ColorLabel>(w.p0, "LblColor", 6)->palette().color(QPalette::Active, QPalette::WindowText);
        acceptNextDialog(a);
        w.p0.LblColor_Click(6);
        QCOMPARE(a.openedColour, shown);
        QVERIFY(w.display.Main_WriteColor(0));
        QCOMPARE(w.fileValue(kPreset0, "LunarColor"), QStringLiteral("-2147483644"));
        QCOMPARE(w.fileValue(kPreset0, "DayFont"), QStringLiteral("Arial,10.5"));
        QCOMPARE(w.fileValue(kPreset0, "TitleMonth"), QStringLiteral("굴림,12"));
        QCOMPARE(w.fileValue(kPreset0, "MonthBold"), QStringLiteral("1"));
        QCOMPARE(w.store("WeekViewFont"), QStringLiteral("굴림"));
        QCOMPARE(w.store("WeekViewFontSize"), QStringLiteral("9"));

        // Only the size changed: the face keeps its name.
        acceptNextDialog(a, [](QDialog* d) {
            auto* fd = static_cast<QFontDialog*>(d);
            QFont f = fd->currentFont();
            f.setPointSize(14);
            fd->setCurrentFont(f);
        });
        control<QPushButton>(w.p0, "CmdDFont", 6)->click();
        QCOMPARE(control<ClickLabel>(w.p0, "LblDName", 6)->text(), QStringLiteral("굴림,14"));
        QVERIFY(w.p0.fontBold(6));
        acceptNextDialog(a, [](QDialog* d) { static_cast<QColorDialog*>(d)->setCurrentColor(QColor(0, 0, 255)); });
        w.p0.LblColor_Click(6);
        QCOMPARE(control<ColorLabel>(w.p0, "LblColor", 6)->foreColor(), 16711680);
    }

    void picture_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("deletable");
        QTest::addColumn<QString>("written");
        const QString forty = QStringLiteral("/home/user/pictures/summer/beach0001.jpg");
        const QString korean = QString(40, QChar(u'나'));
        // clang-format off
        QTest::newRow("40 characters") << forty << forty << true << forty;
        QTest::newRow("41 characters") << QStringLiteral("x") + forty << QStringLiteral("...") + forty << true << QStringLiteral("x") + forty;
        QTest::newRow("41 Korean characters") << QStringLiteral("가") + korean << QStringLiteral("...") + korean << true << QStringLiteral("가") + korean;
        QTest::newRow("empty") << "" << "None" << false << "";
        QTest::newRow("None with blanks") << "  None " << "  None " << false << "";
        QTest::newRow("path with blanks") << " /a.jpg " << " /a.jpg " << true << "/a.jpg";
        QTest::newRow("tab and ideographic space are kept") << "\t/a.jpg\u3000 " << "\t/a.jpg\u3000 " << true << "\t/a.jpg\u3000";
        QTest::newRow("None with a tab is a path") << "None\t" << "None\t" << true << "None\t";
        // clang-format on
    }

    void picture()
    {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QFETCH(bool, deletable);
        QFETCH(QString, written);
        Window w;
        w.f.store.values.insert(QStringLiteral("Daybrook BG"), stored);
        control<ClickLabel>(w.p7, "LblSkinDir")->setText(QStringLiteral("/earlier.jpg"));
        w.load();
        QCOMPARE(control<QLabel>(w.p7, "LblSknDis")->text(), shown);
        QCOMPARE(control<QPushButton>(w.p7, "CmdSDel")->isEnabled(), deletable);
        QVERIFY(w.display.Main_WriteColor(0));
        QCOMPARE(w.store("Daybrook BG"), written);
    }

    // Each style keeps its colours under its own keys, in the switch, at OK and at a preset change.
    void weekViewStyles()
    {
        Window w;
        w.f.store.values = {{"WeekViewB1", "111"}, {"WeekViewB3", "333"}};
        w.load();
        control<ColorLabel>(w.p5, "LblSun", 1)->setBackColor(11);
        control<ColorLabel>(w.p5, "LblMemo", 0)->setBackColor(13);
        QTest::mouseClick(control<ClickLabel>(w.p5, "LblListButton"), Qt::LeftButton);
        QVERIFY(w.p5.secondStyleShown());
        QCOMPARE(w.store("WeekViewA1"), QStringLiteral("11"));
        QCOMPARE(w.store("WeekViewA3"), QStringLiteral("13"));
        QCOMPARE(control<ColorLabel>(w.p5, "LblSun", 1)->backColor(), 111);
        QCOMPARE(control<ColorLabel>(w.p5, "LblMemo", 0)->backColor(), 333);
        control<ColorLabel>(w.p5, "LblSun", 1)->setBackColor(222);
        QVERIFY(w.display.Main_WriteColor(0));
        QCOMPARE(w.store("WeekViewB1"), QStringLiteral("222"));
        QCOMPARE(w.store("WeekViewA1"), QStringLiteral("11"));
        // A preset change while the second style is shown loads the second style's colours.
        control<ColorLabel>(w.p5, "LblSun", 1)->setBackColor(1);
        w.p0.setCurrentPreset(5);
        QCOMPARE(control<ColorLabel>(w.p5, "LblSun", 1)->backColor(), 222);
        QCOMPARE(control<ColorLabel>(w.p5, "LblMemo", 0)->backColor(), 333);
        w.p5.LblListButton_Click();
        QVERIFY(!w.p5.secondStyleShown());
        QCOMPARE(control<ColorLabel>(w.p5, "LblSun", 1)->backColor(), 11);
        QCOMPARE(control<ColorLabel>(w.p5, "LblMemo", 0)->backColor(), 13);
    }

    void textCp949CannotHoldIsReported()
    {
        Window w;
        w.load();
        control<ClickLabel>(w.p0, "LblDName", 1)->setText(QStringLiteral("Noto\u0301,9")); // a combining mark CP949 lacks
        control<ClickLabel>(w.p0, "LblDName", 0)->setText(QStringLiteral("굴림,12"));
        QVERIFY(!w.display.Main_WriteColor(0));
        QCOMPARE(w.f.boxes.shown.size(), 1);
        QVERIFY(w.lastBox().text.contains(QStringLiteral("MemoFont")));
        // Nothing turned into "?", and the other keys were stored.
        QCOMPARE(w.fileValue(kPreset0, "MemoFont"), QStringLiteral("<missing>"));
        QCOMPARE(w.fileValue(kPreset0, "DayFont"), QStringLiteral("굴림,12"));
        QVERIFY(!readFile(w.ini()).contains('?'));
    }

    void refusedStoreIsReported()
    {
        Window w;
        w.load();
        w.f.store.failSaves = true;
        QVERIFY(!w.display.Main_WriteColor(0));
        QCOMPARE(w.f.boxes.shown.size(), 1);
        QVERIFY(w.lastBox().text.contains(QStringLiteral("FDay Color")));
        QVERIFY(w.lastBox().text.contains(QStringLiteral("WeekViewA1")));
        QCOMPARE(w.fileValue(kPreset0, "TitlePosition"), QStringLiteral("1"));
        // A style switch that cannot store says so, and keeps the style and its colours.
        control<ColorLabel>(w.p5, "LblSun", 1)->setBackColor(5);
        w.p5.LblListButton_Click();
        QCOMPARE(w.f.boxes.shown.size(), 2);
        QVERIFY(w.lastBox().text.contains(QStringLiteral("WeekViewA1")));
        QVERIFY(!w.p5.secondStyleShown());
        QCOMPARE(control<ColorLabel>(w.p5, "LblSun", 1)->backColor(), 5);
    }
};

QTEST_MAIN(TestDisplay)
#include "tst_display.moc"
