#include "TestSupport.h"

#include "app/WindowBeacon.h"
#include "platform/InstanceLock.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QWidget>
#include <QTest>

using namespace td;

namespace {

// Runs the real program with its own runtime and configuration folders.
struct Runner {
    QTemporaryDir home;
    void start(QProcess& p) const
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        e.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        e.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
        p.setProcessEnvironment(e);
        p.start(QStringLiteral(TUNEDESK_PROGRAM_DIR "/tunedesk"), {});
    }
};

} // namespace

class TestInstance : public QObject {
    Q_OBJECT
private slots:
    // A second copy ends at once and leaves the running one alone. A copy that was killed leaves
    // its lock file behind, which does not block the next.
    void secondCopyEndsAtOnceAndAKilledCopyBlocksNothing()
    {
        Runner r;
        QProcess first;
        r.start(first);
        QVERIFY(first.waitForStarted());
        const QString lockPath = r.home.path() + QStringLiteral("/tunedesk.lock");
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lockPath), 10000);

        QProcess second;
        r.start(second);
        QVERIFY(second.waitForStarted());
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        first.kill();
        first.waitForFinished();
        QVERIFY(QFile::exists(lockPath));
        QtInstanceLock lock(lockPath);
        QVERIFY(lock.tryAcquire());
    }

    // A second start while a window is open brings that window forward and ends with 0.
    void secondStartBringsTheWindowForward()
    {
        Runner r;
        QtInstanceLock lock(r.home.path() + QStringLiteral("/tunedesk.lock"));
        QVERIFY(lock.tryAcquire());
        WindowBeacon beacon(r.home.path() + QStringLiteral("/tunedesk.socket"));
        QVERIFY(beacon.listen());
        QWidget window;
        window.showMinimized();
        beacon.setWindow(&window);
        QSignalSpy called(&beacon, &WindowBeacon::called);

        QProcess second;
        r.start(second);
        QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 20000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(called.count(), 1);
        QVERIFY(!(window.windowState() & Qt::WindowMinimized));
        QTRY_VERIFY(window.isActiveWindow());
    }
};

QTEST_MAIN(TestInstance)
#include "tst_instance.moc"
