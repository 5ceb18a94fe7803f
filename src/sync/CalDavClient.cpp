#include "CalDavClient.h"

#include <QCryptographicHash>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QSslCertificate>
#include <QSslError>
#include <QTimer>
#include <QXmlStreamReader>
#include <deque>

namespace td::sync {

namespace {

constexpr int kMaxRedirects = 5;
constexpr int kMultigetChunk = 200;

QString normalFingerprint(QString hex)
{
    hex.remove(QLatin1Char(':'));
    return hex.trimmed().toUpper();
}

QString fingerprintOf(const QSslCertificate& cert)
{
    const QByteArray hex = cert.digest(QCryptographicHash::Sha256).toHex().toUpper();
    QStringList pairs;
    for (qsizetype i = 0; i < hex.size(); i += 2)
        pairs.append(QString::fromLatin1(hex.mid(i, 2)));
    return pairs.join(QLatin1Char(':'));
}

QByteArray xmlEscape(const QString& s)
{
    return s.toHtmlEscaped().toUtf8();
}

} // namespace

QString hrefKey(const QString& href)
{
    QString path = QUrl(href).path(QUrl::FullyDecoded);
    return path.isEmpty() ? QUrl::fromPercentEncoding(href.toUtf8()) : path;
}

bool parseMultistatus(const QByteArray& body, Multistatus& out)
{
    QXmlStreamReader xml(body);
    bool sawMultistatus = false;
    DavItem item;
    DavItem props; // the props of the propstat being read
    int propstatStatus = 0;
    QStringList path; // local names from the root
    auto inside = [&path](const char* name) { return path.contains(QLatin1String(name)); };
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QString name = xml.name().toString();
            path.append(name);
            if (name == QLatin1String("multistatus")) {
                sawMultistatus = true;
            } else if (name == QLatin1String("response")) {
                item = DavItem();
            } else if (name == QLatin1String("propstat")) {
                props = DavItem();
                propstatStatus = 0;
            } else if (name == QLatin1String("calendar") && inside("resourcetype")) {
                props.isCalendar = true;
            } else if (name == QLatin1String("sync-collection") && inside("supported-report-set")) {
                props.supportsSync = true;
            } else if (name == QLatin1String("href") && path.size() >= 2) {
                const QString parent = path[path.size() - 2];
                const QString text = xml.readElementText().trimmed();
                path.removeLast();
                if (parent == QLatin1String("response"))
                    item.href = text;
                else if (parent == QLatin1String("current-user-principal"))
                    props.principal = text;
                else if (parent == QLatin1String("calendar-home-set") && props.home.isEmpty())
                    props.home = text;
            } else if (name == QLatin1String("getetag") || name == QLatin1String("calendar-data")
                       || name == QLatin1String("displayname") || name == QLatin1String("status")
                       || name == QLatin1String("sync-token")) {
                const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                path.removeLast();
                if (name == QLatin1String("getetag"))
                    props.etag = text.trimmed().toUtf8();
                else if (name == QLatin1String("calendar-data"))
                    props.data = text.toUtf8();
                else if (name == QLatin1String("displayname"))
                    props.displayName = text;
                else if (name == QLatin1String("sync-token") && path.size() == 1)
                    out.syncToken = text.trimmed();
                else if (name == QLatin1String("status")) {
                    const int code = text.section(QLatin1Char(' '), 1, 1).toInt();
                    if (!path.isEmpty() && path.last() == QLatin1String("propstat"))
                        propstatStatus = code;
                    else if (code == 404 || code == 410)
                        item.gone = true;
                }
            }
        } else if (xml.isEndElement()) {
            const QString name = xml.name().toString();
            if (name == QLatin1String("propstat") && (propstatStatus == 0 || propstatStatus / 100 == 2)) {
                if (!props.etag.isEmpty()) item.etag = props.etag;
                if (!props.data.isEmpty()) item.data = props.data;
                if (!props.displayName.isEmpty()) item.displayName = props.displayName;
                if (!props.principal.isEmpty()) item.principal = props.principal;
                if (!props.home.isEmpty()) item.home = props.home;
                item.isCalendar |= props.isCalendar;
                item.supportsSync |= props.supportsSync;
            } else if (name == QLatin1String("response")) {
                out.items.append(item);
            }
            if (!path.isEmpty())
                path.removeLast();
        }
    }
    return sawMultistatus && !xml.hasError();
}

struct CalDavClient::Pending {
    QByteArray verb;
    QUrl url;
    QByteArray body;
    QMap<QByteArray, QByteArray> headers;
    int redirects = 0;
    QString certificateSha;
};

CalDavClient::CalDavClient(Options options) : options_(std::move(options)), nam_(std::make_unique<QNetworkAccessManager>())
{
    nam_->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

CalDavClient::~CalDavClient() = default;

std::shared_ptr<CalDavClient::Pending> CalDavClient::make(const QByteArray& verb, const QUrl& url, const QByteArray& body,
                                                          const QMap<QByteArray, QByteArray>& headers) const
{
    auto p = std::make_shared<Pending>();
    p->verb = verb;
    p->url = url;
    p->body = body;
    p->headers = headers;
    return p;
}

QList<DavReply> CalDavClient::run(const QList<std::shared_ptr<Pending>>& requests,
                                  const std::function<void(int, const DavReply&)>& done, int parallel)
{
    QList<DavReply> replies(requests.size());
    std::deque<int> queue;
    for (int i = 0; i < requests.size(); ++i)
        queue.push_back(i);
    QEventLoop loop;
    int inFlight = 0;
    bool stop = false;
    DavError stopError = DavError::None;

    const QByteArray auth = "Basic " + (options_.user + QLatin1Char(':') + options_.password).toUtf8().toBase64();
    std::function<void()> pump;
    std::function<void(int)> send = [&](int i) {
        Pending& p = *requests[i];
        QNetworkRequest req(p.url);
        req.setTransferTimeout(options_.timeoutMs);
        req.setRawHeader("Authorization", auth);
        req.setRawHeader("User-Agent", "Tunedesk");
        for (auto it = p.headers.cbegin(); it != p.headers.cend(); ++it)
            req.setRawHeader(it.key(), it.value());
        QNetworkReply* reply = nam_->sendCustomRequest(req, p.verb, p.body);
        ++requests_;
        ++inFlight;
        QObject::connect(reply, &QNetworkReply::sslErrors, reply, [this, reply, &p](const QList<QSslError>& errors) {
            const QSslCertificate cert = reply->sslConfiguration().peerCertificate();
            p.certificateSha = fingerprintOf(cert);
            if (!options_.pinnedSha256.isEmpty() && normalFingerprint(options_.pinnedSha256) == normalFingerprint(p.certificateSha))
                reply->ignoreSslErrors(errors);
        });
        QObject::connect(reply, &QNetworkReply::finished, &loop, [&, i, reply] {
            --inFlight;
            reply->deleteLater();
            Pending& p = *requests[i];
            DavReply r;
            r.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            r.body = reply->readAll();
            r.etag = reply->rawHeader("ETag");
            r.certificateSha = p.certificateSha;
            if (r.status == 0) {
                if (reply->error() == QNetworkReply::SslHandshakeFailedError && !p.certificateSha.isEmpty()) {
                    r.error = DavError::Untrusted;
                } else {
                    r.error = DavError::Unreachable;
                }
                // The transfer timeout aborts a request the server leaves unanswered.
                r.detail = reply->error() == QNetworkReply::OperationCanceledError
                               ? QStringLiteral("no answer within %1 s").arg(options_.timeoutMs / 1000)
                               : reply->errorString();
            } else if (r.status / 100 == 3 && reply->hasRawHeader("Location") && p.redirects < kMaxRedirects) {
                ++p.redirects;
                p.url = p.url.resolved(QUrl::fromEncoded(reply->rawHeader("Location")));
                if (!stop)
                    send(i);
                return;
            } else if (r.status / 100 == 2) {
                r.error = DavError::None;
            } else {
                r.error = r.status == 401                        ? DavError::Unauthorized
                          : r.status == 412                      ? DavError::Precondition
                          : (r.status == 404 || r.status == 410) ? DavError::NotFound
                                                                 : DavError::Server;
                r.detail = QStringLiteral("%1 %2").arg(r.status).arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
            }
            replies[i] = r;
            if (done)
                done(i, r);
            const bool fatal = r.error != DavError::None && r.error != DavError::Precondition && r.error != DavError::NotFound;
            if (fatal && !stop) {
                stop = true;
                stopError = r.error;
            }
            pump();
        });
    };
    pump = [&] {
        while (!stop && inFlight < parallel && !queue.empty()) {
            const int i = queue.front();
            queue.pop_front();
            send(i);
        }
        if (inFlight == 0)
            loop.quit();
    };

    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        // What is in flight finishes, so its outcome is known; nothing more is sent.
        if (!stop && cancelled_ && cancelled_()) {
            stop = true;
            stopError = DavError::Cancelled;
        }
    });
    poll.start();
    if (cancelled_ && cancelled_())
        stop = true, stopError = DavError::Cancelled;
    pump();
    if (inFlight > 0)
        loop.exec();
    // Requests never sent carry the reason the batch stopped.
    for (int i : queue) {
        replies[i].error = stopError == DavError::None ? DavError::Cancelled : stopError;
        replies[i].detail = QStringLiteral("not sent");
    }
    return replies;
}

DavReply CalDavClient::request(const QByteArray& verb, QUrl url, const QByteArray& body,
                               const QMap<QByteArray, QByteArray>& headers)
{
    return run({make(verb, url, body, headers)}, {}, 1).first();
}

DavReply CalDavClient::write(const QList<Write>& writes, const std::function<void(int, const DavReply&)>& done)
{
    QList<std::shared_ptr<Pending>> requests;
    for (const Write& w : writes) {
        QMap<QByteArray, QByteArray> headers;
        if (w.kind == Write::Put) {
            headers.insert("Content-Type", "text/calendar; charset=utf-8");
            if (w.etag.isEmpty())
                headers.insert("If-None-Match", "*");
        }
        if (!w.etag.isEmpty())
            headers.insert("If-Match", w.etag);
        requests.append(make(w.kind == Write::Put ? "PUT" : "DELETE", w.url, w.body, headers));
    }
    DavReply first;
    const QList<DavReply> replies = run(requests, done, std::max(1, options_.parallel));
    for (const DavReply& r : replies) {
        if (r.error != DavError::None && r.error != DavError::Precondition && r.error != DavError::NotFound) {
            first = r;
            if (r.detail != QLatin1String("not sent"))
                break;
        }
    }
    return first;
}

namespace {

const QMap<QByteArray, QByteArray> kXmlDepth0{{"Content-Type", "application/xml; charset=utf-8"}, {"Depth", "0"}};
const QMap<QByteArray, QByteArray> kXmlDepth1{{"Content-Type", "application/xml; charset=utf-8"}, {"Depth", "1"}};

DavReply parsed(DavReply r, Multistatus& ms)
{
    if (r.ok() && !parseMultistatus(r.body, ms)) {
        r.error = DavError::Protocol;
        r.detail = QStringLiteral("%1: no multistatus").arg(r.status);
    }
    return r;
}

} // namespace

DavReply CalDavClient::discover(const QUrl& url, Found& found)
{
    found = Found();
    const QByteArray propfind =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
        "<d:propfind xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\"><d:prop>"
        "<d:resourcetype/><d:current-user-principal/><c:calendar-home-set/><d:supported-report-set/>"
        "</d:prop></d:propfind>";
    Multistatus ms;
    DavReply r = parsed(request("PROPFIND", url, propfind, kXmlDepth0), ms);
    if (!r.ok() && r.error != DavError::NotFound && r.error != DavError::Server && r.error != DavError::Protocol)
        return r;
    if (r.ok() && !ms.items.isEmpty() && ms.items.first().isCalendar) {
        found.calendar = url;
        found.calendarSupportsSync = ms.items.first().supportsSync;
        return r;
    }
    QString principal = r.ok() && !ms.items.isEmpty() ? ms.items.first().principal : QString();
    QString home = r.ok() && !ms.items.isEmpty() ? ms.items.first().home : QString();
    QUrl at = url;
    if (principal.isEmpty() && home.isEmpty()) {
        // The well-known address redirects to where the server keeps its principals.
        at = url.resolved(QUrl(QStringLiteral("/.well-known/caldav")));
        ms = Multistatus();
        r = parsed(request("PROPFIND", at, propfind, kXmlDepth0), ms);
        if (!r.ok())
            return r;
        principal = ms.items.isEmpty() ? QString() : ms.items.first().principal;
        home = ms.items.isEmpty() ? QString() : ms.items.first().home;
    }
    if (home.isEmpty() && !principal.isEmpty()) {
        at = at.resolved(QUrl(principal));
        ms = Multistatus();
        r = parsed(request("PROPFIND", at, propfind, kXmlDepth0), ms);
        if (!r.ok())
            return r;
        home = ms.items.isEmpty() ? QString() : ms.items.first().home;
    }
    if (home.isEmpty()) {
        r.error = DavError::Protocol;
        r.detail = QStringLiteral("no calendar-home-set");
        return r;
    }
    found.home = at.resolved(QUrl(home));
    return r;
}

DavReply CalDavClient::listCalendars(const QUrl& home, QList<DavCalendar>& calendars)
{
    const QByteArray propfind =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
        "<d:propfind xmlns:d=\"DAV:\"><d:prop><d:resourcetype/><d:displayname/><d:supported-report-set/>"
        "</d:prop></d:propfind>";
    Multistatus ms;
    const DavReply r = parsed(request("PROPFIND", home, propfind, kXmlDepth1), ms);
    calendars.clear();
    for (const DavItem& item : std::as_const(ms.items)) {
        if (!item.isCalendar)
            continue;
        const QUrl url = home.resolved(QUrl(item.href));
        calendars.append({url, item.displayName.isEmpty() ? url.fileName() : item.displayName, item.supportsSync});
    }
    return r;
}

DavReply CalDavClient::makeCalendar(const QUrl& home, const QString& name, QUrl& created)
{
    QString slug = name.toLower();
    slug.replace(QRegularExpression(QStringLiteral("[^a-z0-9]+")), QStringLiteral("-"));
    QUrl url = home;
    QString path = url.path();
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    url.setPath(path + (slug.isEmpty() ? QStringLiteral("daybrook") : slug) + QLatin1Char('/'));
    const QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                            "<c:mkcalendar xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\"><d:set><d:prop>"
                            "<d:displayname>"
                            + xmlEscape(name)
                            + "</d:displayname>"
                              "<c:supported-calendar-component-set><c:comp name=\"VEVENT\"/></c:supported-calendar-component-set>"
                              "</d:prop></d:set></c:mkcalendar>";
    const DavReply r = request("MKCALENDAR", url, body, {{"Content-Type", "application/xml; charset=utf-8"}});
    if (r.ok())
        created = url;
    return r;
}

DavReply CalDavClient::supportsSync(const QUrl& calendar, bool& supported)
{
    const QByteArray propfind = "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                                "<d:propfind xmlns:d=\"DAV:\"><d:prop><d:supported-report-set/></d:prop></d:propfind>";
    Multistatus ms;
    const DavReply r = parsed(request("PROPFIND", calendar, propfind, kXmlDepth0), ms);
    supported = r.ok() && !ms.items.isEmpty() && ms.items.first().supportsSync;
    return r;
}

DavReply CalDavClient::listEvents(const QUrl& calendar, QList<DavItem>& events)
{
    const QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                            "<c:calendar-query xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\">"
                            "<d:prop><d:getetag/></d:prop>"
                            "<c:filter><c:comp-filter name=\"VCALENDAR\"><c:comp-filter name=\"VEVENT\"/></c:comp-filter></c:filter>"
                            "</c:calendar-query>";
    Multistatus ms;
    const DavReply r = parsed(request("REPORT", calendar, body, kXmlDepth1), ms);
    events.clear();
    const QString self = hrefKey(calendar.path());
    for (const DavItem& item : std::as_const(ms.items))
        if (!item.gone && hrefKey(item.href) != self)
            events.append(item);
    return r;
}

DavReply CalDavClient::changesSince(const QUrl& calendar, const QString& token, DavChanges& changes)
{
    auto report = [&](const QString& t, Multistatus& ms) {
        const QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                                "<d:sync-collection xmlns:d=\"DAV:\"><d:sync-token>"
                                + xmlEscape(t)
                                + "</d:sync-token><d:sync-level>1</d:sync-level>"
                                  "<d:prop><d:getetag/></d:prop></d:sync-collection>";
        return parsed(request("REPORT", calendar, body, kXmlDepth0), ms);
    };
    changes = DavChanges();
    Multistatus ms;
    DavReply r = report(token, ms);
    changes.full = token.isEmpty();
    // A token the server no longer knows (403/409 valid-sync-token) starts over.
    if (!token.isEmpty() && (r.status == 403 || r.status == 409 || r.status == 400)) {
        ms = Multistatus();
        r = report(QString(), ms);
        changes.full = true;
    }
    if (!r.ok())
        return r;
    changes.token = ms.syncToken;
    const QString self = hrefKey(calendar.path());
    for (const DavItem& item : std::as_const(ms.items)) {
        if (hrefKey(item.href) == self)
            continue;
        if (item.gone)
            changes.removed.append(item.href);
        else
            changes.changed.append(item);
    }
    return r;
}

DavReply CalDavClient::fetch(const QUrl& calendar, const QStringList& hrefs, QList<DavItem>& events)
{
    events.clear();
    QList<std::shared_ptr<Pending>> requests;
    for (qsizetype i = 0; i < hrefs.size(); i += kMultigetChunk) {
        QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                          "<c:calendar-multiget xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\">"
                          "<d:prop><d:getetag/><c:calendar-data/></d:prop>";
        for (const QString& href : hrefs.mid(i, kMultigetChunk))
            body += "<d:href>" + xmlEscape(href) + "</d:href>";
        body += "</c:calendar-multiget>";
        requests.append(make("REPORT", calendar, body, kXmlDepth1));
    }
    const QList<DavReply> replies = run(requests, {}, std::max(1, options_.parallel));
    for (DavReply r : replies) {
        Multistatus ms;
        r = parsed(r, ms);
        if (!r.ok())
            return r;
        for (const DavItem& item : std::as_const(ms.items))
            if (!item.gone && !item.data.isEmpty())
                events.append(item);
    }
    return replies.isEmpty() ? DavReply() : replies.first();
}

} // namespace td::sync
