#include "Resets.h"

#include "platform/StoreKeys.h"

#include <QScopeGuard>
#include <QStringList>

namespace td {
namespace {

Message question(const QString& title, const QString& line1, const QString& line2)
{
    return {line1 + QLatin1Char('\r') + line2, title, MsgIcon::None, MsgButtons::OkCancel, MsgAnswer::Ok};
}

void tellFailure(IMessageBoxes& boxes, bool korean, const QString& what)
{
    boxes.show({korean ? QStringLiteral("Daybrook 설정 저장소를 바꾸지 못했습니다: %1").arg(what)
                       : QStringLiteral("Daybrook's settings store could not be changed: %1").arg(what),
                QStringLiteral("Tunedesk"), MsgIcon::Warning, MsgButtons::Ok, MsgAnswer::Ok});
}

QString undoNote(bool korean)
{
    return korean ? QStringLiteral("기타설정의 \"설정 되돌리기\"로 되돌릴 수 있습니다.")
                  : QStringLiteral("\"Undo settings\" on the Misc. page takes it back.");
}

// The store is recorded before a reset writes it; false when that failed (told).
bool journaled(SettingsJournal* journal, const ISettingsStore& store, IMessageBoxes& boxes, bool korean, const QString& kind)
{
    if (!journal)
        return true;
    const IoStatus st = journal->begin(kind, {store.filePath()});
    if (!st.ok)
        boxes.show({settingsJournalNotWritten(korean, st), QStringLiteral("Tunedesk"), MsgIcon::Warning, MsgButtons::Ok,
                    MsgAnswer::Ok});
    return st.ok;
}

} // namespace

QString settingsJournalNotWritten(bool korean, const IoStatus& st)
{
    return (korean ? QStringLiteral("설정 기록 %1을(를) 쓸 수 없어 아무것도 저장하지 않았습니다.\r%2")
                   : QStringLiteral("The settings journal %1 cannot be written, so nothing was stored.\r%2"))
        .arg(st.path, st.reason);
}

Message configurationResetQuestion(bool korean, const ISettingsStore* store)
{
    Message m = korean ? question(QStringLiteral("Daybrook 초기화"),
                                  QStringLiteral("Daybrook 환경설정값을 초기화(저장값 삭제)합니다!!!"),
                                  QStringLiteral("[Daybrook의 실행중 오류발생시 사용하기 바랍니다]"))
                       : question(QStringLiteral("Daybrook Configuration Reset"),
                                  QStringLiteral("Daybrook configuration value is initialized(All Value is Deleted)!"),
                                  QStringLiteral("[Use This Function when Daybrook has error while execution]"));
    if (!store)
        return m;
    const QString dir = store->get(keys::kDataFolder, QString());
    const QString folder = dir.isEmpty() ? (korean ? QStringLiteral("(비어 있음: 프로그램 폴더)") : QStringLiteral("(empty: the program folder)"))
                                         : QLatin1Char('"') + dir + QLatin1Char('"');
    m.text += QLatin1Char('\r')
              + (korean ? QStringLiteral("지울 값: 설정 저장소의 Options 값 %1개 전부 (화면 설정, 주간보기, 창 위치, 데이타 폴더 DataSaveDir = %2)")
                        : QStringLiteral("Removed: all %1 values of the settings store's Options (display, week view, window position, data folder DataSaveDir = %2)"))
                    .arg(store->keys().size())
                    .arg(folder)
              + QLatin1Char('\r') + undoNote(korean);
    return m;
}

Message positionResetQuestion(bool korean, const ISettingsStore* store)
{
    Message m = korean ? question(QStringLiteral("Daybrook 위치 초기화"), QStringLiteral("Daybrook 위치저장값을 초기화합니다!!!"),
                                  QStringLiteral("[Daybrook의 위치를 초기화 합니다]"))
                       : question(QStringLiteral("Daybrook Position Correction"),
                                  QStringLiteral("Position value of Daybrook is Reset !!!"),
                                  QStringLiteral("[Daybrook Position Initialize]"));
    if (!store)
        return m;
    const QString none = korean ? QStringLiteral("없음") : QStringLiteral("none");
    m.text += QLatin1Char('\r')
              + (korean ? QStringLiteral("바뀔 값: Startup Left = %1, Startup Top = %2 → 100, 100")
                        : QStringLiteral("Changed: Startup Left = %1, Startup Top = %2 to 100, 100"))
                    .arg(store->get(keys::kStartupLeft, none), store->get(keys::kStartupTop, none))
              + QLatin1Char('\r') + undoNote(korean);
    return m;
}

namespace {

// The journal is finished whichever way the reset ends.
auto finishing(SettingsJournal* journal)
{
    return qScopeGuard([journal] {
        if (journal)
            journal->finish();
    });
}

} // namespace

ResetResult resetConfiguration(ISettingsStore& store, IMessageBoxes& boxes, bool korean, SettingsJournal* journal)
{
    if (boxes.show(configurationResetQuestion(korean, journal ? &store : nullptr)) != MsgAnswer::Ok)
        return ResetResult::Declined;
    if (!journaled(journal, store, boxes, korean, QStringLiteral("reset-configuration")))
        return ResetResult::Failed;
    const auto finish = finishing(journal);
    // A section that does not exist is already reset: QSettings reports no error for it.
    if (!store.removeSection()) {
        tellFailure(boxes, korean, QStringLiteral("Options"));
        return ResetResult::Failed;
    }
    return ResetResult::Done;
}

ResetResult resetPosition(ISettingsStore& store, IMessageBoxes& boxes, bool korean, SettingsJournal* journal)
{
    if (boxes.show(positionResetQuestion(korean, journal ? &store : nullptr)) != MsgAnswer::Ok)
        return ResetResult::Declined;
    if (!journaled(journal, store, boxes, korean, QStringLiteral("reset-position")))
        return ResetResult::Failed;
    const auto finish = finishing(journal);
    QStringList failed;
    for (const QString& key : {keys::kStartupLeft, keys::kStartupTop})
        if (!store.save(key, QStringLiteral("100")))
            failed << key;
    if (!failed.isEmpty()) {
        tellFailure(boxes, korean, failed.join(QLatin1String(", ")));
        return ResetResult::Failed;
    }
    return ResetResult::Done;
}

} // namespace td
