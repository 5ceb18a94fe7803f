#pragma once
#include <QElapsedTimer>
#include <QObject>

namespace td {

// Keeps the window painted while a generator works through thousands of day
// files on the user-interface thread, and makes sure the window takes no other
// input meanwhile: clicks, keys and the close box are swallowed, not queued
// for after the run. Lives for the duration of one run.
class RunPump : public QObject {
    Q_OBJECT
public:
    RunPump();
    ~RunPump() override;
    RunPump(const RunPump&) = delete;
    RunPump& operator=(const RunPump&) = delete;

    // Lets pending paint and timer events through; at most every few
    // milliseconds unless forced.
    void pump(bool force = false);
    // True when the next pump would let events through.
    bool due() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QElapsedTimer since_;
};

} // namespace td
