#pragma once
#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

class QNetworkAccessManager;

namespace td::sync {

// Why a request did not give what was asked.
enum class DavError {
    None,
    Unreachable,  // no connection, refused, timed out, closed mid-way
    Unauthorized, // 401/403 on the credentials
    Untrusted,    // a certificate the system does not trust and no pin matches
    Precondition, // 412: the resource changed since its ETag was read
    NotFound,     // 404 / 410
    Server,       // 5xx or another unexpected status
    Protocol,     // a reply that is not what CalDAV promises
    Cancelled,
};

struct DavReply {
    int status = 0;
    DavError error = DavError::None;
    QString detail;  // the network layer's or the server's words, for the message
    QByteArray etag; // the ETag header, when the server sent one
    QByteArray body;
    QString certificateSha; // the refused certificate's SHA-256, "AB:CD:..."
    bool ok() const { return error == DavError::None; }
};

// One resource of a multistatus reply.
struct DavItem {
    QString href; // as the server wrote it (percent-encoded)
    QByteArray etag;
    QByteArray data; // calendar-data
    QString displayName;
    bool isCalendar = false;
    bool supportsSync = false; // the collection offers sync-collection
    QString principal;         // current-user-principal href
    QString home;              // calendar-home-set href
    bool gone = false;         // a 404 in a sync-collection reply: removed
};

struct Multistatus {
    QList<DavItem> items;
    QString syncToken;
};
// Reads a 207 multistatus body; nothing when it is not one.
bool parseMultistatus(const QByteArray& body, Multistatus& out);

// The same resource, however the server encodes its path.
QString hrefKey(const QString& href);

struct DavCalendar {
    QUrl url;
    QString name;
    bool supportsSync = false;
};

// Changes since a sync token (or everything, for an empty token).
struct DavChanges {
    QList<DavItem> changed; // href + etag
    QStringList removed;    // hrefs
    QString token;
    bool full = false; // the listing holds every resource (no token, or the token was refused)
};

// A CalDAV client over Qt Network. Calls are synchronous: each runs a local
// event loop until its replies are in, and gives up when the cancel check says
// so. Only Basic authentication is used, sent with every request.
class CalDavClient {
public:
    struct Options {
        QString user;
        QString password;
        // SHA-256 fingerprint of a certificate to accept although the system
        // does not trust it (hex, colons and case ignored).
        QString pinnedSha256;
        int timeoutMs = 30000;
        int parallel = 6; // requests in flight for PUT/DELETE/GET batches
    };
    explicit CalDavClient(Options options);
    ~CalDavClient();
    CalDavClient(const CalDavClient&) = delete;
    CalDavClient& operator=(const CalDavClient&) = delete;

    // Polled while waiting; true stops the call with DavError::Cancelled.
    void setCancelCheck(std::function<bool()> cancelled) { cancelled_ = std::move(cancelled); }

    // A calendar collection's own URL is taken as it is; a server's base URL
    // leads through /.well-known/caldav, current-user-principal and
    // calendar-home-set to the calendar home.
    struct Found {
        QUrl calendar; // set when url is a calendar collection
        QUrl home;
        bool calendarSupportsSync = false;
    };
    DavReply discover(const QUrl& url, Found& found);
    DavReply listCalendars(const QUrl& home, QList<DavCalendar>& calendars);
    // MKCALENDAR of a new collection under home, with the given display name.
    DavReply makeCalendar(const QUrl& home, const QString& name, QUrl& created);
    // Whether the collection offers sync-collection.
    DavReply supportsSync(const QUrl& calendar, bool& supported);

    // Every event's href and ETag (calendar-query).
    DavReply listEvents(const QUrl& calendar, QList<DavItem>& events);
    // RFC 6578: the changes since token; an empty token, or one the server no
    // longer knows, lists everything.
    DavReply changesSince(const QUrl& calendar, const QString& token, DavChanges& changes);
    // The events behind hrefs (calendar-multiget, in chunks).
    DavReply fetch(const QUrl& calendar, const QStringList& hrefs, QList<DavItem>& events);

    // A batch of writes, run with several in flight; done gets each reply by
    // its index as it comes in. Stops early on cancel or on an error other than
    // 412/404 (those are the caller's to judge); returns the first such error.
    struct Write {
        enum Kind {
            Put,
            Delete,
        } kind = Put;
        QUrl url;
        QByteArray etag; // If-Match; empty: a PUT with If-None-Match: *
        QByteArray body;
    };
    DavReply write(const QList<Write>& writes, const std::function<void(int, const DavReply&)>& done);

    // Requests sent so far, redirects included.
    int requests() const { return requests_; }

    // One request, redirects followed (same method) up to five times.
    DavReply request(const QByteArray& verb, QUrl url, const QByteArray& body, const QMap<QByteArray, QByteArray>& headers);

private:
    struct Pending;
    QList<DavReply> run(const QList<std::shared_ptr<Pending>>& requests, const std::function<void(int, const DavReply&)>& done,
                        int parallel);
    std::shared_ptr<Pending> make(const QByteArray& verb, const QUrl& url, const QByteArray& body,
                                  const QMap<QByteArray, QByteArray>& headers) const;

    Options options_;
    std::unique_ptr<QNetworkAccessManager> nam_;
    std::function<bool()> cancelled_;
    int requests_ = 0;
};

} // namespace td::sync
