#pragma once
#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QString>

namespace td::sync {

// What both sides agreed on for a day at its last sync.
struct DayState {
    QString href;
    QByteArray etag;
    QByteArray digest; // of the content both sides held
    QByteArray title;  // of the event's summary then

    // The state of a content both sides hold now.
    static DayState of(const QString& href, const QByteArray& etag, const QString& content);
};

// The state of one account's last sync, in an SQLite database of its own
// (Qt SQL): per day the event's href, its ETag and the digest of the text,
// and the collection's sync token. Every change is committed at once or in
// the caller's transaction, so a killed sync leaves the days it finished.
class SyncState {
public:
    // $XDG_STATE_HOME/tunedesk/sync, else ~/.local/state/tunedesk/sync.
    static QString defaultFolder();
    // The database of one calendar and user inside folder.
    static QString fileFor(const QString& folder, const QString& calendarUrl, const QString& user);

    explicit SyncState(const QString& path);
    ~SyncState();
    SyncState(const SyncState&) = delete;
    SyncState& operator=(const SyncState&) = delete;

    bool ok() const { return error_.isEmpty(); }
    const QString& error() const { return error_; }

    QHash<QDate, DayState> days() const;
    bool put(const QDate& day, const DayState& state);
    bool remove(const QDate& day);
    QString token() const;
    bool setToken(const QString& token);
    // Foreign events already folded into their days: href -> ETag.
    QHash<QString, QByteArray> folded() const;
    bool setFolded(const QString& href, const QByteArray& etag);
    bool forgetFolded(const QString& href);

    bool begin();
    bool commit();

private:
    bool exec(const QString& sql, const QVariantList& values = {});
    QString connection_;
    QString error_;
};

} // namespace td::sync
