#include "DisplaySettings.h"

#include "Conversions.h"
#include "DisplayControls.h"
#include "MiscPage.h"
#include "PresetsPage.h"
#include "ScreenPage.h"
#include "WeekViewPage.h"
#include "platform/ProfileFile.h"
#include "platform/Spaces.h"
#include "settings/StoreKeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

namespace td {
namespace {

// Preset colour keys in load and store order, with the sample that holds each
// (-1: the title border shape).
const struct {
    const char* key;
    int sample;
} kColourKeys[12] = {
    {"TitleColor", 9}, {"TitleMonthColor", 0}, {"TitleBorderColor", -1}, {"EMonthColor", 2},
    {"AnniColor", 7},  {"LunarColor", 6},      {"YearColor", 1},        {"SunColor", 3},
    {"SatColor", 5},   {"WeekColor", 4},       {"MemoColor", 10},       {"BackColor", 8},
};

// A scroll bar refuses a value outside its range instead of clamping it.
bool setBarValue(QScrollBar* bar, int value)
{
    if (value < bar->minimum() || value > bar->maximum())
        return false;
    bar->setValue(value);
    return true;
}

QString get(Services& s, const keys::StoreKey& k) { return s.store.get(k.name, k.fallback); }

} // namespace

DisplaySettings::DisplaySettings(Services& services, PresetsPage* presets, ScreenPage* screen,
                                 WeekViewPage* weekView, MiscPage* misc)
    : s_(services), p0_(presets), p1_(screen), p5_(weekView), p7_(misc)
{
    connect(p0_->CmbDefault, &QComboBox::currentIndexChanged, this, &DisplaySettings::CmbDefault_Click);
    connect(p0_->CmbSMode, &QComboBox::currentIndexChanged, this, &DisplaySettings::CmbSMode_Click);
    connect(p1_->ChkDual, &QCheckBox::stateChanged, this, &DisplaySettings::ChkDual_Click);
    connect(p0_->CmdDColor, &QPushButton::clicked, this, &DisplaySettings::CmdDColor_Click);
    connect(p5_, &WeekViewPage::storeFailed, this, &DisplaySettings::reportFailures);
}

QString DisplaySettings::profilePath() const
{
    return s_.programFile(keys::kDisplayFile);
}

QString DisplaySettings::ReadProfile(int index, const QString& key)
{
    // Values are read whole: a cut value would be written back cut at OK, and
    // font descriptions of long faces would lose their size.
    const QString section = p0_->CmbDefault->itemText(index);
    if (snapshot_)
        return ProfileFile::readFrom(*snapshot_, section, key, QString(), 0);
    ProfileFile file(s_.fs);
    return file.read(profilePath(), section, key, QString(), 0);
}

IoStatus DisplaySettings::WriteProfile(int index, const QString& key, const QString& value)
{
    ProfileFile file(s_.fs);
    return file.write(profilePath(), p0_->CmbDefault->itemText(index), key, value);
}

void DisplaySettings::Main_ReadColor(int index)
{
    PresetsPage& p0 = *p0_;
    ScreenPage& p1 = *p1_;
    MiscPage& p7 = *p7_;

    // One reading of the file serves every preset key of this load; an unreadable
    // file reads key by key, where each read gives the empty text.
    snapshot_.emplace();
    if (!ProfileFile(s_.fs).load(profilePath(), *snapshot_))
        snapshot_.reset();
    struct Release {
        std::optional<ProfileDocument>& s;
        ~Release() { s.reset(); }
    } release{snapshot_};

    for (const auto& ck : kColourKeys) {
        const auto colour = conv::toColour(ReadProfile(index, QLatin1String(ck.key)));
        if (!colour)
            continue;
        if (ck.sample < 0)
            p0.ShpM->setBorderColor(*colour);
        else
            p0.LblColor[ck.sample]->setForeColor(*colour);
    }

    // A font label shows the description whole; its face is the part before the comma.
    auto loadFont = [&](const char* key, int i) {
        const QString text = ReadProfile(index, QLatin1String(key));
        p0.LblDName[i]->setText(text);
        if (const auto face = conv::faceOf(text))
            p0.setFontFace(p0.LblDName[i], *face);
    };
    // Two-way: only a whole part of exactly 1 is bold, and an unreadable flag is bold too.
    auto loadBold = [&](const char* key, int i) {
        const auto whole = conv::wholePart(ReadProfile(index, QLatin1String(key)));
        p0.setFontBold(p0.LblDName[i], !whole || *whole == 1);
    };
    loadFont("DayFont", 0);
    loadFont("MemoFont", 1);
    loadFont("TitleWeek", 5);
    p0.setFontFace(p0.LblColor[4], p0.fontFace(5));
    loadFont("TitleYear", 4);
    loadBold("YearBold", 4);
    for (int s : {1, 2}) {
        p0.setFontFace(p0.LblColor[s], p0.fontFace(4));
        p0.setFontBold(p0.LblColor[s], p0.fontBold(4));
    }
    loadFont("LunarFont", 2);
    p0.setFontFace(p0.LblColor[6], p0.fontFace(2));
    loadFont("TitleMonth", 6);
    loadBold("MonthBold", 6);
    p0.setFontFace(p0.LblColor[0], p0.fontFace(6));
    p0.setFontBold(p0.LblColor[0], p0.fontBold(6));

    if (const auto mode = conv::wholePart(ReadProfile(index, QStringLiteral("DisplayMode")))) {
        if (*mode >= -1 && *mode < p0.CmbSMode->count())
            p0.CmbSMode->setCurrentIndex(int(*mode));
    }
    if (const auto n = conv::wholePart(ReadProfile(index, QStringLiteral("TitlePosition")))) {
        if (*n >= 0 && *n <= 2)
            p0.OptPos[int(*n)]->setChecked(true);
    }

    // Common settings from the store; each falls back to its default.
    if (const auto c = conv::toColour(get(s_, keys::kFDayColor)))
        p1.LblColor11->setBackColor(*c);
    if (const auto v = conv::toSmallInteger(get(s_, keys::kFDayBorder)))
        setBarValue(p1.VScroll1, *v);
    if (const auto v = conv::toSmallInteger(get(s_, keys::kStatusBarBorder)))
        setBarValue(p1.VScroll2, *v);
    if (const auto n = conv::toSmallInteger(get(s_, keys::kFDayShape))) {
        if (*n == 0 || *n == 1 || *n == 3)
            p1.OptBlink[*n]->setChecked(true);
    }
    // Applied after the shape, so a blinking today wins over a stored frame shape.
    {
        const auto v = conv::number(get(s_, keys::kTodayLine));
        if (!v || *v == 0)
            p1.OptBlink[0]->setChecked(true);
    }
    auto threeWay = [&](const keys::StoreKey& k, int first) {
        const auto v = conv::number(get(s_, k));
        const int element = !v || *v == 0 ? first : *v == 1 ? first + 1 : first + 2;
        p1.OptPos[element]->setChecked(true);
    };
    threeWay(keys::kVerticalPosition, 3);
    threeWay(keys::kHorizontalPosition, 6);
    {
        const auto v = conv::number(get(s_, keys::kDualMonitor));
        p1.ChkDual->setChecked(v && *v != 0);
    }
    if (const auto v = conv::toSmallInteger(get(s_, keys::kMemoOffset)))
        setBarValue(p1.HSMWidth, *v);
    if (const auto v = conv::toSmallInteger(get(s_, keys::kTodayShowTime)))
        setBarValue(p7.HSTTimer, *v);
    if (const auto v = conv::toSmallInteger(get(s_, keys::kTodayMemoEnable))) {
        if (*v >= 0 && *v <= 2)
            setCheckValue(p7.ChkTMemo, *v);
    }
    if (const auto v = conv::toSmallInteger(get(s_, keys::kDataSync))) {
        if (*v >= 0 && *v <= 2)
            setCheckValue(p7.ChkDSync, *v);
    }
    if (const auto v = conv::toSmallInteger(get(s_, keys::kDataSyncInterval)))
        setBarValue(p7.HSDSBar, *v);

    const QString picture = get(s_, keys::kBackground);
    p7.LblSkinDir->setText(picture.isEmpty() ? QStringLiteral("None") : picture);
    p7.CmdSDel->setEnabled(p7.hasPicture());

    p5_->ReadWeekView();
}

QList<QPair<QString, QString>> DisplaySettings::presetValues() const
{
    const PresetsPage& p0 = *p0_;
    QList<QPair<QString, QString>> out;
    for (const auto& ck : kColourKeys) {
        const qint32 c = ck.sample < 0 ? p0.ShpM->borderColor() : p0.LblColor[ck.sample]->foreColor();
        out.append({QLatin1String(ck.key), QString::number(c)});
    }
    auto text = [&](int i) { return p0.LblDName[i]->text(); };
    auto flag = [&](int i) { return p0.fontBold(i) ? QStringLiteral("1") : QStringLiteral("0"); };
    out.append({QStringLiteral("DayFont"), text(0)});
    out.append({QStringLiteral("MemoFont"), text(1)});
    out.append({QStringLiteral("LunarFont"), text(2)});
    out.append({QStringLiteral("TitleWeek"), text(5)});
    out.append({QStringLiteral("TitleYear"), text(4)});
    out.append({QStringLiteral("YearBold"), flag(4)});
    out.append({QStringLiteral("TitleMonth"), text(6)});
    out.append({QStringLiteral("MonthBold"), flag(6)});
    const QString title = p0.OptPos[0]->isChecked() ? QStringLiteral("0")
                          : p0.OptPos[1]->isChecked() ? QStringLiteral("1")
                                                      : QStringLiteral("2");
    out.append({QStringLiteral("TitlePosition"), title});
    // No preset "HorizontalPosition": the window position is common to all presets
    // and lives in the store; a copy of the title position under that name would mislead.
    out.append({QStringLiteral("DisplayMode"), QString::number(p0.CmbSMode->currentIndex())});
    return out;
}

bool DisplaySettings::Main_WriteColor(int index)
{
    PresetsPage& p0 = *p0_;
    ScreenPage& p1 = *p1_;
    MiscPage& p7 = *p7_;
    QStringList failures;
    const QString section = p0.CmbDefault->itemText(index);

    // The preset's keys go into the file in one rewrite. A value the file cannot
    // hold is left out on its own and named, as a single write of it would fail.
    QList<QPair<QString, QString>> writable;
    for (const auto& kv : presetValues()) {
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

    QStringList refusedKeys;
    auto save = [&](const keys::StoreKey& k, const QString& value) {
        if (!s_.store.save(k.name, value))
            refusedKeys << k.name;
    };
    save(keys::kVerticalPosition, p1.OptPos[3]->isChecked() ? QStringLiteral("0")
                                  : p1.OptPos[4]->isChecked() ? QStringLiteral("1")
                                                              : QStringLiteral("2"));
    save(keys::kHorizontalPosition, p1.OptPos[6]->isChecked() ? QStringLiteral("0")
                                    : p1.OptPos[7]->isChecked() ? QStringLiteral("1")
                                                                : QStringLiteral("2"));
    save(keys::kDualMonitor, checkValue(p1.ChkDual) == 1 ? QStringLiteral("1") : QStringLiteral("0"));
    save(keys::kFDayColor, QString::number(p1.LblColor11->backColor()));
    save(keys::kFDayBorder, QString::number(p1.VScroll1->value()));
    save(keys::kStatusBarBorder, QString::number(p1.VScroll2->value()));
    save(keys::kFDayShape, p1.OptBlink[3]->isChecked() ? QStringLiteral("3") : QStringLiteral("1"));
    save(keys::kTodayLine, p1.OptBlink[0]->isChecked() ? QStringLiteral("0") : QStringLiteral("1"));
    save(keys::kMemoOffset, QString::number(p1.HSMWidth->value()));
    save(keys::kTodayShowTime, QString::number(p7.HSTTimer->value()));
    save(keys::kTodayMemoEnable, QString::number(checkValue(p7.ChkTMemo)));
    save(keys::kDataSyncInterval, QString::number(p7.HSDSBar->value()));
    save(keys::kDataSync, QString::number(checkValue(p7.ChkDSync)));
    save(keys::kBackground, p7.hasPicture() ? trimSpaces(p7.LblSkinDir->text()) : QString());

    refusedKeys += p5_->WriteWeekView(p5_->secondStyleShown());
    if (!refusedKeys.isEmpty())
        failures << (s_.isKorean() ? QStringLiteral("설정 저장소: %1") : QStringLiteral("settings store: %1"))
                        .arg(refusedKeys.join(QLatin1String(", ")));

    if (failures.isEmpty())
        return true;
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
    const int index = p0_->CmbDefault->currentIndex();
    if (index < 0)
        return;
    Main_ReadColor(index);
    p0_->CmdDColor->setEnabled(index > 3);
}

void DisplaySettings::setPositionFrames(bool vertical, bool horizontal)
{
    p1_->FrmVert->setEnabled(vertical);
    p1_->FrmHori->setEnabled(horizontal);
    for (int i = 3; i <= 5; ++i)
        p1_->OptPos[i]->setEnabled(vertical);
    for (int i = 6; i <= 8; ++i)
        p1_->OptPos[i]->setEnabled(horizontal);
}

void DisplaySettings::applyModeRule()
{
    const int m = p0_->CmbSMode->currentIndex();
    setPositionFrames(m > 2 && m < 6, m == 6);
}

void DisplaySettings::CmbSMode_Click()
{
    // With two monitors Daybrook places itself: the position frames stay off
    // whatever mode is chosen.
    if (checkValue(p1_->ChkDual) == 1)
        setPositionFrames(false, false);
    else
        applyModeRule();
}

void DisplaySettings::ChkDual_Click()
{
    if (checkValue(p1_->ChkDual) == 1)
        setPositionFrames(false, false);
    else
        applyModeRule();
}

void DisplaySettings::CmdDColor_Click()
{
    Main_WriteColor(p0_->CmbDefault->currentIndex());
}

} // namespace td
