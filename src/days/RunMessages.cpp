#include "RunMessages.h"

#include "DayEntry.h"

#include <QLocale>

namespace td {
namespace {

// A lone CR breaks the line in the message box.
const QString kBreak = QStringLiteral("\r");
constexpr int kNamed = 10; // day files named in a message; the rest are counted

QString dateText(const QDate& d) { return d.toString(QStringLiteral("yyyy-MM-dd")); }

// The first paths of a list on lines of their own, the rest counted.
QString namedPaths(bool korean, const QStringList& paths)
{
    QString text;
    for (const QString& path : paths.first(std::min<qsizetype>(kNamed, paths.size())))
        text += kBreak + path;
    if (paths.size() > kNamed)
        text += kBreak + (korean ? QStringLiteral("외 %1개") : QStringLiteral("and %1 more")).arg(paths.size() - kNamed);
    return text;
}

// The first failures, each with its reason, the rest counted.
QString namedFailures(bool korean, const QList<IoStatus>& failures)
{
    QStringList lines;
    for (const IoStatus& st : failures.first(std::min<qsizetype>(kNamed, failures.size())))
        lines << st.path + QStringLiteral(": ") + st.reason;
    QString text = namedPaths(korean, lines);
    if (failures.size() > kNamed)
        text += kBreak + (korean ? QStringLiteral("외 %1개") : QStringLiteral("and %1 more")).arg(failures.size() - kNamed);
    return text;
}

} // namespace

QString RunMessages::preview(bool korean) { return korean ? QStringLiteral("미리보기") : QStringLiteral("Preview"); }

QString RunMessages::undo(bool korean) { return korean ? QStringLiteral("되돌리기") : QStringLiteral("Undo"); }

QString RunMessages::close(bool korean) { return korean ? QStringLiteral("닫기") : QStringLiteral("Close"); }

QString RunMessages::changeKind(bool korean, DayChange::Kind kind)
{
    switch (kind) {
    case DayChange::Kind::New: return korean ? QStringLiteral("새로 만듦") : QStringLiteral("New");
    case DayChange::Kind::Changed: return korean ? QStringLiteral("바뀜") : QStringLiteral("Changed");
    case DayChange::Kind::Deleted: return korean ? QStringLiteral("지움") : QStringLiteral("Deleted");
    case DayChange::Kind::Failed: return korean ? QStringLiteral("실패") : QStringLiteral("Fails");
    case DayChange::Kind::Unchanged: break;
    }
    return korean ? QStringLiteral("그대로") : QStringLiteral("Unchanged");
}

QStringList RunMessages::previewColumns(bool korean)
{
    return korean ? QStringList{QStringLiteral("날짜"), QStringLiteral("변경"), QStringLiteral("이전 내용"), QStringLiteral("이후 내용")}
                  : QStringList{QStringLiteral("Date"), QStringLiteral("Change"), QStringLiteral("Before"), QStringLiteral("After")};
}

QString RunMessages::previewSummary(bool korean, const DayPlan& plan)
{
    using K = DayChange::Kind;
    QString text = korean ? QStringLiteral("새로 만듦 %1일, 바뀜 %2일, 지움 %3일, 그대로 %4일")
                          : QStringLiteral("New %1, changed %2, deleted %3, unchanged %4");
    text = text.arg(plan.count(K::New)).arg(plan.count(K::Changed)).arg(plan.count(K::Deleted)).arg(plan.count(K::Unchanged));
    if (plan.failedDays > 0) {
        const QString failed = korean ? QStringLiteral("읽거나 쓸 수 없는 날 %1일, 첫 실패: %2 (%3)")
                                      : QStringLiteral("%1 day(s) cannot be read or stored; first: %2 (%3)");
        text += kBreak + failed.arg(plan.failedDays).arg(plan.firstFailure, plan.firstReason);
    }
    return text;
}

QString RunMessages::runKind(bool korean, const QString& kind)
{
    struct Name {
        const char* kind;
        const char* korean;
        const char* english;
    };
    static const Name names[] = {
        {"regular-register", "일정 등록", "Plan registered"},
        {"regular-remove", "일정 삭제", "Plan removed"},
        {"dday-register", "D-Day 등록", "D-Day registered"},
        {"dday-remove", "D-Day 삭제", "D-Day removed"},
        {"ics-import", "ICS 가져오기", "ICS imported"},
        {"caldav-sync", "CalDAV 동기화", "CalDAV sync"},
    };
    for (const Name& n : names) {
        if (kind == QLatin1String(n.kind))
            return QString::fromUtf8(korean ? n.korean : n.english);
    }
    return kind;
}

QString RunMessages::undoTip(bool korean, const Journal& j)
{
    const QString made = j.made.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    return (korean ? QStringLiteral("되돌릴 실행: %1 %2 (%3 ~ %4, %5일), %6에 실행")
                   : QStringLiteral("Undoes: %1 %2 (%3 to %4, %5 day files), run at %6"))
        .arg(runKind(korean, j.label.kind), j.label.entry, dateText(j.label.first), dateText(j.label.last))
        .arg(j.dayCount)
        .arg(made);
}

QString RunMessages::undoTipUnreadable(bool korean, const QString& path)
{
    return (korean ? QStringLiteral("실행 기록을 읽을 수 없습니다: %1") : QStringLiteral("The run journal cannot be read: %1")).arg(path);
}

QString RunMessages::nothingToUndo(bool korean)
{
    return korean ? QStringLiteral("되돌릴 실행이 없습니다.") : QStringLiteral("There is no run to undo.");
}

QString RunMessages::undone(bool korean, const UndoResult& r)
{
    const QString run = runKind(korean, r.label.kind) + QLatin1Char(' ') + r.label.entry;
    QString text;
    // Opens with what was put back; "undone" only when every day is as before.
    if (r.notBack() == 0)
        text = (korean ? QStringLiteral("%1 실행을 되돌렸습니다. 날짜 파일 %2개를 이전 상태로 돌려놓았습니다.")
                       : QStringLiteral("%1 is undone: %2 day file(s) are as they were before the run."))
                   .arg(run)
                   .arg(r.restoredDays);
    else if (r.restoredDays > 0)
        text = (korean ? QStringLiteral("%1 실행을 일부만 되돌렸습니다. 날짜 파일 %2개를 이전 상태로 돌려놓았고, %3개는 돌려놓지 않았습니다.")
                       : QStringLiteral("%1 is undone in part: %2 day file(s) are as they were before the run, %3 are not."))
                   .arg(run)
                   .arg(r.restoredDays)
                   .arg(r.notBack());
    else
        text = (korean ? QStringLiteral("%1 실행을 되돌리지 못했습니다. 날짜 파일을 하나도 돌려놓지 않았습니다 (돌려놓지 않은 파일 %2개).")
                       : QStringLiteral("%1 is not undone: no day file was put back (%2 are not as before)."))
                   .arg(run)
                   .arg(r.notBack());
    if (!r.changedSince.isEmpty()) {
        const QString left = korean ? QStringLiteral("실행 뒤에 바뀐 날짜 파일 %1개는 그대로 두었습니다:")
                                    : QStringLiteral("%1 day file(s) changed since the run and were left alone:");
        text += kBreak + left.arg(r.changedSince.size()) + namedPaths(korean, r.changedSince);
    }
    if (!r.unreadable.isEmpty()) {
        const QString left = korean ? QStringLiteral("지금 읽을 수 없는 날짜 파일 %1개는 그대로 두었습니다:")
                                    : QStringLiteral("%1 day file(s) cannot be read now and were left alone:");
        text += kBreak + left.arg(r.unreadable.size()) + namedFailures(korean, r.unreadable);
    }
    if (!r.failed.isEmpty()) {
        const QString failed = korean ? QStringLiteral("%1개를 되돌리지 못했습니다:") : QStringLiteral("%1 could not be put back:");
        text += kBreak + failed.arg(r.failed.size()) + namedFailures(korean, r.failed);
    }
    if (!r.removedFolders.isEmpty()) {
        text += kBreak + (korean ? QStringLiteral("실행이 만들었다가 비게 된 월 폴더 %1개를 지웠습니다:") : QStringLiteral("%1 month folder(s) the run had created and left empty were removed:")).arg(r.removedFolders.size())
                + namedPaths(korean, r.removedFolders);
    }
    if (r.journalKept)
        text += kBreak + (korean ? QStringLiteral("실행 기록은 남겨 두었습니다. 원인을 없앤 뒤 되돌리기를 다시 누르면 나머지를 되돌립니다.") : QStringLiteral("The journal is kept: once the cause is mended, Undo puts back the rest."));
    else if (!r.retired.ok)
        text += kBreak + (korean ? QStringLiteral("실행 기록 %1을(를) 지우지 못했습니다 (%2). 프로그램을 끝낼 때까지 건너뛰며, 다음 되돌리기는 그 앞의 실행을 되돌립니다.") : QStringLiteral("The journal %1 could not be removed (%2): it is passed over until the program ends, and the next Undo takes back the run before it.")).arg(r.journalPath, r.retired.reason);
    else if (r.notBack() > 0)
        text += kBreak + (korean ? QStringLiteral("이 실행의 기록은 지웠습니다. 다음 되돌리기는 그 앞의 실행을 되돌립니다.") : QStringLiteral("This run's journal is retired: the next Undo takes back the run before it."));
    return text;
}

QString RunMessages::journalRefused(bool korean, const UndoResult& r)
{
    QString why;
    switch (r.problem) {
    case JournalProblem::Unreadable:
        why = (korean ? QStringLiteral("읽을 수 없습니다 (%1)") : QStringLiteral("it cannot be read (%1)")).arg(r.detail);
        break;
    case JournalProblem::NotAJournal:
        why = korean ? QStringLiteral("이 프로그램의 실행 기록이 아닙니다") : QStringLiteral("it is not a journal of this program");
        break;
    case JournalProblem::CutShort:
        why = korean ? QStringLiteral("끝이 잘렸습니다") : QStringLiteral("it is cut short");
        break;
    case JournalProblem::Damaged:
        why = korean ? QStringLiteral("손상되었거나 고쳐졌습니다") : QStringLiteral("it is damaged or edited");
        break;
    case JournalProblem::OtherDataFolder:
        why = (korean ? QStringLiteral("다른 데이타 폴더(%1)의 기록입니다") : QStringLiteral("it was made for another data folder (%1)")).arg(r.detail);
        break;
    case JournalProblem::None:
        break;
    }
    if (!r.setAside.ok)
        return (korean ? QStringLiteral("실행 기록 %1을(를) 적용하지 않았습니다: %2.\r날짜 파일은 하나도 바꾸지 않았습니다. 이 기록을 %1.refused 로 옮기지 못했습니다 (%3). "
                                        "프로그램을 끝낼 때까지 건너뛰며, 다음 되돌리기는 그 앞의 실행을 되돌립니다.")
                       : QStringLiteral("The run journal %1 is not applied: %2.\rNo day file was changed. It could not be set aside as %1.refused (%3): "
                                        "it is passed over until the program ends, and the next Undo takes back the run before it."))
            .arg(r.journalPath, why, r.setAside.reason);
    return (korean ? QStringLiteral("실행 기록 %1을(를) 적용하지 않았습니다: %2.\r날짜 파일은 하나도 바꾸지 않았고, 이 기록은 %1.refused 로 옮겨 두었습니다.")
                   : QStringLiteral("The run journal %1 is not applied: %2.\rNo day file was changed; the journal was set aside as %1.refused."))
        .arg(r.journalPath, why);
}

QString RunMessages::journalBusy(bool korean, const IoStatus& st)
{
    return (korean ? QStringLiteral("다른 실행이나 되돌리기가 진행 중이라 아무것도 바꾸지 않았습니다.\r%1: %2")
                   : QStringLiteral("Another run or undo is in progress, so nothing was changed.\r%1: %2"))
        .arg(st.path, st.reason);
}

QString RunMessages::runDone(bool korean, const DayRunResult& r)
{
    QString text;
    if (r.cancelled)
        text = (korean ? QStringLiteral("취소했습니다. %1일 중 %2일을 처리했습니다. 처리한 날은 되돌리기로 되돌릴 수 있습니다.")
                       : QStringLiteral("Cancelled after %2 of %1 days. What was done can be taken back with Undo."))
                   .arg(r.totalDays)
                   .arg(r.doneDays);
    else if (r.failedDays == 0)
        text = ScheduleMessages::completed(korean);
    else
        text = ScheduleMessages::failed(korean, r.failedDays, r.firstFailure, r.firstReason);
    text += kBreak + (korean ? QStringLiteral("쓴 날 %1일, 그대로 둔 날 %2일, 실패한 날 %3일") : QStringLiteral("Written: %1 day(s), unchanged: %2, failed: %3")).arg(r.changedDays).arg(r.unchangedDays).arg(r.failedDays);
    if (!r.replanned.isEmpty())
        text += kBreak + (korean ? QStringLiteral("미리 계산한 뒤에 바뀐 날짜 파일 %1개는 지금 내용에 맞춰 다시 계산해 썼습니다:") : QStringLiteral("%1 day file(s) changed after the plan was made; each was planned again from its new text:")).arg(r.replanned.size())
                + namedPaths(korean, r.replanned);
    if (!r.leftAlone.isEmpty())
        text += kBreak + (korean ? QStringLiteral("실행 중에 바뀐 날짜 파일 %1개는 쓰지 않고 그대로 두었습니다:") : QStringLiteral("%1 day file(s) changed while the run went on and were left alone:")).arg(r.leftAlone.size())
                + namedPaths(korean, r.leftAlone);
    return text;
}

QString RunMessages::journalNotWritten(bool korean, const IoStatus& st)
{
    return (korean ? QStringLiteral("실행 기록 %1을(를) 쓸 수 없어 날짜 파일을 하나도 바꾸지 않았습니다.\r%2")
                   : QStringLiteral("The run journal %1 cannot be written, so no day file was changed.\r%2"))
        .arg(st.path, st.reason);
}

} // namespace td
