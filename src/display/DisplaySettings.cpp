#include "DisplaySettings.h"

#include "PresetsPage.h"

namespace td {

DisplaySettings::DisplaySettings(Services& services, PresetsPage* presets, QWidget*, QWidget*, QWidget*)
    : s_(services), presets_(presets)
{
}

void DisplaySettings::Main_ReadColor(int) {}

bool DisplaySettings::Main_WriteColor(int) { return true; }

} // namespace td
