#include "DisplayValues.h"

#include "Conversions.h"
#include "platform/Spaces.h"
#include "settings/StoreKeys.h"

namespace td::display {
namespace {

// Preset colour keys in load and store order, with the sample each colours
// (-1: the title border).
const struct {
    const char* key;
    int sample;
} kColourKeys[12] = {
    {"TitleColor", 9},
    {"TitleMonthColor", 0},
    {"TitleBorderColor", -1},
    {"EMonthColor", 2},
    {"AnniColor", 7},
    {"LunarColor", 6},
    {"YearColor", 1},
    {"SunColor", 3},
    {"SatColor", 5},
    {"WeekColor", 4},
    {"MemoColor", 10},
    {"BackColor", 8},
};

// Font keys in store order, with the font each holds.
const struct {
    const char* key;
    int font;
} kFontKeys[6] = {
    {"DayFont", 0},
    {"MemoFont", 1},
    {"LunarFont", 2},
    {"TitleWeek", 5},
    {"TitleYear", 4},
    {"TitleMonth", 6},
};

qint32& colourOf(DisplayValues& v, int sample)
{
    return sample < 0 ? v.titleBorderColour : v.sampleColours[sample];
}
qint32 colourOf(const DisplayValues& v, int sample)
{
    return sample < 0 ? v.titleBorderColour : v.sampleColours[sample];
}

QString get(const ISettingsStore& s, const keys::StoreKey& k) { return s.get(k.name, k.fallback); }

void takeSmall(const ISettingsStore& s, const keys::StoreKey& k, Range r, int& field)
{
    if (const auto n = conv::toSmallInteger(get(s, k)); n && r.holds(*n))
        field = *n;
}

void takeCheck(const ISettingsStore& s, const keys::StoreKey& k, int& field)
{
    if (const auto n = conv::toSmallInteger(get(s, k)); n && *n >= 0 && *n <= 2)
        field = *n;
}

// Three options from one number: 0 or not a number the first, 1 the second, else the third.
int threeWay(const ISettingsStore& s, const keys::StoreKey& k)
{
    const auto n = conv::number(get(s, k));
    return !n || *n == 0 ? 0
           : *n == 1     ? 1
                         : 2;
}

QString number(qint64 n) { return QString::number(n); }

} // namespace

bool hasPicture(const QString& background)
{
    return trimSpaces(background) != QLatin1String("None");
}

void readPreset(const std::function<QString(const QString&)>& read, int modeCount, DisplayValues& v)
{
    for (const auto& ck : kColourKeys) {
        if (const auto c = conv::toColour(read(QLatin1String(ck.key))))
            colourOf(v, ck.sample) = *c;
    }
    // A font description is taken whole; its face is the part before the comma.
    for (const auto& fk : kFontKeys) {
        FontValue& f = v.fonts[fk.font];
        f.description = read(QLatin1String(fk.key));
        if (const auto face = conv::faceOf(f.description))
            f.face = *face;
    }
    // Only a whole part of exactly 1 is bold, and an unreadable flag is bold too.
    auto bold = [&](const char* key) {
        const auto whole = conv::wholePart(read(QLatin1String(key)));
        return !whole || *whole == 1;
    };
    v.fonts[4].bold = bold("YearBold");
    v.fonts[6].bold = bold("MonthBold");
    const auto mode = conv::wholePart(read(QStringLiteral("DisplayMode")));
    if (mode && *mode >= -1 && *mode < modeCount)
        v.displayMode = int(*mode);
    if (const auto n = conv::wholePart(read(QStringLiteral("TitlePosition"))); n && *n >= 0 && *n <= 2)
        v.titlePosition = int(*n);
}

QList<QPair<QString, QString>> presetEntries(const DisplayValues& v)
{
    QList<QPair<QString, QString>> out;
    for (const auto& ck : kColourKeys)
        out.append({QLatin1String(ck.key), number(colourOf(v, ck.sample))});
    auto flag = [](bool b) { return b ? QStringLiteral("1") : QStringLiteral("0"); };
    for (const auto& fk : kFontKeys) {
        out.append({QLatin1String(fk.key), v.fonts[fk.font].description});
        if (fk.font == 4)
            out.append({QStringLiteral("YearBold"), flag(v.fonts[4].bold)});
    }
    out.append({QStringLiteral("MonthBold"), flag(v.fonts[6].bold)});
    out.append({QStringLiteral("TitlePosition"), number(v.titlePosition)});
    // No preset "HorizontalPosition": the window position is common to all presets
    // and lives in the store; a copy of the title position under that name would mislead.
    out.append({QStringLiteral("DisplayMode"), number(v.displayMode)});
    return out;
}

void readWeekStyle(const ISettingsStore& store, bool secondStyle, DisplayValues& v)
{
    if (const auto c = conv::toColour(get(store, secondStyle ? keys::kWeekWeekdayB : keys::kWeekWeekdayA)))
        v.weekWeekday = *c;
    if (const auto c = conv::toColour(get(store, secondStyle ? keys::kWeekMemoB : keys::kWeekMemoA)))
        v.weekMemo = *c;
}

void readStore(const ISettingsStore& store, bool secondStyle, DisplayValues& v)
{
    if (const auto c = conv::toColour(get(store, keys::kFDayColor)))
        v.todayColour = *c;
    takeSmall(store, keys::kFDayBorder, kFrameWidthRange, v.frameWidth);
    takeSmall(store, keys::kStatusBarBorder, kStatusBarBorderRange, v.statusBarBorder);
    if (const auto n = conv::toSmallInteger(get(store, keys::kFDayShape)); n && (*n == 0 || *n == 1 || *n == 3))
        v.todayMarker = *n;
    // After the shape, so a blinking today wins over a stored frame shape.
    if (const auto n = conv::number(get(store, keys::kTodayLine)); !n || *n == 0)
        v.todayMarker = 0;
    v.verticalPosition = threeWay(store, keys::kVerticalPosition);
    v.horizontalPosition = threeWay(store, keys::kHorizontalPosition);
    {
        const auto n = conv::number(get(store, keys::kDualMonitor));
        v.dualMonitor = n && *n != 0;
    }
    takeSmall(store, keys::kMemoOffset, kMemoOffsetRange, v.memoOffset);
    takeSmall(store, keys::kTodayShowTime, kTodayShowTimeRange, v.todayShowTime);
    takeCheck(store, keys::kTodayMemoEnable, v.todayMemo);
    takeCheck(store, keys::kDataSync, v.dataSync);
    takeSmall(store, keys::kDataSyncInterval, kDataSyncIntervalRange, v.dataSyncInterval);
    const QString picture = get(store, keys::kBackground);
    v.background = picture.isEmpty() ? QStringLiteral("None") : picture;

    if (const auto c = conv::toColour(get(store, keys::kWeekSunday)))
        v.weekSunday = *c;
    if (const auto c = conv::toColour(get(store, keys::kWeekSaturday)))
        v.weekSaturday = *c;
    readWeekStyle(store, secondStyle, v);
    // The description shows the stored size text as it is; a store takes its whole part.
    v.weekFace = get(store, keys::kWeekFont);
    v.weekFontDescription = v.weekFace + QLatin1Char(',') + get(store, keys::kWeekFontSize);
}

QList<QPair<QString, QString>> storeEntries(const DisplayValues& v)
{
    auto three = [](int n) { return number(n == 0 || n == 1 ? n : 2); };
    return {
        {keys::kVerticalPosition.name, three(v.verticalPosition)},
        {keys::kHorizontalPosition.name, three(v.horizontalPosition)},
        {keys::kDualMonitor.name, number(v.dualMonitor ? 1 : 0)},
        {keys::kFDayColor.name, number(v.todayColour)},
        {keys::kFDayBorder.name, number(v.frameWidth)},
        {keys::kStatusBarBorder.name, number(v.statusBarBorder)},
        {keys::kFDayShape.name, number(v.todayMarker == 3 ? 3 : 1)},
        {keys::kTodayLine.name, number(v.todayMarker == 0 ? 0 : 1)},
        {keys::kMemoOffset.name, number(v.memoOffset)},
        {keys::kTodayShowTime.name, number(v.todayShowTime)},
        {keys::kTodayMemoEnable.name, number(v.todayMemo)},
        {keys::kDataSyncInterval.name, number(v.dataSyncInterval)},
        {keys::kDataSync.name, number(v.dataSync)},
        {keys::kBackground.name, hasPicture(v.background) ? trimSpaces(v.background) : QString()},
    };
}

QList<QPair<QString, QString>> weekViewEntries(const DisplayValues& v, bool secondStyle)
{
    QList<QPair<QString, QString>> out = {
        {(secondStyle ? keys::kWeekWeekdayB : keys::kWeekWeekdayA).name, number(v.weekWeekday)},
        {(secondStyle ? keys::kWeekMemoB : keys::kWeekMemoA).name, number(v.weekMemo)},
        {keys::kWeekSunday.name, number(v.weekSunday)},
        {keys::kWeekSaturday.name, number(v.weekSaturday)},
        {keys::kWeekFont.name, v.weekFace},
    };
    // The size is what the description shows after its first comma, without a fraction.
    if (const auto size = conv::wholeSizeOf(v.weekFontDescription))
        out.append({keys::kWeekFontSize.name, number(qint64(*size))});
    return out;
}

QStringList save(ISettingsStore& store, const QList<QPair<QString, QString>>& entries)
{
    QStringList refused;
    for (const auto& kv : entries) {
        if (!store.save(kv.first, kv.second))
            refused << kv.first;
    }
    return refused;
}

} // namespace td::display
