#include "MiscPage.h"

#include "Conversions.h"
#include "DisplayControls.h"
#include "DisplayValues.h"
#include "ui/Widgets.h"
#include "ui/Controls.h"
#include "ui/PageSize.h"
#include "platform/Spaces.h"
#include "settings/Resets.h"
#include "settings/SettingsJournal.h"
#include "ui/Spoken.h"

#include <QEvent>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

namespace td {
namespace {

const QString kNone = QStringLiteral("None");

} // namespace

MiscPage::MiscPage(Services& services, QWidget* parent) : QWidget(parent), s_(services)
{
    setFixedSize(kPageSize);

    Frame2 = ui::placed(ui::makeFrame(this, QStringLiteral("Frame2"), 1601), {10, 8, 520, 66});
    Cmdini = ui::placed(ui::makeButton(Frame2, QStringLiteral("Cmdini"), 1603), {12, 26, 160, 28});
    CmdPosIni = ui::placed(ui::makeButton(Frame2, QStringLiteral("CmdPosIni"), 1602), {184, 26, 160, 28});
    CmdUndoSettings = ui::placed(ui::makeButton(Frame2, QStringLiteral("CmdUndoSettings"), 1613), {356, 26, 152, 28});
    CmdUndoSettings->setText(SettingsMessages::button(s_.isKorean()));

    fraSample4 = ui::placed(ui::makeFrame(this, QStringLiteral("fraSample4"), 1604), {10, 82, 520, 100});
    // Both labels share one place; the shortened one is shown, the full path is its tooltip.
    LblSkinDir = new ClickLabel(kNone, fraSample4);
    nameControl(LblSkinDir, QStringLiteral("LblSkinDir"));
    LblSkinDir->setGeometry(12, 24, 496, 24);
    LblSkinDir->hide();
    LblSknDis = ui::placed(ui::makeLabel(fraSample4, QStringLiteral("LblSknDis"), kNone), {12, 24, 496, 24});
    LblSknDis->setFrameShape(QFrame::Panel);
    LblSknDis->setFrameShadow(QFrame::Sunken);
    CmdRoot = ui::placed(ui::makeButton(fraSample4, QStringLiteral("CmdRoot"), 1605), {12, 60, 130, 28});
    CmdSDel = ui::placed(ui::makeButton(fraSample4, QStringLiteral("CmdSDel"), 1606), {150, 60, 130, 28});
    CmdSDel->setEnabled(false);

    Frame13 = ui::placed(ui::makeFrame(this, QStringLiteral("Frame13"), 1607), {10, 190, 520, 96});
    ChkTMemo = valueCheck(Frame13, QStringLiteral("TodayMemoEnable"), {12, 24, 490, 26});
    HSTTimer = valueBar(Frame13, QStringLiteral("TodayShowTime"), Qt::Horizontal, 5, 10, {12, 58, 300, 20});
    LblTShow = valueLabel(Frame13, QStringLiteral("LblTShow"), 20, {322, 56, 56, 24});
    Label27 = ui::placed(ui::makeLabel(Frame13, QStringLiteral("Label27"), QStringLiteral("초"), 1609), {386, 56, 60, 24});
    ui::speakAs(HSTTimer, ui::spoken::todayMemoTime, s_.isKorean());

    Frame16 = ui::placed(ui::makeFrame(this, QStringLiteral("Frame16"), 1610), {10, 294, 520, 96});
    ChkDSync = valueCheck(Frame16, QStringLiteral("DataSync"), {12, 24, 490, 26});
    HSDSBar = valueBar(Frame16, QStringLiteral("DataSyncInterval"), Qt::Horizontal, 5, 10, {12, 58, 300, 20});
    LblDSShow = valueLabel(Frame16, QStringLiteral("LblDSShow"), 20, {322, 56, 56, 24});
    Label36 = ui::placed(ui::makeLabel(Frame16, QStringLiteral("Label36"), QStringLiteral("분"), 1612), {386, 56, 60, 24});
    ui::speakAs(HSDSBar, ui::spoken::syncInterval, s_.isKorean());

    connect(Cmdini, &QPushButton::clicked, this, &MiscPage::Cmdini_Click);
    connect(CmdPosIni, &QPushButton::clicked, this, &MiscPage::CmdPosIni_Click);
    connect(CmdUndoSettings, &QPushButton::clicked, this, &MiscPage::CmdUndoSettings_Click);
    refreshUndoSettings();
    connect(CmdRoot, &QPushButton::clicked, this, &MiscPage::CmdRoot_Click);
    connect(CmdSDel, &QPushButton::clicked, this, &MiscPage::CmdSDel_Click);
    connect(LblSkinDir, &ClickLabel::textChanged, this, &MiscPage::LblSkinDir_Change);
    connect(HSTTimer, &QScrollBar::valueChanged, this, &MiscPage::HSTTimer_Change);
    connect(HSDSBar, &QScrollBar::valueChanged, this, &MiscPage::HSDSBar_Change);
}

bool MiscPage::hasPicture() const
{
    return display::hasPicture(LblSkinDir->text());
}

void MiscPage::setValues(const display::DisplayValues& v)
{
    showStored(this, v);
    LblSkinDir->setText(v.background);
    CmdSDel->setEnabled(hasPicture());
}

void MiscPage::values(display::DisplayValues& v) const
{
    takeStored(this, v);
    v.background = LblSkinDir->text();
}

void MiscPage::Cmdini_Click()
{
    // The window keeps what it shows: OK writes those keys back.
    SettingsJournal journal(s_.fs, s_.journalFolder);
    resetConfiguration(s_.store, s_.boxes, s_.isKorean(), &journal);
    refreshUndoSettings();
}

void MiscPage::CmdPosIni_Click()
{
    SettingsJournal journal(s_.fs, s_.journalFolder);
    resetPosition(s_.store, s_.boxes, s_.isKorean(), &journal);
    refreshUndoSettings();
}

void MiscPage::CmdUndoSettings_Click()
{
    SettingsJournal journal(s_.fs, s_.journalFolder);
    const SettingsUndo undone = journal.undoLast();
    refreshUndoSettings();
    if (!undone.restored.isEmpty())
        emit settingsRestored();
    s_.boxes.info(SettingsMessages::undone(s_.isKorean(), undone), QStringLiteral("Tunedesk"));
}

void MiscPage::refreshUndoSettings()
{
    const QString newest = SettingsJournal(s_.fs, s_.journalFolder).files().value(0);
    CmdUndoSettings->setEnabled(!newest.isEmpty());
    CmdUndoSettings->setToolTip(SettingsMessages::tip(s_.isKorean(), newest));
}

void MiscPage::changeEvent(QEvent* e)
{
    // The page is enabled when it is shown: the journal may have grown meanwhile (OK, store-now).
    if (e->type() == QEvent::EnabledChange && isEnabled())
        refreshUndoSettings();
    QWidget::changeEvent(e);
}

void MiscPage::CmdRoot_Click()
{
    s_.CmDLG.Filter = QStringLiteral("Supported Picture Files(*.jpg,*.bmp,*.gif)|*.jpg;*.bmp;*.gif|");
    if (s_.CmDLG.ShowOpen())
        LblSkinDir->setText(s_.CmDLG.FileName);
    CmdSDel->setEnabled(hasPicture());
}

void MiscPage::CmdSDel_Click()
{
    LblSkinDir->setText(kNone);
    CmdSDel->setEnabled(false);
}

void MiscPage::LblSkinDir_Change()
{
    LblSknDis->setText(conv::shortenedPath(LblSkinDir->text()));
    LblSknDis->setToolTip(LblSkinDir->text());
}

void MiscPage::HSTTimer_Change() { LblTShow->setText(QString::number(HSTTimer->value())); }
void MiscPage::HSDSBar_Change() { LblDSShow->setText(QString::number(HSDSBar->value())); }

} // namespace td
