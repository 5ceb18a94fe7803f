#pragma once
#include "display/DisplayValues.h"
#include "platform/Services.h"

#include <QWidget>
#include <array>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QRadioButton;
class QScrollBar;

namespace td {

class ColorLabel;

// Page 1: the today marker, the frame and status bar widths, the memo offset,
// the dual-monitor setting and the screen positions.
class ScreenPage : public QWidget {
    Q_OBJECT
public:
    ScreenPage(Services& services, QWidget* parent);

    // Shows the today marker, spacing and position part of v; gives what is shown.
    void setValues(const display::DisplayValues& v);
    void values(display::DisplayValues& v) const;

    // Two monitors chosen.
    bool dualMonitor() const;
    // The screen positions apply to vertical or horizontal windows only.
    void setPositionsEnabled(bool vertical, bool horizontal);

    // The element of OptBlink that is selected (-1: none).
    int selectedBlink() const;

public slots:
    void LblColor_Click(int index); // element 11: the background colour
    void OptBlink_Click(int index);
    void VScroll1_Change();
    void VScroll2_Change();
    void HSMWidth_Change();

signals:
    void dualMonitorChanged();

private:
    Services& s_;

    QGroupBox* Frame3;
    std::array<QRadioButton*, 4> OptBlink{}; // 0 blink, 1 square, 3 circle; no element 2
    QButtonGroup* blinkOptions;
    ColorLabel* LblColor11; // "LblColor(11)": today marker colour (background)
    QLabel* Label8;
    QScrollBar* VScroll1;
    QLabel* LblFWidth;

    QGroupBox* Frame4;
    QLabel* Label9;
    QScrollBar* VScroll2;
    QLabel* LblSBWidth;
    QLabel* Label40;
    QScrollBar* HSMWidth;
    QLabel* LblMWidth;

    QGroupBox* Frame7;
    QCheckBox* ChkDual;

    QGroupBox* FrmVert;
    QGroupBox* FrmHori;
    std::array<QRadioButton*, 9> OptPos{}; // elements 3..8 live here
    QButtonGroup* verticalPositions;
    QButtonGroup* horizontalPositions;
};

} // namespace td
