#pragma once
#include <QString>

namespace td {

// Daybrook trims spaces only: a tab or an ideographic space (U+3000) is text.
inline QString trimSpaces(const QString& text)
{
    qsizetype start = 0, end = text.size();
    while (start < end && text.at(start) == QLatin1Char(' '))
        ++start;
    while (end > start && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(start, end - start);
}

} // namespace td
