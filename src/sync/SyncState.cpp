#include "SyncState.h"

#include "DayEvent.h"
#include "export/IcsExport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

namespace td::sync {

namespace {

QString dayKey(const QDate& d)
{
    return d.toString(QStringLiteral("yyyyMMdd"));
}

} // namespace

DayState DayState::of(const QString& href, const QByteArray& etag, const QString& content)
{
    return {href, etag, contentDigest(content), contentDigest(ics::daySummary(content))};
}

QString SyncState::defaultFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/tunedesk/sync");
}

QString SyncState::fileFor(const QString& folder, const QString& calendarUrl, const QString& user)
{
    const QByteArray key = QCryptographicHash::hash((user + QLatin1Char('\n') + calendarUrl).toUtf8(), QCryptographicHash::Sha256);
    return folder + QLatin1Char('/') + QString::fromLatin1(key.toHex().left(24)) + QStringLiteral(".sqlite");
}

SyncState::SyncState(const QString& path) : connection_(QStringLiteral("sync-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    if (path != QLatin1String(":memory:"))
        QDir().mkpath(QFileInfo(path).absolutePath());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db.setDatabaseName(path);
    if (!db.open()) {
        error_ = path + QStringLiteral(": ") + db.lastError().text();
        return;
    }
    // Every commit is on disk before the sync goes on to the next request.
    exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    exec(QStringLiteral("CREATE TABLE IF NOT EXISTS day (day TEXT PRIMARY KEY, href TEXT, etag BLOB, digest BLOB, title BLOB)"));
    exec(QStringLiteral("CREATE TABLE IF NOT EXISTS meta (key TEXT PRIMARY KEY, value TEXT)"));
    exec(QStringLiteral("CREATE TABLE IF NOT EXISTS folded (href TEXT PRIMARY KEY, etag BLOB)"));
}

SyncState::~SyncState()
{
    {
        QSqlDatabase db = QSqlDatabase::database(connection_, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(connection_);
}

bool SyncState::exec(const QString& sql, const QVariantList& values)
{
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    if (!q.prepare(sql)) {
        error_ = q.lastError().text();
        return false;
    }
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec()) {
        error_ = q.lastError().text();
        return false;
    }
    return true;
}

QHash<QDate, DayState> SyncState::days() const
{
    QHash<QDate, DayState> out;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT day, href, etag, digest, title FROM day")))
        return out;
    while (q.next())
        out.insert(QDate::fromString(q.value(0).toString(), QStringLiteral("yyyyMMdd")),
                   {q.value(1).toString(), q.value(2).toByteArray(), q.value(3).toByteArray(), q.value(4).toByteArray()});
    return out;
}

bool SyncState::put(const QDate& day, const DayState& s)
{
    return exec(QStringLiteral("INSERT OR REPLACE INTO day VALUES (?, ?, ?, ?, ?)"), {dayKey(day), s.href, s.etag, s.digest, s.title});
}

bool SyncState::remove(const QDate& day)
{
    return exec(QStringLiteral("DELETE FROM day WHERE day = ?"), {dayKey(day)});
}

QString SyncState::token() const
{
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    if (q.exec(QStringLiteral("SELECT value FROM meta WHERE key = 'token'")) && q.next())
        return q.value(0).toString();
    return QString();
}

bool SyncState::setToken(const QString& token)
{
    return exec(QStringLiteral("INSERT OR REPLACE INTO meta VALUES ('token', ?)"), {token});
}

QHash<QString, QByteArray> SyncState::folded() const
{
    QHash<QString, QByteArray> out;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    if (q.exec(QStringLiteral("SELECT href, etag FROM folded")))
        while (q.next())
            out.insert(q.value(0).toString(), q.value(1).toByteArray());
    return out;
}

bool SyncState::setFolded(const QString& href, const QByteArray& etag)
{
    return exec(QStringLiteral("INSERT OR REPLACE INTO folded VALUES (?, ?)"), {href, etag});
}

bool SyncState::forgetFolded(const QString& href)
{
    return exec(QStringLiteral("DELETE FROM folded WHERE href = ?"), {href});
}

bool SyncState::begin()
{
    return QSqlDatabase::database(connection_, false).transaction();
}

bool SyncState::commit()
{
    return QSqlDatabase::database(connection_, false).commit();
}

} // namespace td::sync
