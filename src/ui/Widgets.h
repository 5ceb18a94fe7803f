#pragma once
// Small widget makers shared by the pages: each control named and tagged as the
// window design gives it (see nameControl).
#include <QDate>
#include <QRect>
#include <QString>
#include <QStringList>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

namespace td::ui {

// A combo box with the given entries and nothing chosen, named (an element of a
// control array when index >= 0).
QComboBox* makeList(QWidget* parent, const QStringList& items, const QString& name, int index = -1);
// A label with its text, named and tagged.
QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, int tag = 0, int index = -1);
// A push button named and tagged; its caption comes from the language file
// unless text is given.
QPushButton* makeButton(QWidget* parent, const QString& name, int tag, int index = -1, const QString& text = {});
// A frame round a group of controls, named and tagged; its caption comes from the
// language file unless text is given.
QGroupBox* makeFrame(QWidget* parent, const QString& name, int tag, const QString& text = {});

// A control put where the design has it, for pages laid out by hand.
template <typename W>
W* placed(W* w, const QRect& geometry)
{
    w->setGeometry(geometry);
    return w;
}

QStringList yearItems(const QDate& today); // "2000" to ten years after today, ascending
QStringList numberItems(int first, int last);
// Text of the chosen entry; empty when nothing is chosen.
QString chosenText(const QComboBox* list);

} // namespace td::ui
