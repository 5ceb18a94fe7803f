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
    setValue(int(std::lround(percent_ * kScale)));
}

} // namespace td
