#pragma once
#include <QList>
#include <QWidget>
#include <vector>

namespace td {

// The controls of a container that take the keyboard, in visual order: row by row
// from the top, left to right within a row; a frame's controls as one block.
QList<QWidget*> visualOrder(QWidget* container);

// Makes every value bar of the pages reachable by the keyboard and chains the tab
// order: first, the controls of each page in visual order, then last.
void orderTabs(QWidget* first, const std::vector<QWidget*>& pages, const std::vector<QWidget*>& last);

} // namespace td
