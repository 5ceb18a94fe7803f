#include "WeekViewPage.h"

#include "Conversions.h"
#include "DisplayControls.h"
#include "ui/Controls.h"
#include "ui/PageSize.h"
#include "settings/StoreKeys.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace td {

WeekViewPage::WeekViewPage(Services& services, QWidget* parent) : QWidget(parent), s_(services)
{
    setFixedSize(kPageSize);

    Frame12 = new QGroupBox(this);
    nameControl(Frame12, QStringLiteral("Frame12"), 1500);
    Frame12->setGeometry(10, 8, 520, 170);

    // The pictures keep the design's place; the swatches lie on the areas they colour.
    ImgWkView1 = new QLabel(Frame12);
    nameControl(ImgWkView1, QStringLiteral("ImgWkView1"));
    ImgWkView1->setPixmap(weekViewPicture(1));
    ImgWkView1->setGeometry(twips(180), twips(330) + 14, 310, 119);
    ImgWkView2 = new QLabel(Frame12);
    nameControl(ImgWkView2, QStringLiteral("ImgWkView2"));
    ImgWkView2->setPixmap(weekViewPicture(2));
    ImgWkView2->setGeometry(twips(kParkedLeft), twips(210) + 14, 333, 127);

    const int px = ImgWkView1->x(), py = ImgWkView1->y();
    LblListButton = new ClickLabel(QString(), Frame12);
    nameControl(LblListButton, QStringLiteral("LblListButton"));
    LblListButton->setGeometry(px + 8, py + 3, 44, 14);
    LblListButton->setCursor(Qt::PointingHandCursor);

    const struct { const char16_t* caption; int tag; QRect g; qint32 colour; } suns[3] = {
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
    }

    CmdWFont = new QPushButton(QStringLiteral("글꼴 변경"), Frame12);
    nameControl(CmdWFont, QStringLiteral("CmdWFont"), 1503);
    CmdWFont->setGeometry(356, 80, 150, 28);

    Label20 = new QLabel(this);
    nameControl(Label20, QStringLiteral("Label20"), 1506);
    Label20->setGeometry(14, 184, 516, 24);

    connect(LblListButton, &ClickLabel::clicked, this, &WeekViewPage::LblListButton_Click);
    connect(CmdWFont, &QPushButton::clicked, this, &WeekViewPage::CmdWFont_Click);
}

bool WeekViewPage::secondStyleShown() const
{
    return ImgWkView2->x() != twips(kParkedLeft);
}

void WeekViewPage::repeatMemoColour()
{
    LblMemo[1]->setBackColor(LblMemo[0]->backColor());
    LblMemo[2]->setBackColor(LblMemo[1]->backColor());
}

void WeekViewPage::loadStyleColours(bool second)
{
    const auto& weekday = second ? keys::kWeekWeekdayB : keys::kWeekWeekdayA;
    const auto& memo = second ? keys::kWeekMemoB : keys::kWeekMemoA;
    if (auto c = conv::toColour(s_.store.get(weekday.name, weekday.fallback)))
        LblSun[1]->setBackColor(*c);
    if (auto c = conv::toColour(s_.store.get(memo.name, memo.fallback)))
        LblMemo[0]->setBackColor(*c);
}

void WeekViewPage::ReadWeekView()
{
    if (auto c = conv::toColour(s_.store.get(keys::kWeekSunday.name, keys::kWeekSunday.fallback)))
        LblSun[0]->setBackColor(*c);
    // The weekday and memo colours follow the style on show, so a later store
    // puts them back under the keys they came from.
    const bool second = secondStyleShown();
    const auto& weekday = second ? keys::kWeekWeekdayB : keys::kWeekWeekdayA;
    if (auto c = conv::toColour(s_.store.get(weekday.name, weekday.fallback)))
        LblSun[1]->setBackColor(*c);
    if (auto c = conv::toColour(s_.store.get(keys::kWeekSaturday.name, keys::kWeekSaturday.fallback)))
        LblSun[2]->setBackColor(*c);

    QFont f = LblMemo[0]->font();
    f.setFamily(s_.store.get(keys::kWeekFont.name, keys::kWeekFont.fallback));
    LblMemo[0]->setFont(f);
    LblMemo[0]->setText(LblMemo[0]->font().family() + QLatin1Char(',')
                        + s_.store.get(keys::kWeekFontSize.name, keys::kWeekFontSize.fallback));

    const auto& memo = second ? keys::kWeekMemoB : keys::kWeekMemoA;
    if (auto c = conv::toColour(s_.store.get(memo.name, memo.fallback)))
        LblMemo[0]->setBackColor(*c);
    repeatMemoColour();
}

QStringList WeekViewPage::WriteWeekView(bool second)
{
    QStringList failed;
    auto save = [&](const QString& key, const QString& value) {
        if (!s_.store.save(key, value))
            failed << key;
    };
    const auto& weekday = second ? keys::kWeekWeekdayB : keys::kWeekWeekdayA;
    const auto& memo = second ? keys::kWeekMemoB : keys::kWeekMemoA;
    save(weekday.name, QString::number(LblSun[1]->backColor()));
    save(memo.name, QString::number(LblMemo[0]->backColor()));
    save(keys::kWeekSunday.name, QString::number(LblSun[0]->backColor()));
    save(keys::kWeekSaturday.name, QString::number(LblSun[2]->backColor()));
    save(keys::kWeekFont.name, LblMemo[0]->font().family());
    // The size is what the caption shows after its first comma, without a fraction.
    if (auto size = conv::wholeSizeOf(LblMemo[0]->text()))
        save(keys::kWeekFontSize.name, QString::number(qint64(*size)));
    return failed;
}

void WeekViewPage::LblListButton_Click()
{
    const bool leavingSecond = secondStyleShown();
    // The style that is left is stored first; when the store refuses, the user is
    // told and the style stays on show, so its colours are not lost.
    const QStringList failed = WriteWeekView(leavingSecond);
    if (!failed.isEmpty()) {
        emit storeFailed(failed);
        return;
    }
    ImgWkView2->move(twips(leavingSecond ? kParkedLeft : kShownLeft), ImgWkView2->y());
    loadStyleColours(!leavingSecond);
    repeatMemoColour();
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
