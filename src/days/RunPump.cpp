#include "RunPump.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace td {
namespace {
constexpr qint64 kPumpIntervalMs = 30;
}

RunPump::RunPump(QAbstractButton* cancel, QWidget* window) : cancel_(cancel), window_(window)
{
    QCoreApplication::instance()->installEventFilter(this);
    focus_ = QApplication::focusWidget();
    if (cancel)
        connect(cancel, &QAbstractButton::clicked, this, [this] { cancelled_ = true; });
    // A screen reader acts through the controls themselves, so while one listens
    // they go grey at once; otherwise with the run's first pump: a run quicker than
    // that leaves the window as it was, with nothing to paint twice.
    if (QAccessible::isActive())
        greyOut();
}

void RunPump::greyOut()
{
    if (greyed_)
        return;
    greyed_ = true;
    QAbstractButton* cancel = cancel_;
    auto disable = [this](QWidget* w) {
        if (w->isEnabled()) {
            w->setEnabled(false);
            disabled_ << w;
        }
    };
    if (cancel) {
        // Everything beside the way down to Cancel goes grey; Cancel itself is the one live control.
        for (QWidget* w = cancel; !w->isWindow() && w->parentWidget(); w = w->parentWidget()) {
            for (QObject* o : w->parentWidget()->children()) {
                auto* sibling = qobject_cast<QWidget*>(o);
                if (sibling && sibling != w && !sibling->isWindow())
                    disable(sibling);
            }
        }
        cancel->setEnabled(true);
        cancel->setFocus();
    } else if (window_) {
        disable(window_->window());
    }
}

RunPump::~RunPump()
{
    if (greyed_) {
        if (cancel_)
            cancel_->setEnabled(false);
        for (const QPointer<QWidget>& w : std::as_const(disabled_)) {
            if (w)
                w->setEnabled(true);
        }
        if (focus_)
            focus_->setFocus();
    }
    // Input that arrived since the last pump is dropped while the filter still
    // stands; the window is painted once, as it is after the run.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::instance()->removeEventFilter(this);
}

bool RunPump::due() const
{
    return !since_.isValid() || since_.elapsed() >= kPumpIntervalMs;
}

void RunPump::pump(bool force)
{
    if (!force && !due())
        return;
    greyOut();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    since_.start();
}

bool RunPump::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress && cancel_ && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        cancel_->click();
        return true;
    }
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        // Cancel takes its own click and its own Space.
        if (cancel_ && watched == cancel_.data())
            return QObject::eventFilter(watched, event);
        event->ignore();
        return true;
    case QEvent::Wheel:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::InputMethod:
    case QEvent::Close:
        event->ignore();
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace td
