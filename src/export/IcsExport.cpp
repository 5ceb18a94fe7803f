#include "IcsExport.h"

#include "holidays/HolidayEntry.h"

#include <QCryptographicHash>
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

// libical takes UTF-8. A byte of a day file that is no CP949 character has no
// UTF-8 form: it becomes the replacement character.
QByteArray utf8(const QString& text)
{
    return text.toUtf8();
}

// A stable name for a holiday entry, so that exporting again updates it.
QString holidayKey(const QString& entry)
{
    return QString::fromLatin1(QCryptographicHash::hash(entry.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}

} // namespace

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

void CalendarWriter::addAllDayEvent(const QString& uid, const QDate& date, const QString& summary,
                                    const QString& description, bool yearly)
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
    if (yearly) {
        icalrecurrencetype rule;
        icalrecurrencetype_clear(&rule);
        rule.freq = ICAL_YEARLY_RECURRENCE;
        icalcomponent_add_property(event, icalproperty_new_rrule(rule));
    }
    if (!summary.isEmpty())
        icalcomponent_add_property(event, icalproperty_new_summary(utf8(summary).constData()));
    if (!description.isEmpty())
        icalcomponent_add_property(event, icalproperty_new_description(utf8(description).constData()));
    icalcomponent_add_property(event, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
    icalcomponent_add_component(calendar_, event);
    ++events_;
}

void CalendarWriter::addDay(const QDate& date, const QString& dayText, const QString* done)
{
    addAllDayEvent(dayUid(date), date, daySummary(dayText), dayDescription(dayText, done), false);
}

void CalendarWriter::addHolidays(const QStringList& entries, const QDate& first, const QDate& last,
                                 const LunarToSolar& lunarToSolar)
{
    for (const QString& entry : entries) {
        const HolidayEntry::Fields f = HolidayEntry::parse(entry);
        if (!f.month || !f.day || !f.solar || !f.title)
            continue;
        const QString title = f.title->trimmed();
        const QString key = QStringLiteral("holiday-") + holidayKey(entry);
        if (*f.solar) {
            // The first date of the range that has the day: 29 February may wait for a leap year.
            for (int year = first.year(); year <= last.year() + 8; ++year) {
                const QDate d(year, *f.month, *f.day);
                if (d.isValid() && d >= first) {
                    addAllDayEvent(key + QStringLiteral("@tunedesk"), d, title, QString(), true);
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
                               title, QString(), false);
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
