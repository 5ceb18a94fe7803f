#pragma once
#include <QSize>

namespace td {
// Every page panel of the options window has this size in pixels.
inline constexpr QSize kPageSize(540, 400);
} // namespace td
