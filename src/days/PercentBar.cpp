#include "PercentBar.h"

#include <algorithm>
#include <cmath>

namespace td {

PercentBar::PercentBar(QWidget* parent) : QProgressBar(parent)
{
    setRange(0, 100 * kScale);
    setValue(0);
    setTextVisible(false);
}

void PercentBar::setPercent(double percent)
{
    percent_ = std::clamp(percent, 0.0, 100.0);
    // Painted with the window when the run next lets it: QProgressBar repaints at
    // once on a visible step, and with it whatever else of the window waits.
    setUpdatesEnabled(false);
    setValue(int(std::lround(percent_ * kScale)));
    setUpdatesEnabled(true);
}

} // namespace td
