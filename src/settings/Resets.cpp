#include "Resets.h"

#include "StoreKeys.h"

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

} // namespace

Message configurationResetQuestion(bool korean)
{
    if (korean)
        return question(QStringLiteral("Daybrook 초기화"),
                        QStringLiteral("Daybrook 환경설정값을 초기화(저장값 삭제)합니다!!!"),
                        QStringLiteral("[Daybrook의 실행중 오류발생시 사용하기 바랍니다]"));
    return question(QStringLiteral("Daybrook Configuration Reset"),
                    QStringLiteral("Daybrook configuration value is initialized(All Value is Deleted)!"),
                    QStringLiteral("[Use This Function when Daybrook has error while execution]"));
}

Message positionResetQuestion(bool korean)
{
    if (korean)
        return question(QStringLiteral("Daybrook 위치 초기화"), QStringLiteral("Daybrook 위치저장값을 초기화합니다!!!"),
                        QStringLiteral("[Daybrook의 위치를 초기화 합니다]"));
    return question(QStringLiteral("Daybrook Position Correction"),
                    QStringLiteral("Position value of Daybrook is Reset !!!"),
                    QStringLiteral("[Daybrook Position Initialize]"));
}

ResetResult resetConfiguration(ISettingsStore& store, IMessageBoxes& boxes, bool korean)
{
    if (boxes.show(configurationResetQuestion(korean)) != MsgAnswer::Ok)
        return ResetResult::Declined;
    // A section that does not exist is already reset: QSettings reports no error for it.
    if (!store.removeSection()) {
        tellFailure(boxes, korean, QStringLiteral("Options"));
        return ResetResult::Failed;
    }
    return ResetResult::Done;
}

ResetResult resetPosition(ISettingsStore& store, IMessageBoxes& boxes, bool korean)
{
    if (boxes.show(positionResetQuestion(korean)) != MsgAnswer::Ok)
        return ResetResult::Declined;
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
