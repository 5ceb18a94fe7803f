#pragma once
#include <QString>

namespace td {

// The folder with a separator at its end, added only when missing.
inline QString withSeparator(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// Folder + separator (added only when missing) + name.
inline QString joinPath(const QString& folder, const QString& name) { return withSeparator(folder) + name; }

} // namespace td
