#include "Commands.h"

#include "days/DayEntry.h"
#include "days/DayFiles.h"
#include "days/RunJournal.h"
#include "days/RunMessages.h"
#include "export/ExportRun.h"
#include "export/XlsxServer.h"
#include "holidays/HolidayFile.h"
#include "holidays/LunarCalendar.h"
#include "platform/Paths.h"
#include "platform/StoreKeys.h"
#include "settings/SettingsJournal.h"
#include "sync/PasswordFile.h"
#include "sync/SyncEngine.h"
#include "sync/SyncSettings.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace td::cli {

namespace {

QString say(bool korean, const QString& ko, const QString& en) { return korean ? ko : en; }

void usageError(CommandContext& c, const QString& text)
{
    c.err(QStringLiteral("tunedesk: ") + text);
    c.err(c.line.usageText().chopped(1));
}

// "2004-01" or "2004-1": the year and month texts, as the window's lists give them.
bool splitMonth(const QString& text, QString& year, QString& month)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]{4})-([0-9]{1,2})$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return false;
    year = m.captured(1);
    month = QString::number(m.captured(2).toInt());
    return true;
}

// The range of --from and --to; the window's range message when the end lies
// before the start. fallback (when given) stands for both options missing.
std::optional<ExportRange> chosenRange(CommandContext& c, const std::optional<ExportRange>& fallback)
{
    const bool from = c.line.isSet(QStringLiteral("from")), to = c.line.isSet(QStringLiteral("to"));
    if (!from && !to && fallback)
        return fallback;
    if (!from || !to) {
        usageError(c, say(c.korean, QStringLiteral("--from과 --to가 함께 있어야 합니다"), QStringLiteral("--from and --to go together")));
        return std::nullopt;
    }
    QString y0, m0, y1, m1;
    for (const auto& [name, year, month] : {std::tuple{QStringLiteral("from"), &y0, &m0}, std::tuple{QStringLiteral("to"), &y1, &m1}}) {
        if (!splitMonth(c.line.value(name), *year, *month)) {
            usageError(c, say(c.korean, QStringLiteral("--%1의 달은 년-월 꼴입니다 (예: 2004-01): %2"),
                              QStringLiteral("--%1 takes a month as year-month (e.g. 2004-01): %2"))
                              .arg(name, c.line.value(name)));
            return std::nullopt;
        }
    }
    const std::optional<ExportRange> range = exportRange(y0, m0, y1, m1);
    if (!range)
        c.err(ScheduleMessages::wrongDate(c.korean));
    return range;
}

int exportCommand(CommandContext& c)
{
    const std::optional<ExportRange> range = chosenRange(c, std::nullopt);
    if (!range)
        return kUsage;
    const QString chosen = QFileInfo(c.line.arguments().first()).absoluteFilePath();
    const bool calendar = isCalendarFileName(chosen);
    if (c.line.isSet(QStringLiteral("holidays")) && !calendar) {
        usageError(c, say(c.korean, QStringLiteral("--holidays는 .ics 파일에만 씁니다"), QStringLiteral("--holidays is for an .ics file only")));
        return kUsage;
    }
    const QString target = calendar ? chosen : workbookFileName(chosen);
    const QString dataFolder = c.dataFolder();
    ExportOutcome outcome;
    if (calendar) {
        QStringList entries;
        if (c.line.isSet(QStringLiteral("holidays")))
            entries = HolidayFile::load(c.fs, joinPath(c.daybrookFolder, QStringLiteral("Holiday.dat")));
        const ics::LunarToSolar lunar = [](int year, int month, int day) { return lunarToSolar(year, month, day); };
        outcome = exportCalendarFile(c.fs, dataFolder, *range, target, c.line.isSet(QStringLiteral("holidays")) ? &entries : nullptr,
                                     lunar, c.now, c.progress);
    } else {
        xl::XlsxServer server(c.fs, {});
        outcome = exportWorkbook(c.fs, dataFolder, *range, target, QLocale(), &server, false, c.progress);
    }
    c.err(exportMessage(c.korean, outcome));
    if (!outcome.saved)
        return kFailure;
    c.out(say(c.korean, QStringLiteral("%1일을 내보냄: %2"), QStringLiteral("exported %1 day(s) to %2")).arg(outcome.rows).arg(target));
    return outcome.unread > 0 ? kFailure : kSuccess;
}

int importCommand(CommandContext& c)
{
    // Without a range, the months the window's lists offer.
    const QDate first(2000, 1, 1), last(std::max(2000, c.today.year() + 10), 12, 31);
    const std::optional<ExportRange> range = chosenRange(c, ExportRange{first, last, int(first.daysTo(last))});
    if (!range)
        return kUsage;
    const QString path = QFileInfo(c.line.arguments().first()).absoluteFilePath();
    const QString dataFolder = c.dataFolder();
    const ImportPlan planned = planCalendarImport(c.fs, path, dataFolder, *range, c.korean);
    if (!planned.ok()) {
        c.err(planned.error);
        return kFailure;
    }
    const DayPlan& plan = planned.plan;
    if (c.line.isSet(QStringLiteral("dry-run"))) {
        // The preview as text: date, what happens to the file, the text after.
        for (const DayChange& d : plan.days) {
            const QString after = d.after ? DayFiles::joinLines(*d.after).replace(QLatin1Char('\n'), QStringLiteral(" ↵ ")) : QString();
            c.out(d.date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('\t') + RunMessages::changeKind(c.korean, d.kind())
                  + QLatin1Char('\t') + after);
        }
        c.err(RunMessages::previewSummary(c.korean, plan));
        if (!planned.notes.isEmpty())
            c.err(planned.notes);
        return kSuccess;
    }
    // No preview to read them in: what the import leaves out is said before it runs.
    if (!planned.notes.isEmpty())
        c.err(planned.notes);
    // The run takes the journal's lock, as the window's runs do: a run or undo of
    // a window or another command at the same time is told, and nothing is written.
    std::optional<RunJournal> journal;
    if (!c.journalFolder.isEmpty())
        journal.emplace(c.journalFolder);
    const qsizetype days = plan.days.size();
    const DayRunResult result = executePlan(c.fs, dataFolder, plan, journal ? &*journal : nullptr, importLabel(path, *range), [&](int i) {
        if (c.progress)
            c.progress(int(double(i + 1) / double(days) * 100.0));
    });
    if (result.busy || !result.journalFailure.ok) {
        c.err(result.busy ? RunMessages::journalBusy(c.korean, result.journalFailure)
                          : RunMessages::journalNotWritten(c.korean, result.journalFailure));
        return kFailure;
    }
    c.err(result.ok() ? ScheduleMessages::completed(c.korean)
                      : ScheduleMessages::failed(c.korean, result.failedDays, result.firstFailure, result.firstReason));
    c.out(say(c.korean, QStringLiteral("%1일의 날짜 파일을 바꿈: %2"), QStringLiteral("changed %1 day file(s) in %2"))
              .arg(result.changedDays)
              .arg(dataFolder));
    return result.ok() ? kSuccess : kFailure;
}

const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QString runMark(bool korean) { return say(korean, QStringLiteral("실행"), QStringLiteral("run")); }

QString runText(bool korean, const Journal& j)
{
    return RunMessages::runKind(korean, j.label.kind) + QLatin1Char('\t') + j.label.first.toString(Qt::ISODate)
           + QStringLiteral("..") + j.label.last.toString(Qt::ISODate) + QLatin1Char('\t') + j.label.entry;
}

// A settings write put back from here, with the window's message.
int undoSettings(CommandContext& c)
{
    // The open window holds the settings in its controls: its OK would write them
    // back over what undo restores. There, "Undo settings" on its page does it.
    if (c.instance && !c.instance->tryAcquire()) {
        c.err(say(c.korean, QStringLiteral("Tunedesk 창이 열려 있어 설정을 되돌리지 않았습니다. 창의 기타설정에서 \"%1\" 단추를 누르십시오."),
                  QStringLiteral("A Tunedesk window is open, so no settings were undone: use \"%1\" on its Misc. page."))
                  .arg(SettingsMessages::button(c.korean)));
        return kFailure;
    }
    const SettingsUndo u = SettingsJournal(c.fs, c.journalFolder).undoLast();
    c.err(SettingsMessages::undone(c.korean, u));
    if (u.status != SettingsUndo::Status::Done)
        return kFailure;
    c.out(say(c.korean, QStringLiteral("되돌림: 설정\t%1\t%2\t파일 %3개 복원"), QStringLiteral("undone: settings\t%1\t%2\t%3 file(s) restored"))
              .arg(SettingsMessages::kindName(c.korean, u.record.kind), u.record.made.toLocalTime().toString(kTimeFormat))
              .arg(u.restored.size()));
    return u.failed.isEmpty() ? kSuccess : kFailure;
}

int undoRun(CommandContext& c, RunJournal& journal)
{
    const UndoResult result = undoLast(c.fs, journal, c.dataFolder());
    switch (result.status) {
    case UndoResult::Status::NothingToUndo:
        c.err(RunMessages::nothingToUndo(c.korean));
        return kFailure;
    case UndoResult::Status::Refused:
        c.err(RunMessages::journalRefused(c.korean, result));
        return kFailure;
    case UndoResult::Status::Busy:
        c.err(RunMessages::journalBusy(c.korean, result.busy));
        return kFailure;
    case UndoResult::Status::Done:
        break;
    }
    c.err(RunMessages::undone(c.korean, result));
    // "undone" only when every day is as before; otherwise how many are back and how many not.
    const QString line = result.notBack() == 0
                             ? say(c.korean, QStringLiteral("되돌림: %1\t%2..%3\t%4\t%5일 복원"), QStringLiteral("undone: %1\t%2..%3\t%4\t%5 day(s) restored"))
                             : say(c.korean, QStringLiteral("일부 되돌림: %1\t%2..%3\t%4\t%5일 복원, %6일 남음"), QStringLiteral("undone in part: %1\t%2..%3\t%4\t%5 day(s) restored, %6 not"));
    QString text = line.arg(RunMessages::runKind(c.korean, result.label.kind), result.label.first.toString(Qt::ISODate),
                            result.label.last.toString(Qt::ISODate), result.label.entry)
                       .arg(result.restoredDays);
    c.out(result.notBack() == 0 ? text : text.arg(result.notBack()));
    // A day left because it changed since is what Undo is for; one it could not read or write is a failure.
    return result.failed.isEmpty() && result.unreadable.isEmpty() ? kSuccess : kFailure;
}

// Undo takes back the newest journaled write of either kind: a run of this data
// folder or a settings write, by the time each was made.
int undoCommand(CommandContext& c)
{
    if (c.journalFolder.isEmpty()) {
        c.err(RunMessages::nothingToUndo(c.korean));
        return kFailure;
    }
    RunJournal runs(c.journalFolder);
    const SettingsJournal settings(c.fs, c.journalFolder);
    auto runMade = [](const QString& file) {
        const std::optional<Journal> j = RunJournal::readHeader(file, nullptr);
        return j ? j->made : QFileInfo(file).lastModified().toUTC();
    };
    if (c.line.isSet(QStringLiteral("list"))) {
        // Newest first, as undo takes them, each marked with its kind.
        QList<std::pair<QDateTime, QString>> lines;
        for (const QString& file : runs.files()) {
            const std::optional<Journal> j = RunJournal::readHeader(file, nullptr);
            lines.append({runMade(file), j ? j->made.toLocalTime().toString(kTimeFormat) + QLatin1Char('\t') + runMark(c.korean) + QLatin1Char('\t')
                                                 + runText(c.korean, *j) + QLatin1Char('\t') + j->dataFolder
                                           : RunMessages::undoTipUnreadable(c.korean, file)});
        }
        for (const QString& file : settings.files()) {
            QFile f(file);
            const std::optional<SettingsRecord> r = f.open(QIODevice::ReadOnly) ? SettingsJournal::decode(f.readAll(), nullptr) : std::nullopt;
            QStringList names;
            if (r)
                for (const SettingsFile& s : r->files)
                    names << s.path;
            lines.append({SettingsMessages::made(file),
                          r ? r->made.toLocalTime().toString(kTimeFormat) + QLatin1Char('\t') + say(c.korean, QStringLiteral("설정"), QStringLiteral("settings"))
                                  + QLatin1Char('\t') + SettingsMessages::kindName(c.korean, r->kind) + QLatin1Char('\t') + names.join(QLatin1Char(' '))
                            : SettingsMessages::tip(c.korean, file)});
        }
        std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
        if (lines.isEmpty())
            c.err(RunMessages::nothingToUndo(c.korean));
        for (const auto& line : lines)
            c.out(line.second);
        return kSuccess;
    }
    const QString newestRun = runs.newestFor(c.dataFolder());
    const QString newestSettings = settings.files().value(0);
    if (!newestSettings.isEmpty() && (newestRun.isEmpty() || SettingsMessages::made(newestSettings) > runMade(newestRun)))
        return undoSettings(c);
    return undoRun(c, runs);
}

int syncCommand(CommandContext& c)
{
    const sync::SyncSettings saved = c.syncStore ? sync::SyncSettings::load(*c.syncStore) : sync::SyncSettings();
    const bool urlGiven = c.line.isSet(QStringLiteral("url"));
    const QString urlText = urlGiven ? c.line.value(QStringLiteral("url")) : saved.url;
    if (urlText.isEmpty()) {
        c.err(say(c.korean, QStringLiteral("동기화할 계정이 없습니다. 동기화 페이지에서 계정을 정하거나 --url을 주십시오."),
                  QStringLiteral("No account to sync with: set one up on the Sync page, or give --url.")));
        return kFailure;
    }
    const QUrl url(urlText, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))) {
        const QString text = say(c.korean, QStringLiteral("URL은 http:// 나 https:// 로 시작해야 합니다: %1"),
                                 QStringLiteral("The URL must be an http:// or https:// address: %1"))
                                 .arg(urlText);
        if (!urlGiven) {
            c.err(text);
            return kFailure;
        }
        usageError(c, text);
        return kUsage;
    }
    sync::SyncAccount account;
    account.url = url;
    account.user = c.line.isSet(QStringLiteral("user")) ? c.line.value(QStringLiteral("user")) : saved.user;
    // The calendar and the pinned certificate chosen on the page belong to its server.
    if (urlText == saved.url) {
        account.calendarUrl = QUrl(saved.calendar);
        account.pinnedSha256 = saved.pinnedSha256;
    }
    if (c.line.isSet(QStringLiteral("password-file"))) {
        QString message;
        if (!sync::PasswordFile::read(c.line.value(QStringLiteral("password-file")), account.password, message, c.korean)) {
            c.err(message);
            return kFailure;
        }
    } else if (c.keyring) {
        // No password kept: a server that asks for one says so (401).
        QString why;
        if (c.keyring->read(sync::keyringAccount(account.user, urlText), account.password, why) == sync::IKeyring::Status::Unavailable) {
            c.err(say(c.korean, QStringLiteral("키링에서 암호를 읽을 수 없습니다 (%1). --password-file로 암호 파일을 주십시오."),
                      QStringLiteral("The password cannot be read from the keyring (%1); give --password-file."))
                      .arg(why));
            return kFailure;
        }
    }
    const bool dryRun = c.line.isSet(QStringLiteral("dry-run"));
    std::optional<RunJournal> journal;
    if (!dryRun && !c.journalFolder.isEmpty())
        journal.emplace(c.journalFolder);
    sync::SyncEngine engine(c.fs, c.dataFolder(), account, journal ? &*journal : nullptr, c.korean, c.today);
    sync::SyncPlan plan;
    sync::SyncOutcome out = engine.plan(plan);
    if (out.ok() && dryRun) {
        c.out(sync::formatPlan(plan, c.korean).chopped(1));
        return kSuccess;
    }
    if (out.ok())
        out = engine.execute(plan, [&c](int done, int total) {
            if (c.progress && total > 0)
                c.progress(done * 100 / total);
            return true;
        });
    c.err(sync::syncMessage(out, c.korean));
    if (!out.ok())
        return kFailure;
    c.out(say(c.korean, QStringLiteral("동기화함: %1	보냄 %2, 받음 %3, 여기서 지움 %4, 서버에서 지움 %5, 충돌 %6, 합친 일정 %7"),
              QStringLiteral("synced: %1	sent %2, fetched %3, deleted here %4, deleted on the server %5, conflicts %6, folded %7"))
              .arg(plan.calendar.toDisplayString(QUrl::RemoveUserInfo))
              .arg(out.sent)
              .arg(out.fetched)
              .arg(out.deletedLocal)
              .arg(out.deletedRemote)
              .arg(out.conflicts)
              .arg(out.folded));
    return kSuccess;
}

} // namespace

QString CommandContext::dataFolder() const
{
    if (line.isSet(QStringLiteral("data-folder")))
        return withSeparator(line.value(QStringLiteral("data-folder")));
    const QString stored = store.get(keys::kDataFolder, QString());
    return stored.isEmpty() ? withSeparator(daybrookFolder) : stored;
}

const QList<Command>& commands()
{
    static const QList<Command> list = {
        {QStringLiteral("export"), QStringLiteral("export --from Y-M --to Y-M [--holidays] [--data-folder DIR] FILE"), QStringLiteral("달들의 날짜 자료를 통합 문서(.xlsx)나 iCalendar 파일(.ics)로 내보냅니다"), QStringLiteral("export months of day notes to a workbook (.xlsx) or an iCalendar file (.ics)"), {QStringLiteral("from"), QStringLiteral("to"), QStringLiteral("holidays"), QStringLiteral("data-folder")}, 1, 1, exportCommand},
        {QStringLiteral("import"), QStringLiteral("import [--from Y-M --to Y-M] [--dry-run] [--data-folder DIR] FILE.ics"), QStringLiteral("iCalendar 파일의 일정을 날짜 파일에 넣습니다 (되돌리기 가능)"), QStringLiteral("bring the events of an iCalendar file into the day files (can be undone)"), {QStringLiteral("from"), QStringLiteral("to"), QStringLiteral("dry-run"), QStringLiteral("data-folder")}, 1, 1, importCommand},
        {QStringLiteral("undo"), QStringLiteral("undo [--list] [--data-folder DIR]"), QStringLiteral("마지막으로 기록된 실행이나 설정 저장을 되돌립니다; --list는 기록을 보입니다"), QStringLiteral("undo the newest journaled run or settings write; --list shows the journal"), {QStringLiteral("list"), QStringLiteral("data-folder")}, 0, 0, undoCommand},
        {QStringLiteral("sync"), QStringLiteral("sync [--url URL] [--user NAME] [--password-file FILE] [--data-folder DIR] [--dry-run]"), QStringLiteral("날짜 메모를 CalDAV 달력과 양방향으로 동기화합니다 (되돌리기 가능)"), QStringLiteral("sync the day notes both ways with a CalDAV calendar (can be undone)"), {QStringLiteral("url"), QStringLiteral("user"), QStringLiteral("password-file"), QStringLiteral("dry-run"), QStringLiteral("data-folder")}, 0, 0, syncCommand},
    };
    return list;
}

int runCommand(CommandContext& context)
{
    return context.line.command() ? context.line.command()->run(context) : kUsage;
}

} // namespace td::cli
