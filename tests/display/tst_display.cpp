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
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using namespace td;
using namespace td::test;

namespace {

const QString kPreset0 = QStringLiteral("설정 1(어두운배경, 수직표시)");
const QString kPreset5 = QStringLiteral("사용자정의 1");

QString sectionText(const QString& name, const QList<QPair<QString, QString>>& kv)
{
    QString s = QLatin1Char('[') + name + QStringLiteral("]\r\n");
    for (const auto& p : kv)
        s += p.first + QLatin1Char('=') + p.second + QStringLiteral("\r\n");
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

    // Loaded from stored and the preset file text ini; realDialogs: the Qt colour and font
    // dialogs, answered by acceptNextDialog.
    explicit Window(const QMap<QString, QString>& stored = {}, const QString& ini = {}, bool realDialogs = false)
        : services(f.fs, f.store, f.boxes, realDialogs ? static_cast<CommonDialog&>(qtDialog) : f.dialog, f.dir.path())
    {
        f.store.values = stored;
        if (!ini.isEmpty())
            writeFile(this->ini(), cp949(ini));
        auto* presets = control<QComboBox>(p0, "CmbDefault");
        auto* modes = control<QComboBox>(p0, "CmbSMode");
        {
            const QSignalBlocker b1(presets), b2(modes);
            presets->addItems(BuiltinCaptions::presets(true));
            modes->addItems(BuiltinCaptions::displayModes(true));
            presets->setCurrentIndex(-1);
            modes->setCurrentIndex(-1);
        }
        load();
    }
    // What the window load does.
    void load()
    {
        p0.setCurrentPreset(0);
        display.Main_ReadColor(0);
    }
    QString ini() const { return f.path(QStringLiteral("Daybrook.ini")); }
    QString fileValue(const QString& section, const QString& key)
    {
        return ProfileFile(f.fs).read(ini(), section, key, QStringLiteral("<missing>"), 0);
    }
    QString store(const QString& key) const { return f.store.values.value(key, QStringLiteral("<missing>")); }
};

// Confirms the next modal dialog once it is open, after change(dialog) has made a
// choice in it; opened keeps the font or colour the dialog showed as it opened.
void acceptNextDialog(QVariant& opened, std::function<void(QDialog*)> change = {})
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, &opened, change] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d)
            return;
        if (auto* fd = qobject_cast<QFontDialog*>(d))
            opened = fd->currentFont();
        if (auto* cd = qobject_cast<QColorDialog*>(d))
            opened = cd->currentColor();
        if (change)
            change(d);
        d->accept();
        poll->deleteLater();
    });
    poll->start();
}

} // namespace

class TestDisplay : public QObject {
    Q_OBJECT
private slots:
    // Each bar's range, steps and first value as the window design fixes them;
    // the value labels show the first value from the start.
    void barsAsDesigned_data()
    {
        QTest::addColumn<QString>("bar");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QList<int>>("design"); // low, high, small step, large step, first value
        QTest::newRow("HSDSBar") << "HSDSBar"
                                 << "LblDSShow" << QList<int>{10, 1440, 5, 10, 20};
        QTest::newRow("HSTTimer") << "HSTTimer"
                                  << "LblTShow" << QList<int>{10, 60, 5, 10, 20};
        QTest::newRow("HSMWidth") << "HSMWidth"
                                  << "LblMWidth" << QList<int>{-200, 200, 1, 10, 0};
        QTest::newRow("VScroll1") << "VScroll1"
                                  << "LblFWidth" << QList<int>{1, 4, 1, 1, 1};
        QTest::newRow("VScroll2") << "VScroll2"
                                  << "LblSBWidth" << QList<int>{0, 3, 1, 1, 1};
    }
    void barsAsDesigned()
    {
        QFETCH(QString, bar);
        QFETCH(QString, label);
        QFETCH(QList<int>, design);
        Fixture f;
        const ScreenPage screen{f.services, nullptr};
        const MiscPage misc{f.services, nullptr};
        const QWidget& page = bar.startsWith('H') && bar != "HSMWidth" ? static_cast<const QWidget&>(misc) : screen;
        const auto* b = control<QScrollBar>(page, qPrintable(bar));
        QCOMPARE((QList<int>{b->minimum(), b->maximum(), b->singleStep(), b->pageStep(), b->value()}), design);
        QCOMPARE(control<QLabel>(page, qPrintable(label))->text(), QString::number(design[4]));
    }

    // Every key stored away from its default goes through the controls and the real Qt
    // dialogs, confirmed unchanged, and is written back byte for byte: a value longer
    // than 59 bytes, faces drawn through substitutes, a size with a fraction, system colours.
    // A change made in a dialog is taken.
    void storedValuesSurviveTheControlsAndTheDialogs()
    {
        // clang-format off
        const QString section = sectionText(kPreset0, {
            {"TitleColor", "-2147483624"}, {"TitleMonthColor", "2"}, {"TitleBorderColor", "3"}, {"EMonthColor", "4"},
            {"AnniColor", "5"}, {"LunarColor", "-2147483644"}, {"YearColor", "7"}, {"SunColor", "-2147483643"}, {"SatColor", "9"},
            {"WeekColor", "10"}, {"MemoColor", "11"}, {"BackColor", "12"}, {"DayFont", "Arial,10.5"}, {"MemoFont", "Courier"},
            {"LunarFont", "아주 긴 이름을 가진 한글 글꼴의 설명은 예순 바이트를 넘는다,10.5"}, {"TitleWeek", "Serif,9"}, {"TitleYear", "Courier,12"},
            {"YearBold", "0"}, {"TitleMonth", "굴림,12"}, {"MonthBold", "1"}, {"TitlePosition", "2"}, {"DisplayMode", "3"}});
        const QMap<QString, QString> store = {
            {"VerticalPosition", "1"}, {"HorizontalPosition", "0"}, {"DualMonitor", "1"}, {"FDay Color", "123"},
            {"FDay Border", "3"}, {"Status Bar Border", "0"}, {"FDay Shape", "3"}, {"TodayLine", "1"},
            {"MemoOffset", "-200"}, {"TodayShowTime", "45"}, {"TodayMemoEnable", "0"}, {"DataSyncInterval", "600"},
            {"DataSync", "1"}, {"Daybrook BG", "/pics/a.jpg"}, {"WeekViewA0", "1"}, {"WeekViewA1", "2"},
            {"WeekViewA2", "3"}, {"WeekViewA3", "4"}, {"WeekViewFont", "굴림"}, {"WeekViewFontSize", "9"}};
        // clang-format on
        Window w(store, section, true);
        // A system colour shows as the nearest platform colour and is kept as stored.
        QCOMPARE(control<ColorLabel>(w.p0, "LblColor", 3)->palette().color(QPalette::Active, QPalette::WindowText),
                 QGuiApplication::palette().color(QPalette::Base));
        QVariant opened;
        for (int i : {0, 6}) {
            const QString drawn = QFontInfo(control<ClickLabel>(w.p0, "LblDName", i)->font()).family();
            acceptNextDialog(opened);
            control<QPushButton>(w.p0, "CmdDFont", i)->click();
            QCOMPARE(opened.value<QFont>().family(), drawn); // the face that draws, not a fallback
            QCOMPARE(opened.value<QFont>().bold(), i == 6);
            QCOMPARE(opened.value<QFont>().pointSize(), i == 6 ? 12 : 10);
        }
        const QColor shown = control<ColorLabel>(w.p0, "LblColor", 6)->palette().color(QPalette::Active, QPalette::WindowText);
        acceptNextDialog(opened);
        w.p0.LblColor_Click(6);
        QCOMPARE(opened.value<QColor>(), shown);
        QVERIFY(w.display.Main_WriteColor(0));
        QCOMPARE(readFile(w.ini()), cp949(section));
        QCOMPARE(w.f.store.values, store);

        // Only the size changed: the face keeps its name.
        acceptNextDialog(opened, [](QDialog* d) {
            auto* fd = static_cast<QFontDialog*>(d);
            QFont f = fd->currentFont();
            f.setPointSize(14);
            fd->setCurrentFont(f);
        });
        control<QPushButton>(w.p0, "CmdDFont", 6)->click();
        QCOMPARE(control<ClickLabel>(w.p0, "LblDName", 6)->text(), QStringLiteral("굴림,14"));
        QVERIFY(w.p0.fontBold(6));
        acceptNextDialog(opened, [](QDialog* d) { static_cast<QColorDialog*>(d)->setCurrentColor(QColor(0, 0, 255)); });
        w.p0.LblColor_Click(6);
        QCOMPARE(control<ColorLabel>(w.p0, "LblColor", 6)->foreColor(), 16711680);
    }

    // The year and month font dialogs confirmed unchanged change nothing, whichever style
    // of the face Qt's dialog opens on.
    void fontDialogsConfirmedUnchanged_data()
    {
        QTest::addColumn<QString>("face");
        QTest::addColumn<QString>("bold");
        // The faces of the report, and a face of this machine that Qt's dialog opens on the
        // other style, for either flag.
        QStringList faces{QStringLiteral("Times New Roman"), QStringLiteral("굴림")};
        for (bool bold : {false, true}) {
            const QStringList all = QFontDatabase::families();
            const auto flips = std::find_if(all.begin(), all.end(), [bold](const QString& family) {
                QFont f(family, 12);
                f.setBold(bold);
                QFontDialog d;
                d.setCurrentFont(f);
                return d.currentFont().bold() != bold;
            });
            if (flips != all.end())
                faces << *flips;
        }
        for (const QString& face : faces)
            for (const char* bold : {"0", "1"})
                QTest::newRow(qPrintable(QStringLiteral("%1 bold %2").arg(face, QLatin1String(bold))))
                    << face << QString::fromLatin1(bold);
    }
    void fontDialogsConfirmedUnchanged()
    {
        QFETCH(QString, face);
        QFETCH(QString, bold);
        const QString section = sectionText(kPreset0, {{"TitleYear", face + QStringLiteral(",12")}, {"YearBold", bold}, {"TitleMonth", face + QStringLiteral(",14")}, {"MonthBold", bold}});
        Window w({}, section, true);
        QVariant opened;
        for (int i : {4, 6}) {
            acceptNextDialog(opened);
            control<QPushButton>(w.p0, "CmdDFont", i)->click();
        }
        QVERIFY(w.display.Main_WriteColor(0));
        QCOMPARE(w.fileValue(kPreset0, "YearBold"), bold);
        QCOMPARE(w.fileValue(kPreset0, "MonthBold"), bold);
        QCOMPARE(w.fileValue(kPreset0, "TitleYear"), face + QStringLiteral(",12"));
        QCOMPARE(w.fileValue(kPreset0, "TitleMonth"), face + QStringLiteral(",14"));
    }

    // Switching reloads without storing. What a control refuses keeps the previous preset's value,
    // and a store writes it into the new section.
    void switchingPresets()
    {
        Window w({{"DataSyncInterval", "600"}},
                 sectionText(kPreset0, {{"SunColor", "65280"}, {"BackColor", "12"}})
                     + sectionText(kPreset5, {{"SunColor", "128"}, {"BackColor", "-1"}}));
        w.f.dialog.confirmWith([](CommonDialog& d) { d.Color = 777; });
        QTest::mouseClick(control<ColorLabel>(w.p0, "LblColor", 3), Qt::LeftButton);
        QCOMPARE(control<ColorLabel>(w.p0, "LblColor", 3)->foreColor(), 777);
        w.f.store.values = {{"DataSyncInterval", "5"}};
        w.p0.setCurrentPreset(5);
        QVERIFY(w.display.Main_WriteColor(5));
        QCOMPARE(w.fileValue(kPreset5, "SunColor"), QStringLiteral("128"));
        QCOMPARE(w.fileValue(kPreset5, "BackColor"), QStringLiteral("12"));
        QCOMPARE(w.store("DataSyncInterval"), QStringLiteral("600"));
        QCOMPARE(w.fileValue(kPreset0, "SunColor"), QStringLiteral("65280"));
    }

    // The display mode enables the position frame it places Daybrook by; with two monitors
    // Daybrook places itself and both stay off.
    void modeRule()
    {
        Window w;
        auto* mode = control<QComboBox>(w.p0, "CmbSMode");
        auto* dual = control<QCheckBox>(w.p1, "ChkDual");
        const auto positions = [&w] {
            return std::pair(control<QRadioButton>(w.p1, "OptPos", 3)->isEnabled(),
                             control<QRadioButton>(w.p1, "OptPos", 6)->isEnabled());
        };
        mode->setCurrentIndex(3);
        QCOMPARE(positions(), std::pair(true, false));
        mode->setCurrentIndex(2);
        QCOMPARE(positions(), std::pair(false, false));
        mode->setCurrentIndex(6);
        QCOMPARE(positions(), std::pair(false, true));
        dual->setChecked(true);
        QCOMPARE(positions(), std::pair(false, false));
        mode->setCurrentIndex(3);
        QCOMPARE(positions(), std::pair(false, false));
        dual->setChecked(false); // one monitor again: the mode's frame comes back
        QCOMPARE(positions(), std::pair(true, false));
        mode->setCurrentIndex(-1);
        QCOMPARE(positions(), std::pair(false, false));
    }

    void displayFonts_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("sizeShown"); // the dialog opens with the label's size, or keeps its own
        QTest::addColumn<bool>("bold");     // only year and month take a bold choice
        QTest::newRow("memo, size after the first comma") << 1 << "Arial,9,12" << 7 << false;
        QTest::newRow("year, no comma: the whole text") << 4 << "12" << 12 << true;
        QTest::newRow("month, no comma: a face") << 6 << "Arial" << 7 << true;
    }

    void displayFonts()
    {
        QFETCH(int, index);
        QFETCH(QString, before);
        QFETCH(int, sizeShown);
        QFETCH(bool, bold);
        Window w;
        auto* label = control<ClickLabel>(w.p0, "LblDName", index);
        label->setText(before);
        QFont plain = label->font();
        plain.setBold(false);
        label->setFont(plain);
        w.f.dialog.FontSize = 7;
        w.f.dialog.confirmWith([](CommonDialog& d) { d.FontName = QStringLiteral("Serif"); d.FontBold = true; });
        control<QPushButton>(w.p0, "CmdDFont", index)->click();
        QCOMPARE(label->text(), QStringLiteral("Serif,") + QString::number(sizeShown));
        QCOMPARE(w.p0.fontFace(index), QStringLiteral("Serif"));
        QCOMPARE(w.p0.fontBold(index), bold);
    }

    void picture_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("deletable");
        const QString forty = QStringLiteral("/home/user/pictures/summer/beach0001.jpg");
        const QString korean = QString(40, QChar(u'나'));
        // clang-format off
        QTest::newRow("40 characters") << forty << forty << true;
        QTest::newRow("41 Korean characters") << QStringLiteral("가") + korean << QStringLiteral("...") + korean << true;
        QTest::newRow("empty") << "" << "None" << false;
        // clang-format on
    }

    void picture()
    {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QFETCH(bool, deletable);
        Window w({{"Daybrook BG", stored}});
        control<ClickLabel>(w.p7, "LblSkinDir")->setText(QStringLiteral("/earlier.jpg"));
        w.load();
        QCOMPARE(control<QLabel>(w.p7, "LblSknDis")->text(), shown);
        QCOMPARE(control<QPushButton>(w.p7, "CmdSDel")->isEnabled(), deletable);
        QVERIFY(w.display.Main_WriteColor(0));
        QCOMPARE(w.store("Daybrook BG"), deletable ? stored : QString()); // the whole path, never the shortened one
    }

    // With nothing stored, OK writes every common key under its own name with its
    // fallback; the second style's two colours go under theirs.
    void storeKeysAndFallbacks()
    {
        // clang-format off
        QMap<QString, QString> expected = {
            {"FDay Color", "8421631"}, {"FDay Border", "2"}, {"Status Bar Border", "1"}, {"FDay Shape", "1"},
            {"TodayLine", "1"}, {"VerticalPosition", "2"}, {"HorizontalPosition", "2"}, {"DualMonitor", "0"},
            {"MemoOffset", "0"}, {"TodayShowTime", "20"}, {"TodayMemoEnable", "1"}, {"DataSync", "0"},
            {"DataSyncInterval", "30"}, {"Daybrook BG", ""}, {"WeekViewA0", "8438015"}, {"WeekViewA1", "16744576"},
            {"WeekViewA2", "12632256"}, {"WeekViewA3", "16761024"}, {"WeekViewFont", "굴림"}, {"WeekViewFontSize", "9"}};
        // clang-format on
        Window w;
        QVERIFY(w.display.Main_WriteColor(0));
        QCOMPARE(w.f.store.values, expected);
        w.p5.LblListButton_Click();
        QVERIFY(w.display.Main_WriteColor(0));
        expected.insert({{"WeekViewB1", "8421631"}, {"WeekViewB3", "12632319"}});
        QCOMPARE(w.f.store.values, expected);
    }

    // Each style keeps its colours under its own keys, in the switch, at OK and at a preset change.
    void weekViewStyles()
    {
        Window w({{"WeekViewB1", "111"}});
        control<ColorLabel>(w.p5, "LblSun", 1)->setBackColor(11);
        QTest::mouseClick(control<ClickLabel>(w.p5, "LblListButton"), Qt::LeftButton);
        QCOMPARE(w.store("WeekViewA1"), QStringLiteral("11"));
        QCOMPARE(control<ColorLabel>(w.p5, "LblSun", 1)->backColor(), 111);
        control<ColorLabel>(w.p5, "LblSun", 1)->setBackColor(222);
        QVERIFY(w.display.Main_WriteColor(0));
        QCOMPARE(w.store("WeekViewB1"), QStringLiteral("222"));
        // A preset change while the second style is shown loads the second style's colours.
        control<ColorLabel>(w.p5, "LblSun", 1)->setBackColor(1);
        w.p0.setCurrentPreset(5);
        QCOMPARE(control<ColorLabel>(w.p5, "LblSun", 1)->backColor(), 222);
        w.p5.LblListButton_Click();
        QCOMPARE(control<ColorLabel>(w.p5, "LblSun", 1)->backColor(), 11);
        // A store that refuses is reported at OK and at the switch, which keeps the style and its colours.
        w.f.store.failSaves = true;
        QVERIFY(!w.display.Main_WriteColor(0));
        QVERIFY(w.f.boxes.shown.last().text.contains(QStringLiteral("WeekViewA1")));
        control<ColorLabel>(w.p5, "LblSun", 1)->setBackColor(5);
        w.p5.LblListButton_Click();
        QCOMPARE(w.f.boxes.shown.size(), 2);
        QVERIFY(!w.p5.secondStyleShown());
        QCOMPARE(control<ColorLabel>(w.p5, "LblSun", 1)->backColor(), 5);
    }

    void textCp949CannotHoldIsReported()
    {
        Window w;
        control<ClickLabel>(w.p0, "LblDName", 1)->setText(QStringLiteral("Noto\u0301,9")); // a combining mark CP949 lacks
        control<ClickLabel>(w.p0, "LblDName", 0)->setText(QStringLiteral("굴림,12"));
        QVERIFY(!w.display.Main_WriteColor(0));
        QCOMPARE(w.f.boxes.shown.size(), 1);
        QVERIFY(w.f.boxes.shown[0].text.contains(QStringLiteral("MemoFont")));
        // Nothing turned into "?", and the other keys were stored.
        QCOMPARE(w.fileValue(kPreset0, "MemoFont"), QStringLiteral("<missing>"));
        QCOMPARE(w.fileValue(kPreset0, "DayFont"), QStringLiteral("굴림,12"));
    }
};

QTEST_MAIN(TestDisplay)
#include "tst_display.moc"
