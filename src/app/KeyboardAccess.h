#pragma once
#include <QList>
#include <QWidget>
#include <vector>

namespace td {

// Gives every control of a page that a screen reader cannot name by itself (text
// fields, combo boxes, scroll bars, lists, caption-less buttons and clickable
// labels) the name of the caption the user sees beside it: the label whose buddy
// it is; else the caption left of it in the same row, or above it; else the title
// of its frame. A short label right after it (a unit such as "년" or "분") is added.
// Names set by the pages themselves are kept; ours are replaced on each run, so
// running it again after captions change makes the names follow.
void nameFromCaptions(QWidget* page);

// The controls of a container that take the keyboard, in visual order: row by row
// from the top, left to right within a row; a frame's controls as one block.
QList<QWidget*> visualOrder(QWidget* container);

// Makes every value bar of the pages reachable by the keyboard and chains the tab
// order: first, the controls of each page in visual order, then last.
void orderTabs(QWidget* first, const std::vector<QWidget*>& pages, const std::vector<QWidget*>& last);

} // namespace td
