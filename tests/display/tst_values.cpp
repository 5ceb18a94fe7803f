#include "TestSupport.h"
#include "display/DisplayValues.h"

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

} // namespace

class TestDisplayValues : public QObject {
    Q_OBJECT
private slots:
    // Each row: a key of a preset or of the store, its stored text, and what a store writes after loading it
    // over the defaults.
    void storedKey_data()
    {
        QTest::addColumn<bool>("preset");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("written");
        // clang-format off
        QTest::newRow("colour beyond RGB keeps the default") << true << "SunColor" << "16777216" << "255";
        QTest::newRow("missing font empties") << true << "DayFont" << "" << "";
        QTest::newRow("bold not a number") << true << "YearBold" << "abc" << "1";
        QTest::newRow("bold 2") << true << "MonthBold" << "2" << "0";
        QTest::newRow("title position 3 keeps") << true << "TitlePosition" << "3" << "1";
        QTest::newRow("mode last") << true << "DisplayMode" << "7.9" << "7";
        QTest::newRow("mode beyond the list keeps") << true << "DisplayMode" << "8" << "-1";
        QTest::newRow("memo offset below keeps") << false << "MemoOffset" << "-201" << "0";
        QTest::newRow("today memo greyed") << false << "TodayMemoEnable" << "2" << "2";
        QTest::newRow("today memo 3 keeps") << false << "TodayMemoEnable" << "3" << "0";
        QTest::newRow("sync interval beyond keeps") << false << "DataSyncInterval" << "1441" << "20";
        QTest::newRow("shape 2 keeps the square") << false << "FDay Shape" << "2" << "1";
        QTest::newRow("today line abc blinks") << false << "TodayLine" << "abc" << "0";
        QTest::newRow("vertical 9") << false << "VerticalPosition" << "9" << "2";
        QTest::newRow("horizontal abc") << false << "HorizontalPosition" << "abc" << "0";
        QTest::newRow("dual 7") << false << "DualMonitor" << "7" << "1";
        QTest::newRow("week size fraction dropped") << false << "WeekViewFontSize" << "10.5" << "10";
        QTest::newRow("picture None with blanks") << false << "Daybrook BG" << "  None " << "";
        QTest::newRow("picture keeps tab and ideographic space") << false << "Daybrook BG" << " \t/a.jpg\u3000 " << "\t/a.jpg\u3000";
        QTest::newRow("week size not a number: not stored") << false << "WeekViewFontSize" << "abc" << "<missing>";
        // clang-format on
    }

    void storedKey()
    {
        QFETCH(bool, preset);
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(QString, written);
        DisplayValues v;
        if (preset) {
            readPreset([&](const QString& k) { return k == key ? stored : QString(); }, 8, v);
            QCOMPARE(valueOf(presetEntries(v), key), written);
            return;
        }
        test::MemorySettingsStore store;
        store.values.insert(key, stored);
        readStore(store, false, v);
        QCOMPARE(valueOf(storeEntries(v) + weekViewEntries(v, false), key), written);
    }

    // Each bar's stored value: its bounds are taken (rounded as stored by other programs,
    // blanks around allowed), one past either bound leaves the designed value.
    void barBounds_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("designed");
        QTest::newRow("frame width") << "FDay Border" << 1 << 4 << 1;
        QTest::newRow("status bar border") << "Status Bar Border" << 0 << 3 << 1;
        QTest::newRow("memo offset") << "MemoOffset" << -200 << 200 << 0;
        QTest::newRow("today memo time") << "TodayShowTime" << 10 << 60 << 20;
        QTest::newRow("sync interval") << "DataSyncInterval" << 10 << 1440 << 20;
    }
    void barBounds()
    {
        QFETCH(QString, key);
        QFETCH(int, low);
        QFETCH(int, high);
        QFETCH(int, designed);
        const QList<QPair<QString, int>> cases{{QString::number(low), low},
                                               {QStringLiteral(" %1.4 ").arg(high), high},
                                               {QString::number(low - 1), designed},
                                               {QString::number(high + 1), designed},
                                               {QStringLiteral("%1.6").arg(high), designed}};
        for (const auto& [stored, written] : cases) {
            test::MemorySettingsStore store;
            store.values.insert(key, stored);
            DisplayValues v;
            readStore(store, false, v);
            QCOMPARE(valueOf(storeEntries(v), key), QString::number(written));
        }
    }

    // Blinking wins over a stored frame shape; a store then writes the square frame.
    void blinkWinsOverShape()
    {
        test::MemorySettingsStore store;
        store.values = {{"FDay Shape", "3"}, {"TodayLine", "0"}};
        DisplayValues v;
        readStore(store, false, v);
        QCOMPARE(valueOf(storeEntries(v), "FDay Shape"), QStringLiteral("1"));
    }
};

QTEST_GUILESS_MAIN(TestDisplayValues)
#include "tst_values.moc"
