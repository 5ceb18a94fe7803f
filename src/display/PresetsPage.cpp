#include "PresetsPage.h"

#include "Conversions.h"
#include "DisplayControls.h"
#include "ui/Controls.h"
#include "ui/PageSize.h"
#include "ui/Spoken.h"
#include "ui/Widgets.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

namespace td {
namespace {

struct Sample {
    const char16_t* text;
    int tag;
    qint32 colour;
    QRect geometry; // inside the sample panel
    int pointSize;
};

// Designed sample texts and colours of LblColor 0..10.
const Sample kSamples[11] = {
    {u"7", 0, 8388736, {10, 8, 44, 46}, 26},
    {u"2002", 0, 14737632, {60, 10, 60, 18}, 9},
    {u"July", 0, 14737632, {60, 32, 60, 18}, 9},
    {u"Sun", 0, 255, {10, 76, 34, 18}, 9},
    {u"Mon     Tue     Wed     Thu      Fri", 0, 16777215, {46, 76, 236, 18}, 9},
    {u"Sat", 0, 16711680, {284, 76, 36, 18}, 9},
    {u"음력", 1006, -2147483644, {10, 104, 96, 20}, 9},
    {u"기념일", 1005, 33023, {112, 104, 96, 20}, 9},
    {u"배경색", 1007, -2147483640, {214, 104, 106, 20}, 9},
    {u"Daybrook", 0, 12632256, {130, 20, 110, 22}, 11},
    {u"메모표시 색상", 1009, 0, {10, 20, 200, 20}, 9},
};

struct FontRow {
    int index;
    const char16_t* caption;
    int tag;
};
const FontRow kFontRows[6] = {
    {6, u"월 글꼴", 1012},
    {4, u"년도 글꼴", 1013},
    {2, u"음력 글꼴(12.25)", 1014},
    {5, u"요일 글꼴", 1015},
    {0, u"날짜 글꼴", 1016},
    {1, u"메모 글꼴", 1017},
};

QRadioButton* option(const QString& caption, int tag, int index, QWidget* parent)
{
    auto* b = new QRadioButton(caption, parent);
    nameControl(b, QStringLiteral("OptPos"), tag, index);
    return b;
}

} // namespace

PresetsPage::PresetsPage(Services& services, QWidget* parent) : QWidget(parent), s_(services)
{
    setFixedSize(kPageSize);

    const bool korean = s_.isKorean();
    // The window fills both lists once the language is known.
    CmbDefault = ui::placed(ui::makeList(this, {}, QStringLiteral("CmbDefault")), {10, 8, 250, 26});
    ui::speakChoice(CmbDefault, ui::spoken::preset, korean);
    CmdDColor = ui::placed(ui::makeButton(this, QStringLiteral("CmdDColor"), 1018), {266, 8, 90, 26});
    CmdDColor->setEnabled(false);
    CmbSMode = ui::placed(ui::makeList(this, {}, QStringLiteral("CmbSMode")), {10, 40, 346, 26});
    ui::speakChoice(CmbSMode, ui::spoken::displayMode, korean);

    // The samples sit on a calendar-like dark panel, as Daybrook draws on the desktop.
    picSample = new SamplePanel(this);
    picSample->setObjectName(QStringLiteral("picSample"));
    picSample->setGeometry(10, 74, 330, 132);
    QPalette dark = picSample->palette();
    dark.setColor(QPalette::Window, QColor(96, 96, 96));
    dark.setColor(QPalette::WindowText, QColor(0, 0, 0));
    picSample->setPalette(dark);

    ShpM = new ShapeBox(picSample);
    ShpM->setObjectName(QStringLiteral("ShpM"));
    ShpM->setGeometry(6, 4, 318, 62);
    ShpM->setBorderColor(8421504); // designed: grey
    Label12 = ui::placed(ui::makeLabel(picSample, QStringLiteral("Label12"), QString(), 1010), {250, 46, 70, 18});
    Label12->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    FrmMColor = ui::placed(ui::makeFrame(this, QStringLiteral("FrmMColor"), 1008, QStringLiteral("달력메모")), {10, 210, 330, 48});

    for (int i = 0; i < 11; ++i) {
        const Sample& s = kSamples[i];
        QWidget* owner = i == 10 ? static_cast<QWidget*>(FrmMColor) : picSample;
        auto* l = new ColorLabel(QString::fromUtf16(s.text), owner);
        nameControl(l, QStringLiteral("LblColor"), s.tag, i);
        l->setGeometry(s.geometry);
        QFont f = l->font();
        f.setPointSize(s.pointSize);
        l->setFont(f);
        l->setForeColor(s.colour);
        l->setCursor(Qt::PointingHandCursor);
        ui::speakAs(l, ui::spoken::sampleColour[i], korean);
        l->speakColour(false, korean);
        LblColor[i] = l;
        connect(l, &ClickLabel::clicked, this, [this, i] { LblColor_Click(i); });
    }
    LblColor[0]->setAlignment(Qt::AlignCenter);
    ShpM->raise();

    Frame11 = ui::placed(ui::makeFrame(this, QStringLiteral("Frame11"), 1001, QStringLiteral("타이틀 위치")), {350, 74, 180, 132});
    titlePositions = new QButtonGroup(this);
    const char16_t* titleCaptions[3] = {u"왼쪽", u"가운데", u"오른쪽"};
    for (int i = 0; i < 3; ++i) {
        OptPos[i] = option(QString::fromUtf16(titleCaptions[i]), 1002 + i, i, Frame11);
        OptPos[i]->setGeometry(14, 24 + i * 34, 150, 26);
        titlePositions->addButton(OptPos[i], i);
    }
    OptPos[1]->setChecked(true);

    Frame8 = ui::placed(ui::makeFrame(this, QStringLiteral("Frame8"), 1011), {10, 264, 520, 130});
    for (int row = 0; row < 6; ++row) {
        const FontRow& r = kFontRows[row];
        const int x = row % 2 == 0 ? 10 : 265;
        const int y = 22 + (row / 2) * 35;
        auto* b = ui::placed(ui::makeButton(Frame8, QStringLiteral("CmdDFont"), r.tag, r.index, QString::fromUtf16(r.caption)),
                             {x, y, 112, 28});
        auto* l = new ClickLabel(QString(), Frame8);
        nameControl(l, QStringLiteral("LblDName"), 0, r.index);
        l->setGeometry(x + 118, y, 125, 28);
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        CmdDFont[r.index] = b;
        LblDName[r.index] = l;
        // The button speaks the font it chooses.
        connect(l, &ClickLabel::textChanged, b, &QWidget::setAccessibleDescription);
        const int i = r.index;
        connect(b, &QPushButton::clicked, this, [this, i] { CmdDFont_Click(i); });
    }

    connect(CmbDefault, &QComboBox::currentIndexChanged, this, &PresetsPage::presetChosen);
    connect(CmbSMode, &QComboBox::currentIndexChanged, this, &PresetsPage::displayModeChosen);
    connect(CmdDColor, &QPushButton::clicked, this, &PresetsPage::storeNowClicked);
}

void PresetsPage::setValues(const display::DisplayValues& v)
{
    for (int i = 0; i < 11; ++i)
        LblColor[i]->setForeColor(v.sampleColours[i]);
    ShpM->setBorderColor(v.titleBorderColour);
    for (int i : {0, 1, 2, 4, 5, 6}) {
        const display::FontValue& f = v.fonts[i];
        LblDName[i]->setText(f.description);
        setFontFace(LblDName[i], f.face);
        setFontBold(LblDName[i], f.bold);
        previewFont(i);
    }
    CmbSMode->setCurrentIndex(v.displayMode);
    OptPos[v.titlePosition]->setChecked(true);
}

void PresetsPage::values(display::DisplayValues& v) const
{
    for (int i = 0; i < 11; ++i)
        v.sampleColours[i] = LblColor[i]->foreColor();
    v.titleBorderColour = ShpM->borderColor();
    for (int i : {0, 1, 2, 4, 5, 6})
        v.fonts[i] = {LblDName[i]->text(), fontFace(i), fontBold(i)};
    v.displayMode = CmbSMode->currentIndex();
    v.titlePosition = OptPos[0]->isChecked()   ? 0
                      : OptPos[1]->isChecked() ? 1
                                               : 2;
}

int PresetsPage::currentPreset() const { return CmbDefault->currentIndex(); }
void PresetsPage::setCurrentPreset(int index) { CmbDefault->setCurrentIndex(index); }
QString PresetsPage::presetName(int index) const { return CmbDefault->itemText(index); }
int PresetsPage::displayMode() const { return CmbSMode->currentIndex(); }
int PresetsPage::modeCount() const { return CmbSMode->count(); }
void PresetsPage::setStoreNowEnabled(bool enabled) { CmdDColor->setEnabled(enabled); }

QString PresetsPage::fontFace(int i) const { return LblDName[i]->font().family(); }
bool PresetsPage::fontBold(int i) const { return LblDName[i]->font().bold(); }

void PresetsPage::setFontFace(QWidget* w, const QString& face)
{
    // A font that already has the face is left alone: it keeps following its parent's.
    if (w->font().family() == face)
        return;
    QFont f = w->font();
    f.setFamily(face);
    w->setFont(f);
}

void PresetsPage::setFontBold(QWidget* w, bool bold)
{
    if (w->font().bold() == bold)
        return;
    QFont f = w->font();
    f.setBold(bold);
    w->setFont(f);
}

void PresetsPage::LblColor_Click(int index)
{
    // Cancelling leaves CmDLG.Color as it was set, so the colour stays.
    ColorLabel* l = LblColor[index];
    s_.CmDLG.Color = l->foreColor();
    s_.CmDLG.ShowColor();
    l->setForeColor(s_.CmDLG.Color);
}

void PresetsPage::CmdDFont_Click(int index)
{
    ClickLabel* l = LblDName[index];
    CommonDialog& dlg = s_.CmDLG;
    dlg.FontName = l->font().family();
    dlg.Flags = 515;
    if (const auto size = conv::wholeSizeOf(l->text()))
        dlg.FontSize = float(*size);
    dlg.FontBold = l->font().bold();
    const QString face = dlg.FontName;
    const float size = dlg.FontSize;
    const bool bold = dlg.FontBold;
    // A cancelled choice changes nothing: the label keeps its text and its stored size.
    // Nor does one confirmed unchanged: the face keeps its name and the size its fraction.
    if (!dlg.ShowFont() || (dlg.FontName == face && dlg.FontSize == size && dlg.FontBold == bold))
        return;
    if (index == 4 || index == 6)
        setFontBold(l, dlg.FontBold);
    setFontFace(l, dlg.FontName);
    l->setText(conv::fontDescription(dlg.FontName, dlg.FontSize));
    previewFont(index);
}

void PresetsPage::previewFont(int index)
{
    // The samples follow the fonts the way a load gives them their faces.
    auto follow = [this, index](int sample, bool withBold) {
        setFontFace(LblColor[sample], fontFace(index));
        if (withBold)
            setFontBold(LblColor[sample], fontBold(index));
    };
    switch (index) {
    case 4:
        follow(1, true);
        follow(2, true);
        break;
    case 5: follow(4, false); break;
    case 2: follow(6, false); break;
    case 6: follow(0, true); break;
    default: break; // the day and memo fonts have no sample
    }
}

} // namespace td
