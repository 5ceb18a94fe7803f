#include "AboutPanel.h"

#include "frmSplash.h"

#include "ui/Controls.h"
#include "ui/FontFit.h"
#include "ui/PageSize.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace td {

int EggLabel::buttonCode(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

int EggLabel::shiftState(Qt::KeyboardModifiers m)
{
    return (m & Qt::ShiftModifier ? 1 : 0) + (m & Qt::ControlModifier ? 2 : 0) + (m & Qt::AltModifier ? 4 : 0);
}

void EggLabel::mousePressEvent(QMouseEvent* e)
{
    const QPoint p = e->position().toPoint();
    emit MouseDown(buttonCode(e->button()), shiftState(e->modifiers()), p.x() * 15, p.y() * 15);
    QLabel::mousePressEvent(e);
}

namespace {

const char* const kCredits[] = {
    "데이브룩 이야기",
    "",
    "바탕화면에 조용히 떠 있는",
    "투명한 달력 하나.",
    "",
    "달과 메모, 음력과 공휴일,",
    "기념일과 한 주의 일정을",
    "언제나 한눈에.",
    "",
    "Tunedesk는 그 달력을",
    "당신에게 맞게 다듬는 도구입니다.",
    "",
    "색과 글꼴, 위치와 배경,",
    "반복 일정과 D-Day,",
    "엑셀로 옮기는 지난 기록까지.",
    "",
    "만든 사람들",
    "Tunedesk 개발팀",
    "",
    "써 주셔서 고맙습니다.",
    "",
    "안녕~",
};

// The credits, drawn centred on a calm background.
class CreditsBlock : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        QFont f(QStringLiteral("굴림"), 11);
        p.setFont(f);
        p.setPen(QColor(40, 52, 80));
        const int lineHeight = p.fontMetrics().height() + 8;
        int y = 10;
        for (const char* line : kCredits) {
            p.drawText(QRect(0, y, width(), lineHeight), Qt::AlignHCenter | Qt::AlignVCenter, QString::fromUtf8(line));
            y += lineHeight;
        }
    }
};

} // namespace

QPixmap AboutPanel::picture()
{
    QPixmap pm(180, 120);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient night(0, 0, 0, 120);
    night.setColorAt(0, QColor(20, 30, 66));
    night.setColorAt(1, QColor(70, 96, 150));
    p.fillRect(pm.rect(), night);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 236, 170)); // the moon over a desk
    p.drawEllipse(QPointF(140, 32), 16, 16);
    p.setBrush(QColor(20, 30, 66));
    p.drawEllipse(QPointF(148, 27), 14, 14);
    frmSplash::drawLeaf(p, QRectF(26, 40, 70, 62), QString(), QColor());
    p.setPen(QColor(120, 120, 120));
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 5; ++c)
            p.drawPoint(QPointF(36 + c * 12, 66 + r * 12));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(214, 64, 64));
    p.drawEllipse(QPointF(60, 78), 4, 4);
    return pm;
}

AboutPanel::AboutPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("AboutPanel"));
    setFixedSize(kPageSize);
    auto* pictureLabel = new QLabel(this);
    nameControl(pictureLabel, QStringLiteral("Image2"));
    pictureLabel->setPixmap(picture());
    pictureLabel->setGeometry(12, 12, 180, 120);

    auto* viewport = new QWidget(this);
    viewport->setGeometry(204, 0, kPageSize.width() - 204, kPageSize.height());
    Picture2 = new CreditsBlock(viewport);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture2->setGeometry(0, 0, viewport->width(), twips(kBlockHeight));

    CmdBy = new QPushButton(QStringLiteral("안녕~"), this);
    nameControl(CmdBy, QStringLiteral("CmdBy"));
    CmdBy->setGeometry(12, kPageSize.height() - 44, 100, 30);
    // The credits scroll past as a picture; a screen reader hears them with the button.
    QStringList credits;
    for (const char* line : kCredits)
        if (*line)
            credits << QString::fromUtf8(line);
    CmdBy->setAccessibleDescription(credits.join(QLatin1Char(' ')));
    setBlockTop(kRestartTop);
}

void AboutPanel::setBlockTop(int twipsTop)
{
    top_ = twipsTop;
    Picture2->move(0, ui::designed(Picture2, twips(top_)));
}

void AboutPanel::scrollStep()
{
    if (top_ < -kBlockHeight)
        setBlockTop(kRestartTop);
    else
        setBlockTop(top_ - kStep);
}

} // namespace td
