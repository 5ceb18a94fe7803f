#include "MessageBoxes.h"

#include <QMessageBox>

namespace td {

QString displayText(const QString& text)
{
    QString s = text;
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
    }
    box.setStandardButtons(buttons);
    auto toStd = [](MsgAnswer a) {
        switch (a) {
        case MsgAnswer::Ok: return QMessageBox::Ok;
        case MsgAnswer::Cancel: return QMessageBox::Cancel;
        case MsgAnswer::Yes: return QMessageBox::Yes;
        case MsgAnswer::No: return QMessageBox::No;
        }
        return QMessageBox::Ok;
    };
    box.setDefaultButton(toStd(m.defaultButton));
    switch (box.exec()) {
    case QMessageBox::Ok: return MsgAnswer::Ok;
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    default: return m.buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Cancel;
    }
}

} // namespace td
