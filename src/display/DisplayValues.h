#pragma once
#include "platform/SettingsStore.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <array>
#include <functional>
#include <optional>

namespace td::display {

// A display font as a preset keeps it: the description is stored text, kept
// exactly as read until the user chooses another font; the face is what draws.
struct FontValue {
    QString description;
    QString face;
    bool bold = false;
    bool operator==(const FontValue&) const = default;
};

// Everything the display pages show: one preset of Daybrook.ini and the common
// display keys of the settings store. The defaults are the pages' designed ones;
// an empty face stands for the window's own.
struct DisplayValues {
    // Preset: the colours of the samples 0..10 and of the title border.
    std::array<qint32, 11> sampleColours{8388736, 14737632, 14737632, 255, 16777215, 16711680,
                                         -2147483644, 33023, -2147483640, 12632256, 0};
    qint32 titleBorderColour = 8421504;
    // Fonts by label: 0 day, 1 memo, 2 lunar, 4 year, 5 weekday names, 6 month; no 3.
    std::array<FontValue, 7> fonts{};
    int titlePosition = 1; // 0 left, 1 centre, 2 right
    int displayMode = -1;  // -1: none chosen

    // Store: the today marker and the spacing.
    int todayMarker = 1; // 0 blink, 1 square frame, 3 circle frame
    qint32 todayColour = 8421631;
    int frameWidth = 1;
    int statusBarBorder = 1;
    int memoOffset = 0;
    bool dualMonitor = false;
    int verticalPosition = 2;   // 0 left, 1 centre, 2 right
    int horizontalPosition = 2; // 0 top, 1 centre, 2 bottom

    // Store: today memo, synchronisation, background picture.
    int todayShowTime = 20;
    int todayMemo = 0; // check value: 0 off, 1 on, 2 greyed
    int dataSync = 0;
    int dataSyncInterval = 20;
    QString background = QStringLiteral("None"); // a path, or "None"

    // Store: the week view. The weekday and memo colours are those of the style shown.
    qint32 weekSunday = 8438015;
    qint32 weekWeekday = 16744576;
    qint32 weekSaturday = 12632256;
    qint32 weekMemo = 16761024;
    QString weekFace;
    QString weekFontDescription = QStringLiteral("글꼴");

    bool operator==(const DisplayValues&) const = default;
};

// The range a page's bar accepts; a stored value outside is not taken.
struct Range {
    int min, max;
    bool holds(int v) const { return v >= min && v <= max; }
};

// One value of the settings store, declared once: its key, what the store gives
// when the key is missing, the part of the window it belongs to, how a stored
// text sets its field (a text it cannot use leaves the field as it was), the
// text the field is stored as (nothing: the key is not written), and, for a
// value a bar shows, the bar's range. A value a bar or check box shows names
// that control and the number field it shows; the pages make, fill and read
// those controls from here.
struct StoreSetting {
    enum class Part {
        Common,
        WeekView,    // the week view, both styles
        FirstStyle,  // the week view's first style only
        SecondStyle, // the week view's second style only
    };
    QString key;
    QString fallback;
    Part part;
    std::function<void(const QString& stored, DisplayValues& v)> take;
    std::function<std::optional<QString>(const DisplayValues& v)> give;
    std::optional<Range> range = std::nullopt;
    QString control = {};                // the object name of the bar or check box
    int caption = 0;                     // a check box's caption (language key)
    int DisplayValues::*field = nullptr; // what the control shows
};
// Every value of the store, in the order a store writes them.
const QList<StoreSetting>& storeSettings();
// The row of key; an undeclared key is a programming error.
const StoreSetting& storeSetting(const QString& key);

// True when the background text names a picture: spaces trimmed, it is not "None".
bool hasPicture(const QString& background);

// The preset's keys from read(key) (the stored text, empty when missing). Every
// key stands on its own: an unusable value leaves its field as it was. A font
// key always gives its description; modeCount is the number of display modes.
void readPreset(const std::function<QString(const QString&)>& read, int modeCount, DisplayValues& v);
// The preset's keys in the order a store writes them.
QList<QPair<QString, QString>> presetEntries(const DisplayValues& v);

// The common display keys and the week view (in the style shown, second or first).
void readStore(const ISettingsStore& store, bool secondStyle, DisplayValues& v);
// Only the weekday and memo colours of one week-view style.
void readWeekStyle(const ISettingsStore& store, bool secondStyle, DisplayValues& v);
// The store keys in the order a store writes them: the common keys, then the week view's.
QList<QPair<QString, QString>> storeEntries(const DisplayValues& v);
QList<QPair<QString, QString>> weekViewEntries(const DisplayValues& v, bool secondStyle);
// Saves entries; the keys the store refused.
QStringList save(ISettingsStore& store, const QList<QPair<QString, QString>>& entries);

} // namespace td::display
