#pragma once
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>

class QAbstractButton;
class QWidget;

namespace td {

// Keeps the window painted while a run works through thousands of day files on
// the user-interface thread, and makes sure nothing but the run's own Cancel acts
// meanwhile: the rest of the window is disabled (so even a screen reader's
// "press" is refused; without a screen reader, from the first pump on), and
// clicks, keys and the close box are swallowed, not queued for after the run.
// Escape presses Cancel. Lives for one run.
class RunPump : public QObject {
    Q_OBJECT
public:
    // cancel: the run's Cancel button, enabled for the run; without one the
    // whole window of window is disabled.
    explicit RunPump(QAbstractButton* cancel = nullptr, QWidget* window = nullptr);
    ~RunPump() override;
    RunPump(const RunPump&) = delete;
    RunPump& operator=(const RunPump&) = delete;

    // Lets pending paint and timer events through; at most every few
    // milliseconds unless forced.
    void pump(bool force = false);
    // True when the next pump would let events through.
    bool due() const;
    // The first pump comes an interval from now: a run quicker than that never
    // paints its greyed window.
    void startInterval() { since_.start(); }
    // The user asked the run to stop.
    bool cancelled() const { return cancelled_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void greyOut(); // everything but Cancel disabled, Cancel focused

    QElapsedTimer since_;
    QPointer<QAbstractButton> cancel_;
    QPointer<QWidget> window_;
    QList<QPointer<QWidget>> disabled_; // what the run disabled, to enable again
    QPointer<QWidget> focus_;           // had the focus before the run
    bool cancelled_ = false;
    bool greyed_ = false;
};

} // namespace td
