#pragma once
#include <QString>

namespace td {

// The Korean build speaks Korean; every other language file gets the English texts.
inline bool isKorean(const QString& language) { return language == QLatin1String("Korean"); }

} // namespace td
