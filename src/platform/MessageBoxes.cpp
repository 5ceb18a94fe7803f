#include "MessageBoxes.h"

#include <QMessageBox>
#include <QPushButton>

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
