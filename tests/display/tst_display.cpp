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
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

using namespace td;
using namespace td::test;

namespace {

const QString kPreset0 = QStringLiteral("설정 1(어두운배경, 수직표시)");
const QString kPreset5 = QStringLiteral("사용자정의 1");

// The four display pages wired as the options window wires them, loaded with preset 0.
struct Window {
    Fixture f;
    PresetsPage p0{f.services, nullptr};
    ScreenPage p1{f.services, nullptr};
    WeekViewPage p5{f.services, nullptr};
    MiscPage p7{f.services, nullptr};
    DisplaySettings display{f.services, &p0, &p1, &p5, &p7};

    Window() { fillLists(); }
    void fillLists()
    {
        const QSignalBlocker b1(p0.CmbDefault), b2(p0.CmbSMode);
        p0.CmbDefault->addItems(BuiltinCaptions::presets(true));
        p0.CmbSMode->addItems(BuiltinCaptions::displayModes(true));
        p0.CmbDefault->setCurrentIndex(-1);
        p0.CmbSMode->setCurrentIndex(-1);
    }
    // What the window load does.
    void load()
    {
        p0.CmbDefault->setCurrentIndex(0);
        display.Main_ReadColor(0);
    }
    QString ini() const { return f.path(QStringLiteral("Daybrook.ini")); }
    void writeIni(const QString& text) { writeFile(ini(), cp949(QString(text).replace(QLatin1String("\n"), QLatin1String("\r\n")))); }
    QString fileValue(const QString& section, const QString& key)
    {
        ProfileFile pf(f.fs);
        return pf.read(ini(), section, key, QStringLiteral("<missing>"), 0);
    }
    QString store(const QString& key) const { return f.store.values.value(key, QStringLiteral("<missing>")); }
};

QString sectionText(const QString& name, const QList<QPair<QString, QString>>& kv)
{
    QString s = QLatin1Char('[') + name + QStringLiteral("]\r\n");
    for (const auto& p : kv)
        s += p.first + QLatin1Char('=') + p.second + QStringLiteral("\r\n");
    return s;
}

} // namespace

class TestDisplay : public QObject {
    Q_OBJECT
private slots:
    void firstStartShowsDesignAndDefaults();
    void firstStartOkWritesEveryKey();
    void loadsStoredPreset();
    void unreadableFileLeavesControls();
    void twoWayTests_data();
    void twoWayTests();
    void refusedValuesKeepControls_data();
    void refusedValuesKeepControls();
    void systemColoursWrittenBackUnchanged();
    void switchingPresetsDiscardsChanges();
    void newPresetCopiesShownValues();
    void okWritesOnlyTheSelectedSection();
    void storeNowFollowsPresetIndex();
    void modeRule_data();
    void modeRule();
    void dualMonitorRule();
    void colourLabels();
    void displayFontDialog_data();
    void displayFontDialog();
    void fontDialogCancelKeepsLabel();
    void valueLabels();
    void blinkGreysFrameControls();
    void picture_data();
    void picture();
    void pictureDialogCancelKeepsChoice();
    void weekViewDefaultsAndRoundTrip();
    void weekViewSwitch();
    void weekViewLoadFollowsShownStyle();
    void weekViewFontSize_data();
    void weekViewFontSize();
    void failedFileWriteIsReported();
    void textCp949CannotHoldIsReported();
    void refusedStoreIsReported();
    void resetsFromMiscPage();
};

void TestDisplay::firstStartShowsDesignAndDefaults()
{
    Window w;
    w.load();
    const int designed[11] = {8388736, 14737632, 14737632, 255, 16777215, 16711680, -2147483644, 33023, -2147483640, 12632256, 0};
    for (int i = 0; i < 11; ++i)
        QCOMPARE(w.p0.LblColor[i]->foreColor(), designed[i]);
    for (int i : {0, 1, 2, 4, 5, 6})
        QCOMPARE(w.p0.LblDName[i]->text(), QString());
    QVERIFY(w.p0.fontBold(4));
    QVERIFY(w.p0.fontBold(6));
    QVERIFY(!w.p0.fontBold(0));
    QCOMPARE(w.p0.CmbSMode->currentIndex(), -1);
    QVERIFY(w.p0.OptPos[1]->isChecked());
    QCOMPARE(w.p1.LblColor11->backColor(), 8421631);
    QCOMPARE(w.p1.VScroll1->value(), 2);
    QCOMPARE(w.p1.LblFWidth->text(), QStringLiteral("2"));
    QCOMPARE(w.p1.VScroll2->value(), 1);
    QCOMPARE(w.p1.selectedBlink(), 1);
    QVERIFY(w.p1.OptPos[5]->isChecked());
    QVERIFY(w.p1.OptPos[8]->isChecked());
    QVERIFY(!w.p1.ChkDual->isChecked());
    // No mode was selected, so the mode rule never ran: both frames as designed.
    QVERIFY(w.p1.FrmVert->isEnabled());
    QVERIFY(w.p1.FrmHori->isEnabled());
    QCOMPARE(w.p1.HSMWidth->value(), 0);
    QCOMPARE(w.p7.HSTTimer->value(), 20);
    QCOMPARE(w.p7.LblTShow->text(), QStringLiteral("20"));
    QCOMPARE(w.p7.ChkTMemo->checkState(), Qt::Checked);
    QCOMPARE(w.p7.ChkDSync->checkState(), Qt::Unchecked);
    QCOMPARE(w.p7.HSDSBar->value(), 30);
    QCOMPARE(w.p7.LblDSShow->text(), QStringLiteral("30"));
    QCOMPARE(w.p7.LblSkinDir->text(), QStringLiteral("None"));
    QVERIFY(!w.p7.CmdSDel->isEnabled());
    QVERIFY(!w.p0.CmdDColor->isEnabled());
    QVERIFY(!QFile::exists(w.ini()));   // loading writes nothing
    QVERIFY(w.f.store.values.isEmpty());
}

void TestDisplay::firstStartOkWritesEveryKey()
{
    Window w;
    w.load();
    QVERIFY(w.display.Main_WriteColor(0));
    const QString expected = sectionText(kPreset0, {
        {"TitleColor", "12632256"}, {"TitleMonthColor", "8388736"}, {"TitleBorderColor", "8421504"},
        {"EMonthColor", "14737632"}, {"AnniColor", "33023"}, {"LunarColor", "-2147483644"},
        {"YearColor", "14737632"}, {"SunColor", "255"}, {"SatColor", "16711680"}, {"WeekColor", "16777215"},
        {"MemoColor", "0"}, {"BackColor", "-2147483640"}, {"DayFont", ""}, {"MemoFont", ""}, {"LunarFont", ""},
        {"TitleWeek", ""}, {"TitleYear", ""}, {"YearBold", "1"}, {"TitleMonth", ""}, {"MonthBold", "1"},
        {"TitlePosition", "1"}, {"DisplayMode", "-1"}});
    QCOMPARE(readFile(w.ini()), cp949(expected));
    const QMap<QString, QString> store = {
        {"VerticalPosition", "2"}, {"HorizontalPosition", "2"}, {"DualMonitor", "0"}, {"FDay Color", "8421631"},
        {"FDay Border", "2"}, {"Status Bar Border", "1"}, {"FDay Shape", "1"}, {"TodayLine", "1"},
        {"MemoOffset", "0"}, {"TodayShowTime", "20"}, {"TodayMemoEnable", "1"}, {"DataSyncInterval", "30"},
        {"DataSync", "0"}, {"Daybrook BG", ""}, {"WeekViewA0", "8438015"}, {"WeekViewA1", "16744576"},
        {"WeekViewA2", "12632256"}, {"WeekViewA3", "16761024"}, {"WeekViewFont", "굴림"}, {"WeekViewFontSize", "9"}};
    QCOMPARE(w.f.store.values, store);
    QVERIFY(w.f.boxes.shown.isEmpty());
}

void TestDisplay::loadsStoredPreset()
{
    Window w;
    w.writeIni(sectionText(kPreset0, {{"SunColor", "65280"}, {"DayFont", "Arial,10"}, {"TitleYear", "Courier,12"},
                                      {"YearBold", "0"}, {"TitleWeek", "Serif,9"}, {"DisplayMode", "3"},
                                      {"TitlePosition", "2"}, {"TitleBorderColor", "255"}}));
    w.f.store.values = {{"FDay Border", "1"}, {"MemoOffset", "-200"}, {"DualMonitor", "7"},
                        {"Daybrook BG", "/pics/a.jpg"}, {"TodayMemoEnable", "0"}};
    w.load();
    QCOMPARE(w.p0.LblColor[3]->foreColor(), 65280);
    QCOMPARE(w.p0.ShpM->borderColor(), 255);
    QCOMPARE(w.p0.LblDName[0]->text(), QStringLiteral("Arial,10"));
    QCOMPARE(w.p0.fontFace(0), QStringLiteral("Arial"));
    QCOMPARE(w.p0.LblColor[1]->font().family(), QStringLiteral("Courier"));
    QVERIFY(!w.p0.LblColor[1]->font().bold());
    QCOMPARE(w.p0.LblColor[4]->font().family(), QStringLiteral("Serif"));
    QCOMPARE(w.p0.CmbSMode->currentIndex(), 3);
    QVERIFY(w.p0.OptPos[2]->isChecked());
    QCOMPARE(w.p1.LblFWidth->text(), QStringLiteral("1"));
    QCOMPARE(w.p1.LblMWidth->text(), QStringLiteral("-200"));
    QVERIFY(w.p1.ChkDual->isChecked());
    QCOMPARE(w.p7.LblSkinDir->text(), QStringLiteral("/pics/a.jpg"));
    QVERIFY(w.p7.CmdSDel->isEnabled());
    QCOMPARE(w.p7.ChkTMemo->checkState(), Qt::Unchecked);

    QVERIFY(w.display.Main_WriteColor(0));
    QCOMPARE(w.fileValue(kPreset0, "DayFont"), QStringLiteral("Arial,10"));
    QCOMPARE(w.fileValue(kPreset0, "YearBold"), QStringLiteral("0"));
    QCOMPARE(w.store("DualMonitor"), QStringLiteral("1"));
    QCOMPARE(w.store("FDay Border"), QStringLiteral("1"));
    QVERIFY(w.fileValue(kPreset0, "HorizontalPosition") == QStringLiteral("<missing>"));
}

void TestDisplay::unreadableFileLeavesControls()
{
    Window w;
    w.writeIni(sectionText(kPreset0, {{"SunColor", "65280"}, {"DayFont", "Arial,10"}}));
    w.f.fs.failPathPart = QStringLiteral("Daybrook.ini");
    w.load();
    QCOMPARE(w.p0.LblColor[3]->foreColor(), 255);
    QCOMPARE(w.p0.LblDName[0]->text(), QString());
    w.f.fs.failPathPart.clear();
    w.display.Main_ReadColor(0);
    QCOMPARE(w.p0.LblColor[3]->foreColor(), 65280);
    QCOMPARE(w.p0.LblDName[0]->text(), QStringLiteral("Arial,10"));
}

// Each row: a store or preset key, its stored text, and what the control must show.
void TestDisplay::twoWayTests_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");   // "<missing>": not stored
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("written");
    QTest::newRow("YearBold missing") << "YearBold" << "<missing>" << "bold" << "1";
    QTest::newRow("YearBold not a number") << "YearBold" << "abc" << "bold" << "1";
    QTest::newRow("YearBold 1.5") << "YearBold" << "1.5" << "bold" << "1";
    QTest::newRow("YearBold 0") << "YearBold" << "0" << "plain" << "0";
    QTest::newRow("YearBold 2") << "YearBold" << "2" << "plain" << "0";
    QTest::newRow("TodayLine 0") << "TodayLine" << "0" << "blink 0" << "0";
    QTest::newRow("TodayLine 1") << "TodayLine" << "1" << "blink 1" << "1";
    QTest::newRow("TodayLine abc") << "TodayLine" << "abc" << "blink 0" << "0";
    QTest::newRow("VerticalPosition 0") << "VerticalPosition" << "0" << "pos 3" << "0";
    QTest::newRow("VerticalPosition 1") << "VerticalPosition" << "1" << "pos 4" << "1";
    QTest::newRow("VerticalPosition 9") << "VerticalPosition" << "9" << "pos 5" << "2";
    QTest::newRow("VerticalPosition empty") << "VerticalPosition" << "" << "pos 3" << "0";
    QTest::newRow("HorizontalPosition 1") << "HorizontalPosition" << "1" << "pos 7" << "1";
    QTest::newRow("HorizontalPosition 2.5") << "HorizontalPosition" << "2.5" << "pos 8" << "2";
    QTest::newRow("HorizontalPosition abc") << "HorizontalPosition" << "abc" << "pos 6" << "0";
    QTest::newRow("DualMonitor 7") << "DualMonitor" << "7" << "dual 1" << "1";
    QTest::newRow("DualMonitor 0") << "DualMonitor" << "0" << "dual 0" << "0";
    QTest::newRow("DualMonitor abc") << "DualMonitor" << "abc" << "dual 0" << "0";
    QTest::newRow("FDay Shape 3, TodayLine 0") << "FDay Shape" << "3" << "blink 0" << "1";
    QTest::newRow("FDay Shape 3") << "FDay Shape" << "3" << "blink 3" << "3";
}

void TestDisplay::twoWayTests()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, shown);
    QFETCH(QString, written);
    Window w;
    const bool inFile = key == QLatin1String("YearBold");
    if (value != QLatin1String("<missing>")) {
        if (inFile)
            w.writeIni(sectionText(kPreset0, {{key, value}}));
        else
            w.f.store.values.insert(key, value);
    }
    if (QString(QTest::currentDataTag()) == QLatin1String("FDay Shape 3, TodayLine 0"))
        w.f.store.values.insert(QStringLiteral("TodayLine"), QStringLiteral("0"));
    // Start from the other branch, so that a load that does nothing is caught.
    w.p0.setFontBold(w.p0.LblDName[4], shown != QLatin1String("bold"));
    w.p1.ChkDual->setChecked(shown == QLatin1String("dual 0"));
    w.load();

    const QStringList s = shown.split(QLatin1Char(' '));
    if (s[0] == QLatin1String("bold") || s[0] == QLatin1String("plain"))
        QCOMPARE(w.p0.fontBold(4), s[0] == QLatin1String("bold"));
    else if (s[0] == QLatin1String("blink"))
        QCOMPARE(w.p1.selectedBlink(), s[1].toInt());
    else if (s[0] == QLatin1String("pos"))
        QVERIFY(w.p1.OptPos[s[1].toInt()]->isChecked());
    else
        QCOMPARE(w.p1.ChkDual->isChecked(), s[1] == QLatin1String("1"));

    QVERIFY(w.display.Main_WriteColor(0));
    const QString got = inFile ? w.fileValue(kPreset0, key)
                               : w.store(key == QLatin1String("FDay Shape") && s[1] == QLatin1String("0") ? QStringLiteral("TodayLine") : key);
    QCOMPARE(got, key == QLatin1String("FDay Shape") && s[1] == QLatin1String("0") ? QStringLiteral("0") : written);
}

void TestDisplay::refusedValuesKeepControls_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("DataSyncInterval below range") << "DataSyncInterval" << "5";
    QTest::newRow("FDay Border above range") << "FDay Border" << "5";
    QTest::newRow("Status Bar Border negative") << "Status Bar Border" << "-1";
    QTest::newRow("MemoOffset beyond") << "MemoOffset" << "201";
    QTest::newRow("TodayShowTime letters") << "TodayShowTime" << "abc";
    QTest::newRow("TodayMemoEnable 3") << "TodayMemoEnable" << "3";
    QTest::newRow("FDay Shape 2") << "FDay Shape" << "2";
    QTest::newRow("FDay Color too large") << "FDay Color" << "16777216";
    QTest::newRow("TitlePosition 5") << "TitlePosition" << "5";
    QTest::newRow("DisplayMode 7") << "DisplayMode" << "7";
    QTest::newRow("SunColor empty") << "SunColor" << "";
    QTest::newRow("SunColor -1") << "SunColor" << "-1";
}

void TestDisplay::refusedValuesKeepControls()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    // Load a usable preset first, then one with the refused value: the earlier value stays.
    Window w;
    w.writeIni(sectionText(kPreset0, {{"TitlePosition", "0"}, {"DisplayMode", "6"}, {"SunColor", "65280"}})
               + sectionText(kPreset5, {{key, value}}));
    w.f.store.values = {{"DataSyncInterval", "600"}, {"FDay Border", "3"}, {"Status Bar Border", "2"},
                        {"MemoOffset", "50"}, {"TodayShowTime", "45"}, {"TodayMemoEnable", "0"},
                        {"FDay Shape", "3"}, {"FDay Color", "123"}};
    w.load();
    const QList<QPair<QString, QString>> before = w.display.presetValues();
    QVERIFY(w.display.Main_WriteColor(0));
    const auto storeBefore = w.f.store.values;

    const bool inStore = w.f.store.values.contains(key) && key != QLatin1String("TitlePosition");
    if (inStore)
        w.f.store.values.insert(key, value);
    w.p0.CmbDefault->setCurrentIndex(5);
    QVERIFY(w.display.Main_WriteColor(5));
    if (inStore)
        QCOMPARE(w.f.store.values.value(key), storeBefore.value(key));
    // Every preset value of preset 0 has been carried over into preset 5.
    for (const auto& kv : before)
        QCOMPARE(w.fileValue(kPreset5, kv.first), kv.second);
}

void TestDisplay::systemColoursWrittenBackUnchanged()
{
    Window w;
    w.writeIni(sectionText(kPreset0, {{"SunColor", "-2147483643"}, {"TitleColor", "-2147483624"}}));
    w.load();
    QCOMPARE(w.p0.LblColor[3]->foreColor(), -2147483643);
    // Shown as the platform's window colour.
    QCOMPARE(w.p0.LblColor[3]->palette().color(QPalette::Active, QPalette::WindowText),
             QGuiApplication::palette().color(QPalette::Base));
    QVERIFY(w.display.Main_WriteColor(0));
    QCOMPARE(w.fileValue(kPreset0, "SunColor"), QStringLiteral("-2147483643"));
    QCOMPARE(w.fileValue(kPreset0, "TitleColor"), QStringLiteral("-2147483624"));
    QCOMPARE(w.fileValue(kPreset0, "LunarColor"), QStringLiteral("-2147483644"));
}

void TestDisplay::switchingPresetsDiscardsChanges()
{
    Window w;
    w.writeIni(sectionText(kPreset0, {{"SunColor", "65280"}}) + sectionText(kPreset5, {{"SunColor", "128"}}));
    w.load();
    w.f.dialog.confirmWith([](CommonDialog& d) { d.Color = 777; });
    w.p0.LblColor_Click(3);
    QCOMPARE(w.p0.LblColor[3]->foreColor(), 777);
    w.p0.CmbDefault->setCurrentIndex(5);
    QCOMPARE(w.p0.LblColor[3]->foreColor(), 128);
    w.p0.CmbDefault->setCurrentIndex(0);
    QCOMPARE(w.p0.LblColor[3]->foreColor(), 65280);
    QCOMPARE(w.fileValue(kPreset0, "SunColor"), QStringLiteral("65280"));
}

void TestDisplay::newPresetCopiesShownValues()
{
    Window w;
    w.writeIni(sectionText(kPreset0, {{"SunColor", "65280"}, {"DisplayMode", "2"}, {"TitlePosition", "0"},
                                      {"DayFont", "Arial,10"}, {"YearBold", "0"}}));
    w.load();
    w.p0.CmbDefault->setCurrentIndex(6);
    QVERIFY(w.display.Main_WriteColor(6));
    const QString s6 = BuiltinCaptions::presets(true)[6];
    QCOMPARE(w.fileValue(s6, "SunColor"), QStringLiteral("65280"));
    QCOMPARE(w.fileValue(s6, "DisplayMode"), QStringLiteral("2"));
    QCOMPARE(w.fileValue(s6, "TitlePosition"), QStringLiteral("0"));
    QCOMPARE(w.fileValue(s6, "YearBold"), QStringLiteral("1"));
    QCOMPARE(w.fileValue(s6, "DayFont"), QString());
}

void TestDisplay::okWritesOnlyTheSelectedSection()
{
    Window w;
    const QString other = QStringLiteral("; Daybrook settings\n[User Defined 1]\nSunColor=1\n\n")
                          + QStringLiteral("[%1]\nSunColor=2\nExtra=kept\n").arg(kPreset0);
    w.writeIni(other + QStringLiteral("[%1]\nSunColor=3\n").arg(kPreset5));
    w.load();
    w.p0.CmbDefault->setCurrentIndex(5);
    QVERIFY(w.display.Main_WriteColor(5));
    const QByteArray bytes = readFile(w.ini());
    QVERIFY(bytes.startsWith(cp949(QString(other).replace(QLatin1String("\n"), QLatin1String("\r\n")))));
    QCOMPARE(w.fileValue(kPreset5, "SunColor"), QStringLiteral("3"));
    QCOMPARE(w.fileValue(QStringLiteral("User Defined 1"), "SunColor"), QStringLiteral("1"));
    // One OK is one rewrite of the file.
    QCOMPARE(w.f.fs.writes, 1);
}

void TestDisplay::storeNowFollowsPresetIndex()
{
    Window w;
    w.load();
    for (int i = 0; i < 9; ++i) {
        w.p0.CmbDefault->setCurrentIndex(i);
        QCOMPARE(w.p0.CmdDColor->isEnabled(), i > 3);
    }
    w.p0.CmdDColor->click();
    QCOMPARE(w.fileValue(BuiltinCaptions::presets(true)[8], "TitlePosition"), QStringLiteral("1"));
    QCOMPARE(w.fileValue(kPreset0, "TitlePosition"), QStringLiteral("<missing>"));
}

void TestDisplay::modeRule_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<bool>("horizontal");
    QTest::newRow("0") << 0 << false << false;
    QTest::newRow("1") << 1 << false << false;
    QTest::newRow("2") << 2 << false << false;
    QTest::newRow("3") << 3 << true << false;
    QTest::newRow("4") << 4 << true << false;
    QTest::newRow("5") << 5 << true << false;
    QTest::newRow("6") << 6 << false << true;
}

void TestDisplay::modeRule()
{
    QFETCH(int, mode);
    QFETCH(bool, vertical);
    QFETCH(bool, horizontal);
    Window w;
    w.load();
    // Come from the opposite state so that each change is seen.
    w.p0.CmbSMode->setCurrentIndex(vertical ? 6 : 3);
    w.p0.CmbSMode->setCurrentIndex(mode);
    QCOMPARE(w.p1.FrmVert->isEnabled(), vertical);
    QCOMPARE(w.p1.FrmHori->isEnabled(), horizontal);
    for (int i = 3; i <= 5; ++i)
        QCOMPARE(w.p1.OptPos[i]->isEnabled(), vertical);
    for (int i = 6; i <= 8; ++i)
        QCOMPARE(w.p1.OptPos[i]->isEnabled(), horizontal);
    // Selecting no mode switches both off.
    w.p0.CmbSMode->setCurrentIndex(-1);
    QVERIFY(!w.p1.FrmVert->isEnabled());
    QVERIFY(!w.p1.FrmHori->isEnabled());
}

void TestDisplay::dualMonitorRule()
{
    Window w;
    w.load();
    w.p0.CmbSMode->setCurrentIndex(4);
    w.p1.ChkDual->setChecked(true);
    for (int i = 3; i <= 8; ++i)
        QVERIFY(!w.p1.OptPos[i]->isEnabled());
    QVERIFY(!w.p1.FrmVert->isEnabled());
    // While two monitors are on, no mode brings a frame back.
    w.p0.CmbSMode->setCurrentIndex(6);
    QVERIFY(!w.p1.FrmHori->isEnabled());
    QVERIFY(!w.p1.OptPos[7]->isEnabled());
    w.p1.ChkDual->setChecked(false);
    QVERIFY(w.p1.FrmHori->isEnabled());
    QVERIFY(w.p1.OptPos[7]->isEnabled());
    QVERIFY(!w.p1.FrmVert->isEnabled());
    // A load that checks it switches the frames off too; positions are still stored.
    w.f.store.values.insert(QStringLiteral("DualMonitor"), QStringLiteral("1"));
    w.f.store.values.insert(QStringLiteral("VerticalPosition"), QStringLiteral("0"));
    w.display.Main_ReadColor(0);
    QVERIFY(!w.p1.FrmHori->isEnabled());
    QVERIFY(w.display.Main_WriteColor(0));
    QCOMPARE(w.store("VerticalPosition"), QStringLiteral("0"));
}

void TestDisplay::colourLabels()
{
    Window w;
    w.load();
    // Element 11 edits its background, the others their text colour.
    w.f.dialog.confirmWith([](CommonDialog& d) { d.Color = 42; });
    w.p1.LblColor11->clicked();
    QCOMPARE(w.p1.LblColor11->backColor(), 42);
    QCOMPARE(w.f.dialog.Color, 42);
    w.f.dialog.confirmWith([](CommonDialog& d) { d.Color = 43; });
    QTest::mouseClick(w.p0.LblColor[7], Qt::LeftButton);
    QCOMPARE(w.p0.LblColor[7]->foreColor(), 43);
    // Cancelling leaves the colour as it was.
    w.f.dialog.cancelNext();
    w.p0.LblColor_Click(9);
    QCOMPARE(w.p0.LblColor[9]->foreColor(), 12632256);
    QCOMPARE(w.f.dialog.calls, QStringList({"ShowColor", "ShowColor", "ShowColor"}));
}

void TestDisplay::displayFontDialog_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("before");
    QTest::addColumn<float>("sizeShown");   // what the dialog opens with
    QTest::addColumn<QString>("after");     // confirmed unchanged
    QTest::newRow("fraction dropped") << 0 << "Arial,10.5" << 10.f << "Arial,10";
    QTest::newRow("no comma keeps previous size") << 1 << "Arial" << 7.f << "Arial,7";
    QTest::newRow("size not a number") << 2 << "Arial,big" << 7.f << "Arial,7";
    QTest::newRow("year") << 4 << "Arial,12" << 12.f << "Arial,12";
}

void TestDisplay::displayFontDialog()
{
    QFETCH(int, index);
    QFETCH(QString, before);
    QFETCH(float, sizeShown);
    QFETCH(QString, after);
    Window w;
    w.load();
    w.p0.LblDName[index]->setText(before);
    w.p0.setFontFace(w.p0.LblDName[index], QStringLiteral("Arial"));
    w.f.dialog.FontSize = 7;
    float seen = 0;
    int flags = 0;
    w.f.dialog.confirmWith([&](CommonDialog& d) { seen = d.FontSize; flags = d.Flags; });
    w.p0.CmdDFont[index]->click();
    QCOMPARE(seen, sizeShown);
    QCOMPARE(flags, 515);
    QCOMPARE(w.p0.LblDName[index]->text(), after);
}

void TestDisplay::fontDialogCancelKeepsLabel()
{
    Window w;
    w.load();
    for (int i : {0, 1, 2, 4, 5, 6}) {
        w.p0.LblDName[i]->setText(QStringLiteral("Arial,10.5"));
        w.p0.setFontBold(w.p0.LblDName[i], false);
        w.f.dialog.cancelNext();
        w.p0.CmdDFont_Click(i);
        QCOMPARE(w.p0.LblDName[i]->text(), QStringLiteral("Arial,10.5"));
        // Confirming a bold face: only year and month take the bold flag.
        w.f.dialog.confirmWith([](CommonDialog& d) { d.FontName = QStringLiteral("Serif"); d.FontSize = 11; d.FontBold = true; });
        w.p0.CmdDFont_Click(i);
        QCOMPARE(w.p0.LblDName[i]->text(), QStringLiteral("Serif,11"));
        QCOMPARE(w.p0.fontFace(i), QStringLiteral("Serif"));
        QCOMPARE(w.p0.fontBold(i), i == 4 || i == 6);
    }
    // The samples follow as a load gives them their faces.
    QCOMPARE(w.p0.LblColor[1]->font().family(), QStringLiteral("Serif"));
    QVERIFY(w.p0.LblColor[0]->font().bold());
    // The week-view font: flags 771, and a cancel keeps the caption too.
    w.f.dialog.cancelNext();
    w.p5.CmdWFont_Click();
    QCOMPARE(w.f.dialog.Flags, 771);
    QCOMPARE(w.p5.LblMemo[0]->text(), QStringLiteral("굴림,9"));
    w.f.dialog.confirmWith([](CommonDialog& d) { d.FontName = QStringLiteral("Arial"); d.FontSize = 10.5f; });
    w.p5.CmdWFont->click();
    QCOMPARE(w.p5.LblMemo[0]->text(), QStringLiteral("Arial,10.5"));
    QCOMPARE(w.p5.LblMemo[0]->font().family(), QStringLiteral("Arial"));
}

void TestDisplay::valueLabels()
{
    Window w;
    w.load();
    w.p1.HSMWidth->setValue(w.p1.HSMWidth->minimum());
    QCOMPARE(w.p1.LblMWidth->text(), QStringLiteral("-200"));
    w.p1.VScroll1->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(w.p1.LblFWidth->text(), QStringLiteral("4"));
    w.p1.VScroll2->triggerAction(QAbstractSlider::SliderToMinimum);
    QCOMPARE(w.p1.LblSBWidth->text(), QStringLiteral("0"));
    // The larger number sits at the top of the vertical bars.
    QVERIFY(w.p1.VScroll1->invertedAppearance());
    QVERIFY(w.p1.VScroll2->invertedAppearance());
    // During a drag the label keeps the old value; on release it follows.
    QScrollBar* bar = w.p7.HSDSBar;
    bar->setSliderDown(true);
    bar->setSliderPosition(700);
    QCOMPARE(w.p7.LblDSShow->text(), QStringLiteral("30"));
    bar->setSliderDown(false);
    QCOMPARE(w.p7.LblDSShow->text(), QStringLiteral("700"));
    QCOMPARE(w.p7.HSDSBar->singleStep(), 5);
    QCOMPARE(w.p7.HSDSBar->pageStep(), 10);
    QCOMPARE(w.p7.HSTTimer->maximum(), 60);
}

void TestDisplay::blinkGreysFrameControls()
{
    Window w;
    w.load();
    w.p1.OptBlink[0]->click();
    for (QWidget* c : {static_cast<QWidget*>(w.p1.LblColor11), static_cast<QWidget*>(w.p1.LblFWidth),
                       static_cast<QWidget*>(w.p1.VScroll1), static_cast<QWidget*>(w.p1.Label8)})
        QVERIFY(!c->isEnabled());
    QVERIFY(w.display.Main_WriteColor(0));
    QCOMPARE(w.store("FDay Shape"), QStringLiteral("1"));
    QCOMPARE(w.store("TodayLine"), QStringLiteral("0"));
    w.p1.OptBlink[3]->click();
    QVERIFY(w.p1.VScroll1->isEnabled());
    QVERIFY(w.p1.LblColor11->isEnabled());
}

void TestDisplay::picture_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("deletable");
    QTest::addColumn<QString>("written");
    const QString forty = QStringLiteral("/home/user/pictures/summer/beach0001.jpg");
    QTest::newRow("40 characters") << forty << forty << true << forty;
    QTest::newRow("41 characters") << QStringLiteral("x") + forty << QStringLiteral("...") + forty << true << QStringLiteral("x") + forty;
    QTest::newRow("empty") << "" << "None" << false << "";
    QTest::newRow("None with blanks") << "  None " << "  None " << false << "";
    QTest::newRow("path with blanks") << " /a.jpg " << " /a.jpg " << true << "/a.jpg";
}

void TestDisplay::picture()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    QFETCH(bool, deletable);
    QFETCH(QString, written);
    Window w;
    w.f.store.values.insert(QStringLiteral("Daybrook BG"), stored);
    w.p7.LblSkinDir->setText(QStringLiteral("/earlier.jpg"));
    w.load();
    QCOMPARE(w.p7.LblSknDis->text(), shown);
    QCOMPARE(w.p7.CmdSDel->isEnabled(), deletable);
    QVERIFY(w.display.Main_WriteColor(0));
    QCOMPARE(w.store("Daybrook BG"), written);
    if (deletable) {
        w.p7.CmdSDel->click();
        QCOMPARE(w.p7.LblSkinDir->text(), QStringLiteral("None"));
        QCOMPARE(w.p7.LblSknDis->text(), QStringLiteral("None"));
        QVERIFY(!w.p7.CmdSDel->isEnabled());
        QVERIFY(w.display.Main_WriteColor(0));
        QCOMPARE(w.store("Daybrook BG"), QString());
    }
}

void TestDisplay::pictureDialogCancelKeepsChoice()
{
    Window w;
    w.load();
    w.f.dialog.Filter = QStringLiteral("Excel(*.xlsx)|*.xlsx|");
    w.f.dialog.FileName = QStringLiteral("/tmp/export.xlsx");
    QString filter;
    w.f.dialog.confirmWith([&](CommonDialog& d) { filter = d.Filter; d.FileName = QStringLiteral("/p/b.gif"); });
    w.p7.CmdRoot->click();
    QCOMPARE(filter, QStringLiteral("Supported Picture Files(*.jpg,*.bmp,*.gif)|*.jpg;*.bmp;*.gif|"));
    QCOMPARE(w.p7.LblSkinDir->text(), QStringLiteral("/p/b.gif"));
    QVERIFY(w.p7.CmdSDel->isEnabled());
    w.f.dialog.FileName = QStringLiteral("/tmp/export.xlsx");
    w.f.dialog.cancelNext();
    w.p7.CmdRoot_Click();
    QCOMPARE(w.p7.LblSkinDir->text(), QStringLiteral("/p/b.gif"));
    QVERIFY(w.p7.CmdSDel->isEnabled());
}

void TestDisplay::weekViewDefaultsAndRoundTrip()
{
    Window w;
    w.p5.LblSun[0]->setBackColor(1);
    w.load();
    QCOMPARE(w.p5.LblSun[0]->backColor(), 8438015);
    QCOMPARE(w.p5.LblSun[1]->backColor(), 16744576);
    QCOMPARE(w.p5.LblSun[2]->backColor(), 12632256);
    QCOMPARE(w.p5.LblMemo[0]->backColor(), 16761024);
    QCOMPARE(w.p5.LblMemo[2]->backColor(), 16761024);
    QCOMPARE(w.p5.LblMemo[0]->text(), QStringLiteral("굴림,9"));
    QCOMPARE(w.p5.LblMemo[0]->font().family(), QStringLiteral("굴림"));
    QCOMPARE(w.p5.ImgWkView1->pixmap().size(), QSize(310, 119));
    QCOMPARE(w.p5.ImgWkView2->pixmap().size(), QSize(333, 127));
    QVERIFY(!w.p5.secondStyleShown());
    // Clicking a swatch changes nothing.
    QTest::mouseClick(w.p5.LblSun[0], Qt::LeftButton);
    QTest::mouseClick(w.p5.LblMemo[1], Qt::LeftButton);
    QVERIFY(w.f.dialog.calls.isEmpty());
    QCOMPARE(w.p5.LblSun[0]->backColor(), 8438015);
}

void TestDisplay::weekViewSwitch()
{
    Window w;
    w.f.store.values = {{"WeekViewB1", "111"}, {"WeekViewB3", "333"}};
    w.load();
    w.p5.LblSun[1]->setBackColor(11);
    w.p5.LblMemo[0]->setBackColor(13);
    QTest::mouseClick(w.p5.LblListButton, Qt::LeftButton);
    QVERIFY(w.p5.secondStyleShown());
    QCOMPARE(w.p5.ImgWkView2->x(), 10);
    QCOMPARE(w.store("WeekViewA1"), QStringLiteral("11"));
    QCOMPARE(w.store("WeekViewA3"), QStringLiteral("13"));
    QCOMPARE(w.store("WeekViewA0"), QStringLiteral("8438015"));
    QCOMPARE(w.store("WeekViewFontSize"), QStringLiteral("9"));
    QCOMPARE(w.p5.LblSun[1]->backColor(), 111);
    QCOMPARE(w.p5.LblMemo[0]->backColor(), 333);
    QCOMPARE(w.p5.LblMemo[2]->backColor(), 333);

    // OK while the second style is shown stores its colours under its own keys.
    w.p5.LblSun[1]->setBackColor(222);
    QVERIFY(w.display.Main_WriteColor(0));
    QCOMPARE(w.store("WeekViewB1"), QStringLiteral("222"));
    QCOMPARE(w.store("WeekViewA1"), QStringLiteral("11"));

    w.p5.LblListButton_Click();
    QVERIFY(!w.p5.secondStyleShown());
    QCOMPARE(w.p5.LblSun[1]->backColor(), 11);
    QCOMPARE(w.p5.LblMemo[0]->backColor(), 13);
    QCOMPARE(w.store("WeekViewB3"), QStringLiteral("333"));
}

void TestDisplay::weekViewLoadFollowsShownStyle()
{
    Window w;
    w.f.store.values = {{"WeekViewA1", "1"}, {"WeekViewA3", "3"}, {"WeekViewB1", "101"}, {"WeekViewB3", "103"}};
    w.load();
    w.p5.LblListButton_Click();
    // A preset change while the second style is shown loads the second style's colours...
    w.p0.CmbDefault->setCurrentIndex(5);
    QCOMPARE(w.p5.LblSun[1]->backColor(), 101);
    QCOMPARE(w.p5.LblMemo[0]->backColor(), 103);
    // ...so that storing puts back what was read, and the first style is untouched.
    QVERIFY(w.display.Main_WriteColor(5));
    QCOMPARE(w.store("WeekViewB1"), QStringLiteral("101"));
    QCOMPARE(w.store("WeekViewA1"), QStringLiteral("1"));
    QCOMPARE(w.store("WeekViewA3"), QStringLiteral("3"));
}

void TestDisplay::weekViewFontSize_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("stored");
    QTest::newRow("whole") << "Arial,10" << "10";
    QTest::newRow("fraction") << "Arial,10.5" << "10";
    QTest::newRow("not a number") << "Arial,big" << "<missing>";
}

void TestDisplay::weekViewFontSize()
{
    QFETCH(QString, caption);
    QFETCH(QString, stored);
    Window w;
    w.p5.LblMemo[0]->setText(caption);
    const QStringList failed = w.p5.WriteWeekView(false);
    QVERIFY(failed.isEmpty());
    QCOMPARE(w.store("WeekViewFontSize"), stored);
    QVERIFY(w.f.store.values.contains(QStringLiteral("WeekViewFont")));
}

void TestDisplay::failedFileWriteIsReported()
{
    Window w;
    w.load();
    w.f.fs.failPathPart = QStringLiteral("Daybrook.ini");
    QVERIFY(!w.display.Main_WriteColor(0));
    QCOMPARE(w.f.boxes.shown.size(), 1);
    QVERIFY(w.f.boxes.shown[0].text.contains(w.ini()));
    QCOMPARE(w.f.boxes.shown[0].title, QStringLiteral("Tunedesk"));
    // The store keys were still written.
    QCOMPARE(w.store("FDay Border"), QStringLiteral("2"));
    // The store-now button reports the same way.
    w.p0.CmbDefault->setCurrentIndex(5);
    w.p0.CmdDColor->click();
    QCOMPARE(w.f.boxes.shown.size(), 2);
}

void TestDisplay::textCp949CannotHoldIsReported()
{
    Window w;
    w.load();
    w.p0.LblDName[1]->setText(QStringLiteral("Noto\u0301,9"));   // a combining mark CP949 lacks
    w.p0.LblDName[0]->setText(QStringLiteral("굴림,12"));
    QVERIFY(!w.display.Main_WriteColor(0));
    QCOMPARE(w.f.boxes.shown.size(), 1);
    QVERIFY(w.f.boxes.shown[0].text.contains(QStringLiteral("MemoFont")));
    // Nothing turned into "?", and the other keys were stored.
    QCOMPARE(w.fileValue(kPreset0, "MemoFont"), QStringLiteral("<missing>"));
    QCOMPARE(w.fileValue(kPreset0, "DayFont"), QStringLiteral("굴림,12"));
    QVERIFY(!readFile(w.ini()).contains('?'));
}

void TestDisplay::refusedStoreIsReported()
{
    Window w;
    w.load();
    w.f.store.failSaves = true;
    QVERIFY(!w.display.Main_WriteColor(0));
    QCOMPARE(w.f.boxes.shown.size(), 1);
    QVERIFY(w.f.boxes.shown[0].text.contains(QStringLiteral("FDay Color")));
    QVERIFY(w.f.boxes.shown[0].text.contains(QStringLiteral("WeekViewA1")));
    QCOMPARE(w.fileValue(kPreset0, "TitlePosition"), QStringLiteral("1"));
    // A style switch that cannot store says so, and keeps the style and its colours.
    w.p5.LblSun[1]->setBackColor(5);
    w.p5.LblListButton_Click();
    QCOMPARE(w.f.boxes.shown.size(), 2);
    QVERIFY(w.f.boxes.shown[1].text.contains(QStringLiteral("WeekViewA1")));
    QVERIFY(!w.p5.secondStyleShown());
    QCOMPARE(w.p5.LblSun[1]->backColor(), 5);
}

void TestDisplay::resetsFromMiscPage()
{
    Window w;
    w.load();
    QVERIFY(w.display.Main_WriteColor(0));
    w.f.boxes.answers = {MsgAnswer::Cancel};
    w.p7.Cmdini->click();
    QVERIFY(!w.f.store.values.isEmpty());
    w.f.boxes.answers = {MsgAnswer::Ok};
    w.p7.Cmdini->click();
    QVERIFY(w.f.store.values.isEmpty());
    // The window still shows its values; a later OK writes them back.
    QCOMPARE(w.p7.HSDSBar->value(), 30);
    w.f.boxes.answers = {MsgAnswer::Ok};
    w.p7.CmdPosIni->click();
    QCOMPARE(w.store("Startup Left"), QStringLiteral("100"));
    QCOMPARE(w.store("Startup Top"), QStringLiteral("100"));
    QCOMPARE(w.f.boxes.shown.size(), 3);
    QCOMPARE(w.f.boxes.shown[2].title, QStringLiteral("Daybrook 위치 초기화"));
}

QTEST_MAIN(TestDisplay)
#include "tst_display.moc"
