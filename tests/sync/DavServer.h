#pragma once
// A CalDAV server of its own for a test: Radicale (htpasswd, plain) or
// Xandikos on 127.0.0.1 with a free port and a temporary storage, stopped with
// the test. Radicale may serve HTTPS with a self-signed certificate.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

namespace td::test {

class DavServer {
public:
    enum Kind {
        Radicale,
        Xandikos,
    };
    static constexpr const char* kUser = "daybrook";
    static constexpr const char* kPassword = "s3cret";

    explicit DavServer(Kind kind, bool https = false) : kind_(kind), https_(https)
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port_ = probe.serverPort();
    }
    ~DavServer() { stop(); }

    Kind kind() const { return kind_; }
    QUrl base() const { return QUrl(QStringLiteral("%1://127.0.0.1:%2/").arg(https_ ? "https" : "http").arg(port_)); }
    QString fingerprint() const { return fingerprint_; }
    QString folder() const { return dir_.path(); }

    // Starts (or starts again, on the same port and storage); false when it does not come up.
    bool start()
    {
        QStringList args;
        QString program = QStringLiteral("/usr/bin/python3");
        if (kind_ == Radicale) {
            if (https_ && fingerprint_.isEmpty() && !makeCertificate())
                return false;
            writeFile(QStringLiteral("users"), QByteArray(kUser) + ':' + kPassword + '\n');
            QByteArray config = "[server]\nhosts = 127.0.0.1:" + QByteArray::number(port_) + "\n";
            if (https_)
                config += "ssl = True\ncertificate = " + bytes("cert.pem") + "\nkey = " + bytes("key.pem") + "\n";
            config += "[auth]\ntype = htpasswd\nhtpasswd_filename = " + bytes("users") + "\nhtpasswd_encryption = plain\n"
                                                                                         "[storage]\nfilesystem_folder = "
                      + bytes("collections") + "\n"
                                               "[logging]\nlevel = warning\n";
            writeFile(QStringLiteral("radicale.conf"), config);
            args = {QStringLiteral("-m"), QStringLiteral("radicale"), QStringLiteral("--config"), path("radicale.conf")};
        } else {
            program = QStringLiteral("/usr/bin/xandikos");
            args = {QStringLiteral("--defaults"), QStringLiteral("-d"), path("xandikos"), QStringLiteral("-l"),
                    QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(port_)};
        }
        process_.setStandardOutputFile(QProcess::nullDevice());
        process_.setStandardErrorFile(QProcess::nullDevice());
        process_.start(program, args);
        for (int i = 0; i < 200 && process_.state() != QProcess::NotRunning; ++i) {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, quint16(port_));
            if (s.waitForConnected(100))
                return true;
            QThread::msleep(50);
        }
        return false;
    }
    void stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.kill();
        process_.waitForFinished(5000);
    }

private:
    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    QByteArray bytes(const char* name) const { return QFile::encodeName(path(name)); }
    void writeFile(const QString& name, const QByteArray& bytes) const
    {
        QFile f(dir_.filePath(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }
    bool makeCertificate()
    {
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"), {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1",
                                                  "-keyout", path("key.pem"), "-out", path("cert.pem")});
        if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0)
            return false;
        openssl.start(QStringLiteral("openssl"), {"x509", "-in", path("cert.pem"), "-noout", "-fingerprint", "-sha256"});
        openssl.waitForFinished(10000);
        fingerprint_ = QString::fromLatin1(openssl.readAllStandardOutput()).section(QLatin1Char('='), 1).trimmed();
        return !fingerprint_.isEmpty();
    }

    Kind kind_;
    bool https_;
    int port_ = 0;
    QTemporaryDir dir_;
    QProcess process_;
    QString fingerprint_;
};

} // namespace td::test
