#include "DisplayValues.h"

#include "Conversions.h"
#include "platform/Spaces.h"

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

QString number(qint64 n) { return QString::number(n); }

using Part = StoreSetting::Part;
using Field = int DisplayValues::*;

StoreSetting colour(const char* key, const char* fallback, Part part, Field field)
{
    return {QLatin1String(key), QLatin1String(fallback), part,
            [field](const QString& t, DisplayValues& v) {
                if (const auto c = conv::toColour(t))
                    v.*field = *c;
            },
            [field](const DisplayValues& v) { return std::optional(number(v.*field)); }};
}

// A bar's value: a small integer in the bar's range.
StoreSetting bar(const char* key, const char* fallback, Field field, Range range, const char* control)
{
    return {QLatin1String(key),
            QLatin1String(fallback),
            Part::Common,
            [field, range](const QString& t, DisplayValues& v) {
                if (const auto n = conv::toSmallInteger(t); n && range.holds(*n))
                    v.*field = *n;
            },
            [field](const DisplayValues& v) { return std::optional(number(v.*field)); },
            range,
            QLatin1String(control),
            0,
            field};
}

// A check box's value: 0 off, 1 on, 2 greyed.
StoreSetting check(const char* key, const char* fallback, Field field, const char* control, int caption)
{
    return {QLatin1String(key),
            QLatin1String(fallback),
            Part::Common,
            [field](const QString& t, DisplayValues& v) {
                if (const auto n = conv::toSmallInteger(t); n && *n >= 0 && *n <= 2)
                    v.*field = *n;
            },
            [field](const DisplayValues& v) { return std::optional(number(v.*field)); },
            std::nullopt,
            QLatin1String(control),
            caption,
            field};
}

// Three options from one number: 0 or not a number the first, 1 the second, else the third.
StoreSetting threeWay(const char* key, Field field)
{
    return {QLatin1String(key), QStringLiteral("2"), Part::Common,
            [field](const QString& t, DisplayValues& v) {
                const auto n = conv::number(t);
                v.*field = !n || *n == 0 ? 0 : *n == 1 ? 1
                                                       : 2;
            },
            [field](const DisplayValues& v) {
                const int n = v.*field;
                return std::optional(number(n == 0 || n == 1 ? n : 2));
            }};
}

QList<StoreSetting> makeStoreSettings()
{
    using V = DisplayValues;
    return {
        threeWay("VerticalPosition", &V::verticalPosition),
        threeWay("HorizontalPosition", &V::horizontalPosition),
        {QStringLiteral("DualMonitor"), QStringLiteral("0"), Part::Common,
         [](const QString& t, V& v) {
             const auto n = conv::number(t);
             v.dualMonitor = n && *n != 0;
         },
         [](const V& v) { return std::optional(number(v.dualMonitor ? 1 : 0)); }},
        colour("FDay Color", "8421631", Part::Common, &V::todayColour),
        bar("FDay Border", "2", &V::frameWidth, {1, 4}, "VScroll1"),
        bar("Status Bar Border", "1", &V::statusBarBorder, {0, 3}, "VScroll2"),
        {QStringLiteral("FDay Shape"), QStringLiteral("1"), Part::Common,
         [](const QString& t, V& v) {
             if (const auto n = conv::toSmallInteger(t); n && (*n == 0 || *n == 1 || *n == 3))
                 v.todayMarker = *n;
         },
         [](const V& v) { return std::optional(number(v.todayMarker == 3 ? 3 : 1)); }},
        // After the shape, so a blinking today wins over a stored frame shape.
        {QStringLiteral("TodayLine"), QStringLiteral("1"), Part::Common,
         [](const QString& t, V& v) {
             if (const auto n = conv::number(t); !n || *n == 0)
                 v.todayMarker = 0;
         },
         [](const V& v) { return std::optional(number(v.todayMarker == 0 ? 0 : 1)); }},
        bar("MemoOffset", "0", &V::memoOffset, {-200, 200}, "HSMWidth"),
        bar("TodayShowTime", "20", &V::todayShowTime, {10, 60}, "HSTTimer"),
        check("TodayMemoEnable", "1", &V::todayMemo, "ChkTMemo", 1608),
        bar("DataSyncInterval", "30", &V::dataSyncInterval, {10, 1440}, "HSDSBar"),
        check("DataSync", "0", &V::dataSync, "ChkDSync", 1611),
        {QStringLiteral("Daybrook BG"), QString(), Part::Common,
         [](const QString& t, V& v) { v.background = t.isEmpty() ? QStringLiteral("None") : t; },
         [](const V& v) { return std::optional(hasPicture(v.background) ? trimSpaces(v.background) : QString()); }},

        // The week view: the weekday and memo colours exist once per style.
        colour("WeekViewA1", "16744576", Part::FirstStyle, &V::weekWeekday),
        colour("WeekViewB1", "8421631", Part::SecondStyle, &V::weekWeekday),
        colour("WeekViewA3", "16761024", Part::FirstStyle, &V::weekMemo),
        colour("WeekViewB3", "12632319", Part::SecondStyle, &V::weekMemo),
        colour("WeekViewA0", "8438015", Part::WeekView, &V::weekSunday),
        colour("WeekViewA2", "12632256", Part::WeekView, &V::weekSaturday),
        // The description shows the stored size text as it is; a store takes its whole part.
        {QStringLiteral("WeekViewFont"), QStringLiteral("굴림"), Part::WeekView,
         [](const QString& t, V& v) { v.weekFace = t; }, [](const V& v) { return std::optional(v.weekFace); }},
        {QStringLiteral("WeekViewFontSize"), QStringLiteral("9"), Part::WeekView,
         [](const QString& t, V& v) { v.weekFontDescription = v.weekFace + QLatin1Char(',') + t; },
         [](const V& v) -> std::optional<QString> {
             // The size is what the description shows after its first comma, without a fraction.
             if (const auto size = conv::wholeSizeOf(v.weekFontDescription))
                 return number(qint64(*size));
             return std::nullopt;
         }},
    };
}

bool inStyle(Part part, bool secondStyle)
{
    return part == (secondStyle ? Part::SecondStyle : Part::FirstStyle);
}

void take(const ISettingsStore& store, const StoreSetting& s, DisplayValues& v)
{
    s.take(store.get(s.key, s.fallback), v);
}

QList<QPair<QString, QString>> entries(const DisplayValues& v, const std::function<bool(Part)>& wanted)
{
    QList<QPair<QString, QString>> out;
    for (const StoreSetting& s : storeSettings()) {
        if (!wanted(s.part))
            continue;
        if (const std::optional<QString> text = s.give(v))
            out.append({s.key, *text});
    }
    return out;
}

} // namespace

const QList<StoreSetting>& storeSettings()
{
    static const QList<StoreSetting> settings = makeStoreSettings();
    return settings;
}

const StoreSetting& storeSetting(const QString& key)
{
    for (const StoreSetting& s : storeSettings())
        if (s.key == key)
            return s;
    qFatal("no store key %s is declared", qPrintable(key));
}

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
    for (const StoreSetting& s : storeSettings())
        if (inStyle(s.part, secondStyle))
            take(store, s, v);
}

void readStore(const ISettingsStore& store, bool secondStyle, DisplayValues& v)
{
    for (const StoreSetting& s : storeSettings())
        if (s.part == Part::Common || s.part == Part::WeekView || inStyle(s.part, secondStyle))
            take(store, s, v);
}

QList<QPair<QString, QString>> storeEntries(const DisplayValues& v)
{
    return entries(v, [](Part p) { return p == Part::Common; });
}

QList<QPair<QString, QString>> weekViewEntries(const DisplayValues& v, bool secondStyle)
{
    return entries(v, [secondStyle](Part p) { return p == Part::WeekView || inStyle(p, secondStyle); });
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
