// Two-way sync against real CalDAV servers started here, with python3-caldav
// playing the phone that edits the same calendar between syncs.
#include "DavServer.h"
#include "TestSupport.h"
#include "days/DayFiles.h"
#include "days/RunJournal.h"
#include "sync/PasswordFile.h"
#include "sync/SyncEngine.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QDirIterator>
#include <QScopeGuard>
#include <QTest>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace td;
using namespace td::sync;
using test::DavServer;

namespace {

using A = SyncDay::Action;

QString uid(const QDate& d)
{
    return d.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral("@tunedesk");
}

struct Desk {
    QTemporaryDir data, state;
    QtFileSystem fs;
    RunJournal journal{state.filePath(QStringLiteral("journal"))};
    SyncAccount account;

    Desk(const QUrl& url, const QString& password = QString::fromLatin1(DavServer::kPassword))
    {
        account.url = url;
        account.user = QString::fromLatin1(DavServer::kUser);
        account.password = password;
        account.stateFolder = state.filePath(QStringLiteral("sync"));
        account.timeoutMs = 60000;
    }
    QString folder() const { return data.path() + QLatin1Char('/'); }
    QString path(const QDate& d) const { return DayFiles::dayFile(folder(), d); }
    void write(const QDate& d, const QString& text) const
    {
        QDir().mkpath(DayFiles::monthFolder(folder(), d));
        test::writeFile(path(d), test::cp949(text) + "\r\n");
    }
    QString read(const QDate& d) const
    {
        QString text;
        return DayFiles::read(fs, path(d), text).ok ? text : QStringLiteral("<none>");
    }
    // Plans and runs one sync; the plan is handed back for a look.
    SyncOutcome sync(SyncPlan* shown = nullptr, const SyncProgress& progress = {})
    {
        SyncEngine engine(fs, folder(), account, &journal, false, QDate(2026, 6, 1));
        SyncPlan plan;
        SyncOutcome out = engine.plan(plan);
        if (shown)
            *shown = plan;
        return out.ok() ? engine.execute(plan, progress) : out;
    }
};

// The phone: python3-caldav on the calendar the sync made.
QJsonObject phone(const QUrl& calendar, const QStringList& args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QStringLiteral("/usr/bin/python3"),
            QStringList{QStringLiteral(PHONE_SCRIPT), calendar.toString(), QString::fromLatin1(DavServer::kUser),
                        QString::fromLatin1(DavServer::kPassword)}
                + args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        qWarning("phone %s failed", qPrintable(args.join(' ')));
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

QUrl calendarOf(const SyncPlan& plan)
{
    return plan.calendar;
}

} // namespace

class TestSync : public QObject {
    Q_OBJECT

private slots:
    void scenario_data();
    void scenario();
    void refusals();
    void interrupted();
    void fullDisk();
    void passwordFile_data();
    void passwordFile();
};

void TestSync::scenario_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("radicale") << int(DavServer::Radicale);
    QTest::newRow("xandikos") << int(DavServer::Xandikos);
}

void TestSync::scenario()
{
    QFETCH(int, kind);
    DavServer server{DavServer::Kind(kind)};
    QVERIFY(server.start());
    Desk desk(server.base());
    const QDate a(2026, 3, 1), b(2026, 3, 2), c(2026, 3, 3), d(2026, 3, 4), e(2026, 3, 5), f(2026, 3, 6), g(2026, 3, 7),
        h(2026, 3, 8), x(2026, 3, 9), i(2026, 3, 10);
    for (const QDate& day : {a, b, c, d, f, g, h, i})
        desk.write(day, QStringLiteral("[회의] %1\n둘째 줄").arg(day.day()));
    test::writeFile(DayFiles::companionFile(desk.folder(), a), "[done]\r\n");

    // First sync: every day goes up as the export writes it.
    SyncPlan plan;
    SyncOutcome out = desk.sync(&plan);
    QVERIFY2(out.ok(), qPrintable(syncMessage(out, false)));
    QCOMPARE(plan.count(A::Send), 8);
    QVERIFY(plan.makeCalendar);
    const QUrl cal = calendarOf(plan);
    QJsonObject events = phone(cal, {QStringLiteral("dump")});
    QCOMPARE(events.size(), 8);
    QCOMPARE(events[uid(a)][QStringLiteral("summary")].toString(), QStringLiteral("[회의] 1"));
    QCOMPARE(events[uid(a)][QStringLiteral("description")].toString(), QStringLiteral("[회의] 1\n둘째 줄\n\nEnd List\n[done]"));

    // Nothing changed: nothing to do.
    out = desk.sync(&plan);
    QVERIFY(out.ok());
    QCOMPARE(plan.changes(), 0);

    // The phone edits, deletes and adds; here days are edited, deleted and added.
    phone(cal, {QStringLiteral("edit"), uid(b), QStringLiteral("description"), QStringLiteral("[회의] 2\n전화에서 고침")});
    phone(cal, {QStringLiteral("edit"), uid(a), QStringLiteral("summary"), QStringLiteral("제목만 바뀜")});
    phone(cal, {QStringLiteral("delete"), uid(c)});
    phone(cal, {QStringLiteral("create"), QStringLiteral("phone-1@example.org"), x.toString(QStringLiteral("yyyyMMdd")), QStringLiteral("치과")});
    desk.write(d, QStringLiteral("여기서 고침"));
    QFile::remove(desk.path(f));
    desk.write(e, QStringLiteral("새 날"));
    // Both sides edit g; h is deleted there and edited here.
    phone(cal, {QStringLiteral("edit"), uid(g), QStringLiteral("description"), QStringLiteral("[회의] 7\n전화 줄")});
    desk.write(g, QStringLiteral("[회의] 7\n둘째 줄\n여기 줄"));
    phone(cal, {QStringLiteral("delete"), uid(h)});
    desk.write(h, QStringLiteral("여기서 고친 h"));
    // What the code page cannot keep stays where it is, on both sides.
    phone(cal, {QStringLiteral("edit"), uid(i), QStringLiteral("description"), QStringLiteral("커피 ☕")});

    out = desk.sync(&plan);
    QVERIFY2(out.ok(), qPrintable(syncMessage(out, false)));
    const QString dry = formatPlan(plan, false);
    QVERIFY2(dry.contains(QStringLiteral("To send: 3, to fetch: 2, to delete here: 1, to delete on the server: 1, conflicts: 1, events to fold: 1, cannot keep: 1")), qPrintable(dry));
    QVERIFY2(dry.contains(QStringLiteral("2026-03-10  cannot keep  커피 ☕  (\"☕\" is not in the Korean code page)")), qPrintable(dry));
    QCOMPARE(desk.read(i), QStringLiteral("[회의] 10\n둘째 줄"));
    QVERIFY2(dry.contains(QStringLiteral("2026-03-09  fold event  [치과]  <- another client's event: 치과")), qPrintable(dry));
    QCOMPARE(desk.read(a), QStringLiteral("제목만 바뀜\n둘째 줄"));
    QCOMPARE(desk.read(b), QStringLiteral("[회의] 2\n전화에서 고침"));
    QCOMPARE(desk.read(c), QStringLiteral("<none>"));
    QCOMPARE(desk.read(g), QStringLiteral("[회의] 7\n둘째 줄\n여기 줄\n전화 줄"));
    QCOMPARE(desk.read(h), QStringLiteral("여기서 고친 h"));
    QCOMPARE(desk.read(x), QStringLiteral("[치과]"));
    QCOMPARE(test::readFile(DayFiles::companionFile(desk.folder(), a)), QByteArray("[done]\r\n"));
    events = phone(cal, {QStringLiteral("dump")});
    QStringList uids = events.keys();
    QCOMPARE(uids, QStringList({uid(a), uid(b), uid(d), uid(e), uid(g), uid(h), uid(x), uid(i)}));
    QCOMPARE(events[uid(i)][QStringLiteral("description")].toString(), QStringLiteral("커피 ☕"));
    QCOMPARE(events[uid(d)][QStringLiteral("description")].toString(), QStringLiteral("여기서 고침"));
    QCOMPARE(events[uid(g)][QStringLiteral("description")].toString(), QStringLiteral("[회의] 7\n둘째 줄\n여기 줄\n전화 줄"));
    QCOMPARE(events[uid(x)][QStringLiteral("summary")].toString(), QStringLiteral("[치과]"));
    QCOMPARE(events[uid(a)][QStringLiteral("description")].toString(), QStringLiteral("제목만 바뀜\n둘째 줄\n\nEnd List\n[done]"));

    // The phone edits d between the plan and the run: the upload's precondition
    // fails, d is read again and both texts are kept.
    desk.write(d, QStringLiteral("여기서 또 고침"));
    {
        SyncEngine engine(desk.fs, desk.folder(), desk.account, &desk.journal, false);
        QVERIFY(engine.plan(plan).ok());
        QCOMPARE(plan.count(A::Send), 1);
        phone(cal, {QStringLiteral("edit"), uid(d), QStringLiteral("description"), QStringLiteral("전화에서 또 고침")});
        out = engine.execute(plan);
        QVERIFY2(out.ok(), qPrintable(syncMessage(out, false)));
        QCOMPARE(out.conflicts, 1);
    }
    QCOMPARE(desk.read(d), QStringLiteral("여기서 또 고침\n전화에서 또 고침"));
    QCOMPARE(phone(cal, {QStringLiteral("dump")})[uid(d)][QStringLiteral("description")].toString(), desk.read(d));

    // Both sides agree now; Undo takes the local side of the last change back.
    out = desk.sync(&plan);
    QVERIFY(out.ok());
    QCOMPARE(plan.changes(), 0);
    QCOMPARE(plan.count(A::Unstorable), 1);
    QCOMPARE(undoLast(desk.fs, desk.journal, desk.folder()).status, UndoResult::Status::Done);
    QCOMPARE(desk.read(d), QStringLiteral("여기서 또 고침"));
    QCOMPARE(undoLast(desk.fs, desk.journal, desk.folder()).status, UndoResult::Status::Done);
    QCOMPARE(desk.read(b), QStringLiteral("[회의] 2\n둘째 줄"));
    QCOMPARE(desk.read(c), QStringLiteral("[회의] 3\n둘째 줄"));
}

void TestSync::refusals()
{
    // A wrong password, then a certificate nobody vouches for until it is pinned.
    DavServer plain(DavServer::Radicale);
    QVERIFY(plain.start());
    Desk wrong(plain.base(), QStringLiteral("wrong"));
    wrong.write(QDate(2026, 1, 1), QStringLiteral("x"));
    SyncOutcome out = wrong.sync();
    QCOMPARE(out.problem, SyncProblem::Unauthorized);
    QVERIFY(syncMessage(out, true).contains(QStringLiteral("암호")));

    DavServer tls(DavServer::Radicale, true);
    QVERIFY(tls.start());
    Desk desk(tls.base());
    desk.write(QDate(2026, 1, 1), QStringLiteral("x"));
    out = desk.sync();
    QCOMPARE(out.problem, SyncProblem::Untrusted);
    QCOMPARE(out.fingerprint, tls.fingerprint());
    QVERIFY(syncMessage(out, false).contains(tls.fingerprint()));
    desk.account.pinnedSha256 = tls.fingerprint().toLower().remove(QLatin1Char(':'));
    out = desk.sync();
    QVERIFY2(out.ok(), qPrintable(syncMessage(out, false)));
    QCOMPARE(out.sent, 1);

    // Nothing listens any more.
    plain.stop();
    out = wrong.sync();
    QCOMPARE(out.problem, SyncProblem::Unreachable);
}

void TestSync::interrupted()
{
    // The server goes away in the middle of a sync, then a larger sync is
    // killed a third of the way: the next syncs finish the work, no day lost or
    // doubled. (Xandikos: Radicale checks every event's UID on each upload,
    // which makes thousands of uploads slow.)
    DavServer server(DavServer::Xandikos);
    QVERIFY(server.start());
    Desk desk(server.base());
    const QDate first(2016, 1, 1);
    const int days = 1000;
    for (int i = 0; i < days; ++i)
        desk.write(first.addDays(i), QStringLiteral("[일] %1").arg(i));

    SyncOutcome out = desk.sync(nullptr, [](int done, int) { return done < 100; });
    QCOMPARE(out.problem, SyncProblem::Cancelled);
    out = desk.sync(nullptr, [&](int done, int) {
        if (done == 200)
            server.stop();
        return true;
    });
    QCOMPARE(out.problem, SyncProblem::Unreachable);
    QVERIFY(out.midway);
    QVERIFY(syncMessage(out, false).contains(QStringLiteral("lost in the middle")));
    QVERIFY(server.start());

    QProcess runner;
    runner.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    runner.start(QStringLiteral(SYNC_RUNNER), {desk.folder(), server.base().toString(), desk.account.user, desk.account.password,
                                               desk.account.stateFolder, desk.journal.folder()});
    bool killed = false;
    while (!killed && runner.waitForReadyRead(60000)) {
        while (runner.canReadLine()) {
            const int done = runner.readLine().trimmed().toInt();
            if (done >= days / 3 && !killed) {
                runner.kill();
                killed = true;
            }
        }
    }
    QVERIFY(killed);
    runner.waitForFinished();

    SyncPlan plan;
    out = desk.sync(&plan);
    QVERIFY2(out.ok(), qPrintable(syncMessage(out, false)));
    const QJsonObject events = phone(plan.calendar, {QStringLiteral("dump")});
    QCOMPARE(events.size(), days);
    for (int i = 0; i < days; i += 97)
        QCOMPARE(events[uid(first.addDays(i))][QStringLiteral("description")].toString(), QStringLiteral("[일] %1").arg(i));
    for (int i = 0; i < days; i += 97)
        QCOMPARE(desk.read(first.addDays(i)), QStringLiteral("[일] %1").arg(i));
    out = desk.sync(&plan);
    QCOMPARE(plan.changes(), 0);
}

void TestSync::fullDisk()
{
    // The day files on a real full file system (a small tmpfs, filled): the
    // sync says so in one message and writes nothing half; once space is
    // freed the next sync fetches what was left, and nothing is doubled.
    DavServer server(DavServer::Radicale);
    QVERIFY(server.start());
    Desk desk(server.base());
    const QByteArray mountPoint = QFile::encodeName(desk.data.path());
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=1m") != 0)
        QSKIP("mounting a tmpfs needs the superuser");
    const auto unmount = qScopeGuard([&] { ::umount2(mountPoint.constData(), MNT_DETACH); });
    const QList<QDate> days{QDate(2026, 4, 1), QDate(2026, 4, 2), QDate(2026, 5, 1)};
    for (const QDate& d : days)
        desk.write(d, QStringLiteral("[일] %1").arg(d.day()));
    SyncPlan plan;
    QVERIFY(desk.sync(&plan).ok());
    for (const QDate& d : days)
        phone(plan.calendar, {QStringLiteral("edit"), uid(d), QStringLiteral("description"), QStringLiteral("전화에서 %1").arg(d.month())});

    const QString filler = desk.data.filePath(QStringLiteral(".filler"));
    const int fd = ::open(QFile::encodeName(filler).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    QVERIFY(fd >= 0);
    const QByteArray block(4096, 'f');
    while (::write(fd, block.constData(), size_t(block.size())) > 0) {
    }
    ::close(fd);
    QMap<QString, QByteArray> before;
    for (const QDate& d : days)
        before.insert(desk.path(d), test::readFile(desk.path(d)));
    SyncOutcome out = desk.sync();
    QCOMPARE(out.problem, SyncProblem::LocalFiles);
    const QString message = syncMessage(out, false);
    QVERIFY2(message.contains(QStringLiteral("No space left on device")) && message.contains(QStringLiteral("(3 days in all)")), qPrintable(message));
    for (const QDate& d : days)
        QCOMPARE(test::readFile(desk.path(d)), before.value(desk.path(d)));

    QFile::remove(filler);
    out = desk.sync(&plan);
    QVERIFY2(out.ok(), qPrintable(syncMessage(out, false)));
    QCOMPARE(out.fetched, 3);
    for (const QDate& d : days)
        QCOMPARE(desk.read(d), QStringLiteral("전화에서 %1").arg(d.month()));
    QCOMPARE(phone(plan.calendar, {QStringLiteral("dump")}).size(), 3);
    QVERIFY(desk.sync(&plan).ok());
    QCOMPARE(plan.changes(), 0);
}

void TestSync::passwordFile_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("link");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("0600") << 0600 << false << true;
    QTest::newRow("0400") << 0400 << false << true;
    QTest::newRow("0640 group reads") << 0640 << false << false;
    QTest::newRow("0604 others read") << 0604 << false << false;
    QTest::newRow("0620 group writes") << 0620 << false << false;
    QTest::newRow("a link to it") << 0600 << true << false;
}

void TestSync::passwordFile()
{
    QFETCH(int, mode);
    QFETCH(bool, link);
    QFETCH(bool, accepted);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("pw"));
    test::writeFile(file, "s3 cret\r\nsecond line\n");
    QVERIFY(::chmod(QFile::encodeName(file).constData(), mode_t(mode)) == 0);
    if (link)
        QVERIFY(QFile::link(file, dir.filePath(QStringLiteral("link"))));
    QString password, message;
    QCOMPARE(PasswordFile::read(link ? dir.filePath(QStringLiteral("link")) : file, password, message, false), accepted);
    QCOMPARE(password, accepted ? QStringLiteral("s3 cret") : QString());
    QCOMPARE(message.contains(QStringLiteral("owner only")), !accepted && !link);
}

QTEST_GUILESS_MAIN(TestSync)
#include "tst_sync.moc"
