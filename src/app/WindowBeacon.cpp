#include "WindowBeacon.h"

#include "platform/Paths.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace td {

namespace {
const QByteArray kRequest = "raise\n";
const QByteArray kAnswer = "raised\n";
} // namespace

WindowBeacon::WindowBeacon(QString socketPath, QObject* parent) : QObject(parent), path_(std::move(socketPath))
{
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &WindowBeacon::answer);
}

bool WindowBeacon::listen()
{
    QLocalServer::removeServer(path_);
    return server_.listen(path_);
}

void WindowBeacon::answer()
{
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            if (socket->readLine() == kRequest) {
                // While the splash shows there is no window yet: it opens by itself.
                if (window_)
                    bringForward(window_);
                emit called();
                socket->write(kAnswer);
                socket->flush();
            }
            socket->disconnectFromServer();
        });
    }
}

bool WindowBeacon::callRunning(const QString& socketPath, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(kRequest);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    return socket.readLine() == kAnswer;
}

QString WindowBeacon::defaultPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return joinPath(dir, QStringLiteral("tunedesk.socket"));
}

void WindowBeacon::bringForward(QWidget* window)
{
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace td
