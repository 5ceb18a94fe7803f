#include "ValueBars.h"

#include <QEvent>
#include <QScrollBar>

namespace td {
namespace {

// Tells whether the mouse is held on the bar: only then do the line and page
// actions come from the arrows and the track, whose direction is the drawn one.
class MouseHeld : public QObject {
public:
    using QObject::QObject;
    bool held = false;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick)
            held = true;
        else if (e->type() == QEvent::MouseButtonRelease)
            held = false;
        return false;
    }
};

} // namespace

void putMaximumOnTop(QScrollBar* bar)
{
    bar->setInvertedAppearance(true);
    // Keys and the wheel already follow the drawing with controls that are not inverted.
    bar->setInvertedControls(false);
    bar->setFocusPolicy(Qt::StrongFocus);
    auto* mouse = new MouseHeld(bar);
    bar->installEventFilter(mouse);
    QObject::connect(bar, &QAbstractSlider::actionTriggered, bar, [bar, mouse](int action) {
        if (!mouse->held)
            return;
        // The slider position already holds the stepped value; the value is still
        // the old one, so the step can be turned round before it is taken.
        switch (action) {
        case QAbstractSlider::SliderSingleStepAdd: bar->setSliderPosition(bar->value() - bar->singleStep()); break;
        case QAbstractSlider::SliderSingleStepSub: bar->setSliderPosition(bar->value() + bar->singleStep()); break;
        case QAbstractSlider::SliderPageStepAdd: bar->setSliderPosition(bar->value() - bar->pageStep()); break;
        case QAbstractSlider::SliderPageStepSub: bar->setSliderPosition(bar->value() + bar->pageStep()); break;
        default: break;
        }
    });
}

} // namespace td
