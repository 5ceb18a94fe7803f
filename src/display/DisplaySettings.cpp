#include "DisplaySettings.h"

#include "settings/Resets.h"
#include "settings/SettingsJournal.h"

#include "MiscPage.h"
#include "PresetsPage.h"
#include "ScreenPage.h"
#include "WeekViewPage.h"
#include "platform/ProfileFile.h"
#include "platform/StoreKeys.h"

namespace td {

DisplaySettings::DisplaySettings(Services& services, PresetsPage* presets, ScreenPage* screen,
                                 WeekViewPage* weekView, MiscPage* misc)
    : s_(services), p0_(presets), p1_(screen), p5_(weekView), p7_(misc)
{
    connect(p0_, &PresetsPage::presetChosen, this, &DisplaySettings::CmbDefault_Click);
    connect(p0_, &PresetsPage::displayModeChosen, this, &DisplaySettings::CmbSMode_Click);
    connect(p1_, &ScreenPage::dualMonitorChanged, this, &DisplaySettings::ChkDual_Click);
    connect(p0_, &PresetsPage::storeNowClicked, this, &DisplaySettings::CmdDColor_Click);
    connect(p5_, &WeekViewPage::storeFailed, this, &DisplaySettings::reportFailures);
    // The style switch stores the week view as it leaves it and shows the other style as stored.
    connect(p5_, &WeekViewPage::styleSwitched, this, [this] {
        if (!stored_)
            return;
        const display::DisplayValues now = shown();
        stored_->weekSunday = now.weekSunday;
        stored_->weekWeekday = now.weekWeekday;
        stored_->weekSaturday = now.weekSaturday;
        stored_->weekMemo = now.weekMemo;
        stored_->weekFace = now.weekFace;
        stored_->weekFontDescription = now.weekFontDescription;
    });
}

QString DisplaySettings::profilePath() const
{
    return s_.programFile(keys::kDisplayFile);
}

QString DisplaySettings::ReadProfile(int index, const QString& key)
{
    // Values are read whole: a cut value would be written back cut at OK, and
    // font descriptions of long faces would lose their size.
    const QString section = p0_->presetName(index);
    if (snapshot_)
        return ProfileFile::readFrom(*snapshot_, section, key, QString(), 0);
    ProfileFile file(s_.fs);
    return file.read(profilePath(), section, key, QString(), 0);
}

IoStatus DisplaySettings::WriteProfile(int index, const QString& key, const QString& value)
{
    ProfileFile file(s_.fs);
    return file.write(profilePath(), p0_->presetName(index), key, value);
}

display::DisplayValues DisplaySettings::shown() const
{
    display::DisplayValues v;
    p0_->values(v);
    p1_->values(v);
    p7_->values(v);
    p5_->values(v);
    return v;
}

void DisplaySettings::show(const display::DisplayValues& v)
{
    p0_->setValues(v);
    p1_->setValues(v);
    p7_->setValues(v);
    p5_->setValues(v);
}

void DisplaySettings::Main_ReadColor(int index)
{
    // One reading of the file serves every preset key of this load; an unreadable
    // file reads key by key, where each read gives the empty text.
    snapshot_.emplace();
    if (!ProfileFile(s_.fs).load(profilePath(), *snapshot_))
        snapshot_.reset();
    struct Release {
        std::optional<ProfileDocument>& s;
        ~Release() { s.reset(); }
    } release{snapshot_};

    // What a key does not give stays as shown.
    display::DisplayValues v = shown();
    display::readPreset([&](const QString& key) { return ReadProfile(index, key); }, p0_->modeCount(), v);
    display::readStore(s_.store, p5_->secondStyleShown(), v);
    show(v);
    stored_ = shown();
}

bool DisplaySettings::edited() const
{
    return stored_ && shown() != *stored_;
}

QList<QPair<QString, QString>> DisplaySettings::presetValues() const
{
    return display::presetEntries(shown());
}

bool DisplaySettings::Main_WriteColor(int index)
{
    QStringList failures;
    const QString section = p0_->presetName(index);
    const display::DisplayValues v = shown();

    // The preset's keys go into the file in one rewrite. A value the file cannot
    // hold is left out on its own and named, as a single write of it would fail.
    QList<QPair<QString, QString>> writable;
    for (const auto& kv : display::presetEntries(v)) {
        const QString why = ProfileFile::refusal(kv.second, QStringLiteral("The value of \"%1\"").arg(kv.first));
        if (why.isEmpty())
            writable.append(kv);
        else
            failures << QStringLiteral("%1 [%2]: %3").arg(profilePath(), section, why);
    }
    if (!writable.isEmpty()) {
        ProfileFile file(s_.fs);
        const IoStatus st = file.writeMany(profilePath(), section, writable);
        if (!st)
            failures << QStringLiteral("%1: %2").arg(st.path.isEmpty() ? profilePath() : st.path, st.reason);
    }

    const QStringList refusedKeys = display::save(s_.store, display::storeEntries(v))
                                    + display::save(s_.store, display::weekViewEntries(v, p5_->secondStyleShown()));
    if (!refusedKeys.isEmpty())
        failures << (s_.isKorean() ? QStringLiteral("설정 저장소: %1") : QStringLiteral("settings store: %1"))
                        .arg(refusedKeys.join(QLatin1String(", ")));

    if (failures.isEmpty()) {
        stored_ = v;
        return true;
    }
    reportFailures(failures);
    return false;
}

void DisplaySettings::reportFailures(const QStringList& failures)
{
    const QString head = s_.isKorean() ? QStringLiteral("다음 설정을 저장하지 못했습니다. 창을 닫지 않았으니 다시 시도하십시오.")
                                       : QStringLiteral("These settings could not be stored. The window stays open; please try again.");
    s_.boxes.show({head + QLatin1Char('\r') + failures.join(QLatin1Char('\r')), QStringLiteral("Tunedesk"),
                   MsgIcon::Warning, MsgButtons::Ok, MsgAnswer::Ok});
}

void DisplaySettings::CmbDefault_Click()
{
    const int index = p0_->currentPreset();
    if (index < 0)
        return;
    Main_ReadColor(index);
    p0_->setStoreNowEnabled(index > 3);
}

void DisplaySettings::setPositionFrames(bool vertical, bool horizontal)
{
    p1_->setPositionsEnabled(vertical, horizontal);
}

void DisplaySettings::applyModeRule()
{
    const int m = p0_->displayMode();
    setPositionFrames(m > 2 && m < 6, m == 6);
}

void DisplaySettings::CmbSMode_Click()
{
    // With two monitors Daybrook places itself: the position frames stay off
    // whatever mode is chosen.
    if (p1_->dualMonitor())
        setPositionFrames(false, false);
    else
        applyModeRule();
}

void DisplaySettings::ChkDual_Click()
{
    if (p1_->dualMonitor())
        setPositionFrames(false, false);
    else
        applyModeRule();
}

void DisplaySettings::CmdDColor_Click()
{
    const bool korean = s_.isKorean();
    SettingsJournal journal(s_.fs, s_.journalFolder);
    if (const IoStatus st = journal.begin(QStringLiteral("store-now"), {profilePath(), s_.store.filePath()}); !st.ok) {
        s_.boxes.show({settingsJournalNotWritten(korean, st), QStringLiteral("Tunedesk"), MsgIcon::Warning,
                       MsgButtons::Ok, MsgAnswer::Ok});
        return;
    }
    const bool stored = Main_WriteColor(p0_->currentPreset());
    journal.finish();
    // Said what was stored and where.
    if (!stored)
        return;
    const QString preset = p0_->presetName(p0_->currentPreset());
    QString text = (korean ? QStringLiteral("미리 설정 \"%1\"을(를) 저장했습니다.\r%2 [%1]")
                           : QStringLiteral("Preset \"%1\" is stored.\r%2 [%1]"))
                       .arg(preset, profilePath());
    if (!s_.store.filePath().isEmpty())
        text += (korean ? QStringLiteral("\r설정 저장소: %1") : QStringLiteral("\rSettings store: %1")).arg(s_.store.filePath());
    s_.boxes.info(text, QStringLiteral("Tunedesk"));
}

} // namespace td
