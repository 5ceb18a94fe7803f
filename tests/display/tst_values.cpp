#include "TestSupport.h"
#include "display/DisplayValues.h"

#include <QMap>
#include <QTest>

using namespace td;
using namespace td::display;

namespace {

using Entries = QList<QPair<QString, QString>>;

QString valueOf(const Entries& entries, const QString& key)
{
    for (const auto& kv : entries) {
        if (kv.first == key)
            return kv.second;
    }
    return QStringLiteral("<missing>");
}

// A preset whose stored texts are map; a missing key reads as empty text.
DisplayValues readPresetFrom(const QMap<QString, QString>& map, DisplayValues v = {})
{
    readPreset([&](const QString& key) { return map.value(key); }, 8, v);
    return v;
}

} // namespace

class TestDisplayValues : public QObject {
    Q_OBJECT
private slots:
    // Each row: a preset key, its stored text, and what a store writes after loading it over the defaults.
    void presetKey_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("written");
        // clang-format off
        QTest::newRow("colour beyond RGB keeps the default") << "SunColor" << "16777216" << "255";
        QTest::newRow("system colour 25 keeps the default") << "BackColor" << "-2147483623" << "-2147483640";
        QTest::newRow("missing font empties") << "DayFont" << "" << "";
        QTest::newRow("bold not a number") << "YearBold" << "abc" << "1";
        QTest::newRow("bold 2") << "MonthBold" << "2" << "0";
        QTest::newRow("title position 3 keeps") << "TitlePosition" << "3" << "1";
        QTest::newRow("title position -1 keeps") << "TitlePosition" << "-1" << "1";
        QTest::newRow("mode last") << "DisplayMode" << "7.9" << "7";
        QTest::newRow("mode beyond the list keeps") << "DisplayMode" << "8" << "-1";
        QTest::newRow("mode below -1 keeps") << "DisplayMode" << "-2" << "-1";
        // clang-format on
    }

    void presetKey()
    {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(QString, written);
        QCOMPARE(valueOf(presetEntries(readPresetFrom({{key, stored}})), key), written);
    }

    // A font's face is what stands before the first comma; without a comma the face stays.
    void fontFaces()
    {
        DisplayValues before;
        before.fonts[2].face = QStringLiteral("Earlier");
        before.fonts[6].face = QStringLiteral("Earlier");
        const DisplayValues v = readPresetFrom({{"LunarFont", "굴림,10.5"}, {"TitleMonth", "Serif"}}, before);
        QCOMPARE(v.fonts[2].face, QStringLiteral("굴림"));
        QCOMPARE(v.fonts[6].face, QStringLiteral("Earlier"));
    }

    // Each row: a store key, its stored text, and what a store writes for it.
    void storeKey_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("written");
        // clang-format off
        QTest::newRow("today colour system") << "FDay Color" << "-2147483624" << "-2147483624";
        QTest::newRow("frame width beyond the bar keeps") << "FDay Border" << "5" << "1";
        QTest::newRow("memo offset lower edge") << "MemoOffset" << "-200" << "-200";
        QTest::newRow("memo offset below keeps") << "MemoOffset" << "-201" << "0";
        QTest::newRow("today time abc keeps") << "TodayShowTime" << "abc" << "20";
        QTest::newRow("today memo greyed") << "TodayMemoEnable" << "2" << "2";
        QTest::newRow("today memo 3 keeps") << "TodayMemoEnable" << "3" << "0";
        QTest::newRow("sync interval upper edge") << "DataSyncInterval" << "1440" << "1440";
        QTest::newRow("sync interval beyond keeps") << "DataSyncInterval" << "1441" << "20";
        QTest::newRow("shape 2 keeps the square") << "FDay Shape" << "2" << "1";
        QTest::newRow("today line abc blinks") << "TodayLine" << "abc" << "0";
        QTest::newRow("vertical 9") << "VerticalPosition" << "9" << "2";
        QTest::newRow("horizontal abc") << "HorizontalPosition" << "abc" << "0";
        QTest::newRow("dual 7") << "DualMonitor" << "7" << "1";
        QTest::newRow("dual abc") << "DualMonitor" << "abc" << "0";
        QTest::newRow("week size fraction dropped") << "WeekViewFontSize" << "10.5" << "10";
        QTest::newRow("week size not a number: not stored") << "WeekViewFontSize" << "abc" << "<missing>";
        QTest::newRow("week Sunday system colour") << "WeekViewA0" << "-2147483643" << "-2147483643";
        QTest::newRow("week memo beyond RGB keeps") << "WeekViewA3" << "16777216" << "16761024";
        // clang-format on
    }

    void storeKey()
    {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(QString, written);
        test::MemorySettingsStore store;
        store.values.insert(key, stored);
        DisplayValues v;
        readStore(store, false, v);
        QCOMPARE(valueOf(storeEntries(v) + weekViewEntries(v, false), key), written);
    }

    // Blinking wins over a stored frame shape; a store then writes the square frame.
    void blinkWinsOverShape()
    {
        test::MemorySettingsStore store;
        store.values = {{"FDay Shape", "3"}, {"TodayLine", "0"}};
        DisplayValues v;
        readStore(store, false, v);
        QCOMPARE(valueOf(storeEntries(v), "FDay Shape"), QStringLiteral("1"));
        QCOMPARE(valueOf(storeEntries(v), "TodayLine"), QStringLiteral("0"));
    }
};

QTEST_GUILESS_MAIN(TestDisplayValues)
#include "tst_values.moc"
