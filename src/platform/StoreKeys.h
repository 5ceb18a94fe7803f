#pragma once
#include <QString>

namespace td::keys {

// The display settings file beside the program; one section per preset.
inline const QString kDisplayFile = QStringLiteral("Daybrook.ini");

// Daybrook's data folder; missing or empty: the program folder.
inline const QString kDataFolder = QStringLiteral("DataSaveDir");

// Daybrook's remembered window position (only ever reset by us).
inline const QString kStartupLeft = QStringLiteral("Startup Left");
inline const QString kStartupTop = QStringLiteral("Startup Top");

} // namespace td::keys
