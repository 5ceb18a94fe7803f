#pragma once
#include <QProgressBar>

namespace td {

// A progress bar from 0 to 100 that takes fractional percentages, so a long
// run moves it smoothly rather than in whole-percent steps.
class PercentBar : public QProgressBar {
    Q_OBJECT
public:
    explicit PercentBar(QWidget* parent = nullptr);
    void setPercent(double percent);
    // The value last set, 0 to 100.
    double percent() const { return percent_; }

    static constexpr int kScale = 100; // steps per percent

private:
    double percent_ = 0;
};

} // namespace td
