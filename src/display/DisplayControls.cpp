#include "DisplayControls.h"

#include "DisplayValues.h"
#include "platform/CommonDialog.h"
#include "ui/Controls.h"
#include "ui/Widgets.h"
#include "ui/Spoken.h"

#include <QAccessibleWidget>
#include <QCheckBox>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace td {

QColor shownColour(qint32 colour, const QPalette& p)
{
    return paintedColour(colour, p);
}

namespace {

// A label that takes the keyboard acts as a button: a screen reader names it, says
// "button" and offers the press action. One that does not is a plain label.
class ClickLabelAccessible : public QAccessibleWidget {
public:
    explicit ClickLabelAccessible(ClickLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}
    ClickLabel* label() const { return static_cast<ClickLabel*>(widget()); }
    bool pressable() const { return label()->focusPolicy() != Qt::NoFocus; }
    QAccessible::Role role() const override { return pressable() ? QAccessible::Button : QAccessible::StaticText; }
    QString text(QAccessible::Text t) const override
    {
        QString s = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && s.isEmpty())
            s = label()->text();
        return s;
    }
    QStringList actionNames() const override
    {
        return pressable() ? QStringList(pressAction()) << QAccessibleWidget::actionNames() : QStringList();
    }
    void doAction(const QString& action) override
    {
        if (action == pressAction() && pressable())
            label()->click();
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface* clickLabelInterface(const QString& className, QObject* object)
{
    if (className == QLatin1String("td::ClickLabel"))
        if (auto* label = qobject_cast<ClickLabel*>(object))
            return new ClickLabelAccessible(label);
    return nullptr;
}

// Installed before any label exists: an interface, once made, is kept for its object.
const bool kClickLabelInterface = (QAccessible::installFactory(clickLabelInterface), true);

} // namespace

ClickLabel::ClickLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void ClickLabel::connectNotify(const QMetaMethod& signal)
{
    if (signal == QMetaMethod::fromSignal(&ClickLabel::clicked))
        setFocusPolicy(Qt::StrongFocus);
}

void ClickLabel::setText(const QString& text)
{
    if (text == QLabel::text())
        return;
    QLabel::setText(text);
    emit textChanged(text);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* e)
{
    QLabel::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        emit clicked();
}

void ClickLabel::keyPressEvent(QKeyEvent* e)
{
    if (e->modifiers() == Qt::NoModifier || e->modifiers() == Qt::KeypadModifier) {
        switch (e->key()) {
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Select:
            click();
            return;
        default:
            break;
        }
    }
    QLabel::keyPressEvent(e);
}

void ClickLabel::paintEvent(QPaintEvent* e)
{
    QLabel::paintEvent(e);
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = rect().adjusted(1, 1, -1, -1);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
}

ColorLabel::ColorLabel(const QString& text, QWidget* parent) : ClickLabel(text, parent)
{
    repaintColours();
}

void ColorLabel::setForeColor(qint32 colour)
{
    fore_ = colour;
    repaintColours();
}

void ColorLabel::setBackColor(qint32 colour)
{
    back_ = colour;
    setAutoFillBackground(true);
    repaintColours();
}

void ColorLabel::repaintColours()
{
    QPalette p = palette();
    // System colours come from the platform palette, not from the panel the label sits on.
    const QPalette base = QGuiApplication::palette();
    const QColor fore = shownColour(fore_, base);
    p.setColor(QPalette::Active, QPalette::WindowText, fore);
    p.setColor(QPalette::Inactive, QPalette::WindowText, fore);
    if (autoFillBackground()) {
        const QColor back = shownColour(back_, base);
        p.setColor(QPalette::Window, back);
    }
    setPalette(p);
    describeColour();
}

void ColorLabel::speakColour(bool heldInBackground, bool korean)
{
    spoken_ = heldInBackground ? Spoken::Back : Spoken::Fore;
    korean_ = korean;
    describeColour();
}

void ColorLabel::describeColour()
{
    if (spoken_ == Spoken::No)
        return;
    const QColor c = shownColour(spoken_ == Spoken::Back ? back_ : fore_, QGuiApplication::palette());
    setAccessibleDescription(ui::spokenColour(c.red(), c.green(), c.blue(), korean_));
}

void SamplePanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    p.setPen(palette().color(QPalette::WindowText));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

ShapeBox::ShapeBox(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ShapeBox::setBorderColor(qint32 colour)
{
    border_ = colour;
    update();
}

void ShapeBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(QPen(shownColour(border_, palette()), 1));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

QPixmap weekViewPicture(int style)
{
    // Style 1: a compact list of the seven days; style 2: a wider grid with a memo column.
    const QSize size = style == 1 ? QSize(310, 119) : QSize(333, 127);
    QPixmap pm(size);
    pm.fill(QColor(40, 44, 52));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor frame(120, 128, 140), line(80, 86, 96), title(210, 214, 220);

    p.setPen(frame);
    p.drawRect(0, 0, size.width() - 1, size.height() - 1);
    // Title strip with the list button at its left. The second picture lies a little
    // up and left of the first, so its content is moved to sit under the same swatches.
    p.fillRect(1, 1, size.width() - 2, style == 1 ? 18 : 26, QColor(58, 64, 76));
    if (style == 2)
        p.translate(2, 8);
    p.setPen(title);
    p.drawRect(8, 4, 43, 12);
    for (int y = 7; y <= 13; y += 3)
        p.drawLine(14, y, 44, y);
    QFont f = p.font();
    f.setPixelSize(10);
    p.setFont(f);
    p.drawText(QRect(60, 1, 90, 18), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Week"));

    p.setPen(line);
    if (style == 1) {
        // Seven day rows on the left, the memo block on the right.
        for (int i = 0; i < 7; ++i)
            p.drawLine(8, 24 + i * 8, 150, 24 + i * 8);
        p.drawRect(160, 24, 142, 50);
        for (int y = 34; y < 74; y += 10)
            p.drawLine(164, y, 298, y);
        p.drawRect(8, 78, 146, 18);
        p.drawRect(160, 78, 142, 18);
        p.drawRect(8, 98, 146, 16);
        p.drawRect(160, 98, 142, 16);
    } else {
        // A grid of seven columns over two rows, with the memo column on the right.
        for (int c = 0; c <= 7; ++c)
            p.drawLine(8 + c * 21, 24, 8 + c * 21, 96);
        p.drawLine(8, 60, 155, 60);
        p.drawRect(160, 24, 162, 50);
        for (int y = 34; y < 74; y += 10)
            p.drawLine(164, y, 318, y);
        p.drawRect(8, 78, 146, 18);
        p.drawRect(160, 78, 162, 18);
        p.drawRect(8, 98, 146, 18);
        p.drawRect(160, 98, 162, 18);
    }
    return pm;
}

QScrollBar* valueBar(QWidget* parent, const QString& key, Qt::Orientation o, int small, int large, QRect g)
{
    const display::StoreSetting& s = display::storeSetting(key);
    auto* b = new QScrollBar(o, parent);
    nameControl(b, s.control);
    b->setRange(s.range->min, s.range->max);
    b->setSingleStep(small);
    b->setPageStep(large);
    b->setValue(display::DisplayValues{}.*s.field);
    b->setTracking(false);
    b->setGeometry(g);
    return b;
}

QCheckBox* valueCheck(QWidget* parent, const QString& key, QRect g)
{
    const display::StoreSetting& s = display::storeSetting(key);
    auto* c = new QCheckBox(parent);
    nameControl(c, s.control, s.caption);
    c->setGeometry(g);
    setCheckValue(c, display::DisplayValues{}.*s.field);
    // Greyed by a load, it goes back to two states once the user changes it.
    QObject::connect(c, &QCheckBox::stateChanged, c, [c](int state) {
        if (state != Qt::PartiallyChecked)
            c->setTristate(false);
    });
    return c;
}

int checkValue(const QCheckBox* box)
{
    switch (box->checkState()) {
    case Qt::Unchecked: return 0;
    case Qt::Checked: return 1;
    default: return 2;
    }
}

void setCheckValue(QCheckBox* box, int value)
{
    box->setCheckState(value == 0   ? Qt::Unchecked
                       : value == 1 ? Qt::Checked
                                    : Qt::PartiallyChecked);
}

void showStored(QWidget* page, const display::DisplayValues& v)
{
    for (const display::StoreSetting& s : display::storeSettings()) {
        if (s.control.isEmpty())
            continue;
        if (auto* bar = page->findChild<QScrollBar*>(s.control))
            bar->setValue(v.*s.field);
        else if (auto* box = page->findChild<QCheckBox*>(s.control))
            setCheckValue(box, v.*s.field);
    }
}

void takeStored(const QWidget* page, display::DisplayValues& v)
{
    for (const display::StoreSetting& s : display::storeSettings()) {
        if (s.control.isEmpty())
            continue;
        if (const auto* bar = page->findChild<QScrollBar*>(s.control))
            v.*s.field = bar->value();
        else if (const auto* box = page->findChild<QCheckBox*>(s.control))
            v.*s.field = checkValue(box);
    }
}

QLabel* valueLabel(QWidget* parent, const QString& name, int value, QRect g)
{
    auto* l = ui::makeLabel(parent, name, QString::number(value));
    l->setGeometry(g);
    l->setAlignment(Qt::AlignCenter);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    return l;
}

} // namespace td
