#include "SyncEngine.h"
#include "days/RunMessages.h"
#include "export/IcsExport.h"

namespace td::sync {

namespace {

QString tr(bool korean, const char* ko, const char* en)
{
    return QString::fromUtf8(korean ? ko : en);
}

QString actionName(bool korean, SyncDay::Action a)
{
    using A = SyncDay::Action;
    switch (a) {
    case A::Send: return tr(korean, "보내기", "send");
    case A::Fetch: return tr(korean, "받기", "fetch");
    case A::DeleteLocal: return tr(korean, "여기서 지우기", "delete here");
    case A::DeleteRemote: return tr(korean, "서버에서 지우기", "delete on server");
    case A::Conflict: return tr(korean, "충돌(둘 다 보관)", "conflict (both kept)");
    case A::Fold: return tr(korean, "일정 합치기", "fold event");
    case A::Unstorable: return tr(korean, "보관 불가", "cannot keep");
    case A::Record: return tr(korean, "같음", "same");
    case A::Forget: return tr(korean, "양쪽에서 지워짐", "gone on both");
    case A::Unchanged: break;
    }
    return QString();
}

} // namespace

QString formatPlan(const SyncPlan& plan, bool korean)
{
    using A = SyncDay::Action;
    QStringList lines;
    lines.append(tr(korean, "달력: %1", "Calendar: %1").arg(plan.calendar.toDisplayString(QUrl::RemoveUserInfo))
                 + (plan.makeCalendar ? tr(korean, " (새로 만듦)", " (to be made)") : QString()));
    lines.append(tr(korean, "보낼 날 %1, 받을 날 %2, 여기서 지울 날 %3, 서버에서 지울 날 %4, 충돌 %5, 합칠 일정 %6, 보관할 수 없는 날 %7",
                    "To send: %1, to fetch: %2, to delete here: %3, to delete on the server: %4, conflicts: %5, "
                    "events to fold: %6, cannot keep: %7")
                     .arg(plan.count(A::Send))
                     .arg(plan.count(A::Fetch))
                     .arg(plan.count(A::DeleteLocal))
                     .arg(plan.count(A::DeleteRemote))
                     .arg(plan.count(A::Conflict))
                     .arg(plan.count(A::Fold))
                     .arg(plan.count(A::Unstorable)));
    for (const SyncDay& d : plan.days) {
        if (d.action == A::Record || d.action == A::Forget || d.action == A::Unchanged)
            continue;
        QString line = d.date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1String("  ") + actionName(korean, d.action);
        const QString shown = ics::daySummary(d.resultText.value_or(d.localText.value_or(d.serverText.value_or(QString()))));
        if (!shown.isEmpty())
            line += QLatin1String("  ") + shown;
        if (!d.folded.isEmpty())
            line += tr(korean, "  ← 다른 프로그램의 일정: %1", "  <- another client's event: %1").arg(d.folded.join(QLatin1String(", ")));
        if (!d.badCharacter.isEmpty())
            line += tr(korean, "  (\"%1\"은(는) 한국어 코드 페이지에 없습니다)", "  (\"%1\" is not in the Korean code page)").arg(d.badCharacter);
        lines.append(line);
    }
    for (const ForeignEvent& f : plan.foreign)
        if (!f.problem.isEmpty())
            lines.append(tr(korean, "그대로 두는 일정: %1 (%2)", "Event left as it is: %1 (%2)").arg(f.summary, QString(f.problem).replace(QLatin1Char('\r'), QLatin1Char(' '))));
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString syncMessage(const SyncOutcome& o, bool korean)
{
    const QString rest = tr(korean, "\r끝난 날은 그대로 두었고, 다음 동기화가 나머지를 마칩니다.",
                            "\rThe days already done are kept; the next sync finishes the rest.");
    const QString tail = o.midway ? rest : QString();
    switch (o.problem) {
    case SyncProblem::None:
        return tr(korean, "동기화를 마쳤습니다. 보냄 %1, 받음 %2, 여기서 지움 %3, 서버에서 지움 %4, 충돌 %5, 합친 일정 %6.",
                  "Sync complete. Sent %1, fetched %2, deleted here %3, deleted on the server %4, conflicts %5, folded %6.")
            .arg(o.sent)
            .arg(o.fetched)
            .arg(o.deletedLocal)
            .arg(o.deletedRemote)
            .arg(o.conflicts)
            .arg(o.folded);
    case SyncProblem::Unreachable:
        return (o.midway ? tr(korean, "동기화 중에 서버 %1와(과)의 연결이 끊어졌습니다 (%2).", "The connection to the server %1 was lost in the middle of the sync (%2).")
                         : tr(korean, "서버 %1에 연결할 수 없습니다 (%2).", "The server %1 cannot be reached (%2)."))
                   .arg(o.where, o.detail)
               + tail;
    case SyncProblem::Unauthorized:
        return tr(korean, "서버 %1이(가) 사용자 이름이나 암호를 받아들이지 않았습니다 (401).",
                  "The server %1 refused the user name or password (401).")
            .arg(o.where);
    case SyncProblem::Untrusted:
        return tr(korean, "시스템이 %1의 인증서를 신뢰하지 않아 연결하지 않았습니다.\r인증서의 SHA-256 지문: %2\r이 인증서가 맞다면 이 지문을 고정하십시오.",
                  "The system does not trust the certificate of %1, so no connection was made.\rThe certificate's SHA-256 fingerprint: %2\rPin this fingerprint if the certificate is the server's.")
            .arg(o.where, o.fingerprint);
    case SyncProblem::ServerError:
        return tr(korean, "서버 %1에서 오류가 났습니다 (%2).", "The server %1 failed (%2).").arg(o.where, o.detail) + tail;
    case SyncProblem::Protocol:
        return tr(korean, "%1의 응답이 CalDAV 응답이 아닙니다 (%2).", "The reply of %1 is not a CalDAV reply (%2).").arg(o.where, o.detail);
    case SyncProblem::NoCalendar:
        return tr(korean, "%1에서 달력을 찾을 수 없습니다.", "No calendar was found at %1.").arg(o.where);
    case SyncProblem::Cancelled:
        return tr(korean, "동기화를 취소했습니다.", "The sync was cancelled.") + rest;
    case SyncProblem::LocalFiles:
        return tr(korean, "날짜 파일 %1을(를) 읽거나 쓸 수 없습니다: %2", "The day file %1 cannot be read or written: %2").arg(o.where, o.detail)
               + (o.failedDays > 1 ? tr(korean, " (모두 %1일)", " (%1 days in all)").arg(o.failedDays) : QString()) + rest;
    case SyncProblem::Journal:
        return tr(korean, "실행 기록 %1을(를) 쓸 수 없어 날짜 파일을 바꾸지 않았습니다: %2",
                  "The run journal %1 cannot be written, so no day file was changed: %2")
                   .arg(o.where, o.detail)
               + tail;
    case SyncProblem::Busy: return RunMessages::journalBusy(korean, IoStatus::failure(o.where, o.detail));
    case SyncProblem::State:
        return tr(korean, "동기화 상태 %1을(를) 저장할 수 없습니다: %2", "The sync state %1 cannot be kept: %2").arg(o.where, o.detail) + tail;
    }
    return QString();
}

} // namespace td::sync
