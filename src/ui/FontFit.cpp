#include "FontFit.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>
#include <cmath>

namespace td::ui {
namespace {

// The designed geometry and size limits, kept on each widget the first time it is fitted,
// so that every fit starts from the design and rounding never piles up.
constexpr char kDesignRect[] = "td_designRect";
constexpr char kDesignMin[] = "td_designMin";
constexpr char kDesignMax[] = "td_designMax";
constexpr char kScale[] = "td_designScale";
constexpr double kDesignPixels = 12.0; // 9 pt at 96 dots an inch

bool inLayout(const QLayout* layout, const QWidget* w)
{
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() == w)
            return true;
        if (item->layout() && inLayout(item->layout(), w))
            return true;
    }
    return false;
}

bool placedByLayout(const QWidget* w)
{
    const QWidget* parent = w->parentWidget();
    return parent && parent->layout() && inLayout(parent->layout(), w);
}

// Controls made of parts place those parts themselves.
bool placesItsOwnParts(const QWidget* w)
{
    return qobject_cast<const QAbstractScrollArea*>(w) || qobject_cast<const QComboBox*>(w)
           || qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QLineEdit*>(w);
}

template <typename F>
void forEachDesigned(QWidget* w, F&& f)
{
    for (QObject* o : w->children()) {
        auto* child = qobject_cast<QWidget*>(o);
        if (!child || child->isWindow())
            continue;
        f(child);
        if (!placesItsOwnParts(child))
            forEachDesigned(child, f);
    }
}

int scaled(int v, double s) { return int(std::lround(v * s)); }
int scaledLimit(int v, double s) { return v >= QWIDGETSIZE_MAX ? v : scaled(v, s); }

void record(QWidget* w)
{
    if (w->property(kDesignRect).isValid())
        return;
    w->setProperty(kDesignRect, w->geometry());
    w->setProperty(kDesignMin, w->minimumSize());
    w->setProperty(kDesignMax, w->maximumSize());
}

void scaleOne(QWidget* w, double s)
{
    const QSize min = w->property(kDesignMin).toSize();
    const QSize max = w->property(kDesignMax).toSize();
    w->setMinimumSize(scaled(min.width(), s), scaled(min.height(), s));
    w->setMaximumSize(scaledLimit(max.width(), s), scaledLimit(max.height(), s));
    if (placedByLayout(w))
        return;
    // A designed picture grows with its place.
    if (auto* picture = qobject_cast<QLabel*>(w); picture && picture->text().isEmpty() && !picture->pixmap().isNull())
        picture->setScaledContents(s != 1.0);
    // Edges are scaled, not sizes: controls that only touch in the design still only touch.
    const QRect r = w->property(kDesignRect).toRect();
    const int left = scaled(r.left(), s), top = scaled(r.top(), s);
    w->setGeometry(left, top, scaled(r.left() + r.width(), s) - left, scaled(r.top() + r.height(), s) - top);
}

void applyScale(QWidget* window, double s)
{
    record(window);
    forEachDesigned(window, [](QWidget* w) { record(w); });
    window->setProperty(kScale, s);
    // Limits first: a page of fixed size takes no other geometry.
    scaleOne(window, s);
    forEachDesigned(window, [s](QWidget* w) { scaleOne(w, s); });
}

// The width and height a control needs for its caption at its own font.
QSize needed(const QWidget* w)
{
    if (auto* label = qobject_cast<const QLabel*>(w)) {
        if (label->text().isEmpty() && !label->pixmap().isNull())
            return {};
        if (label->wordWrap())
            return {0, label->heightForWidth(label->width())};
        return label->sizeHint();
    }
    if (auto* button = qobject_cast<const QPushButton*>(w)) {
        // The style's smallest button (80 pixels in most styles) is no part of the caption.
        QStyleOptionButton opt;
        opt.initFrom(button);
        const QSize text = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
        const int margin = 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, &opt, button);
        return {text.width() + margin, button->sizeHint().height()};
    }
    if (qobject_cast<const QAbstractButton*>(w))
        return w->sizeHint();
    if (auto* box = qobject_cast<const QGroupBox*>(w))
        return {box->fontMetrics().horizontalAdvance(box->title()) + 16, 0};
    if (qobject_cast<const QComboBox*>(w) || qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w)
        || qobject_cast<const QProgressBar*>(w))
        return {0, w->sizeHint().height()};
    return {};
}

// How much more the design must grow for `window` at `scale`. `font` is how much the font
// has grown over the design font: a caption the design itself leaves a little short (a
// hidden gesture label, a tight memo sample) is held to the share the design gives it.
double shortfall(QWidget* window, double font, double scale)
{
    double worst = 1.0;
    auto consider = [&worst, font, scale](QSize need, QSize has) {
        for (auto [n, h] : {std::pair{need.width(), has.width()}, std::pair{need.height(), has.height()}}) {
            const double allowed = std::max(double(h), n * scale / font);
            if (n > h && allowed > 0)
                worst = std::max(worst, n / allowed);
        }
    };
    forEachDesigned(window, [&](QWidget* w) {
        if (placedByLayout(w)) {
            // The layout gives it what it asks, up to its limits.
            consider(needed(w), w->maximumSize());
            if (w->layout())
                consider(w->layout()->totalMinimumSize(), w->maximumSize());
            return;
        }
        consider(needed(w), w->size());
        if (w->layout())
            consider(w->layout()->totalMinimumSize(), w->size());
    });
    return worst;
}

} // namespace

double fitDesignToFont(QWidget* window)
{
    applyScale(window, 1.0);
    const double font = fontGrowth(window);
    double s = 1.0;
    // A few rounds: a grown layout can ask a little more of its page.
    for (int round = 0; round < 4; ++round) {
        const double more = shortfall(window, font, s);
        if (more <= 1.0)
            break;
        s *= more * 1.02;
        applyScale(window, s);
    }
    return s;
}

double fontGrowth(const QWidget* window)
{
    return std::max(1.0, QFontInfo(window->font()).pixelSize() / kDesignPixels);
}

int designed(const QWidget* control, int pixels)
{
    return scaled(pixels, designScale(control->window()));
}

double designScale(const QWidget* window)
{
    const QVariant s = window->property(kScale);
    return s.isValid() ? s.toDouble() : 1.0;
}

} // namespace td::ui
