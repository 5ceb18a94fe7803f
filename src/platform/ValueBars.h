#pragma once

class QScrollBar;

namespace td {

// A vertical value bar whose top end is its largest value. Qt draws such a bar
// with an inverted appearance but still lowers the value on the top arrow and on
// a click above the thumb; here every arrow, page click, key and wheel turn moves
// the value the way the thumb moves. The bar also takes keyboard focus.
void putMaximumOnTop(QScrollBar* bar);

} // namespace td
