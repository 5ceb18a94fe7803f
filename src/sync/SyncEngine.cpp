#include "SyncEngine.h"

#include "DayEvent.h"
#include "SyncState.h"
#include "days/DayFiles.h"
#include "export/IcsExport.h"
#include "platform/Cp949.h"
#include "platform/Spaces.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <map>

namespace td::sync {

namespace {

using Action = SyncDay::Action;
constexpr int kRetryRounds = 3;
constexpr int kCommitEvery = 200;
const QString kCalendarName = QStringLiteral("Daybrook");

bool writesLocal(Action a)
{
    return a == Action::Fetch || a == Action::DeleteLocal || a == Action::Conflict || a == Action::Fold;
}

bool writesRemote(Action a)
{
    return a == Action::Send || a == Action::Conflict || a == Action::Fold || a == Action::DeleteRemote;
}

// The local lines, then the server's lines the local text lacks.
QString mergeTexts(const QString& local, const QString& server)
{
    QStringList lines = local.split(QLatin1Char('\n'));
    const QSet<QString> have(lines.cbegin(), lines.cend());
    for (const QString& line : server.split(QLatin1Char('\n')))
        if (!have.contains(line) && !line.trimmed().isEmpty())
            lines.append(line);
    return lines.join(QLatin1Char('\n'));
}

// As the import writes an event's lines: those the day does not hold yet go on
// top, in order; a day that holds them all stays as it is.
QString foldLines(const QString& text, const QStringList& lines)
{
    QSet<QString> held;
    for (const QString& l : text.split(QLatin1Char('\n')))
        held.insert(trimSpaces(l));
    QStringList added;
    for (const QString& l : lines) {
        const QString key = trimSpaces(l);
        if (key.isEmpty() || held.contains(key))
            continue;
        held.insert(key);
        added.append(l);
    }
    if (added.isEmpty())
        return text;
    return trimSpaces(text).isEmpty() ? added.join(QLatin1Char('\n')) : added.join(QLatin1Char('\n')) + QLatin1Char('\n') + text;
}

QString unstorable(const QString& text)
{
    return Cp949::encode(text).badCharacter;
}

// The first problem is the one named; the counts of what was done stay.
void fail(SyncOutcome& out, const SyncOutcome& why)
{
    if (out.ok() || out.problem == SyncProblem::Cancelled) {
        out.problem = why.problem;
        out.detail = why.detail;
        out.where = why.where;
        out.fingerprint = why.fingerprint;
    }
    out.midway = out.sent + out.fetched + out.deletedLocal + out.deletedRemote + out.conflicts + out.folded > 0;
}

} // namespace

int SyncPlan::count(SyncDay::Action action) const
{
    return int(std::count_if(days.cbegin(), days.cend(), [action](const SyncDay& d) { return d.action == action; }));
}

int SyncPlan::changes() const
{
    return int(std::count_if(days.cbegin(), days.cend(), [](const SyncDay& d) { return writesLocal(d.action) || writesRemote(d.action); }));
}

SyncEngine::SyncEngine(IFileSystem& fs, QString dataFolder, SyncAccount account, RunJournal* journal, bool korean, QDate today)
    : fs_(fs), dataFolder_(std::move(dataFolder)), account_(std::move(account)), journal_(journal), korean_(korean), today_(today)
{
    CalDavClient::Options o;
    o.user = account_.user;
    o.password = account_.password;
    o.pinnedSha256 = account_.pinnedSha256;
    o.timeoutMs = account_.timeoutMs;
    client_ = std::make_unique<CalDavClient>(o);
    client_->setCancelCheck([this] { return cancelled_; });
}

SyncEngine::~SyncEngine() = default;

SyncOutcome SyncEngine::fromReply(const DavReply& r, const QUrl& where) const
{
    SyncOutcome out;
    out.where = where.toDisplayString(QUrl::RemoveUserInfo);
    out.detail = r.detail;
    switch (r.error) {
    case DavError::None: break;
    case DavError::Unreachable: out.problem = SyncProblem::Unreachable; break;
    case DavError::Unauthorized: out.problem = SyncProblem::Unauthorized; break;
    case DavError::Untrusted:
        out.problem = SyncProblem::Untrusted;
        out.fingerprint = r.certificateSha;
        break;
    case DavError::Cancelled: out.problem = SyncProblem::Cancelled; break;
    case DavError::Protocol: out.problem = SyncProblem::Protocol; break;
    case DavError::NotFound: out.problem = SyncProblem::NoCalendar; break;
    case DavError::Precondition:
    case DavError::Server: out.problem = SyncProblem::ServerError; break;
    }
    return out;
}

SyncOutcome SyncEngine::calendars(QList<DavCalendar>& list)
{
    CalDavClient::Found found;
    DavReply r = client_->discover(account_.url, found);
    if (!r.ok())
        return fromReply(r, account_.url);
    if (found.calendar.isValid()) {
        list = {{found.calendar, found.calendar.fileName(), found.calendarSupportsSync}};
        return {};
    }
    r = client_->listCalendars(found.home, list);
    return fromReply(r, found.home);
}

SyncOutcome SyncEngine::findCalendar(bool make, QUrl& calendar)
{
    QUrl home;
    SyncOutcome out = locate(calendar, home);
    if (!out.ok() || calendar.isValid() || !make)
        return out;
    const DavReply r = client_->makeCalendar(home, kCalendarName, calendar);
    return fromReply(r, home);
}

SyncOutcome SyncEngine::locate(QUrl& calendar, QUrl& home)
{
    calendar = QUrl();
    if (account_.calendarUrl.isValid() && !account_.calendarUrl.isEmpty()) {
        calendar = account_.calendarUrl;
        return {};
    }
    CalDavClient::Found found;
    DavReply r = client_->discover(account_.url, found);
    if (!r.ok())
        return fromReply(r, account_.url);
    if (found.calendar.isValid()) {
        calendar = found.calendar;
        return {};
    }
    home = found.home;
    QList<DavCalendar> list;
    r = client_->listCalendars(home, list);
    if (!r.ok())
        return fromReply(r, home);
    for (const DavCalendar& c : std::as_const(list))
        if (c.name == kCalendarName)
            calendar = c.url;
    return {};
}

bool SyncEngine::openState(const QUrl& calendar, SyncOutcome& out, bool make)
{
    if (state_ && stateCalendar_ == calendar && !(make && stateInMemory_))
        return true;
    const QString folder = account_.stateFolder.isEmpty() ? SyncState::defaultFolder() : account_.stateFolder;
    const QString path = SyncState::fileFor(folder, calendar.toString(QUrl::RemoveUserInfo), account_.user);
    stateInMemory_ = !make && !QFileInfo::exists(path);
    state_ = std::make_unique<SyncState>(stateInMemory_ ? QStringLiteral(":memory:") : path);
    stateCalendar_ = calendar;
    if (state_->ok())
        return true;
    out.problem = SyncProblem::State;
    out.where = path;
    out.detail = state_->error();
    state_.reset();
    return false;
}

SyncEngine::Local SyncEngine::readLocal(const QDate& day, IoStatus* failure) const
{
    Local local;
    const QString path = DayFiles::dayFile(dataFolder_, day);
    if (!fs_.fileExists(path))
        return local;
    QByteArray bytes;
    IoStatus st = fs_.readAll(path, bytes);
    if (!st.ok) {
        *failure = st;
        return local;
    }
    local.text = DayFiles::joinLines(bytes);
    const bool blank = trimSpaces(*local.text).isEmpty();
    const QString companion = DayFiles::companionFile(dataFolder_, day);
    if (fs_.fileExists(companion)) {
        st = fs_.readAll(companion, bytes);
        if (!st.ok) {
            *failure = st;
            local.text.reset();
            return local;
        }
        local.done = DayFiles::joinLines(bytes);
    }
    // A blank day without finished items has no event, as in the export.
    if (blank && !local.done)
        local.text.reset();
    return local;
}

QList<QDate> SyncEngine::localDays() const
{
    static const QRegularExpression month(QStringLiteral("^(\\d{4})_(\\d{1,2})$"));
    QList<QDate> days;
    QDir root(dataFolder_);
    for (const QString& folder : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QRegularExpressionMatch m = month.match(folder);
        if (!m.hasMatch())
            continue;
        const int year = m.captured(1).toInt(), mon = m.captured(2).toInt();
        const QString prefix = folder + QLatin1Char('.');
        for (const QString& file : QDir(root.filePath(folder)).entryList(QDir::Files)) {
            if (!file.startsWith(prefix))
                continue;
            bool ok = false;
            const int d = file.mid(prefix.size()).toInt(&ok);
            const QDate date(year, mon, ok ? d : 0);
            // "2004_3.05" is no day file of 5 March: the name must be the one Daybrook makes.
            if (date.isValid() && DayFiles::dayFile(QString(), date) == folder + QLatin1Char('/') + file)
                days.append(date);
        }
    }
    return days;
}

// Three ways: each side against the state of the last sync. A side whose
// digest equals the base did not change.
void SyncEngine::decide(SyncDay& day, const std::optional<QByteArray>& base, const std::optional<QString>& server,
                        bool serverSameAsBase) const
{
    const std::optional<QString> local = day.localText ? std::optional(dayContent(*day.localText, day.done ? &*day.done : nullptr))
                                                       : std::nullopt;
    auto digestOf = [](const std::optional<QString>& c) { return c ? std::optional(contentDigest(*c)) : std::nullopt; };
    const std::optional<QByteArray> localDigest = digestOf(local);
    const std::optional<QByteArray> serverDigest = serverSameAsBase ? base : digestOf(server);
    const bool localChanged = localDigest != base;
    const bool serverChanged = serverDigest != base;
    const QString* done = day.done ? &*day.done : nullptr;
    day.serverText = server ? std::optional(dayTextOf(*server, done)) : std::nullopt;
    day.resultText = day.localText;

    auto fetch = [&] {
        day.resultText = day.serverText;
        day.action = Action::Fetch;
    };
    if (!localChanged && !serverChanged) {
        day.action = serverSameAsBase || !server ? Action::Unchanged : Action::Record;
    } else if (localChanged && !serverChanged) {
        day.action = local ? Action::Send : (day.onServer ? Action::DeleteRemote : Action::Forget);
    } else if (!localChanged) {
        if (server)
            fetch();
        else {
            day.action = Action::DeleteLocal;
            day.resultText.reset();
        }
    } else if (!local && !server) {
        day.action = Action::Forget;
    } else if (!local) {
        fetch(); // deleted here, edited there: the edit wins
    } else if (!server) {
        day.action = Action::Send; // and the other way round
    } else if (localDigest == serverDigest) {
        day.action = Action::Record;
    } else {
        day.action = Action::Conflict;
        day.resultText = mergeTexts(*day.localText, *day.serverText);
    }
    if (writesLocal(day.action) && day.resultText) {
        day.badCharacter = unstorable(*day.resultText);
        if (!day.badCharacter.isEmpty())
            day.action = Action::Unstorable;
    }
}

QUrl SyncEngine::eventUrl(const QUrl& calendar, const SyncDay& day) const
{
    if (!day.href.isEmpty())
        return calendar.resolved(QUrl(day.href));
    QUrl url = calendar;
    QString path = url.path();
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    url.setPath(path + day.date.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral("-tunedesk.ics"));
    return url;
}

SyncOutcome SyncEngine::plan(SyncPlan& plan, const SyncProgress& progress)
{
    plan = SyncPlan();
    progress_ = progress;
    cancelled_ = false;
    QUrl home;
    SyncOutcome out = locate(plan.calendar, home);
    if (!out.ok())
        return out;
    const bool exists = plan.calendar.isValid();
    if (!exists) {
        plan.makeCalendar = true;
        plan.calendar = home;
        QString path = home.path();
        if (!path.endsWith(QLatin1Char('/')))
            path += QLatin1Char('/');
        plan.calendar.setPath(path + QStringLiteral("daybrook/"));
    }
    if (!openState(plan.calendar, out, false))
        return out;
    const QHash<QDate, DayState> state = exists ? state_->days() : QHash<QDate, DayState>();
    const QHash<QString, QByteArray> folded = state_->folded();

    // The server's side: what changed since the last sync (or everything).
    struct Seen {
        QString href;
        QByteArray etag;
    };
    QHash<QString, Seen> listed; // hrefKey -> as listed
    QSet<QString> removed;       // hrefKey
    bool full = true;
    if (exists) {
        // A collection that gave a token offers sync-collection: with nothing
        // changed, its one report is the whole conversation.
        const QString token = state.isEmpty() ? QString() : state_->token();
        bool sync = !token.isEmpty();
        DavReply r;
        if (!sync) {
            r = client_->supportsSync(plan.calendar, sync);
            if (!r.ok())
                return fromReply(r, plan.calendar);
        }
        if (sync) {
            DavChanges changes;
            r = client_->changesSince(plan.calendar, token, changes);
            if (!r.ok())
                return fromReply(r, plan.calendar);
            full = changes.full;
            plan.token = changes.token;
            for (const DavItem& i : std::as_const(changes.changed))
                listed.insert(hrefKey(i.href), {i.href, i.etag});
            for (const QString& h : std::as_const(changes.removed))
                removed.insert(hrefKey(h));
        } else {
            QList<DavItem> events;
            r = client_->listEvents(plan.calendar, events);
            if (!r.ok())
                return fromReply(r, plan.calendar);
            for (const DavItem& i : std::as_const(events))
                listed.insert(hrefKey(i.href), {i.href, i.etag});
        }
    }

    // Server days: nullopt content = known absent; sameAsBase = ETag unchanged.
    struct ServerDay {
        QString href;
        QByteArray etag;
        std::optional<QString> content;
        bool sameAsBase = false;
        bool retitled = false;
    };
    std::map<QDate, ServerDay> server;
    QHash<QString, QDate> stateByHref;
    for (auto it = state.cbegin(); it != state.cend(); ++it) {
        const QString key = hrefKey(it->href);
        stateByHref.insert(key, it.key());
        const bool gone = full ? !listed.contains(key) : removed.contains(key);
        if (gone)
            continue;
        const auto l = listed.constFind(key);
        if (l == listed.cend() || l->etag == it->etag)
            server[it.key()] = {it->href, it->etag, std::nullopt, true};
    }
    QStringList toFetch;
    for (auto it = listed.cbegin(); it != listed.cend(); ++it) {
        const auto s = stateByHref.constFind(it.key());
        if (s != stateByHref.cend() && state.value(*s).etag == it->etag)
            continue;
        if (folded.value(it.key()) == it->etag && !it->etag.isEmpty()) {
            plan.foreign.append({it->href, it->etag, QString(), {}, QString(), true});
            continue;
        }
        toFetch.append(it->href);
    }
    QList<DavItem> fetched;
    if (!toFetch.isEmpty()) {
        const DavReply r = client_->fetch(plan.calendar, toFetch, fetched);
        if (!r.ok())
            return fromReply(r, plan.calendar);
    }
    QList<ServerEvent> foreignEvents;
    QList<int> foreignAt; // where each of them is in plan.foreign
    for (const DavItem& item : std::as_const(fetched)) {
        ServerEvent ev = readEvent(item.data, today_, korean_);
        if (!ev.readable)
            continue;
        if (ev.ours()) {
            // One event a day: a second copy of a day's event elsewhere is left alone.
            const auto s = server.find(ev.day);
            if (s != server.end() && s->second.content && hrefKey(s->second.href) != hrefKey(item.href))
                continue;
            const auto st = state.constFind(ev.day);
            bool retitled = false;
            const QString content = eventContent(ev, st != state.cend() ? std::optional(*st) : std::nullopt, &retitled);
            server[ev.day] = {item.href, item.etag, content, false, retitled};
        } else {
            foreignAt.append(int(plan.foreign.size()));
            plan.foreign.append({item.href, item.etag, ev.summary, ev.entries.keys(), ev.problem, false});
            foreignEvents.append(ev);
        }
    }

    // Every day either side or the state knows of.
    QSet<QDate> dates(state.keyBegin(), state.keyEnd());
    for (const QDate& d : localDays())
        dates.insert(d);
    for (const auto& [d, s] : server)
        dates.insert(d);
    for (const ServerEvent& ev : std::as_const(foreignEvents))
        for (auto it = ev.entries.cbegin(); it != ev.entries.cend(); ++it)
            dates.insert(it.key());
    QList<QDate> sorted(dates.cbegin(), dates.cend());
    std::sort(sorted.begin(), sorted.end());

    std::map<QDate, SyncDay> days;
    for (const QDate& d : std::as_const(sorted)) {
        SyncDay day;
        day.date = d;
        IoStatus failure;
        const Local local = readLocal(d, &failure);
        if (!failure.ok) {
            out.problem = SyncProblem::LocalFiles;
            out.where = failure.path;
            out.detail = failure.reason;
            return out;
        }
        day.localText = local.text;
        day.done = local.done;
        const auto s = server.find(d);
        const auto st = state.constFind(d);
        std::optional<QByteArray> base = st != state.cend() ? std::optional(st->digest) : std::nullopt;
        std::optional<QString> content;
        bool same = false;
        if (s != server.end()) {
            day.onServer = true;
            day.href = s->second.href;
            day.etag = s->second.etag;
            content = s->second.content;
            same = s->second.sameAsBase;
        } else if (st != state.cend()) {
            day.href = st->href; // gone from the server: a new event goes where it was
        }
        decide(day, base, content, same);
        day.resend = day.action == Action::Fetch && s != server.end() && s->second.retitled;
        days[d] = day;
        if (progress_ && !progress_(0, 0)) {
            out.problem = SyncProblem::Cancelled;
            return out;
        }
    }

    // Another client's events join their days as the import writes them, on top.
    for (qsizetype i = 0; i < foreignEvents.size(); ++i) {
        ForeignEvent& f = plan.foreign[foreignAt[i]];
        const ServerEvent& ev = foreignEvents[i];
        if (!f.problem.isEmpty() || f.days.isEmpty())
            continue;
        for (auto it = ev.entries.cbegin(); it != ev.entries.cend(); ++it) {
            SyncDay& day = days[it.key()];
            if (day.action == Action::Unstorable) {
                f.problem = day.badCharacter;
                continue;
            }
            const QString text = foldLines(day.resultText.value_or(QString()), it.value());
            day.folded.append(f.summary);
            if (day.resultText && text == *day.resultText && !writesLocal(day.action) && day.action != Action::Send)
                continue; // already there
            day.resultText = text;
            day.action = Action::Fold;
        }
    }
    for (auto& [d, day] : days)
        if (day.action != Action::Unchanged)
            plan.days.append(day);
    return out;
}

SyncOutcome SyncEngine::execute(const SyncPlan& plan, const SyncProgress& progress)
{
    progress_ = progress;
    cancelled_ = false;
    SyncOutcome out;
    std::optional<JournalLock> lock;
    if (journal_) {
        lock.emplace(journal_->folder());
        if (!lock->held()) {
            out.problem = SyncProblem::Busy;
            out.where = lock->status().path;
            out.detail = lock->status().reason;
            return out;
        }
    }
    if (plan.makeCalendar) {
        QUrl made;
        const DavReply r = client_->makeCalendar(plan.calendar.resolved(QUrl(QStringLiteral(".."))), kCalendarName, made);
        if (!r.ok())
            return fromReply(r, plan.calendar);
    }
    if (!openState(plan.calendar, out, true))
        return out;
    total_ = plan.changes() + int(plan.foreign.size());
    foreign_ = &plan.foreign;
    done_ = 0;
    QList<SyncDay> round = plan.days;
    for (int attempt = 0; attempt <= kRetryRounds && !round.isEmpty(); ++attempt) {
        QList<SyncDay> again;
        if (!apply(plan.calendar, round, again, out))
            break;
        if (again.isEmpty())
            break;
        // 412: the event changed since it was read. Read it again and decide again.
        if (!refetch(plan.calendar, again, out))
            break;
        round = again;
    }
    if (out.ok())
        deleteFolded(plan, out);
    // Days left alone stay in the changes the next sync is told of, so its plan shows them again.
    const bool leftAlone = plan.count(Action::Unstorable) > 0;
    if (out.ok() && out.failedDays == 0 && !leftAlone && !state_->setToken(plan.token)) {
        out.problem = SyncProblem::State;
        out.detail = state_->error();
    }
    state_->commit();
    return out;
}

DayPlan SyncEngine::localChanges(const SyncPlan& plan) const
{
    QHash<QDate, QString> after;
    QList<QDate> dates;
    for (const SyncDay& d : plan.days)
        if (writesLocal(d.action)) {
            dates.append(d.date);
            after.insert(d.date, d.resultText.value_or(QString()));
        }
    return planDays(fs_, dataFolder_, dates, [after](const QDate& d, const QString&) { return after.value(d); });
}

bool SyncEngine::tick(SyncOutcome& out)
{
    ++done_;
    if (progress_ && !progress_(done_, total_))
        cancelled_ = true;
    if (cancelled_ && out.ok())
        out.problem = SyncProblem::Cancelled;
    return !cancelled_;
}

bool SyncEngine::apply(const QUrl& calendar, QList<SyncDay>& days, QList<SyncDay>& again, SyncOutcome& out)
{
    // The day files first, as one journaled run. A day changed since the plan
    // read it is left for the next sync.
    QHash<QDate, int> byDate;
    QList<QDate> local;
    for (int i = 0; i < days.size(); ++i) {
        byDate.insert(days[i].date, i);
        if (writesLocal(days[i].action))
            local.append(days[i].date);
    }
    QSet<QDate> skipped;
    state_->begin();
    if (!local.isEmpty()) {
        const DayPlan dayPlan = planDays(fs_, dataFolder_, local, [&](const QDate& d, const QString& text) {
            const SyncDay& day = days[byDate.value(d)];
            if (text != day.localText.value_or(QString())) {
                skipped.insert(d);
                return text;
            }
            return day.resultText.value_or(QString());
        });
        RunLabel label{QString::fromLatin1(kJournalKind), local.first(), local.last(), calendar.toDisplayString(QUrl::RemoveUserInfo)};
        const DayRunResult run = executePlan(fs_, dataFolder_, dayPlan, journal_, label);
        if (!run.journalFailure.ok) {
            out.problem = SyncProblem::Journal;
            out.where = run.journalFailure.path;
            out.detail = run.journalFailure.reason;
            return false;
        }
        // What is on disk now says which days were written.
        QSet<QDate> failed;
        for (const QDate& d : std::as_const(local))
            failed.insert(d);
        for (const DayChange& c : dayPlan.days) {
            QByteArray bytes;
            const bool there = fs_.fileExists(c.path) && fs_.readAll(c.path, bytes).ok;
            if (c.after ? (there && bytes == *c.after) : !there)
                failed.remove(c.date);
        }
        for (const QDate& d : std::as_const(skipped))
            failed.remove(d);
        out.failedDays += int(failed.size());
        if (!failed.isEmpty() && out.ok()) {
            out.problem = SyncProblem::LocalFiles;
            out.where = run.firstFailure.isEmpty() ? dayPlan.firstFailure : run.firstFailure;
            out.detail = run.firstReason.isEmpty() ? dayPlan.firstReason : run.firstReason;
        }
        for (const QDate& d : failed)
            skipped.insert(d);
    }
    for (SyncDay& day : days) {
        if (skipped.contains(day.date))
            continue;
        const QString* done = day.done ? &*day.done : nullptr;
        switch (day.action) {
        case Action::Fetch:
            state_->put(day.date, DayState::of(day.href, day.etag, dayContent(*day.resultText, done)));
            ++out.fetched;
            break;
        case Action::DeleteLocal:
        case Action::Forget:
            state_->remove(day.date);
            out.deletedLocal += day.action == Action::DeleteLocal;
            break;
        case Action::Record:
            state_->put(day.date, DayState::of(day.href, day.etag, dayContent(day.localText.value_or(QString()), done)));
            break;
        default: break;
        }
        if (writesLocal(day.action) && !writesRemote(day.action) && !tick(out))
            break;
    }
    // A foreign event is folded once every day it lands on holds it on disk.
    for (const ForeignEvent& f : *foreign_) {
        const bool landed = std::none_of(f.days.cbegin(), f.days.cend(), [&](const QDate& d) {
            return skipped.contains(d) || !byDate.contains(d) || !writesLocal(days[byDate.value(d)].action);
        });
        if (f.problem.isEmpty() && !f.alreadyFolded && !f.days.isEmpty() && landed)
            state_->setFolded(hrefKey(f.href), f.etag);
    }
    state_->commit();
    if (cancelled_)
        return false;

    // Then the server, with preconditions, the state kept per day as each reply comes in.
    QList<CalDavClient::Write> writes;
    QList<int> dayOf;
    const QDateTime stamp = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < days.size(); ++i) {
        const SyncDay& day = days[i];
        if (skipped.contains(day.date) || !(writesRemote(day.action) || day.resend))
            continue;
        CalDavClient::Write w;
        w.url = eventUrl(calendar, day);
        w.etag = day.onServer ? day.etag : QByteArray();
        if (day.action == Action::DeleteRemote) {
            w.kind = CalDavClient::Write::Delete;
        } else {
            w.body = dayEvent(day.date, day.resultText.value_or(QString()), day.done ? &*day.done : nullptr, stamp);
        }
        writes.append(w);
        dayOf.append(i);
    }
    if (writes.isEmpty())
        return out.ok();
    int sinceCommit = 0;
    state_->begin();
    const DavReply first = client_->write(writes, [&](int w, const DavReply& r) {
        SyncDay& day = days[dayOf[w]];
        const bool put = writes[w].kind == CalDavClient::Write::Put;
        if (r.ok() || (!put && r.error == DavError::NotFound)) {
            if (put) {
                const QString href = writes[w].url.path(QUrl::FullyEncoded);
                const QString* done = day.done ? &*day.done : nullptr;
                state_->put(day.date, DayState::of(href, r.etag, dayContent(day.resultText.value_or(QString()), done)));
                day.action == Action::Conflict ? ++out.conflicts : day.action == Action::Fold ? ++out.folded
                                                                                              : ++out.sent;
            } else {
                state_->remove(day.date);
                ++out.deletedRemote;
            }
            if (++sinceCommit >= kCommitEvery) {
                state_->commit();
                state_->begin();
                sinceCommit = 0;
            }
        } else if (r.error == DavError::Precondition || r.error == DavError::NotFound) {
            day.href = writes[w].url.path(QUrl::FullyEncoded);
            again.append(day);
        }
        tick(out);
    });
    state_->commit();
    if (!first.ok()) {
        fail(out, fromReply(first, calendar));
        return false;
    }
    return out.ok();
}

bool SyncEngine::refetch(const QUrl& calendar, QList<SyncDay>& days, SyncOutcome& out)
{
    QStringList hrefs;
    for (const SyncDay& d : std::as_const(days))
        hrefs.append(d.href);
    QList<DavItem> fetched;
    const DavReply r = client_->fetch(calendar, hrefs, fetched);
    if (!r.ok()) {
        fail(out, fromReply(r, calendar));
        return false;
    }
    QHash<QString, DavItem> byHref;
    for (const DavItem& i : std::as_const(fetched))
        byHref.insert(hrefKey(i.href), i);
    const QHash<QDate, DayState> state = state_->days();
    for (SyncDay& day : days) {
        IoStatus failure;
        const Local local = readLocal(day.date, &failure);
        day.localText = local.text;
        day.done = local.done;
        const auto it = byHref.constFind(hrefKey(day.href));
        std::optional<QString> content;
        const auto st = state.constFind(day.date);
        day.onServer = it != byHref.cend();
        if (day.onServer) {
            const ServerEvent ev = readEvent(it->data, today_, korean_);
            day.etag = it->etag;
            bool retitled = false;
            if (ev.ours() && ev.day == day.date)
                content = eventContent(ev, st != state.cend() ? std::optional(*st) : std::nullopt, &retitled);
        }
        day.folded.clear();
        decide(day, st != state.cend() ? std::optional(st->digest) : std::nullopt, content, false);
    }
    return true;
}

void SyncEngine::deleteFolded(const SyncPlan& plan, SyncOutcome& out)
{
    // A foreign event goes once every day it landed on holds it, here and on the server.
    QList<CalDavClient::Write> writes;
    QList<QString> hrefs;
    const QHash<QString, QByteArray> folded = state_->folded();
    for (const ForeignEvent& f : plan.foreign) {
        if (folded.value(hrefKey(f.href)) != f.etag)
            continue;
        CalDavClient::Write w;
        w.kind = CalDavClient::Write::Delete;
        w.url = plan.calendar.resolved(QUrl(f.href));
        w.etag = f.etag;
        writes.append(w);
        hrefs.append(f.href);
    }
    if (writes.isEmpty())
        return;
    const DavReply first = client_->write(writes, [&](int i, const DavReply& r) {
        if (r.ok() || r.error == DavError::NotFound)
            state_->forgetFolded(hrefKey(hrefs[i]));
        tick(out);
    });
    if (!first.ok())
        fail(out, fromReply(first, plan.calendar));
}

} // namespace td::sync
