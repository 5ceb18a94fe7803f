#pragma once
class QWidget;

namespace td::ui {

// The window is designed in pixels for the 9 pt caption font. With a larger font (the
// desktop's or the application's) the whole design grows by one factor, positions and
// sizes alike, until every caption fits its control and every layout its page: nothing
// is clipped, and controls apart in the design stay apart. At the design font the
// factor is 1 and every control keeps its designed pixels. Returns the factor.
double fitDesignToFont(QWidget* window);

// What one designed pixel of `window` has become.
double designScale(const QWidget* window);

// A designed pixel position of a control, as it now is in its window.
int designed(const QWidget* control, int pixels);

// How much the font in use has grown over the design font (at least 1).
double fontGrowth(const QWidget* window);

} // namespace td::ui
