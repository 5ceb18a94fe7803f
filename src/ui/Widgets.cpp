#include "Widgets.h"

#include "Controls.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace td::ui {

QComboBox* makeList(QWidget* parent, const QStringList& items, const QString& name, int index)
{
    // Named first: a screen reader's view of a list is chosen by its name (see Spoken.h).
    auto* list = new QComboBox(parent);
    nameControl(list, name, 0, index);
    list->addItems(items);
    list->setCurrentIndex(-1);
    list->setMaxVisibleItems(12);
    return list;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, int tag, int index)
{
    auto* label = new QLabel(text, parent);
    nameControl(label, name, tag, index);
    return label;
}

QPushButton* makeButton(QWidget* parent, const QString& name, int tag, int index, const QString& text)
{
    auto* button = new QPushButton(text, parent);
    nameControl(button, name, tag, index);
    return button;
}

QGroupBox* makeFrame(QWidget* parent, const QString& name, int tag, const QString& text)
{
    auto* frame = new QGroupBox(text, parent);
    nameControl(frame, name, tag);
    return frame;
}

QStringList yearItems(const QDate& today)
{
    const int last = std::max(2000, today.year() + 10);
    return numberItems(2000, last);
}

QStringList numberItems(int first, int last)
{
    QStringList items;
    for (int n = first; n <= last; ++n)
        items << QString::number(n);
    return items;
}

QString chosenText(const QComboBox* list)
{
    return list->currentIndex() < 0 ? QString() : list->currentText();
}

} // namespace td::ui
