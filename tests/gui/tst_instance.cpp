#include "TestSupport.h"

#include "platform/InstanceLock.h"

#include <QFile>
#include <QProcess>
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
};

QTEST_MAIN(TestInstance)
#include "tst_instance.moc"
