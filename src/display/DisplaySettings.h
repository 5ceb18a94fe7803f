#pragma once
#include "platform/Services.h"

#include <QObject>

namespace td {

class PresetsPage;

// Moves every display setting between the controls of pages 0, 1, 5 and 7 and
// Daybrook.ini / the settings store.
class DisplaySettings : public QObject {
    Q_OBJECT
public:
    DisplaySettings(Services& services, PresetsPage* presets, QWidget* screen, QWidget* weekView, QWidget* misc);

    void Main_ReadColor(int index);
    // False when something could not be stored; the user has been told.
    bool Main_WriteColor(int index);

private:
    Services& s_;
    PresetsPage* presets_;
};

} // namespace td
