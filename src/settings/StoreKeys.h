#pragma once
#include <QString>

namespace td::keys {

// The display settings file beside the program; one section per preset.
inline const QString kDisplayFile = QStringLiteral("Daybrook.ini");

// Daybrook's remembered window position (only ever reset by us).
inline const QString kStartupLeft = QStringLiteral("Startup Left");
inline const QString kStartupTop = QStringLiteral("Startup Top");

// Common display keys of the settings store, with what the store gives when a key is missing.
struct StoreKey {
    QString name;
    QString fallback;
};
inline const StoreKey kFDayColor{QStringLiteral("FDay Color"), QStringLiteral("8421631")};
inline const StoreKey kFDayBorder{QStringLiteral("FDay Border"), QStringLiteral("2")};
inline const StoreKey kStatusBarBorder{QStringLiteral("Status Bar Border"), QStringLiteral("1")};
inline const StoreKey kFDayShape{QStringLiteral("FDay Shape"), QStringLiteral("1")};
inline const StoreKey kTodayLine{QStringLiteral("TodayLine"), QStringLiteral("1")};
inline const StoreKey kVerticalPosition{QStringLiteral("VerticalPosition"), QStringLiteral("2")};
inline const StoreKey kHorizontalPosition{QStringLiteral("HorizontalPosition"), QStringLiteral("2")};
inline const StoreKey kDualMonitor{QStringLiteral("DualMonitor"), QStringLiteral("0")};
inline const StoreKey kMemoOffset{QStringLiteral("MemoOffset"), QStringLiteral("0")};
inline const StoreKey kTodayShowTime{QStringLiteral("TodayShowTime"), QStringLiteral("20")};
inline const StoreKey kTodayMemoEnable{QStringLiteral("TodayMemoEnable"), QStringLiteral("1")};
inline const StoreKey kDataSync{QStringLiteral("DataSync"), QStringLiteral("0")};
inline const StoreKey kDataSyncInterval{QStringLiteral("DataSyncInterval"), QStringLiteral("30")};
inline const StoreKey kBackground{QStringLiteral("Daybrook BG"), QString()};

// Week view: Sunday and Saturday colours and the font are shared by both styles;
// the weekday and memo colours exist once per style (A = first, B = second).
inline const StoreKey kWeekSunday{QStringLiteral("WeekViewA0"), QStringLiteral("8438015")};
inline const StoreKey kWeekWeekdayA{QStringLiteral("WeekViewA1"), QStringLiteral("16744576")};
inline const StoreKey kWeekSaturday{QStringLiteral("WeekViewA2"), QStringLiteral("12632256")};
inline const StoreKey kWeekMemoA{QStringLiteral("WeekViewA3"), QStringLiteral("16761024")};
inline const StoreKey kWeekWeekdayB{QStringLiteral("WeekViewB1"), QStringLiteral("8421631")};
inline const StoreKey kWeekMemoB{QStringLiteral("WeekViewB3"), QStringLiteral("12632319")};
inline const StoreKey kWeekFont{QStringLiteral("WeekViewFont"), QStringLiteral("굴림")};
inline const StoreKey kWeekFontSize{QStringLiteral("WeekViewFontSize"), QStringLiteral("9")};

} // namespace td::keys
