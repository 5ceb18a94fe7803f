#pragma once
#include "display/DisplayValues.h"
#include "platform/IoStatus.h"
#include "platform/ProfileFile.h"
#include "platform/Services.h"

#include <QObject>
#include <QStringList>
#include <optional>

namespace td {

class PresetsPage;
class ScreenPage;
class WeekViewPage;
class MiscPage;

// Moves the display values between pages 0, 1, 5 and 7 and Daybrook.ini / the
// settings store, and ties the preset, mode and dual-monitor choices together.
// The pages are the only copy of the values between a load and a store.
class DisplaySettings : public QObject {
    Q_OBJECT
public:
    DisplaySettings(Services& services, PresetsPage* presets, ScreenPage* screen, WeekViewPage* weekView,
                    MiscPage* misc);

    // Loads preset index (its section of Daybrook.ini) and the common settings.
    // Every key stands on its own: an unusable value leaves its control as it was.
    void Main_ReadColor(int index);
    // Stores everything shown into preset index and the store. False when
    // something could not be stored; the user has then had one message naming it.
    bool Main_WriteColor(int index);

    // One key of the preset's section (section = text of CmbDefault entry index).
    QString ReadProfile(int index, const QString& key);
    IoStatus WriteProfile(int index, const QString& key, const QString& value);
    QString profilePath() const;

    // True when what the pages show differs from what was last loaded or stored.
    bool edited() const;

    // The preset keys in the order a store writes them.
    QList<QPair<QString, QString>> presetValues() const;

public slots:
    void CmbDefault_Click();
    void CmbSMode_Click();
    void ChkDual_Click();
    void CmdDColor_Click();

private:
    display::DisplayValues shown() const;
    void show(const display::DisplayValues& v);
    void applyModeRule();
    void setPositionFrames(bool vertical, bool horizontal);
    void reportFailures(const QStringList& failures);

    Services& s_;
    // The file as read once at the start of a load: 22 keys from one reading.
    std::optional<ProfileDocument> snapshot_;
    // What the pages showed after the last load or store: the values on disk.
    std::optional<display::DisplayValues> stored_;
    PresetsPage* p0_;
    ScreenPage* p1_;
    WeekViewPage* p5_;
    MiscPage* p7_;
};

} // namespace td
