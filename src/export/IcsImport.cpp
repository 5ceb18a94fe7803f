#include "IcsImport.h"

#include "days/DayFiles.h"
#include "days/DayPlan.h"
#include "platform/Cp949.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <libical/ical.h>
#include <memory>

namespace td::ics {

namespace {

// A rule that repeats more often than this within the range (every minute,
// every second) is no day note; the bound also stops a rule with a huge COUNT.
constexpr qint64 kMaxStepsPerDay = 48;
constexpr qint64 kMaxStepsBeforeRange = 10'000'000;

struct Texts {
    bool korean;
    QString file;

    QString at(int line) const
    {
        if (line <= 0)
            return file;
        return korean ? QStringLiteral("%1, %2번째 줄").arg(file).arg(line)
                      : QStringLiteral("%1, line %2").arg(file).arg(line);
    }
    // The first line names where, the second what.
    QString notCalendar(int line) const
    {
        return at(line) + QLatin1Char('\r')
               + (korean ? QStringLiteral("iCalendar 파일이 아닙니다.") : QStringLiteral("This is not an iCalendar file."));
    }
    QString unterminated(int line, const QString& name) const
    {
        return at(line) + QLatin1Char('\r')
               + (korean ? QStringLiteral("여기서 시작한 %1이(가) 끝나지 않습니다. 파일이 잘렸을 수 있습니다.").arg(name)
                         : QStringLiteral("The %1 that begins here does not end. The file may be cut short.").arg(name));
    }
    QString mismatched(int line, const QString& end, const QString& open) const
    {
        return at(line) + QLatin1Char('\r')
               + (korean ? QStringLiteral("END:%1이(가) 열린 %2와(과) 맞지 않습니다.").arg(end, open)
                         : QStringLiteral("END:%1 does not close the open %2.").arg(end, open));
    }
    QString unreadable(int line, const QString& why) const
    {
        return at(line) + QLatin1Char('\r')
               + (korean ? QStringLiteral("읽을 수 없는 내용이 있습니다: %1").arg(why)
                         : QStringLiteral("Unreadable content: %1").arg(why));
    }
    QString notCp949(int line, const QString& summary, const QDate& day, const QString& bad) const
    {
        const QString date = day.toString(QStringLiteral("yyyy/M/d"));
        return at(line) + QLatin1Char('\r')
               + (korean ? QStringLiteral("일정 \"%1\"(%2)에 한국어 코드 페이지에 없는 문자 \"%3\"이(가) 있습니다.")
                               .arg(summary, date, bad)
                         : QStringLiteral("The event \"%1\" (%2) holds \"%3\", which the Korean code page cannot hold.")
                               .arg(summary, date, bad));
    }
    QString tooOften(int line, const QString& summary) const
    {
        return at(line) + QLatin1Char('\r')
               + (korean ? QStringLiteral("일정 \"%1\"이(가) 너무 자주 반복되어 가져올 수 없습니다.").arg(summary)
                         : QStringLiteral("The event \"%1\" repeats too often to be imported.").arg(summary));
    }
};

struct ComponentDeleter {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentDeleter>;

struct IteratorDeleter {
    void operator()(icalrecur_iterator* i) const { icalrecur_iterator_free(i); }
};

// The first parse error libical left in the component or below it.
QString firstError(icalcomponent* c)
{
    for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_XLICERROR_PROPERTY); p;
         p = icalcomponent_get_next_property(c, ICAL_XLICERROR_PROPERTY)) {
        // An empty value ("DESCRIPTION:", as calendar programs write) is valid
        // iCalendar that libical reports anyway; the property counts as absent.
        const QString e = QString::fromUtf8(icalproperty_get_xlicerror(p));
        if (!e.startsWith(QLatin1String("No value for ")))
            return e;
    }
    for (icalcomponent* sub = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); sub;
         sub = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT)) {
        const QString e = firstError(sub);
        if (!e.isEmpty())
            return e;
    }
    return QString();
}

// One event that landed on a day. A master's occurrence carries its instance,
// so that an override of that instance (RECURRENCE-ID) can take its place.
struct Landed {
    QDate day;
    QString entry;
    QString instance;
};

class Reader {
public:
    Reader(const QString& fileName, const QDate& first, const QDate& last, bool korean)
        : t_{korean, fileName}, first_(first), last_(last)
    {
    }
    ~Reader()
    {
        for (icaltimezone* z : std::as_const(zones_))
            icaltimezone_free(z, 1);
    }

    ImportResult run(const QByteArray& bytes);

private:
    bool scan(const QByteArray& bytes);
    bool component(const QByteArray& chunk, const QString& name, int line);
    bool event(icalcomponent* ev, int line);
    icaltimezone* zoneOf(icalproperty* p) const;
    icaltimetype timeOf(icalproperty* p, icaltimetype t) const
    {
        if (t.is_date)
            t.zone = nullptr;
        else if (icaltimezone* z = zoneOf(p))
            t.zone = z;
        return t;
    }
    QDate localDate(const icaltimetype& t) const;
    QString instanceKey(const icaltimetype& t) const;
    bool fail(const QString& message)
    {
        error_ = message;
        return false;
    }

    Texts t_;
    QDate first_, last_;
    QString error_;
    int events_ = 0;
    QHash<QString, icaltimezone*> zones_;
    QList<Landed> landed_;
    QSet<QString> overridden_;
};

ImportResult Reader::run(const QByteArray& bytes)
{
    ImportResult result;
    if (!scan(bytes)) {
        result.error = error_;
        return result;
    }
    result.events = events_;
    for (const Landed& l : std::as_const(landed_)) {
        if (!l.instance.isEmpty() && overridden_.contains(l.instance))
            continue;
        result.entriesByDay[l.day].append(l.entry);
    }
    return result;
}

// Walks the content lines, checks that every BEGIN has its END, and hands each
// component of a calendar to libical on its own.
bool Reader::scan(const QByteArray& bytes)
{
    struct Open {
        QString name;
        int line;
    };
    QList<Open> open;
    bool sawCalendar = false;
    qsizetype chunkStart = 0;
    const qsizetype n = bytes.size();
    // Some programs put a UTF-8 byte order mark in front.
    qsizetype pos = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    int lineNo = 0;
    // The next physical line: [pos, end), without its line end.
    auto physical = [&](qsizetype from, qsizetype* end, qsizetype* next) {
        qsizetype lf = bytes.indexOf('\n', from);
        if (lf < 0)
            lf = n;
        *next = lf < n ? lf + 1 : n;
        *end = lf > from && bytes[lf - 1] == '\r' ? lf - 1 : lf;
    };

    while (pos < n) {
        const int line = ++lineNo;
        const qsizetype lineStart = pos;
        qsizetype end, next;
        physical(pos, &end, &next);
        QByteArray logical = bytes.mid(pos, end - pos);
        pos = next;
        // Folded continuation lines belong to this one.
        while (pos < n && (bytes[pos] == ' ' || bytes[pos] == '\t')) {
            ++lineNo;
            physical(pos, &end, &next);
            logical += bytes.mid(pos + 1, end - pos - 1);
            pos = next;
        }
        if (logical.contains('\0'))
            return fail(open.isEmpty() ? t_.notCalendar(line) : t_.unreadable(line, QStringLiteral("NUL")));
        if (logical.trimmed().isEmpty())
            continue;

        const qsizetype colon = logical.indexOf(':');
        const QByteArray key = colon < 0 ? QByteArray() : logical.left(colon).trimmed().toUpper();
        const bool marker = key == "BEGIN" || key == "END";
        const QString value = marker ? QString::fromUtf8(logical.mid(colon + 1).trimmed()).toUpper() : QString();
        if (key == "BEGIN") {
            if (open.isEmpty()) {
                if (value != QLatin1String("VCALENDAR"))
                    return fail(t_.notCalendar(line));
                sawCalendar = true;
            } else if (open.size() == 1) {
                chunkStart = lineStart;
            }
            open.append({value, line});
            continue;
        }
        if (key == "END") {
            if (open.isEmpty())
                return fail(t_.notCalendar(line));
            if (open.last().name != value)
                return fail(t_.mismatched(line, value, open.last().name));
            const Open closed = open.takeLast();
            if (open.size() == 1 && !component(bytes.mid(chunkStart, pos - chunkStart), closed.name, closed.line))
                return false;
            continue;
        }
        if (open.isEmpty() || colon < 0) {
            // A last line without its line end was cut short with its component.
            if (pos >= n && !bytes.endsWith('\n') && !open.isEmpty())
                return fail(t_.unterminated(open.last().line, open.last().name));
            return fail(sawCalendar || !open.isEmpty() ? t_.unreadable(line, QString::fromUtf8(logical.left(60)))
                                                       : t_.notCalendar(line));
        }
    }
    if (!open.isEmpty())
        return fail(t_.unterminated(open.last().line, open.last().name));
    if (!sawCalendar)
        return fail(t_.notCalendar(0));
    return true;
}

bool Reader::component(const QByteArray& chunk, const QString& name, int line)
{
    const bool isEvent = name == QLatin1String("VEVENT");
    if (!isEvent && name != QLatin1String("VTIMEZONE"))
        return true; // to-dos, journals and the like carry no day notes
    Component c(icalparser_parse_string(chunk.constData()));
    if (!c)
        return fail(t_.unreadable(line, name));
    const QString error = firstError(c.get());
    if (!error.isEmpty())
        return fail(t_.unreadable(line, error));
    if (isEvent) {
        ++events_;
        return event(c.get(), line);
    }
    icalproperty* tzid = icalcomponent_get_first_property(c.get(), ICAL_TZID_PROPERTY);
    if (!tzid)
        return fail(t_.unreadable(line, QStringLiteral("VTIMEZONE without TZID")));
    const QString id = QString::fromUtf8(icalproperty_get_tzid(tzid));
    icaltimezone* zone = icaltimezone_new();
    if (!icaltimezone_set_component(zone, c.get())) {
        icaltimezone_free(zone, 1);
        return fail(t_.unreadable(line, name));
    }
    c.release(); // the zone owns it now
    if (icaltimezone* old = zones_.value(id))
        icaltimezone_free(old, 1);
    zones_.insert(id, zone);
    return true;
}

// The zone of a time property with a TZID: the file's own VTIMEZONE or, by
// name, libical's built-in zones. Null when there is none (a "Z" time is UTC
// already; a time without either floats).
icaltimezone* Reader::zoneOf(icalproperty* p) const
{
    icalparameter* param = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER);
    if (!param)
        return nullptr;
    const char* id = icalparameter_get_tzid(param);
    if (icaltimezone* z = zones_.value(QString::fromUtf8(id)))
        return z;
    // An unknown zone leaves the time on its own clock.
    return icaltimezone_get_builtin_timezone(id);
}

QDate Reader::localDate(const icaltimetype& t) const
{
    if (t.is_date || !t.zone)
        return QDate(t.year, t.month, t.day);
    const time_t secs = icaltime_as_timet_with_zone(t, t.zone);
    return QDateTime::fromSecsSinceEpoch(qint64(secs)).date();
}

QString Reader::instanceKey(const icaltimetype& t) const
{
    if (t.is_date)
        return QStringLiteral("D%1-%2-%3").arg(t.year).arg(t.month).arg(t.day);
    if (t.zone)
        return QStringLiteral("U%1").arg(qint64(icaltime_as_timet_with_zone(t, t.zone)));
    return QStringLiteral("F%1-%2-%3T%4:%5:%6").arg(t.year).arg(t.month).arg(t.day).arg(t.hour).arg(t.minute).arg(t.second);
}

bool Reader::event(icalcomponent* ev, int line)
{
    const QString uid = QString::fromUtf8(icalcomponent_get_uid(ev));
    if (icalproperty* rid = icalcomponent_get_first_property(ev, ICAL_RECURRENCEID_PROPERTY))
        overridden_.insert(uid + QLatin1Char('|') + instanceKey(timeOf(rid, icalproperty_get_recurrenceid(rid))));
    if (icalcomponent_get_status(ev) == ICAL_STATUS_CANCELLED)
        return true;
    icalproperty* startProp = icalcomponent_get_first_property(ev, ICAL_DTSTART_PROPERTY);
    if (!startProp)
        return true; // no date to land on
    const QString summary = QString::fromUtf8(icalcomponent_get_summary(ev));
    const QString entry = entryOf(summary);
    if (entry.isEmpty())
        return true;
    const icaltimetype start = timeOf(startProp, icalproperty_get_dtstart(startProp));
    const bool master = !icalcomponent_get_first_property(ev, ICAL_RECURRENCEID_PROPERTY);

    QList<icaltimetype> excluded;
    for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_EXDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(ev, ICAL_EXDATE_PROPERTY))
        excluded.append(timeOf(p, icalproperty_get_exdate(p)));
    auto isExcluded = [&](const icaltimetype& o) {
        for (icaltimetype e : std::as_const(excluded)) {
            if (e.zone && o.zone && e.zone != o.zone)
                e = icaltime_convert_to_zone(e, const_cast<icaltimezone*>(o.zone));
            if (e.year != o.year || e.month != o.month || e.day != o.day)
                continue;
            if (e.is_date || o.is_date || (e.hour == o.hour && e.minute == o.minute && e.second == o.second))
                return true;
        }
        return false;
    };

    bool checked = false;
    bool recurring = false;
    QDate lastLanded;
    auto land = [&](const icaltimetype& o) {
        const QDate day = localDate(o);
        // Several occurrences on one day give the day one entry.
        if (!day.isValid() || day < first_ || day > last_ || day == lastLanded || isExcluded(o))
            return true;
        lastLanded = day;
        if (!checked) {
            const Cp949::Encoded enc = Cp949::encode(entry);
            if (!enc.ok())
                return fail(t_.notCp949(line, summary, day, enc.badCharacter));
            checked = true;
        }
        landed_.append({day, entry, recurring && master ? uid + QLatin1Char('|') + instanceKey(o) : QString()});
        return true;
    };

    // Expanded in the start's own zone, which may be up to 26 hours from ours:
    // stop two days past the range, whatever the rule's COUNT.
    const QDate stopAfter = last_.addDays(2);
    const qint64 rangeSteps = (first_.daysTo(last_) + 5) * kMaxStepsPerDay;
    for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_RRULE_PROPERTY); p;
         p = icalcomponent_get_next_property(ev, ICAL_RRULE_PROPERTY)) {
        recurring = true;
        const icalrecurrencetype rule = icalproperty_get_rrule(p);
        std::unique_ptr<icalrecur_iterator, IteratorDeleter> it(icalrecur_iterator_new(rule, start));
        if (!it)
            return fail(t_.unreadable(line, QStringLiteral("RRULE")));
        // A rule without COUNT can start near the range instead of at the first occurrence.
        const QDate lead = first_.addDays(-2);
        if (rule.count == 0 && QDate(start.year, start.month, start.day) < lead) {
            icaltimetype from = start;
            from.year = lead.year();
            from.month = lead.month();
            from.day = lead.day();
            icalrecur_iterator_set_start(it.get(), from);
        }
        qint64 before = 0, within = 0;
        for (icaltimetype o = icalrecur_iterator_next(it.get()); !icaltime_is_null_time(o);
             o = icalrecur_iterator_next(it.get())) {
            const QDate own(o.year, o.month, o.day);
            if (own > stopAfter)
                break;
            if (own < lead ? ++before > kMaxStepsBeforeRange : ++within > rangeSteps)
                return fail(t_.tooOften(line, summary));
            o.zone = start.zone;
            if (!land(o))
                return false;
        }
    }
    for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_RDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(ev, ICAL_RDATE_PROPERTY)) {
        recurring = true;
        const icaldatetimeperiodtype rd = icalproperty_get_rdate(p);
        const icaltimetype o = icaltime_is_null_time(rd.time) ? rd.period.start : rd.time;
        if (!land(timeOf(p, o)))
            return false;
    }
    // The start is an occurrence of its own; a rule repeats it first.
    if (!icalcomponent_get_first_property(ev, ICAL_RRULE_PROPERTY) && !land(start))
        return false;
    return true;
}

} // namespace

QString entryOf(const QString& summary)
{
    QString s = summary;
    s.replace(QLatin1String("\r\n"), QLatin1String(" "));
    s.replace(QLatin1Char('\r'), QLatin1Char(' '));
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    s = s.trimmed();
    if (s.isEmpty())
        return s;
    if (s.startsWith(QLatin1Char('[')) && s.endsWith(QLatin1Char(']')) && s.indexOf(QLatin1Char(']')) == s.size() - 1)
        return s;
    return QLatin1Char('[') + s + QLatin1Char(']');
}

ImportResult readCalendar(const QByteArray& bytes, const QString& fileName, const QDate& first, const QDate& last,
                          bool korean)
{
    return Reader(fileName, first, last, korean).run(bytes);
}

DayPlan planEntries(const IFileSystem& fs, const QString& dataFolder, const QMap<QDate, QStringList>& entriesByDay)
{
    // Every entry of a day merged in file order, over every line of the day as a
    // register run reads it.
    const auto merge = [&entriesByDay](const QDate& day, const QString& text) {
        QString merged = text;
        for (const QString& entry : entriesByDay.value(day))
            merged = DayFiles::mergeEntry(merged, entry);
        return merged;
    };
    return planDays(fs, dataFolder, entriesByDay.keys(), merge, DayText::AllLines);
}

} // namespace td::ics
