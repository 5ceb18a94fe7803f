#pragma once
#include <QLocalServer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace td {

// The running copy's answer to a second start: a local socket beside the
// instance lock. A second copy asks it to bring the window to the front and
// ends; the user sees the window they already have.
class WindowBeacon : public QObject {
    Q_OBJECT
public:
    explicit WindowBeacon(QString socketPath, QObject* parent = nullptr);

    // Listens; call only while holding the instance lock, since a socket left
    // by a crashed copy is removed first.
    bool listen();
    // The window to bring forward; none yet while the splash shows.
    void setWindow(QWidget* window) { window_ = window; }

    // Asks the running copy to bring its window forward. True when it answered.
    static bool callRunning(const QString& socketPath, int timeoutMs = 5000);
    // $XDG_RUNTIME_DIR/tunedesk.socket (else the temporary folder), per user.
    static QString defaultPath();
    // Unminimises, raises and activates.
    static void bringForward(QWidget* window);

signals:
    void called();

private:
    void answer();

    QString path_;
    QLocalServer server_;
    QPointer<QWidget> window_;
};

} // namespace td
