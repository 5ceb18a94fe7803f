#pragma once
#include <QStringList>

namespace td {

// The three lists filled by code. Entry positions are what Daybrook stores, and a
// preset's text is the name of its section in Daybrook.ini: keep them to the letter.
struct BuiltinCaptions {
    static QStringList pages(bool korean);
    static QStringList displayModes(bool korean);
    static QStringList presets(bool korean);
    // The weekday-occurrence list of the recurring plan page: "1st" to "All" as
    // designed, in both languages, then the fifth and the last.
    static QStringList weekdayOccurrences(bool korean);
};

} // namespace td
