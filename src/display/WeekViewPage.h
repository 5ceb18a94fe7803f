#pragma once
#include "display/DisplayValues.h"
#include "platform/Services.h"

#include <QStringList>
#include <QWidget>
#include <array>

class QGroupBox;
class QLabel;
class QPushButton;

namespace td {

class ClickLabel;
class ColorLabel;

// Page 5: the week view's colours and font, edited on a preview of one of its two styles.
class WeekViewPage : public QWidget {
    Q_OBJECT
public:
    WeekViewPage(Services& services, QWidget* parent);

    static constexpr int kShownLeft = 150;     // twips
    static constexpr int kParkedLeft = -20000; // twips
    bool secondStyleShown() const { return secondStyle_; }

    // Shows the week-view part of v (its weekday and memo colours are those of
    // the style shown); gives what is shown.
    void setValues(const display::DisplayValues& v);
    void values(display::DisplayValues& v) const;

public slots:
    void LblListButton_Click();
    void CmdWFont_Click();
    void LblSun_Click(int index);
    void LblMemo_Click(int index);

signals:
    // Keys that could not be stored while switching styles.
    void storeFailed(const QStringList& keys);
    // The style left was stored and the other one is shown as stored.
    void styleSwitched();

private:
    void describeStyle();
    Services& s_;
    bool secondStyle_ = false; // the second style's picture covers the first

    QGroupBox* Frame12;
    QLabel* ImgWkView1;
    QLabel* ImgWkView2; // covers the first picture while the second style is edited
    ClickLabel* LblListButton;
    std::array<ColorLabel*, 3> LblSun{};  // Sunday, weekday of the style shown, Saturday
    std::array<ColorLabel*, 3> LblMemo{}; // memo colour; element 0 also shows the font
    QPushButton* CmdWFont;
    QLabel* Label20;
};

} // namespace td
