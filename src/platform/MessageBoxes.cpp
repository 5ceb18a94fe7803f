#include "MessageBoxes.h"

#include <algorithm>

#include <QMessageBox>
#include <QPushButton>

namespace td {

namespace {

// The system's words for the common failures, and what a Korean message says instead.
const struct {
    const char* system;
    const char16_t* korean;
} kReasons[] = {
    {"No space left on device", u"디스크에 남은 공간이 없습니다"},
    {"Disk quota exceeded", u"디스크 사용 한도를 넘었습니다"},
    {"Permission denied", u"권한이 없습니다"},
    {"Operation not permitted", u"허용되지 않는 작업입니다"},
    {"Read-only file system", u"읽기 전용 파일 시스템입니다"},
    {"No such file or directory", u"파일이나 폴더가 없습니다"},
    {"File too large", u"파일이 너무 큽니다"},
    {"larger than 64 MiB", u"64 MiB보다 큽니다"},
    {"Input/output error", u"입출력 오류입니다"},
    {"cannot create the folder", u"폴더를 만들 수 없습니다"},
    {"not a regular file", u"일반 파일이 아닙니다"},
};

bool hasHangul(const QString& s)
{
    return std::any_of(s.begin(), s.end(), [](QChar c) { return c.unicode() >= 0xAC00 && c.unicode() <= 0xD7A3; });
}

} // namespace

QString displayText(const QString& text)
{
    QString s = text;
    if (hasHangul(s)) {
        for (const auto& r : kReasons)
            s.replace(QLatin1String(r.system), QString::fromUtf16(r.korean), Qt::CaseInsensitive);
    }
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

MsgAnswer QtMessageBoxes::show(const Message& m)
{
    QMessageBox box(parent_);
    box.setWindowTitle(m.title);
    box.setText(displayText(m.text));
    switch (m.icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    QMessageBox::StandardButtons buttons;
    switch (m.buttons) {
    case MsgButtons::Ok: buttons = QMessageBox::Ok; break;
    case MsgButtons::OkCancel: buttons = QMessageBox::Ok | QMessageBox::Cancel; break;
    case MsgButtons::YesNo: buttons = QMessageBox::Yes | QMessageBox::No; break;
    case MsgButtons::SaveDiscardCancel: buttons = QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel; break;
    }
    box.setStandardButtons(buttons);
    const QList<QMessageBox::StandardButton> order = m.buttons == MsgButtons::SaveDiscardCancel
                                                         ? QList{QMessageBox::Save, QMessageBox::Discard, QMessageBox::Cancel}
                                                         : QList<QMessageBox::StandardButton>();
    for (qsizetype i = 0; i < m.captions.size() && i < order.size(); ++i)
        box.button(order[i])->setText(m.captions[i]);
    auto toStd = [](MsgAnswer a) {
        switch (a) {
        case MsgAnswer::Ok: return QMessageBox::Ok;
        case MsgAnswer::Cancel: return QMessageBox::Cancel;
        case MsgAnswer::Yes: return QMessageBox::Yes;
        case MsgAnswer::No: return QMessageBox::No;
        case MsgAnswer::Save: return QMessageBox::Save;
        case MsgAnswer::Discard: return QMessageBox::Discard;
        }
        return QMessageBox::Ok;
    };
    box.setDefaultButton(toStd(m.defaultButton));
    switch (box.exec()) {
    case QMessageBox::Ok: return MsgAnswer::Ok;
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    case QMessageBox::Save: return MsgAnswer::Save;
    case QMessageBox::Discard: return MsgAnswer::Discard;
    default: return m.buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Cancel;
    }
}

} // namespace td
