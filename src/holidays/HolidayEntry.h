#pragma once
#include <QString>
#include <QStringList>
#include <optional>

namespace td {

// One holiday or anniversary as Daybrook keeps it: month "/" day "(S)[" or
// "(L)[" title "]". S marks a solar date, L a lunar one.
namespace HolidayEntry {

// Daybrook reads at most this many bytes (CP949) of an entry.
inline constexpr int kMaxBytes = 59;

QString build(const QString& month, const QString& day, bool solar, const QString& title);

// What an entry gives back to the fields. Each part is read on its own; a part
// that cannot be read stays empty and leaves its field as it was.
struct Fields {
    std::optional<int> month;     // the number before the first "/"
    std::optional<int> day;       // the number before the first "(" after it
    std::optional<bool> solar;    // "S" (upper case only) right after that "("
    std::optional<QString> title; // after ")[" up to the last character, spaces trimmed first
};
Fields parse(const QString& entry);

// A whole number as the fields and the count take it: optional sign, decimal
// digits, a fractional part dropped; nothing when it is not a number or does
// not fit in 16 bits.
std::optional<int> wholeNumber(const QString& text);

// Ascending by the characters of the text (UTF-16 code units), as the list shows them.
inline bool lessThan(const QString& a, const QString& b) { return a < b; }
// Where an entry goes in a sorted list: after every entry equal to it.
qsizetype sortedPosition(const QStringList& sorted, const QString& entry);

// Why the editor refuses an entry, in the user's language, or empty when it is fine:
// a line break, a character CP949 cannot hold, or more than kMaxBytes bytes.
QString refusal(const QString& entry, bool korean);

} // namespace HolidayEntry
} // namespace td
