// The first sync of ten years of notes (one day file a day) to a CalDAV server
// started here, against vdirsyncer syncing the same events from a folder to
// another calendar of the same server in the same run; then a sync with
// nothing changed, and how many requests it took.
// bench_sync [DAYS] [radicale|xandikos] [quiet]
// quiet (Radicale): the events are put straight into the server's storage and
// only the syncs with nothing changed are timed, split into the server's one
// report and our own work, so that thousands of days take seconds, not hours.
#include "../tests/sync/DavServer.h"
#include "days/DayFiles.h"
#include "export/IcsExport.h"
#include "platform/Cp949.h"
#include "sync/SyncEngine.h"
#include "sync/SyncState.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <cstdio>

using namespace td;

namespace {

QString note(int i)
{
    return QStringLiteral("[회의] 10시 팀 회의 %1\n[점심] 김 과장\n전화할 곳: 02-123-%2").arg(i).arg(1000 + i % 9000);
}

bool makeCalendar(const QUrl& url)
{
    sync::CalDavClient client({QString::fromLatin1(test::DavServer::kUser), QString::fromLatin1(test::DavServer::kPassword), {}, 30000, 1});
    QUrl made;
    return client.makeCalendar(url.resolved(QUrl(QStringLiteral(".."))), QStringLiteral("vdir"), made).ok();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int days = argc > 1 ? std::atoi(argv[1]) : 3653;
    const bool xandikos = argc > 2 && QByteArray(argv[2]) == "xandikos";
    const bool seeded = !xandikos && argc > 3 && QByteArray(argv[3]) == "quiet";
    test::DavServer server(xandikos ? test::DavServer::Xandikos : test::DavServer::Radicale);
    const QString collection = server.folder() + QStringLiteral("/collections/collection-root/daybrook/daybrook/");
    if (seeded) {
        QDir().mkpath(collection);
        QFile props(collection + QStringLiteral(".Radicale.props"));
        props.open(QIODevice::WriteOnly);
        props.write(R"({"tag": "VCALENDAR", "D:displayname": "Daybrook"})");
    }
    if (!server.start()) {
        std::puts("the server does not start");
        return 1;
    }
    QTemporaryDir work;
    const QString data = work.filePath(QStringLiteral("data/"));
    const QString vdir = work.filePath(QStringLiteral("vdir/"));
    QDir().mkpath(vdir);
    const QDate first(2016, 1, 1);
    const QDateTime stamp = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < days; ++i) {
        const QDate d = first.addDays(i);
        QDir().mkpath(DayFiles::monthFolder(data, d));
        QFile f(DayFiles::dayFile(data, d));
        f.open(QIODevice::WriteOnly);
        f.write(Cp949::encode(note(i)).bytes + "\r\n");
        // vdirsyncer's folder: the same events, one file each.
        QFile e((seeded ? collection : vdir) + ics::dayUid(d).replace(QLatin1Char('@'), QLatin1Char('-')) + QStringLiteral(".ics"));
        e.open(QIODevice::WriteOnly);
        ics::CalendarWriter w(stamp);
        w.addDay(d, note(i), nullptr);
        e.write(w.serialize());
    }

    QtFileSystem fs;
    RunJournal journal(work.filePath(QStringLiteral("journal")));
    sync::SyncAccount account;
    account.url = server.base();
    account.user = QString::fromLatin1(test::DavServer::kUser);
    account.password = QString::fromLatin1(test::DavServer::kPassword);
    account.stateFolder = work.filePath(QStringLiteral("state"));
    account.timeoutMs = 300000; // Radicale slows down with every event a calendar holds

    QElapsedTimer t;
    if (seeded) {
        // Both sides already hold every day: the first sync only learns that.
        account.calendarUrl = server.base().resolved(QUrl(QStringLiteral("daybrook/daybrook/")));
        for (int round = 0; round < 3; ++round) {
            t.start();
            sync::SyncEngine engine(fs, data, account, &journal, false);
            sync::SyncPlan plan;
            sync::SyncOutcome out = engine.plan(plan);
            const qint64 planned = t.elapsed();
            if (out.ok())
                out = engine.execute(plan);
            const qint64 all = t.elapsed();
            // The server's part: the same report alone.
            sync::SyncState state(sync::SyncState::fileFor(account.stateFolder, account.calendarUrl.toString(), account.user));
            sync::CalDavClient client({account.user, account.password, {}, 300000, 1});
            sync::DavChanges changes;
            t.restart();
            client.changesSince(account.calendarUrl, state.token(), changes);
            std::printf("%s sync, %d days: %lld ms (plan %lld ms), %d requests, %d changes; the report alone %lld ms\n",
                        round == 0 ? "first" : "no-change", days, static_cast<long long>(all), static_cast<long long>(planned),
                        engine.requests(), plan.changes(), static_cast<long long>(t.elapsed()));
            if (!out.ok()) {
                std::puts(qPrintable(sync::syncMessage(out, false)));
                return 1;
            }
        }
        return 0;
    }
    t.start();
    sync::SyncPlan plan;
    {
        sync::SyncEngine engine(fs, data, account, &journal, false);
        sync::SyncOutcome out = engine.plan(plan);
        std::printf("plan: %lld ms, %d requests\n", static_cast<long long>(t.elapsed()), engine.requests());
        if (out.ok())
            out = engine.execute(plan);
        if (!out.ok()) {
            std::puts(qPrintable(sync::syncMessage(out, false)));
            return 1;
        }
    }
    const qint64 ours = t.elapsed();

    // vdirsyncer: the same events from a folder to a calendar of its own.
    QUrl vcal = plan.calendar.resolved(QUrl(QStringLiteral("../vdir/")));
    if (!makeCalendar(vcal)) {
        std::puts("no calendar for vdirsyncer");
        return 1;
    }
    QFile conf(work.filePath(QStringLiteral("vdirsyncer.conf")));
    conf.open(QIODevice::WriteOnly);
    conf.write(QStringLiteral("[general]\nstatus_path = \"%1\"\n\n[pair p]\na = \"local\"\nb = \"dav\"\ncollections = null\n\n"
                              "[storage local]\ntype = \"filesystem\"\npath = \"%2\"\nfileext = \".ics\"\n\n"
                              "[storage dav]\ntype = \"caldav\"\nurl = \"%3\"\nusername = \"%4\"\npassword = \"%5\"\n")
                   .arg(work.filePath(QStringLiteral("vstatus")), vdir, vcal.toString(), account.user, account.password)
                   .toUtf8());
    conf.close();
    QProcess v;
    v.setStandardOutputFile(QProcess::nullDevice());
    v.setStandardErrorFile(QProcess::nullDevice());
    v.start(QStringLiteral("vdirsyncer"), {QStringLiteral("-c"), conf.fileName(), QStringLiteral("discover"), QStringLiteral("p")});
    v.waitForFinished(-1);
    t.restart();
    v.start(QStringLiteral("vdirsyncer"), {QStringLiteral("-c"), conf.fileName(), QStringLiteral("sync")});
    v.waitForFinished(-1);
    const qint64 theirs = t.elapsed();

    // As the sync page keeps it: the calendar chosen once.
    account.calendarUrl = plan.calendar;
    t.restart();
    sync::SyncEngine engine(fs, data, account, &journal, false);
    sync::SyncOutcome out = engine.plan(plan);
    if (out.ok())
        out = engine.execute(plan);
    const qint64 again = t.elapsed();
    const int requests = engine.requests();
    // The second no-change sync: the state now holds the ETags of the first.
    t.restart();
    sync::SyncEngine third(fs, data, account, &journal, false);
    out = third.plan(plan);
    if (out.ok())
        out = third.execute(plan);
    const qint64 quiet = t.elapsed();

    std::printf("server: %s, %d days\n", xandikos ? "Xandikos" : "Radicale", days);
    std::printf("first sync:      tunedesk %7.1f s, vdirsyncer %7.1f s (exit %d), ratio %.2f\n", ours / 1000.0, theirs / 1000.0,
                v.exitCode(), double(ours) / double(std::max<qint64>(theirs, 1)));
    std::printf("no-change sync:  %lld ms, %d requests; again: %lld ms, %d requests, changes %d\n",
                static_cast<long long>(again), requests, static_cast<long long>(quiet), third.requests(), plan.changes());
    return out.ok() ? 0 : 1;
}
