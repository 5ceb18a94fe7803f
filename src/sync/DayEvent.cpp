#include "DayEvent.h"

#include "export/IcsExport.h"
#include "export/IcsImport.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <libical/ical.h>
#include <memory>

namespace td::sync {

namespace {

const QString kEndList = QStringLiteral("\n\nEnd List\n");

struct ComponentDeleter {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};

} // namespace

QByteArray dayEvent(const QDate& date, const QString& dayText, const QString* done, const QDateTime& stamp)
{
    ics::CalendarWriter writer(stamp);
    writer.addDay(date, dayText, done);
    return writer.serialize();
}

QString dayContent(const QString& dayText, const QString* done)
{
    // As the event carries it: control characters and stray bytes as the export writes them.
    return ics::calendarText(ics::dayDescription(dayText, done));
}

QString dayTextOf(const QString& content, const QString* done)
{
    if (done && content.endsWith(kEndList + *done))
        return content.left(content.size() - kEndList.size() - done->size());
    return content;
}

QString normalText(const QString& text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    qsizetype start = 0;
    while (start < t.size() && t[start] == QLatin1Char('\n'))
        ++start;
    return t.mid(start);
}

QByteArray contentDigest(const QString& content)
{
    return QCryptographicHash::hash(content.toUtf8(), QCryptographicHash::Sha256);
}

QString eventContent(const ServerEvent& ev, const std::optional<DayState>& base, bool* retitled)
{
    *retitled = false;
    const QString& d = ev.description;
    if (ev.summary.isEmpty() || ev.summary == ics::daySummary(d))
        return d;
    const bool sameText = base && contentDigest(d) == base->digest;
    const bool sameTitle = base && contentDigest(ev.summary) == base->title;
    if (sameTitle && !d.trimmed().isEmpty())
        return d; // the description was edited, the title left behind
    *retitled = true;
    if (!sameText)
        return d.trimmed().isEmpty() ? ev.summary : ev.summary + QLatin1Char('\n') + d;
    QStringList lines = d.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (!line.trimmed().isEmpty()) {
            line = ev.summary;
            break;
        }
    }
    return lines.join(QLatin1Char('\n'));
}

ServerEvent readEvent(const QByteArray& ics, const QDate& today, bool korean)
{
    ServerEvent ev;
    std::unique_ptr<icalcomponent, ComponentDeleter> cal(icalparser_parse_string(ics.constData()));
    if (!cal)
        return ev;
    icalcomponent* event = icalcomponent_isa(cal.get()) == ICAL_VEVENT_COMPONENT
                               ? cal.get()
                               : icalcomponent_get_first_component(cal.get(), ICAL_VEVENT_COMPONENT);
    if (!event)
        return ev;
    ev.readable = true;
    ev.uid = QString::fromUtf8(icalcomponent_get_uid(event));
    ev.summary = QString::fromUtf8(icalcomponent_get_summary(event)).trimmed();
    static const QRegularExpression ours(QStringLiteral("^(\\d{8})@tunedesk$"));
    const QRegularExpressionMatch m = ours.match(ev.uid);
    if (m.hasMatch())
        ev.day = QDate::fromString(m.captured(1), QStringLiteral("yyyyMMdd"));
    if (ev.ours()) {
        ev.description = normalText(QString::fromUtf8(icalcomponent_get_description(event)));
        return ev;
    }
    // Another client's event lands on its days as the import would land it; a
    // repeating one on its days within a year of today.
    const icaltimetype start = icalcomponent_get_dtstart(event);
    if (icaltime_is_null_time(start))
        return ev;
    const QDate startDay(start.year, start.month, start.day);
    const bool repeats = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY)
                         || icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY);
    QDate first = startDay.addDays(-2), last = startDay.addDays(2);
    if (repeats) {
        first = std::max(first, today.addDays(-366));
        last = today.addDays(366);
    }
    const ics::ImportResult r = ics::readCalendar(ics, ev.uid, first, last, korean);
    if (!r.ok())
        ev.problem = r.error;
    else if (!r.lossy.isEmpty())
        ev.problem = korean ? QStringLiteral("한국어 코드 페이지에 없는 문자가 있습니다: %1").arg(r.lossy.first().text)
                            : QStringLiteral("it holds characters the Korean code page lacks: %1").arg(r.lossy.first().text);
    else
        ev.entries = r.entriesByDay;
    return ev;
}

} // namespace td::sync
