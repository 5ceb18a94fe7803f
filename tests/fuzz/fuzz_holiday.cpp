// Holiday entries: the fields come back out of the entry built from them, and
// a list stored over any old Holiday.dat loads back as it was.
#include "FuzzSupport.h"
#include "holidays/HolidayEntry.h"
#include "holidays/HolidayFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in(data, size);
    QStringList entries;
    for (int n = in.number(6); n > 0; --n) {
        // The combo boxes offer "1".."12" and "1".."31", or nothing chosen.
        const int month = in.number(13), day = in.number(32);
        const bool solar = in.byte() & 1;
        const QString title = (in.byte() & 1) ? in.anyText(24) : Cp949::decode(in.bytes(40));
        const QString monthText = month ? QString::number(month) : QString(), dayText = day ? QString::number(day) : QString();
        const QString entry = HolidayEntry::build(monthText, dayText, solar, title);
        const HolidayEntry::Fields f = HolidayEntry::parse(entry);
        const std::string what = shown(entry);
        require(f.month == (month ? std::optional<int>(month) : std::nullopt), "month lost: " + what);
        require(f.day == (day ? std::optional<int>(day) : std::nullopt), "day lost: " + what);
        require(f.solar == std::optional<bool>(solar), "kind lost: " + what);
        // The list click trims spaces from both ends of "title]" before it drops
        // the last character, so leading spaces go and trailing ones stay.
        qsizetype lead = 0;
        while (lead < title.size() && title[lead] == QLatin1Char(' ')) ++lead;
        require(f.title == std::optional<QString>(title.mid(lead)), "title lost: " + what + " gave " + shown(f.title.value_or("<none>")));
        if (HolidayEntry::refusal(entry, true).isEmpty()) {
            require(Cp949::encode(entry).bytes.size() <= HolidayEntry::kMaxBytes, "an entry too long for Daybrook passed: " + what);
            entries.append(entry);
        }
    }

    // Whatever Holiday.dat held before, the stored list is what loads.
    MemoryFileSystem fs;
    const QString path = QStringLiteral("/prog/Holiday.dat");
    const QByteArray old = in.rest();
    if (!old.isEmpty())
        fs.files.insert(path, old);
    const IoStatus st = HolidayFile::store(fs, path, entries);
    require(st.ok, "storing accepted entries failed: " + st.reason.toStdString());
    require(HolidayFile::load(fs, path) == entries,
            "the list did not load back: " + std::to_string(entries.size()) + " entries stored over " + shown(old));
    return 0;
}
