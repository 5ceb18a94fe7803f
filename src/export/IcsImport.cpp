#include "IcsImport.h"

#include "IcsExport.h"

#include "days/DayFiles.h"
#include "days/DayPlan.h"
#include "platform/Cp949.h"
#include "platform/Spaces.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <libical/ical.h>
#include <memory>

namespace td::ics {

namespace {

// All rules of one file together may take this long to expand; a file made to
// spin libical's iterator loses its remaining rules, each named, not the window.
constexpr qint64 kExpansionBudgetMs = 5000;
// How often reading tells its progress.
constexpr qsizetype kProgressBytes = 256 * 1024;

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
    QString notEncoded() const
    {
        return file + QLatin1Char('\r')
               + (korean ? QStringLiteral("UTF-8도 한국어 코드 페이지(CP949)도 아닌 글자가 있어 읽을 수 없습니다.")
                         : QStringLiteral("The file is neither UTF-8 nor in the Korean code page (CP949)."));
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
    QString datesUnreadable(int line, const QString& title, const QString& property) const
    {
        return at(line) + QLatin1Char('\r')
               + (korean ? QStringLiteral("일정 \"%1\"의 %2을(를) 읽을 수 없습니다.").arg(title, property)
                         : QStringLiteral("The %2 of the event \"%1\" cannot be read.").arg(title, property));
    }

    // Skipped parts, one line each.
    QString where(int line) const
    {
        return korean ? QStringLiteral("%1번째 줄: ").arg(line) : QStringLiteral("line %1: ").arg(line);
    }
    QString partUnreadable(int line, const QString& title, const QString& part) const
    {
        return where(line) + (korean ? QStringLiteral("일정 \"%1\"의 %2을(를) 읽을 수 없어 빼고 가져옵니다.").arg(title, part) : QStringLiteral("the %2 of the event \"%1\" cannot be read and is left out.").arg(title, part));
    }
    QString eventRefused(int line, const QString& title, const QString& why) const
    {
        return where(line) + (korean ? QStringLiteral("일정 \"%1\"은(는) %2 가져오지 않습니다.").arg(title, why) : QStringLiteral("the event \"%1\" is not imported: %2.").arg(title, why));
    }
    QString withinDay() const
    {
        return korean ? QStringLiteral("하루에 여러 번 반복되어") : QStringLiteral("it repeats within a day");
    }
    QString tooManySteps() const
    {
        return korean ? QStringLiteral("반복을 다 셀 수 없어") : QStringLiteral("its repetitions are too many to be read");
    }
    QString titleTooLong() const
    {
        return korean ? QStringLiteral("제목이 %1자보다 길어").arg(kMaxTitle)
                      : QStringLiteral("its title is longer than %1 characters").arg(kMaxTitle);
    }
    QString noStart() const
    {
        return korean ? QStringLiteral("시작(DTSTART)이 없어") : QStringLiteral("it has no start (DTSTART)");
    }
    QString partRefused(int line, const QString& name, bool deep) const
    {
        if (korean)
            return where(line) + (deep ? QStringLiteral("%1 안에 구성 요소가 %2단계보다 깊이 들어 있어 가져오지 않습니다.").arg(name).arg(kMaxDepth) : QStringLiteral("%1에 1 MiB보다 긴 줄이 있어 가져오지 않습니다.").arg(name));
        return where(line) + (deep ? QStringLiteral("the %1 nests components deeper than %2 levels and is not imported.").arg(name).arg(kMaxDepth) : QStringLiteral("the %1 holds a line longer than 1 MiB and is not imported.").arg(name));
    }
    QString zoneUnreadable(int line) const
    {
        return where(line) + (korean ? QStringLiteral("시간대(VTIMEZONE)를 읽을 수 없어 그 시간대의 시각은 적힌 그대로 읽습니다.") : QStringLiteral("a time zone (VTIMEZONE) cannot be read; times in it are taken as written."));
    }
    QString untitled() const { return korean ? QStringLiteral("(제목 없음)") : QStringLiteral("(no title)"); }
};

struct ComponentDeleter {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentDeleter>;

struct IteratorDeleter {
    void operator()(icalrecur_iterator* i) const { icalrecur_iterator_free(i); }
};

// The colon that ends a content line's name and parameters: the first one outside quotes.
qsizetype valueColon(const QByteArray& line)
{
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"')
            quoted = !quoted;
        else if (c == ':' && !quoted)
            return i;
    }
    return -1;
}

// A top-level component of the calendar, as found by the scan.
struct Part {
    QByteArray name;
    int line = 0;
    qsizetype begin = 0, end = 0;
    bool tooDeep = false;
    bool tooLong = false;
    int badLines = 0;           // lines without a name and value
    QByteArray uid, rid, stamp; // raw values, to tell versions apart
    qint64 sequence = 0;
};

// A component's text for libical, which reads C strings: a NUL would cut it short.
QByteArray chunkOf(const QByteArray& bytes, const Part& part)
{
    return bytes.mid(part.begin, part.end - part.begin).replace('\0', ' ');
}

// The event's own properties that have a value (not those of its alarms), by
// name, and their names in file order: the ones libical drops are the broken ones.
QHash<QByteArray, int> ownProperties(const QByteArray& bytes, const Part& part, QList<QByteArray>* names)
{
    QHash<QByteArray, int> counts;
    int depth = 0;
    qsizetype pos = part.begin;
    QByteArray logical;
    auto take = [&] {
        if (logical.isEmpty())
            return;
        const qsizetype colon = valueColon(logical);
        qsizetype nameEnd = logical.indexOf(';');
        if (nameEnd < 0 || (colon >= 0 && colon < nameEnd))
            nameEnd = colon;
        const QByteArray key = nameEnd < 0 ? QByteArray() : logical.left(nameEnd).trimmed().toUpper();
        if (key == "BEGIN")
            ++depth;
        else if (key == "END")
            --depth;
        else if (depth == 1 && !key.isEmpty() && colon >= 0 && !logical.mid(colon + 1).trimmed().isEmpty()) {
            if (!counts.contains(key))
                names->append(key);
            ++counts[key];
        }
        logical.clear();
    };
    while (pos < part.end) {
        qsizetype lf = bytes.indexOf('\n', pos);
        if (lf < 0 || lf > part.end)
            lf = part.end;
        const qsizetype end = lf > pos && bytes[lf - 1] == '\r' ? lf - 1 : lf;
        if (bytes[pos] == ' ' || bytes[pos] == '\t') {
            logical += bytes.mid(pos + 1, end - pos - 1);
        } else {
            take();
            logical = bytes.mid(pos, end - pos);
        }
        pos = lf + 1;
    }
    take();
    return counts;
}

// The properties whose loss makes an event unreadable: they place it on its days.
const QList<QByteArray> kDateProperties = {"DTSTART", "DTEND", "DURATION", "RRULE", "RDATE", "EXDATE", "RECURRENCE-ID"};

// An occurrence that landed on a day of the range.
struct Landed {
    QDate day;
    qint64 key; // local start, seconds, for the day's order
    int order;  // the event's place in the file, for equal starts
    QString entry;
    QString instance; // a master's occurrence: its instance, so an override can take its place
};

// How many properties of a kind the parsed component kept.
int countOf(icalcomponent* c, icalproperty_kind kind)
{
    int n = 0;
    for (icalproperty* p = icalcomponent_get_first_property(c, kind); p; p = icalcomponent_get_next_property(c, kind))
        ++n;
    return n;
}

bool hasError(icalcomponent* c)
{
    for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_XLICERROR_PROPERTY); p;
         p = icalcomponent_get_next_property(c, ICAL_XLICERROR_PROPERTY)) {
        // An empty value ("DESCRIPTION:", as calendar programs write) is valid
        // iCalendar that libical reports anyway; the property counts as absent.
        if (!QByteArray(icalproperty_get_xlicerror(p)).startsWith("No value for "))
            return true;
    }
    return false;
}

// The kind of the first sub-component that libical could not read whole.
QString brokenSub(icalcomponent* c)
{
    for (icalcomponent* sub = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); sub;
         sub = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT)) {
        if (hasError(sub) || !brokenSub(sub).isEmpty())
            return QString::fromUtf8(icalcomponent_kind_to_string(icalcomponent_isa(sub)));
    }
    return QString();
}

// A rule whose days of the month exist in none of its months never occurs; libical
// would walk its iterator through the centuries looking for one.
bool neverOccurs(const icalrecurrencetype& rule)
{
    if (rule.by_month_day[0] == ICAL_RECURRENCE_ARRAY_MAX)
        return false;
    QList<int> months;
    for (int i = 0; i < ICAL_BY_MONTH_SIZE && rule.by_month[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i)
        months << icalrecurrencetype_month_month(rule.by_month[i]);
    if (months.isEmpty())
        months = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    static const int kLongest[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int i = 0; i < ICAL_BY_MONTHDAY_SIZE && rule.by_month_day[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i) {
        const int d = std::abs(int(rule.by_month_day[i]));
        for (int m : std::as_const(months)) {
            if (m >= 1 && m <= 12 && d >= 1 && d <= kLongest[m - 1])
                return false;
        }
    }
    return true;
}

QString cleanTitle(const QString& summary)
{
    QString s = summary;
    s.replace(QLatin1String("\r\n"), QLatin1String(" "));
    for (QChar& c : s) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == QChar(0x2028) || c == QChar(0x2029))
            c = QLatin1Char(' ');
    }
    return s.trimmed();
}

class Reader {
public:
    Reader(const QString& fileName, const ImportOptions& o) : t_{o.korean, fileName}, o_(o) {}
    ~Reader()
    {
        for (icaltimezone* z : std::as_const(zones_))
            icaltimezone_free(z, 1);
    }

    ImportResult run(QByteArray bytes);

private:
    bool tick(int percent)
    {
        if (o_.progress && !o_.progress(percent)) {
            r_.cancelled = true;
            return false;
        }
        return true;
    }
    bool scan(const QByteArray& bytes);
    void zone(const QByteArray& bytes, const Part& part);
    bool event(const QByteArray& bytes, const Part& part, int order);
    bool ownDay(icalcomponent* ev, const QDate& date, int line);
    icaltimezone* zoneOf(icalproperty* p) const;
    icaltimetype timeOf(icalproperty* p, icaltimetype t) const
    {
        if (t.is_date)
            t.zone = nullptr;
        else if (icaltimezone* z = zoneOf(p))
            t.zone = z;
        return t;
    }
    static QDateTime local(const icaltimetype& t);
    static QString instanceKey(const icaltimetype& t);
    bool fail(const QString& message)
    {
        r_.error = message;
        return false;
    }
    void refuse(int line, const QString& title, const QString& why)
    {
        r_.skipped << t_.eventRefused(line, title, why);
        ++r_.leftOut.refused;
    }
    void outside(const QDate& day)
    {
        ++r_.leftOut.outside;
        if (!day.isValid())
            return;
        LeftOut& l = r_.leftOut;
        if (!l.outsideFirst.isValid() || day < l.outsideFirst)
            l.outsideFirst = day;
        if (!l.outsideLast.isValid() || day > l.outsideLast)
            l.outsideLast = day;
    }

    Texts t_;
    ImportOptions o_;
    ImportResult r_;
    QList<Part> parts_;
    QHash<QString, icaltimezone*> zones_;
    QList<Landed> landed_;
    QSet<QString> overridden_;
    qint64 expansionMs_ = 0;
};

ImportResult Reader::run(QByteArray bytes)
{
    // Some programs put a UTF-8 byte order mark in front.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    if (!QByteArrayView(bytes).isValidUtf8()) {
        bool clean = false;
        const QString text = Cp949::decode(bytes, &clean);
        if (!clean) {
            r_.error = t_.notEncoded();
            return r_;
        }
        bytes = text.toUtf8();
        r_.readAsCp949 = true;
    }
    if (!scan(bytes)) {
        if (!r_.cancelled)
            r_.entriesByDay.clear();
        return r_;
    }
    // Time zones first: a file may define one after the events that use it.
    for (const Part& p : std::as_const(parts_)) {
        if (p.name == "VTIMEZONE" && !p.tooDeep && !p.tooLong)
            zone(bytes, p);
    }
    // Of the versions of an event, the newest counts.
    QHash<QByteArray, int> newest;
    for (int i = 0; i < parts_.size(); ++i) {
        const Part& p = parts_[i];
        if (p.name != "VEVENT" || p.uid.isEmpty())
            continue;
        const QByteArray key = p.uid + '\n' + p.rid;
        const auto it = newest.find(key);
        if (it == newest.end()) {
            newest.insert(key, i);
            continue;
        }
        const Part& q = parts_[*it];
        if (p.sequence > q.sequence || (p.sequence == q.sequence && p.stamp >= q.stamp))
            *it = i;
    }
    const qsizetype count = parts_.size();
    for (int i = 0; i < count; ++i) {
        if (i % 256 == 0 && !tick(40 + int(60 * i / std::max<qsizetype>(count, 1))))
            return r_;
        const Part& p = parts_[i];
        if (p.name == "VTODO") {
            ++r_.leftOut.todos;
            continue;
        }
        if (p.name == "VJOURNAL") {
            ++r_.leftOut.journals;
            continue;
        }
        if (p.name != "VEVENT")
            continue;
        ++r_.events;
        if (!p.uid.isEmpty() && newest.value(p.uid + '\n' + p.rid) != i)
            continue; // an older version
        if (p.tooDeep || p.tooLong) {
            r_.skipped << t_.partRefused(p.line, QString::fromLatin1(p.name), p.tooDeep);
            ++r_.leftOut.refused;
            continue;
        }
        if (!event(bytes, p, i)) {
            r_.entriesByDay.clear();
            r_.ownDays.clear();
            return r_;
        }
    }

    std::stable_sort(landed_.begin(), landed_.end(), [](const Landed& a, const Landed& b) {
        if (a.day != b.day)
            return a.day < b.day;
        return a.key != b.key ? a.key < b.key : a.order < b.order;
    });
    for (const Landed& l : std::as_const(landed_)) {
        if (!l.instance.isEmpty() && overridden_.contains(l.instance))
            continue;
        QStringList& day = r_.entriesByDay[l.day];
        // Two events of one title on one day make one line: the day holds it.
        if (!day.contains(l.entry))
            day.append(l.entry);
    }
    tick(100);
    return r_;
}

// Walks the content lines, checks that every BEGIN has its END, and notes each
// component of a calendar with what the later passes need to know of it.
bool Reader::scan(const QByteArray& bytes)
{
    QList<QByteArray> open; // names, up to the depth bound
    int beyond = 0;         // components opened below the depth bound
    QList<int> openLines;
    bool sawCalendar = false;
    const qsizetype n = bytes.size();
    qsizetype pos = 0;
    qsizetype nextTick = kProgressBytes;
    int lineNo = 0;
    Part part;
    // The next physical line: [pos, end), without its line end.
    auto physical = [&](qsizetype from, qsizetype* end, qsizetype* next) {
        qsizetype lf = bytes.indexOf('\n', from);
        if (lf < 0)
            lf = n;
        *next = lf < n ? lf + 1 : n;
        *end = lf > from && bytes[lf - 1] == '\r' ? lf - 1 : lf;
    };

    while (pos < n) {
        if (pos >= nextTick) {
            if (!tick(int(40 * pos / n)))
                return false;
            nextTick = pos + kProgressBytes;
        }
        const int line = ++lineNo;
        const qsizetype lineStart = pos;
        qsizetype end, next;
        physical(pos, &end, &next);
        QByteArray logical = bytes.mid(pos, std::min(end - pos, kMaxLine + 1));
        bool tooLong = end - pos > kMaxLine;
        pos = next;
        // Folded continuation lines belong to this one.
        while (pos < n && (bytes[pos] == ' ' || bytes[pos] == '\t')) {
            ++lineNo;
            physical(pos, &end, &next);
            if (!tooLong && logical.size() + (end - pos - 1) <= kMaxLine)
                logical += bytes.mid(pos + 1, end - pos - 1);
            else
                tooLong = true;
            pos = next;
        }
        if (logical.contains('\0')) {
            if (open.isEmpty())
                return fail(t_.notCalendar(line));
            ++part.badLines;
            continue;
        }
        if (logical.trimmed().isEmpty())
            continue;
        if (tooLong) {
            if (open.isEmpty())
                return fail(t_.notCalendar(line));
            part.tooLong = true;
            continue;
        }

        const qsizetype colon = valueColon(logical);
        const qsizetype nameEnd = [&] {
            qsizetype semi = logical.indexOf(';');
            return semi >= 0 && (colon < 0 || semi < colon) ? semi : colon;
        }();
        const QByteArray key = nameEnd < 0 ? QByteArray() : logical.left(nameEnd).trimmed().toUpper();
        const QByteArray value = colon < 0 ? QByteArray() : logical.mid(colon + 1);
        if (key == "BEGIN") {
            const QByteArray name = value.trimmed().toUpper();
            if (open.isEmpty()) {
                if (name != "VCALENDAR")
                    return fail(t_.notCalendar(line));
                sawCalendar = true;
            } else if (open.size() == 1) {
                part = Part();
                part.name = name;
                part.line = line;
                part.begin = lineStart;
            }
            if (open.size() >= kMaxDepth) {
                part.tooDeep = true;
                ++beyond;
                continue;
            }
            open.append(name);
            openLines.append(line);
            continue;
        }
        if (key == "END") {
            if (beyond > 0) {
                --beyond;
                continue;
            }
            if (open.isEmpty())
                return fail(t_.notCalendar(line));
            const QByteArray name = value.trimmed().toUpper();
            if (open.last() != name)
                return fail(t_.mismatched(line, QString::fromUtf8(name), QString::fromUtf8(open.last())));
            open.removeLast();
            openLines.removeLast();
            if (open.size() == 1) {
                part.end = pos;
                parts_.append(std::move(part));
                part = Part();
            }
            continue;
        }
        if (open.isEmpty()) {
            // A last line without its line end was cut short with its component.
            return fail(t_.notCalendar(line));
        }
        if (colon < 0 || key.isEmpty()) {
            // A last line without its line end was cut short with its component.
            if (pos >= n && !bytes.endsWith('\n'))
                return fail(t_.unterminated(openLines.last(), QString::fromUtf8(open.last())));
            ++part.badLines;
            continue;
        }
        // What tells the versions of an event apart.
        if (open.size() == 2 && beyond == 0 && !value.trimmed().isEmpty()) {
            if (key == "UID")
                part.uid = value.trimmed();
            else if (key == "RECURRENCE-ID")
                part.rid = logical.mid(nameEnd).trimmed();
            else if (key == "DTSTAMP")
                part.stamp = value.trimmed();
            else if (key == "SEQUENCE")
                part.sequence = value.trimmed().toLongLong();
        }
    }
    if (!open.isEmpty())
        return fail(t_.unterminated(openLines.last(), QString::fromUtf8(open.last())));
    if (!sawCalendar)
        return fail(t_.notCalendar(0));
    return true;
}

void Reader::zone(const QByteArray& bytes, const Part& part)
{
    Component c(icalparser_parse_string(chunkOf(bytes, part).constData()));
    icalproperty* tzid = c ? icalcomponent_get_first_property(c.get(), ICAL_TZID_PROPERTY) : nullptr;
    if (!c || !tzid) {
        r_.skipped << t_.zoneUnreadable(part.line);
        return;
    }
    const QString id = QString::fromUtf8(icalproperty_get_tzid(tzid));
    icaltimezone* z = icaltimezone_new();
    if (!icaltimezone_set_component(z, c.get())) {
        icaltimezone_free(z, 1);
        r_.skipped << t_.zoneUnreadable(part.line);
        return;
    }
    c.release(); // the zone owns it now
    if (icaltimezone* old = zones_.value(id))
        icaltimezone_free(old, 1);
    zones_.insert(id, z);
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

// The time on this computer's clock: a zoned time converted, a floating one as written.
QDateTime Reader::local(const icaltimetype& t)
{
    if (t.is_date)
        return QDateTime(QDate(t.year, t.month, t.day), QTime(0, 0));
    if (!t.zone)
        return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second));
    return QDateTime::fromSecsSinceEpoch(qint64(icaltime_as_timet_with_zone(t, t.zone)));
}

QString Reader::instanceKey(const icaltimetype& t)
{
    if (t.is_date)
        return QStringLiteral("D%1-%2-%3").arg(t.year).arg(t.month).arg(t.day);
    if (t.zone)
        return QStringLiteral("U%1").arg(qint64(icaltime_as_timet_with_zone(t, t.zone)));
    return QStringLiteral("F%1-%2-%3T%4:%5:%6").arg(t.year).arg(t.month).arg(t.day).arg(t.hour).arg(t.minute).arg(t.second);
}

bool Reader::event(const QByteArray& bytes, const Part& part, int order)
{
    const int line = part.line;
    Component c(icalparser_parse_string(chunkOf(bytes, part).constData()));
    icalcomponent* ev = c && icalcomponent_isa(c.get()) == ICAL_VEVENT_COMPONENT ? c.get() : nullptr;
    const QString rawTitle = ev ? QString::fromUtf8(icalcomponent_get_summary(ev)) : QString();
    const QString shownTitle = rawTitle.trimmed().isEmpty() ? t_.untitled() : cleanTitle(rawTitle).left(60);
    if (!ev)
        return fail(t_.datesUnreadable(line, shownTitle, QStringLiteral("VEVENT")));

    // What places the event on its days must be read whole; anything else may be left out.
    QString lost;
    QList<QByteArray> names;
    const QHash<QByteArray, int> props = ownProperties(bytes, part, &names);
    for (const QByteArray& name : std::as_const(names)) {
        const icalproperty_kind kind = icalproperty_string_to_kind(name.constData());
        if (kind == ICAL_X_PROPERTY || kind == ICAL_NO_PROPERTY)
            continue;
        if (countOf(ev, kind) >= props.value(name))
            continue;
        if (kDateProperties.contains(name))
            return fail(t_.datesUnreadable(line, shownTitle, QString::fromLatin1(name)));
        if (lost.isEmpty())
            lost = QString::fromLatin1(name);
    }
    if (lost.isEmpty() && part.badLines > 0)
        lost = t_.korean ? QStringLiteral("줄") : QStringLiteral("line");
    if (lost.isEmpty() && hasError(ev))
        lost = t_.korean ? QStringLiteral("속성") : QStringLiteral("property");
    if (!lost.isEmpty())
        r_.skipped << t_.partUnreadable(line, shownTitle, lost);
    if (const QString sub = brokenSub(ev); !sub.isEmpty())
        r_.skipped << t_.partUnreadable(line, shownTitle, sub);

    const QString uid = QString::fromUtf8(icalcomponent_get_uid(ev));
    icalproperty* ridProp = icalcomponent_get_first_property(ev, ICAL_RECURRENCEID_PROPERTY);
    if (ridProp)
        overridden_.insert(uid + QLatin1Char('|') + instanceKey(timeOf(ridProp, icalproperty_get_recurrenceid(ridProp))));
    if (icalcomponent_get_status(ev) == ICAL_STATUS_CANCELLED) {
        ++r_.leftOut.cancelled;
        return true;
    }
    icalproperty* startProp = icalcomponent_get_first_property(ev, ICAL_DTSTART_PROPERTY);
    if (!startProp) {
        refuse(line, shownTitle, t_.noStart());
        return true;
    }
    const icaltimetype start = timeOf(startProp, icalproperty_get_dtstart(startProp));
    const QDateTime startLocal = local(start);

    // This program's own export: the day comes back whole; its holidays stay in Holiday.dat.
    static const QRegularExpression ownUid(QStringLiteral("^(\\d{8})@tunedesk$"));
    static const QRegularExpression holidayUid(QStringLiteral("^holiday-[0-9a-f]+(-\\d+)?@tunedesk$"));
    if (const QRegularExpressionMatch m = ownUid.match(uid); m.hasMatch() && start.is_date
                                                             && QDate::fromString(m.captured(1), QStringLiteral("yyyyMMdd")) == startLocal.date()) {
        return ownDay(ev, startLocal.date(), line);
    }
    if (holidayUid.match(uid).hasMatch()) {
        ++r_.leftOut.holidays;
        return true;
    }

    const QString title = cleanTitle(rawTitle);
    if (title.isEmpty()) {
        ++r_.leftOut.untitled;
        return true;
    }
    if (title.size() > kMaxTitle) {
        refuse(line, shownTitle, t_.titleTooLong());
        return true;
    }
    const QString written = storable(title);

    // How long each occurrence lasts: whole days for an all-day event (its end is
    // the day after its last), seconds for a timed one.
    qint64 durDays = 1, durSecs = 0;
    if (icalproperty* endProp = icalcomponent_get_first_property(ev, ICAL_DTEND_PROPERTY)) {
        const icaltimetype end = timeOf(endProp, icalproperty_get_dtend(endProp));
        if (start.is_date)
            durDays = startLocal.date().daysTo(QDate(end.year, end.month, end.day));
        else
            durSecs = startLocal.secsTo(local(end));
    } else if (icalproperty* durProp = icalcomponent_get_first_property(ev, ICAL_DURATION_PROPERTY)) {
        const qint64 secs = icaldurationtype_as_int(icalproperty_get_duration(durProp));
        durDays = secs / 86400;
        durSecs = secs;
    }
    durDays = std::max<qint64>(durDays, 1);
    durSecs = std::max<qint64>(durSecs, 0);

    QSet<QString> excludedKeys;
    QSet<QDate> excludedDays;
    for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_EXDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(ev, ICAL_EXDATE_PROPERTY)) {
        const icaltimetype e = timeOf(p, icalproperty_get_exdate(p));
        if (e.is_date)
            excludedDays.insert(QDate(e.year, e.month, e.day));
        else
            excludedKeys.insert(instanceKey(e));
    }

    const bool recurring = icalcomponent_get_first_property(ev, ICAL_RRULE_PROPERTY)
                           || icalcomponent_get_first_property(ev, ICAL_RDATE_PROPERTY);
    const bool master = !ridProp;
    QSet<QDate> days; // one line a day, however many occurrences touch it
    int landings = 0;
    auto land = [&](icaltimetype o) {
        if (o.is_date ? excludedDays.contains(QDate(o.year, o.month, o.day))
                      : excludedKeys.contains(instanceKey(o)) || excludedDays.contains(QDate(o.year, o.month, o.day)))
            return;
        const QDateTime from = local(o);
        if (!from.isValid())
            return;
        const QDate firstDay = from.date();
        const QDate lastDay = start.is_date ? firstDay.addDays(durDays - 1)
                                            : (durSecs > 0 ? std::max(firstDay, from.addSecs(durSecs - 1).date()) : firstDay);
        const qint64 key = firstDay.toJulianDay() * 86400 + (start.is_date ? 0 : from.time().msecsSinceStartOfDay() / 1000);
        const QString instance = recurring && master ? uid + QLatin1Char('|') + instanceKey(o) : QString();
        for (QDate d = std::max(firstDay, o_.first); d <= lastDay && d <= o_.last; d = d.addDays(1)) {
            if (days.contains(d))
                continue;
            days.insert(d);
            ++landings;
            // The start time goes with the first day; the days after carry the title.
            const QString entry = entryOf(written, !start.is_date && d == firstDay ? from.time() : QTime());
            landed_.append({d, key, order, entry, instance});
        }
    };

    // A rule is walked in the start's own zone, which may be up to 26 hours from ours,
    // and an occurrence may begin before the range and last into it.
    const QDate lead = o_.first.addDays(-(std::max(durDays, durSecs / 86400 + 1) + 2));
    const QDate stopAfter = o_.last.addDays(2);
    const qint64 rangeSteps = (o_.first.daysTo(o_.last) + 5) * kMaxStepsPerDay;
    bool refused = false;
    for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_RRULE_PROPERTY); p && !refused;
         p = icalcomponent_get_next_property(ev, ICAL_RRULE_PROPERTY)) {
        icalrecurrencetype rule = icalproperty_get_rrule(p);
        if (rule.freq == ICAL_SECONDLY_RECURRENCE || rule.freq == ICAL_MINUTELY_RECURRENCE
            || rule.freq == ICAL_HOURLY_RECURRENCE) {
            refuse(line, shownTitle, t_.withinDay());
            refused = true;
            break;
        }
        if (rule.freq == ICAL_NO_RECURRENCE || neverOccurs(rule))
            continue;
        if (expansionMs_ > kExpansionBudgetMs) {
            refuse(line, shownTitle, t_.tooManySteps());
            refused = true;
            break;
        }
        QElapsedTimer clock;
        clock.start();
        std::unique_ptr<icalrecur_iterator, IteratorDeleter> it(icalrecur_iterator_new(rule, start));
        if (!it)
            return fail(t_.datesUnreadable(line, shownTitle, QStringLiteral("RRULE")));
        // A rule without COUNT can start near the range instead of at its first occurrence.
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
            if ((own < lead ? ++before > kMaxStepsBeforeRange : ++within > rangeSteps)
                || expansionMs_ + clock.elapsed() > kExpansionBudgetMs) {
                refuse(line, shownTitle, t_.tooManySteps());
                refused = true;
                break;
            }
            o.zone = start.zone;
            land(o);
        }
        expansionMs_ += clock.elapsed();
    }
    if (refused) {
        // Nothing of a refused event stays.
        while (!landed_.isEmpty() && landed_.last().order == order)
            landed_.removeLast();
        return true;
    }
    for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_RDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(ev, ICAL_RDATE_PROPERTY)) {
        const icaldatetimeperiodtype rd = icalproperty_get_rdate(p);
        land(timeOf(p, icaltime_is_null_time(rd.time) ? rd.period.start : rd.time));
    }
    // The start is an occurrence of its own; a rule repeats it first.
    if (!icalcomponent_get_first_property(ev, ICAL_RRULE_PROPERTY))
        land(start);
    if (landings == 0)
        outside(startLocal.date());
    else if (written != title)
        r_.lossy.append({line, title, written});
    return true;
}

// A day of the own export. The description holds the day's text and, below
// "End List", its finished items; the exact bytes ride along in X-TUNEDESK-DAY
// and X-TUNEDESK-DONE and are taken when they still read as that text (a
// calendar program may have edited the description since).
bool Reader::ownDay(icalcomponent* ev, const QDate& date, int line)
{
    if (date < o_.first || date > o_.last) {
        outside(date);
        return true;
    }
    const QString description = QString::fromUtf8(icalcomponent_get_description(ev));
    std::optional<QByteArray> dayBytes, doneBytes;
    for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(ev, ICAL_X_PROPERTY)) {
        const QByteArray name = icalproperty_get_x_name(p);
        const QByteArray value = QByteArray::fromBase64(icalproperty_get_x(p));
        if (name == "X-TUNEDESK-DAY")
            dayBytes = value;
        else if (name == "X-TUNEDESK-DONE")
            doneBytes = value;
    }
    static const QString kEndList = QStringLiteral("\n\nEnd List\n");
    QString dayText = description, doneText;
    bool hasDone = false;
    if (dayBytes && description.startsWith(calendarText(DayFiles::joinLines(*dayBytes)))) {
        dayText = calendarText(DayFiles::joinLines(*dayBytes));
        const QString rest = description.mid(dayText.size());
        if (!rest.isEmpty() && !rest.startsWith(kEndList))
            dayBytes.reset();
        hasDone = rest.startsWith(kEndList);
        doneText = rest.mid(kEndList.size());
    } else {
        dayBytes.reset();
        const qsizetype at = description.indexOf(kEndList);
        hasDone = at >= 0;
        dayText = hasDone ? description.left(at) : description;
        doneText = hasDone ? description.mid(at + kEndList.size()) : QString();
    }
    if (!dayBytes && trimSpaces(dayText).isEmpty()) {
        ++r_.leftOut.untitled;
        return true;
    }
    // Text without its bytes is stored as the program stores a day: LF between lines, CR LF at the end.
    auto store = [&](const QString& text) {
        const QString written = storable(text);
        if (written != text)
            r_.lossy.append({line, text, written});
        return Cp949::encode(written).bytes + QByteArrayLiteral("\r\n");
    };
    OwnDay own;
    own.day = dayBytes ? *dayBytes : store(dayText);
    if (hasDone)
        own.done = doneBytes && calendarText(DayFiles::joinLines(*doneBytes)) == doneText ? *doneBytes : store(doneText);
    r_.ownDays.insert(date, own);
    return true;
}

// A day's text read for its lines: every LF-separated part of every line.
QStringList linesOf(const QByteArray& bytes)
{
    const QString text = DayFiles::joinLines(bytes);
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

// The lines the day does not hold yet go on top of it, in their order; a day
// that holds them all keeps its bytes.
QByteArray mergeLines(const std::optional<QByteArray>& before, const QStringList& lines)
{
    QSet<QString> held;
    if (before) {
        for (const QString& l : linesOf(*before))
            held.insert(trimSpaces(l));
    }
    QStringList added;
    for (const QString& l : lines) {
        const QString key = trimSpaces(l);
        if (key.isEmpty() || held.contains(key))
            continue;
        held.insert(key);
        added << l;
    }
    if (added.isEmpty())
        return before.value_or(QByteArray());
    const QString rest = before ? DayFiles::allLines(*before) : QString();
    const QString text = trimSpaces(rest).isEmpty() ? added.join(QLatin1Char('\n'))
                                                    : added.join(QLatin1Char('\n')) + QLatin1Char('\n') + rest;
    return Cp949::encode(text).bytes + QByteArrayLiteral("\r\n");
}

} // namespace

QString storable(const QString& text)
{
    if (Cp949::canEncode(text))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        const QStringView one = QStringView(text).mid(i, n);
        // The escapes of stray bytes are a file's own, never a calendar's text.
        const bool keeps = !(n == 1 && Cp949::isEscape(one[0].unicode())) && Cp949::canEncode(one);
        if (keeps)
            out += one;
        else
            out += QChar(kLostMark);
        i += n;
    }
    return out;
}

QString entryOf(const QString& summary, const QTime& start)
{
    QString s = cleanTitle(summary);
    if (s.isEmpty())
        return s;
    const bool bracketed = s.startsWith(QLatin1Char('[')) && s.endsWith(QLatin1Char(']'))
                           && s.indexOf(QLatin1Char(']')) == s.size() - 1;
    if (start.isValid())
        return QLatin1Char('[') + start.toString(QStringLiteral("HH:mm")) + QLatin1Char(' ')
               + (bracketed ? s.mid(1, s.size() - 2) : s) + QLatin1Char(']');
    return bracketed ? s : QLatin1Char('[') + s + QLatin1Char(']');
}

ImportResult readCalendar(const QByteArray& bytes, const QString& fileName, const ImportOptions& options)
{
    return Reader(fileName, options).run(bytes);
}

DayPlan planImport(const IFileSystem& fs, const QString& dataFolder, const ImportResult& read)
{
    DayPlan plan;
    QList<QDate> dates = read.entriesByDay.keys();
    for (auto it = read.ownDays.cbegin(); it != read.ownDays.cend(); ++it) {
        if (!read.entriesByDay.contains(it.key()))
            dates << it.key();
    }
    std::sort(dates.begin(), dates.end());
    auto fail = [&plan](const QString& path, const QString& reason) {
        if (plan.failedDays++ == 0) {
            plan.firstFailure = path;
            plan.firstReason = reason;
        }
    };
    auto current = [&](const QString& path, std::optional<QByteArray>& bytes) {
        if (!fs.fileExists(path))
            return true;
        QByteArray b;
        const IoStatus st = fs.readAll(path, b);
        if (!st.ok) {
            fail(path, st.reason);
            return false;
        }
        bytes = std::move(b);
        return true;
    };
    for (const QDate& date : std::as_const(dates)) {
        DayChange day;
        day.date = date;
        day.path = DayFiles::dayFile(dataFolder, date);
        if (!current(day.path, day.before))
            continue;
        day.after = day.before;
        const auto own = read.ownDays.constFind(date);
        if (own != read.ownDays.cend()) {
            // An own day comes back as it was; into a day that has moved on, its lines are added.
            if (!day.after)
                day.after = own->day;
            else if (*day.after != own->day)
                day.after = mergeLines(day.after, linesOf(own->day));
        }
        const QStringList entries = read.entriesByDay.value(date);
        if (!entries.isEmpty())
            day.after = mergeLines(day.after, entries);
        plan.days.append(day);

        if (own == read.ownDays.cend() || !own->done)
            continue;
        DayChange done;
        done.date = date;
        done.companion = true;
        done.path = DayFiles::companionFile(dataFolder, date);
        if (!current(done.path, done.before))
            continue;
        done.after = !done.before ? *own->done
                                  : (*done.before == *own->done ? done.before : mergeLines(done.before, linesOf(*own->done)));
        plan.days.append(done);
    }
    return plan;
}

QString importNotes(bool korean, const ImportResult& read)
{
    QStringList out;
    out << (korean ? QStringLiteral("파일에서 일정 %1개를 읽었습니다.").arg(read.events)
                   : QStringLiteral("%1 event(s) read from the file.").arg(read.events));
    if (read.readAsCp949)
        out << (korean ? QStringLiteral("파일을 한국어 코드 페이지(CP949)로 읽었습니다.")
                       : QStringLiteral("The file was read in the Korean code page (CP949)."));
    const LeftOut& l = read.leftOut;
    QStringList left;
    auto add = [&](int n, const char* ko, const char* en) {
        if (n > 0)
            left << (korean ? QString::fromUtf8(ko) : QString::fromUtf8(en)).arg(n);
    };
    add(l.untitled, "제목 없는 일정 %1개", "%1 without a title");
    add(l.todos, "할 일 %1개", "%1 to-do(s)");
    add(l.journals, "일지 %1개", "%1 journal entr(ies)");
    add(l.cancelled, "취소된 일정 %1개", "%1 cancelled");
    add(l.holidays, "이 프로그램이 내보낸 공휴일 %1개", "%1 holiday(s) of this program's export");
    add(l.refused, "아래에 적은 일정 %1개", "%1 named below");
    if (l.outside > 0) {
        const QString span = l.outsideFirst.isValid()
                                 ? QStringLiteral(" (%1~%2)").arg(l.outsideFirst.toString(QStringLiteral("yyyy/M/d")), l.outsideLast.toString(QStringLiteral("yyyy/M/d")))
                                 : QString();
        left << (korean ? QStringLiteral("고른 달 밖의 일정 %1개%2") : QStringLiteral("%1 outside the chosen months%2"))
                    .arg(l.outside)
                    .arg(span);
    }
    if (!left.isEmpty())
        out << (korean ? QStringLiteral("가져오지 않는 것: ") : QStringLiteral("Left out: ")) + left.join(QStringLiteral(", "));
    if (!read.skipped.isEmpty()) {
        out << (korean ? QStringLiteral("건너뛴 부분:") : QStringLiteral("Skipped:"));
        for (const QString& s : read.skipped)
            out << QStringLiteral("  ") + s;
    }
    if (!read.lossy.isEmpty()) {
        out << (korean ? QStringLiteral("한국어 코드 페이지에 없는 글자가 %1(으)로 바뀌는 일정 (가져오면 이대로 씁니다):").arg(QChar(kLostMark))
                       : QStringLiteral("Events whose characters the Korean code page lacks, written with %1 in their place if imported:")
                             .arg(QChar(kLostMark)));
        for (const LossyEvent& e : read.lossy)
            out << (korean ? QStringLiteral("  %1번째 줄: %2 → %3") : QStringLiteral("  line %1: %2 → %3")).arg(e.line).arg(e.text, e.written);
    }
    return out.join(QLatin1Char('\n'));
}

} // namespace td::ics
