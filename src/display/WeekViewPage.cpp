#include "WeekViewPage.h"

#include "settings/Resets.h"
#include "settings/SettingsJournal.h"

#include "Conversions.h"
#include "DisplayControls.h"
#include "ui/Controls.h"
#include "ui/FontFit.h"
#include "ui/PageSize.h"
#include "ui/Spoken.h"
#include "ui/Widgets.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace td {

WeekViewPage::WeekViewPage(Services& services, QWidget* parent) : QWidget(parent), s_(services)
{
    setFixedSize(kPageSize);

    Frame12 = ui::placed(ui::makeFrame(this, QStringLiteral("Frame12"), 1500), {10, 8, 520, 170});

    // The pictures keep the design's place; the swatches lie on the areas they colour.
    ImgWkView1 = ui::makeLabel(Frame12, QStringLiteral("ImgWkView1"), QString());
    ImgWkView1->setPixmap(weekViewPicture(1));
    ImgWkView1->setGeometry(twips(180), twips(330) + 14, 310, 119);
    ImgWkView2 = ui::makeLabel(Frame12, QStringLiteral("ImgWkView2"), QString());
    ImgWkView2->setPixmap(weekViewPicture(2));
    ImgWkView2->setGeometry(twips(kParkedLeft), twips(210) + 14, 333, 127);

    const int px = ImgWkView1->x(), py = ImgWkView1->y();
    LblListButton = new ClickLabel(QString(), Frame12);
    nameControl(LblListButton, QStringLiteral("LblListButton"));
    LblListButton->setGeometry(px + 8, py + 3, 44, 14);
    LblListButton->setCursor(Qt::PointingHandCursor);

    const struct {
        const char16_t* caption;
        int tag;
        QRect g;
        qint32 colour;
    } suns[3] = {
        {u"일요일", 1505, {px + 160, py + 78, 142, 18}, 8438015},
        {u"평일", 1504, {px + 8, py + 78, 146, 18}, 16744576},
        {u"토요일", 1501, {px + 160, py + 3, 142, 18}, 12632256},
    };
    for (int i = 0; i < 3; ++i) {
        auto* l = new ColorLabel(QString::fromUtf16(suns[i].caption), Frame12);
        nameControl(l, QStringLiteral("LblSun"), suns[i].tag, i);
        l->setGeometry(suns[i].g);
        l->setAlignment(Qt::AlignCenter);
        l->setBackColor(suns[i].colour);
        LblSun[i] = l;
        connect(l, &ClickLabel::clicked, this, [this, i] { LblSun_Click(i); });
        l->setFocusPolicy(Qt::NoFocus); // a swatch does nothing: the keyboard passes it by
    }
    const QRect memos[3] = {{px + 160, py + 24, 142, 50}, {px + 8, py + 98, 146, 16}, {px + 160, py + 98, 142, 16}};
    for (int i = 0; i < 3; ++i) {
        auto* l = new ColorLabel(i == 0 ? QStringLiteral("글꼴") : QString(), Frame12);
        nameControl(l, QStringLiteral("LblMemo"), 0, i);
        l->setGeometry(memos[i]);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        l->setMargin(3);
        l->setBackColor(16761024);
        LblMemo[i] = l;
        connect(l, &ClickLabel::clicked, this, [this, i] { LblMemo_Click(i); });
        l->setFocusPolicy(Qt::NoFocus);
    }

    CmdWFont = ui::placed(ui::makeButton(Frame12, QStringLiteral("CmdWFont"), 1503, -1, QStringLiteral("글꼴 변경")), {356, 80, 150, 28});
    // The button speaks the font it chooses, the switch the style it edits.
    connect(LblMemo[0], &ClickLabel::textChanged, CmdWFont, &QWidget::setAccessibleDescription);
    ui::speakAs(LblListButton, ui::spoken::styleSwitch, s_.isKorean());
    describeStyle();

    Label20 = ui::placed(ui::makeLabel(this, QStringLiteral("Label20"), QString(), 1506), {14, 184, 516, 24});

    connect(LblListButton, &ClickLabel::clicked, this, &WeekViewPage::LblListButton_Click);
    connect(CmdWFont, &QPushButton::clicked, this, &WeekViewPage::CmdWFont_Click);
}

void WeekViewPage::setValues(const display::DisplayValues& v)
{
    LblSun[0]->setBackColor(v.weekSunday);
    LblSun[1]->setBackColor(v.weekWeekday);
    LblSun[2]->setBackColor(v.weekSaturday);
    QFont f = LblMemo[0]->font();
    f.setFamily(v.weekFace);
    LblMemo[0]->setFont(f);
    LblMemo[0]->setText(v.weekFontDescription);
    for (ColorLabel* l : LblMemo)
        l->setBackColor(v.weekMemo);
}

void WeekViewPage::values(display::DisplayValues& v) const
{
    v.weekSunday = LblSun[0]->backColor();
    v.weekWeekday = LblSun[1]->backColor();
    v.weekSaturday = LblSun[2]->backColor();
    v.weekMemo = LblMemo[0]->backColor();
    v.weekFace = LblMemo[0]->font().family();
    v.weekFontDescription = LblMemo[0]->text();
}

void WeekViewPage::LblListButton_Click()
{
    const bool leavingSecond = secondStyleShown();
    // The style that is left is stored first; when the store refuses, the user is
    // told and the style stays on show, so its colours are not lost.
    display::DisplayValues v;
    values(v);
    // Journaled like every settings write, so "Undo settings" can take it back.
    SettingsJournal journal(s_.fs, s_.journalFolder);
    if (const IoStatus st = journal.begin(QStringLiteral("week-view-style"), {s_.store.filePath()}); !st.ok) {
        s_.boxes.show({settingsJournalNotWritten(s_.isKorean(), st), QStringLiteral("Tunedesk"), MsgIcon::Warning,
                       MsgButtons::Ok, MsgAnswer::Ok});
        return;
    }
    const QStringList failed = display::save(s_.store, display::weekViewEntries(v, leavingSecond));
    journal.finish();
    if (!failed.isEmpty()) {
        emit storeFailed(failed);
        return;
    }
    secondStyle_ = !leavingSecond;
    ImgWkView2->move(ui::designed(ImgWkView2, twips(secondStyle_ ? kShownLeft : kParkedLeft)), ImgWkView2->y());
    describeStyle();
    display::readWeekStyle(s_.store, !leavingSecond, v);
    setValues(v);
    emit styleSwitched();
}

void WeekViewPage::describeStyle()
{
    LblListButton->setAccessibleDescription(
        (secondStyleShown() ? ui::spoken::secondStyle : ui::spoken::firstStyle).text(s_.isKorean()));
}

void WeekViewPage::CmdWFont_Click()
{
    ColorLabel* l = LblMemo[0];
    CommonDialog& dlg = s_.CmDLG;
    dlg.FontName = l->font().family();
    dlg.Flags = 771;
    if (const auto size = conv::wholeSizeOf(l->text()))
        dlg.FontSize = float(*size);
    const QString face = dlg.FontName;
    const float size = dlg.FontSize;
    // A cancelled choice keeps the caption, and with it the stored size; so does one confirmed unchanged.
    if (!dlg.ShowFont() || (dlg.FontName == face && dlg.FontSize == size))
        return;
    QFont f = l->font();
    f.setFamily(dlg.FontName);
    l->setFont(f);
    l->setText(conv::fontDescription(dlg.FontName, dlg.FontSize));
}

void WeekViewPage::LblSun_Click(int) {}
void WeekViewPage::LblMemo_Click(int) {}

} // namespace td
