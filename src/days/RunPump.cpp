#include "RunPump.h"

#include <QCoreApplication>
#include <QEvent>

namespace td {
namespace {
constexpr qint64 kPumpIntervalMs = 30;
}

RunPump::RunPump()
{
    QCoreApplication::instance()->installEventFilter(this);
}

RunPump::~RunPump()
{
    // Input that arrived since the last pump is dropped while the filter still stands.
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
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    since_.start();
}

bool RunPump::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
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
