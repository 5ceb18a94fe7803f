// The sync password in a real keyring: gnome-keyring-daemon on the test's own
// D-Bus session (ctest runs this under dbus-run-session), unlocked with a known
// password over a fresh keyring folder. The password goes in and comes back
// through our class, lands in no settings file, and the headless sync reads it.
#include "DavServer.h"
#include "TestSupport.h"
#include "sync/Keyring.h"
#include "sync/SyncSettings.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDirIterator>
#include <QTest>

using namespace td;
using namespace td::sync;
using test::DavServer;

class TestKeyring : public QObject {
    Q_OBJECT

private slots:
    void passwordInTheKeyringOnly()
    {
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
            QSKIP("needs a D-Bus session of its own (ctest runs it under dbus-run-session)");
        QTemporaryDir home;
        QDir(home.path()).mkpath(QStringLiteral("run"));
        QFile::setPermissions(home.filePath(QStringLiteral("run")), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_STATE_HOME"), home.filePath(QStringLiteral("state")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));
        QProcess daemon;
        daemon.setProcessEnvironment(env);
        daemon.start(QStringLiteral("gnome-keyring-daemon"), {QStringLiteral("--foreground"), QStringLiteral("--unlock"),
                                                              QStringLiteral("--components=secrets")});
        QVERIFY2(daemon.waitForStarted(), "gnome-keyring-daemon is missing");
        daemon.write("keyring-pw");
        daemon.closeWriteChannel();
        QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
        QTRY_VERIFY_WITH_TIMEOUT(bus->isServiceRegistered(QStringLiteral("org.freedesktop.secrets")), 10000);

        DavServer server(DavServer::Radicale);
        QVERIFY(server.start());
        const QString url = server.base().toString();
        const QString secret = QString::fromLatin1(DavServer::kPassword);
        SystemKeyring keyring;
        QString password, why;
        QCOMPARE(keyring.read(keyringAccount(QStringLiteral("daybrook"), url), password, why), IKeyring::Status::Missing);
        // As the page keeps an account: the settings in the store, the password in the keyring.
        QtSettingsStore store(home.filePath(QStringLiteral("config/Daybrook/Daybrook.conf")), QString::fromLatin1(SyncSettings::kSection));
        QVERIFY((SyncSettings{url, QStringLiteral("daybrook"), {}, {}}.save(store)));
        QCOMPARE(keyring.write(keyringAccount(QStringLiteral("daybrook"), url), secret, why), IKeyring::Status::Ok);
        QCOMPARE(SystemKeyring().read(keyringAccount(QStringLiteral("daybrook"), url), password, why), IKeyring::Status::Ok);
        QCOMPARE(password, secret);
        QCOMPARE(keyring.read(keyringAccount(QStringLiteral("other"), url), password, why), IKeyring::Status::Missing);

        // The headless sync of the saved account finds the password there: the dry run sees the day.
        QDir().mkpath(home.filePath(QStringLiteral("notes/2026_3")));
        test::writeFile(home.filePath(QStringLiteral("notes/2026_3/2026_3.1")), "[meeting]\r\n");
        QProcess sync;
        sync.setProcessEnvironment(env);
        sync.start(QStringLiteral(TUNEDESK_PROGRAM), {QStringLiteral("sync"), QStringLiteral("--dry-run"), QStringLiteral("--data-folder"),
                                                      home.filePath(QStringLiteral("notes"))});
        QVERIFY(sync.waitForFinished(60000));
        const QString out = QString::fromUtf8(sync.readAllStandardOutput());
        QVERIFY2(sync.exitCode() == 0 && out.contains(QStringLiteral("보낼 날 1,")), qPrintable(out + sync.readAllStandardError()));

        // Nothing under the user's folders holds the password in the clear.
        for (QDirIterator it(home.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
            const QString file = it.next();
            QVERIFY2(!test::readFile(file).contains(secret.toUtf8()), qPrintable(file));
        }
        QVERIFY(QFile::exists(home.filePath(QStringLiteral("config/Daybrook/Daybrook.conf"))));
        daemon.kill();
        daemon.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestKeyring)
#include "tst_keyring.moc"
