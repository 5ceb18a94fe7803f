#include "IcsExport.h"

#include "holidays/HolidayEntry.h"
#include "platform/Cp949.h"
#include "platform/Spaces.h"

#include <QCryptographicHash>
#include <QSet>
#include <cstdlib>
#include <libical/ical.h>

namespace td::ics {

namespace {

icaltimetype dateValue(const QDate& d)
{
    icaltimetype t = icaltime_null_date();
    t.year = d.year();
    t.month = d.month();
    t.day = d.day();
    return t;
}

// libical takes UTF-8 and writes text as it gets it. A byte of a day file that
// is no CP949 character, NUL and the other control characters (but line feed
// and tab) become the replacement character: never raw in the file.
QByteArray utf8(const QString& text)
{
    return calendarText(text).toUtf8();
}

// The exact bytes of a day's file ride along when they are of a day's size.
constexpr qsizetype kMaxCarriedBytes = 256 * 1024;

void addBytes(icalcomponent* event, const char* name, const QByteArray* bytes)
{
    if (!bytes || bytes->size() > kMaxCarriedBytes)
        return;
    icalproperty* p = icalproperty_new_x(bytes->toBase64().constData());
    icalproperty_set_x_name(p, name);
    icalcomponent_add_property(event, p);
}

// A stable name for a holiday entry, so that exporting again updates it.
QString holidayKey(const QString& entry)
{
    return QString::fromLatin1(QCryptographicHash::hash(entry.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}

} // namespace

QString calendarText(const QString& text)
{
    QString clean = text;
    for (QChar& c : clean) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\n' && u != u'\t') || u == 0x7F || c.isSurrogate())
            c = QChar(QChar::ReplacementCharacter);
    }
    return clean;
}

QString daySummary(const QString& dayText)
{
    for (const QString& line : dayText.split(QLatin1Char('\n'))) {
        const QString t = line.trimmed();
        if (!t.isEmpty())
            return t;
    }
    return QString();
}

QString dayDescription(const QString& dayText, const QString* done)
{
    if (!done)
        return dayText;
    return dayText + QStringLiteral("\n\nEnd List\n") + *done;
}

QString dayUid(const QDate& date)
{
    return date.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral("@tunedesk");
}

CalendarWriter::CalendarWriter(const QDateTime& stamp) : stamp_(stamp.toUTC())
{
    calendar_ = icalcomponent_new(ICAL_VCALENDAR_COMPONENT);
    icalcomponent_add_property(calendar_, icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar_, icalproperty_new_prodid("-//Tunedesk//Daybrook day notes//KO"));
    icalcomponent_add_property(calendar_, icalproperty_new_calscale("GREGORIAN"));
}

CalendarWriter::~CalendarWriter()
{
    icalcomponent_free(calendar_);
}

icalcomponent* CalendarWriter::addAllDayEvent(const QString& uid, const QDate& date, const QString& summary,
                                              const QString& description, const QDate& yearlyUntil)
{
    icalcomponent* event = icalcomponent_new(ICAL_VEVENT_COMPONENT);
    icalcomponent_add_property(event, icalproperty_new_uid(utf8(uid).constData()));
    icaltimetype stamp = icaltime_null_time();
    const QDate sd = stamp_.date();
    const QTime st = stamp_.time();
    stamp.year = sd.year();
    stamp.month = sd.month();
    stamp.day = sd.day();
    stamp.hour = st.hour();
    stamp.minute = st.minute();
    stamp.second = st.second();
    stamp.zone = icaltimezone_get_utc_timezone();
    icalcomponent_add_property(event, icalproperty_new_dtstamp(stamp));
    icalcomponent_add_property(event, icalproperty_new_dtstart(dateValue(date)));
    icalcomponent_add_property(event, icalproperty_new_dtend(dateValue(date.addDays(1))));
    if (yearlyUntil.isValid()) {
        icalrecurrencetype rule;
        icalrecurrencetype_clear(&rule);
        rule.freq = ICAL_YEARLY_RECURRENCE;
        rule.until = dateValue(yearlyUntil);
        icalcomponent_add_property(event, icalproperty_new_rrule(rule));
    }
    if (!summary.isEmpty())
        icalcomponent_add_property(event, icalproperty_new_summary(utf8(summary).constData()));
    if (!description.isEmpty())
        icalcomponent_add_property(event, icalproperty_new_description(utf8(description).constData()));
    icalcomponent_add_property(event, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
    icalcomponent_add_component(calendar_, event);
    ++events_;
    return event;
}

bool CalendarWriter::addDay(const QDate& date, const QString& dayText, const QString* done, const QByteArray* dayBytes,
                            const QByteArray* doneBytes)
{
    // A blank day has no title; calendar programs stumble over an untitled event.
    const QString summary = daySummary(dayText).isEmpty() && done ? daySummary(*done) : daySummary(dayText);
    if (summary.isEmpty())
        return false;
    icalcomponent* event = addAllDayEvent(dayUid(date), date, summary, dayDescription(dayText, done));
    addBytes(event, "X-TUNEDESK-DAY", dayBytes);
    if (done)
        addBytes(event, "X-TUNEDESK-DONE", doneBytes);
    return true;
}

void CalendarWriter::addHolidays(const QStringList& entries, const QDate& first, const QDate& last,
                                 const LunarToSolar& lunarToSolar)
{
    QSet<QString> seen; // one event per UID: a repeated entry gives none of its own
    for (const QString& entry : entries) {
        const HolidayEntry::Fields f = HolidayEntry::parse(entry);
        if (!f.month || !f.day || !f.solar || !f.title)
            continue;
        const QString title = f.title->trimmed();
        const QString key = QStringLiteral("holiday-") + holidayKey(entry);
        if (seen.contains(key))
            continue;
        seen.insert(key);
        if (*f.solar) {
            // The first date of the range that has the day (29 February may wait for a
            // leap year), repeated yearly up to the range's last day, as the lunar ones are bounded.
            for (int year = first.year(); year <= last.year(); ++year) {
                const QDate d(year, *f.month, *f.day);
                if (d.isValid() && d >= first && d <= last) {
                    addAllDayEvent(key + QStringLiteral("@tunedesk"), d, title, QString(), last);
                    break;
                }
            }
            continue;
        }
        if (!lunarToSolar)
            continue;
        // A lunar year that begins in the year before the range reaches into its January and February.
        for (int year = first.year() - 1; year <= last.year(); ++year) {
            const std::optional<QDate> d = lunarToSolar(year, *f.month, *f.day);
            if (d && d->isValid() && *d >= first && *d <= last)
                addAllDayEvent(key + QLatin1Char('-') + QString::number(year) + QStringLiteral("@tunedesk"), *d,
                               title, QString());
        }
    }
}

QByteArray CalendarWriter::serialize() const
{
    char* text = icalcomponent_as_ical_string_r(calendar_);
    QByteArray bytes(text);
    std::free(text);
    return bytes;
}

} // namespace td::ics
