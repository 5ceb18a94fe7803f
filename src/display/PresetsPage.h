#pragma once
#include "display/DisplayValues.h"
#include "platform/Services.h"

#include <QWidget>
#include <array>

class QButtonGroup;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace td {

class ClickLabel;
class ColorLabel;
class ShapeBox;

// Page 0: the preset list, the display mode, the title position, the colour
// samples and the display fonts.
class PresetsPage : public QWidget {
    Q_OBJECT
public:
    PresetsPage(Services& services, QWidget* parent);

    // Shows the preset part of v; gives what is shown.
    void setValues(const display::DisplayValues& v);
    void values(display::DisplayValues& v) const;

    // The preset chosen (-1: none) and the name of preset index: its section of Daybrook.ini.
    int currentPreset() const;
    void setCurrentPreset(int index);
    QString presetName(int index) const;
    // The display mode chosen (-1: none) and how many the list offers.
    int displayMode() const;
    int modeCount() const;
    // The store-now button serves the user's own presets only.
    void setStoreNowEnabled(bool enabled);

    // The face and bold flag of a font label, as set by a load or a font choice.
    QString fontFace(int i) const;
    bool fontBold(int i) const;

public slots:
    void LblColor_Click(int index);
    void CmdDFont_Click(int index);

signals:
    void presetChosen();
    void displayModeChosen();
    void storeNowClicked();

private:
    void setFontFace(QWidget* w, const QString& face);
    void setFontBold(QWidget* w, bool bold);
    void previewFont(int index);
    Services& s_;

    QComboBox* CmbDefault;
    QComboBox* CmbSMode;
    QPushButton* CmdDColor;

    QWidget* picSample;                     // the calendar look the samples sit on
    std::array<ColorLabel*, 11> LblColor{}; // 0..10; element 11 lives on page 1
    ShapeBox* ShpM;
    QLabel* Label12;
    QGroupBox* FrmMColor;

    QGroupBox* Frame11;
    std::array<QRadioButton*, 3> OptPos{}; // title left, centre, right
    QButtonGroup* titlePositions;

    QGroupBox* Frame8;
    std::array<ClickLabel*, 7> LblDName{};  // no element 3
    std::array<QPushButton*, 7> CmdDFont{}; // no element 3
};

} // namespace td
