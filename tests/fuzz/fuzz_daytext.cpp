// Day text merge and removal: registering puts the entry on top and keeps every
// part of the day but leading copies of the entry, registering then removing an
// entry gives the day's other entries back, a second registration changes
// nothing, and no registration grows a day by more than the entry.
#include "FuzzSupport.h"
#include "days/DayFiles.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in(data, size);
    QList<QString> pool;
    for (int i = 1 + in.number(4); i > 0; --i) {
        // Markers and plan text as the generators join them: typed text, so never
        // a line break and never the escape of a stray byte.
        QString x = Cp949::decode(in.bytes(20));
        x.removeIf([](QChar c) { return c == QLatin1Char('\n') || c == QLatin1Char('\r') || Cp949::isEscape(c.unicode()); });
        if (x.trimmed().isEmpty())
            x = QStringLiteral("[x]");
        // Entries of one run differ, and none holds another (as "[Exam D-1]" and "[Exam D-10]").
        if (std::none_of(pool.cbegin(), pool.cend(), [&](const QString& p) { return p.contains(x) || x.contains(p); }))
            pool.append(x);
    }
    const QByteArray ops = in.bytes(32);
    // The day as a file of any bytes reads it.
    const QString text = DayFiles::joinLines(in.rest());
    const QString e = pool.first();
    const std::string what = "entry " + shown(e) + " day " + shown(text);

    const QString merged = DayFiles::mergeEntry(text, e);
    require(merged.size() <= text.size() + e.size() + 1, "merge grew more than the entry: " + what);
    require(DayFiles::mergeEntry(merged, e) == merged, "a second registration changed the day: " + what);

    // Below the entry stands the day from its first part that is not the entry, every part kept.
    QStringList rest = text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    while (!rest.isEmpty() && rest.first() == e)
        rest.removeFirst();
    require(merged.split(QLatin1Char('\n')) == QStringList(e) + rest, "merge did not put the entry on top of every other part: " + what);

    // A day whose parts do not hold the entry gets back exactly what it had.
    const QString removed = DayFiles::removeEntry(merged, e);
    require(text.contains(e) || removed == text, "register and remove did not give the day back: " + what + " -> " + shown(removed));
    require(removed.size() <= merged.size(), "removal grew the day: " + what);

    // Stored and read again, the buffer is what Daybrook's reading rule gives back.
    const Cp949::Encoded file = Cp949::encode(merged);
    require(file.ok(), "the merged day cannot be stored: " + what);
    require(DayFiles::joinLines(file.bytes + "\r\n") == merged, "the stored day reads back otherwise: " + what);

    // Any run of registrations and removals over a few entries: a registration
    // adds at most the entry and its line feed, a removal never adds. (A copy of
    // the entry further down is the day's own and stays, so registering two
    // plans in turn may add each again.)
    QString day = text;
    for (const char op : ops) {
        const QString& x = pool[static_cast<unsigned char>(op) % pool.size()];
        const qsizetype before = day.size();
        day = (op & 0x80) ? DayFiles::removeEntry(day, x) : DayFiles::mergeEntry(day, x);
        require(day.size() <= before + ((op & 0x80) ? 0 : x.size() + 1), "the day grew more than the entry: " + what);
    }
    return 0;
}
