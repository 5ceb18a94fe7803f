#pragma once
#include "platform/Services.h"

#include <QWidget>

class QComboBox;
class QPushButton;

namespace td {

// Page 0: the preset list, the display mode, title position, colour samples and fonts.
class PresetsPage : public QWidget {
    Q_OBJECT
public:
    PresetsPage(Services& services, QWidget* parent);

    QComboBox* CmbDefault;
    QComboBox* CmbSMode;
    QPushButton* CmdDColor;

private:
    Services& s_;
};

} // namespace td
