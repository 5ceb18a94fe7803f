#include "ScreenPage.h"

#include "DisplayControls.h"
#include "DisplayValues.h"
#include "ui/Controls.h"
#include "ui/PageSize.h"
#include "platform/ValueBars.h"
#include "ui/Spoken.h"
#include "ui/Widgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>

namespace td {

ScreenPage::ScreenPage(Services& services, QWidget* parent) : QWidget(parent), s_(services)
{
    setFixedSize(kPageSize);

    // Today marker: shape, colour and frame width.
    Frame3 = ui::placed(ui::makeFrame(this, QStringLiteral("Frame3"), 1100), {10, 8, 255, 170});
    blinkOptions = new QButtonGroup(this);
    const struct {
        int index;
        const char16_t* caption;
        int tag;
    } blinks[3] = {
        {0, u"깜박임", 1101}, {1, u"사각틀", 1102}, {3, u"원형틀", 1103}};
    for (int k = 0; k < 3; ++k) {
        auto* b = new QRadioButton(QString::fromUtf16(blinks[k].caption), Frame3);
        nameControl(b, QStringLiteral("OptBlink"), blinks[k].tag, blinks[k].index);
        b->setGeometry(12, 24 + k * 30, 110, 26);
        OptBlink[blinks[k].index] = b;
        blinkOptions->addButton(b, blinks[k].index);
    }
    OptBlink[1]->setChecked(true);
    LblColor11 = new ColorLabel(QStringLiteral("틀색상"), Frame3);
    nameControl(LblColor11, QStringLiteral("LblColor"), 1104, 11);
    LblColor11->setGeometry(12, 122, 110, 30);
    LblColor11->setAlignment(Qt::AlignCenter);
    LblColor11->setFrameShape(QFrame::Box);
    LblColor11->setBackColor(8421631);
    LblColor11->setCursor(Qt::PointingHandCursor);
    ui::speakAs(LblColor11, ui::spoken::todayFrameColour, s_.isKorean());
    LblColor11->speakColour(true, s_.isKorean());
    Label8 = ui::placed(ui::makeLabel(Frame3, QStringLiteral("Label8"), QStringLiteral("틀 폭"), 1105), {140, 24, 100, 22});
    Label8->setAlignment(Qt::AlignCenter);
    // The top of the vertical bars is the larger number.
    VScroll1 = valueBar(Frame3, QStringLiteral("FDay Border"), Qt::Vertical, 1, 1, {160, 50, 20, 100});
    putMaximumOnTop(VScroll1);
    LblFWidth = valueLabel(Frame3, QStringLiteral("LblFWidth"), 1, {190, 88, 40, 24});
    Label8->setBuddy(VScroll1);

    // Spacing: status bar border and memo offset.
    Frame4 = ui::placed(ui::makeFrame(this, QStringLiteral("Frame4"), 1106), {275, 8, 255, 170});
    Label9 = ui::placed(ui::makeLabel(Frame4, QStringLiteral("Label9"), QString(), 1107), {12, 24, 120, 22});
    VScroll2 = valueBar(Frame4, QStringLiteral("Status Bar Border"), Qt::Vertical, 1, 1, {150, 22, 20, 80});
    putMaximumOnTop(VScroll2);
    LblSBWidth = valueLabel(Frame4, QStringLiteral("LblSBWidth"), 1, {184, 50, 40, 24});
    Label40 = ui::placed(ui::makeLabel(Frame4, QStringLiteral("Label40"), QString(), 1108), {12, 110, 120, 22});
    HSMWidth = valueBar(Frame4, QStringLiteral("MemoOffset"), Qt::Horizontal, 1, 10, {12, 136, 170, 20});
    LblMWidth = valueLabel(Frame4, QStringLiteral("LblMWidth"), 0, {190, 134, 50, 24});
    Label9->setBuddy(VScroll2);
    Label40->setBuddy(HSMWidth);

    Frame7 = ui::placed(ui::makeFrame(this, QStringLiteral("Frame7"), 1109), {10, 186, 520, 60});
    ChkDual = new QCheckBox(Frame7);
    nameControl(ChkDual, QStringLiteral("ChkDual"), 1110);
    ChkDual->setGeometry(12, 24, 490, 26);

    // Screen positions: across for vertical windows, up/down for horizontal ones.
    FrmVert = ui::placed(ui::makeFrame(this, QStringLiteral("FrmVert"), 1115), {10, 254, 255, 100});
    FrmHori = ui::placed(ui::makeFrame(this, QStringLiteral("FrmHori"), 1111), {275, 254, 255, 100});
    verticalPositions = new QButtonGroup(this);
    horizontalPositions = new QButtonGroup(this);
    const char16_t* vert[3] = {u"왼쪽", u"가운데", u"오른쪽"};
    const char16_t* hori[3] = {u"위쪽", u"가운데", u"아랫쪽"};
    for (int k = 0; k < 3; ++k) {
        auto* v = new QRadioButton(QString::fromUtf16(vert[k]), FrmVert);
        nameControl(v, QStringLiteral("OptPos"), 1116 + k, 3 + k);
        v->setGeometry(12 + k * 80, 40, 76, 26);
        OptPos[3 + k] = v;
        verticalPositions->addButton(v, 3 + k);
        auto* h = new QRadioButton(QString::fromUtf16(hori[k]), FrmHori);
        nameControl(h, QStringLiteral("OptPos"), 1112 + k, 6 + k);
        h->setGeometry(12 + k * 80, 40, 76, 26);
        OptPos[6 + k] = h;
        horizontalPositions->addButton(h, 6 + k);
    }
    OptPos[5]->setChecked(true);
    OptPos[8]->setChecked(true);

    connect(blinkOptions, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            OptBlink_Click(id);
    });
    connect(LblColor11, &ClickLabel::clicked, this, [this] { LblColor_Click(11); });
    connect(VScroll1, &QScrollBar::valueChanged, this, &ScreenPage::VScroll1_Change);
    connect(VScroll2, &QScrollBar::valueChanged, this, &ScreenPage::VScroll2_Change);
    connect(HSMWidth, &QScrollBar::valueChanged, this, &ScreenPage::HSMWidth_Change);
    connect(ChkDual, &QCheckBox::stateChanged, this, &ScreenPage::dualMonitorChanged);
}

void ScreenPage::setValues(const display::DisplayValues& v)
{
    OptBlink[v.todayMarker]->setChecked(true);
    LblColor11->setBackColor(v.todayColour);
    OptPos[3 + v.verticalPosition]->setChecked(true);
    OptPos[6 + v.horizontalPosition]->setChecked(true);
    ChkDual->setChecked(v.dualMonitor);
    showStored(this, v);
}

void ScreenPage::values(display::DisplayValues& v) const
{
    v.todayMarker = selectedBlink();
    v.todayColour = LblColor11->backColor();
    v.verticalPosition = OptPos[3]->isChecked()   ? 0
                         : OptPos[4]->isChecked() ? 1
                                                  : 2;
    v.horizontalPosition = OptPos[6]->isChecked()   ? 0
                           : OptPos[7]->isChecked() ? 1
                                                    : 2;
    v.dualMonitor = dualMonitor();
    takeStored(this, v);
}

bool ScreenPage::dualMonitor() const { return ChkDual->checkState() == Qt::Checked; }

void ScreenPage::setPositionsEnabled(bool vertical, bool horizontal)
{
    FrmVert->setEnabled(vertical);
    FrmHori->setEnabled(horizontal);
    for (int i = 3; i <= 5; ++i)
        OptPos[i]->setEnabled(vertical);
    for (int i = 6; i <= 8; ++i)
        OptPos[i]->setEnabled(horizontal);
}

int ScreenPage::selectedBlink() const
{
    return blinkOptions->checkedId();
}

void ScreenPage::LblColor_Click(int)
{
    s_.CmDLG.Color = LblColor11->backColor();
    s_.CmDLG.ShowColor();
    LblColor11->setBackColor(s_.CmDLG.Color);
}

void ScreenPage::OptBlink_Click(int index)
{
    // A blinking date has no frame: its colour and width do not apply.
    const bool framed = index != 0;
    for (QWidget* w : {static_cast<QWidget*>(LblColor11), static_cast<QWidget*>(LblFWidth),
                       static_cast<QWidget*>(VScroll1), static_cast<QWidget*>(Label8)})
        w->setEnabled(framed);
}

void ScreenPage::VScroll1_Change() { LblFWidth->setText(QString::number(VScroll1->value())); }
void ScreenPage::VScroll2_Change() { LblSBWidth->setText(QString::number(VScroll2->value())); }
void ScreenPage::HSMWidth_Change() { LblMWidth->setText(QString::number(HSMWidth->value())); }

} // namespace td
