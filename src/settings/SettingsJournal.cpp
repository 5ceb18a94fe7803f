#include "SettingsJournal.h"

#include "days/RunMessages.h"
#include "platform/Paths.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QRegularExpression>

namespace td {
namespace {

const QByteArray kMagic = QByteArrayLiteral("TUNEDESK SETTINGS JOURNAL 1\n");
constexpr int kDigestSize = 32;

// Journal files by their number, newest first.
QList<std::pair<int, QString>> numbered(const QString& folder)
{
    static const QRegularExpression name(QStringLiteral("^settings-(\\d{1,9})\\.journal$"));
    QList<std::pair<int, QString>> all;
    for (const QString& file : QDir(folder).entryList({QStringLiteral("settings-*.journal")}, QDir::Files)) {
        const auto m = name.match(file);
        if (m.hasMatch())
            all.append({m.captured(1).toInt(), joinPath(folder, file)});
    }
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    return all;
}

// What is on path now: nullopt for no file.
IoStatus current(const IFileSystem& fs, const QString& path, std::optional<QByteArray>& now)
{
    now.reset();
    if (!QFileInfo::exists(path))
        return IoStatus::success();
    QByteArray bytes;
    const IoStatus st = fs.readAll(path, bytes);
    if (st.ok)
        now = std::move(bytes);
    return st;
}

} // namespace

QStringList SettingsJournal::files() const
{
    QStringList paths;
    if (!folder_.isEmpty()) {
        for (const auto& f : numbered(folder_))
            paths << f.second;
    }
    return paths;
}

IoStatus SettingsJournal::begin(const QString& kind, const QStringList& paths)
{
    if (folder_.isEmpty())
        return IoStatus::success();
    record_ = {kind, QDateTime::currentDateTimeUtc(), {}};
    for (const QString& path : paths) {
        if (path.isEmpty())
            continue;
        SettingsFile f{path, {}, false, {}};
        if (const IoStatus st = current(fs_, path, f.before); !st.ok)
            return st;
        record_.files.append(std::move(f));
    }
    if (const IoStatus made = makePath(fs_, folder_); !made)
        return made;
    // Numbers count on from the newest, refused ones included, so a name is never reused.
    int last = 0;
    for (const QString& name : QDir(folder_).entryList({QStringLiteral("settings-*")}, QDir::Files))
        last = std::max(last, name.section(QLatin1Char('.'), 0, 0).mid(9).toInt());
    path_ = joinPath(folder_, QStringLiteral("settings-%1.journal").arg(last + 1, 6, 10, QLatin1Char('0')));
    const IoStatus st = fs_.writeAtomic(path_, encode(record_), Durability::Synced);
    if (!st.ok) {
        path_.clear();
        return st;
    }
    const auto all = numbered(folder_);
    for (qsizetype i = kKeep; i < all.size(); ++i)
        fs_.remove(all[i].second); // one left over is dropped at the next store
    return st;
}

void SettingsJournal::finish()
{
    if (path_.isEmpty())
        return;
    for (SettingsFile& f : record_.files) {
        std::optional<QByteArray> now;
        if (!current(fs_, f.path, now).ok)
            continue; // unknown: Undo then compares with the bytes before only
        f.afterKnown = true;
        f.afterDigest = now ? std::optional(RunJournal::digest(*now)) : std::nullopt;
    }
    fs_.writeAtomic(path_, encode(record_), Durability::Synced);
    path_.clear();
}

QByteArray SettingsJournal::encode(const SettingsRecord& r)
{
    QByteArray body;
    {
        QDataStream out(&body, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_0);
        out << r.kind << qint64(r.made.toMSecsSinceEpoch()) << quint32(r.files.size());
        for (const SettingsFile& f : r.files) {
            out << f.path << quint8((f.before ? 1 : 0) | (f.afterKnown ? 2 : 0) | (f.afterDigest ? 4 : 0));
            if (f.before)
                out << *f.before;
            if (f.afterDigest)
                out << *f.afterDigest;
        }
    }
    return RunJournal::sealEnvelope(kMagic, body);
}

std::optional<SettingsRecord> SettingsJournal::decode(const QByteArray& bytes, JournalProblem* problem)
{
    auto refuse = [problem](JournalProblem why) {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    const std::optional<QByteArray> body = RunJournal::openEnvelope(bytes, kMagic, problem);
    if (!body)
        return std::nullopt;
    SettingsRecord r;
    QDataStream in(*body);
    in.setVersion(QDataStream::Qt_6_0);
    qint64 made = 0;
    quint32 count = 0;
    in >> r.kind >> made >> count;
    r.made = QDateTime::fromMSecsSinceEpoch(made, Qt::UTC);
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        SettingsFile f;
        quint8 flags = 0;
        in >> f.path >> flags;
        if (flags & 1) {
            QByteArray before;
            in >> before;
            f.before = before.isNull() ? QByteArray("") : before;
        }
        f.afterKnown = flags & 2;
        if (flags & 4) {
            QByteArray digest;
            in >> digest;
            f.afterDigest = digest;
        }
        if (flags > 7 || !QDir::isAbsolutePath(f.path) || (f.afterDigest && f.afterDigest->size() != kDigestSize))
            return refuse(JournalProblem::Damaged);
        r.files.append(std::move(f));
    }
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return refuse(JournalProblem::Damaged);
    return r;
}

SettingsUndo SettingsJournal::undoLast()
{
    SettingsUndo u;
    const QStringList all = files();
    if (all.isEmpty())
        return u;
    const JournalLock lock(folder_);
    if (!lock.held()) {
        u.status = SettingsUndo::Status::Busy;
        u.busy = lock.status();
        return u;
    }
    u.journalPath = files().value(0); // again, now that no other undo can take it
    if (u.journalPath.isEmpty())
        return u;
    QByteArray bytes;
    if (const IoStatus st = fs_.readAll(u.journalPath, bytes); !st.ok) {
        u.problem = JournalProblem::Unreadable;
        u.detail = st.reason;
    }
    const std::optional<SettingsRecord> r =
        u.problem == JournalProblem::None ? decode(bytes, &u.problem) : std::nullopt;
    if (!r) {
        u.status = SettingsUndo::Status::Refused;
        u.setAside = fs_.rename(u.journalPath, u.journalPath + QStringLiteral(".refused"));
        return u;
    }
    u.status = SettingsUndo::Status::Done;
    u.record = *r;
    for (const SettingsFile& f : r->files) {
        std::optional<QByteArray> now;
        if (const IoStatus st = current(fs_, f.path, now); !st.ok) {
            u.failed << f.path + QStringLiteral(": ") + st.reason;
            continue;
        }
        if (now == f.before)
            continue; // as before already: the write never reached it
        const bool asLeft = !f.afterKnown || (now ? f.afterDigest && RunJournal::digest(*now) == *f.afterDigest : !f.afterDigest);
        if (!asLeft) {
            u.changedSince << f.path;
            continue;
        }
        const IoStatus st = f.before ? fs_.writeAtomic(f.path, *f.before, Durability::Synced) : fs_.remove(f.path);
        if (st.ok)
            u.restored << f.path;
        else
            u.failed << f.path + QStringLiteral(": ") + st.reason;
    }
    // A journal with files that could not be put back stays, so Undo can try again.
    if (u.failed.isEmpty())
        if (const IoStatus st = fs_.remove(u.journalPath); !st)
            u.failed << st.path + QStringLiteral(": ") + st.reason;
    return u;
}

namespace {
const QString kBreak = QStringLiteral("\r");
QString lines(const QStringList& items)
{
    QString text;
    for (const QString& item : items)
        text += kBreak + item;
    return text;
}
} // namespace

QString SettingsMessages::button(bool korean)
{
    return korean ? QStringLiteral("설정 되돌리기") : QStringLiteral("Undo settings");
}

QString SettingsMessages::kindName(bool korean, const QString& kind)
{
    if (kind == QLatin1String("ok"))
        return korean ? QStringLiteral("확인(설정 저장)") : QStringLiteral("OK (settings stored)");
    if (kind == QLatin1String("store-now"))
        return korean ? QStringLiteral("미리 설정 저장") : QStringLiteral("Preset stored now");
    if (kind == QLatin1String("reset-configuration"))
        return korean ? QStringLiteral("설정 초기화") : QStringLiteral("Configuration reset");
    if (kind == QLatin1String("week-view-style"))
        return korean ? QStringLiteral("주간보기 스타일 전환") : QStringLiteral("Week view style switched");
    if (kind == QLatin1String("reset-position"))
        return korean ? QStringLiteral("위치 초기화") : QStringLiteral("Position reset");
    return kind;
}

QDateTime SettingsMessages::made(const QString& journalPath)
{
    QFile f(journalPath);
    const std::optional<SettingsRecord> r = f.open(QIODevice::ReadOnly) ? SettingsJournal::decode(f.readAll(), nullptr) : std::nullopt;
    return r ? r->made : QFileInfo(journalPath).lastModified().toUTC();
}

QString SettingsMessages::tip(bool korean, const QString& journalPath)
{
    if (journalPath.isEmpty())
        return korean ? QStringLiteral("되돌릴 설정 저장이 없습니다.") : QStringLiteral("There is no settings write to undo.");
    QFile f(journalPath);
    const std::optional<SettingsRecord> r = f.open(QIODevice::ReadOnly) ? SettingsJournal::decode(f.readAll(), nullptr) : std::nullopt;
    if (!r)
        return (korean ? QStringLiteral("설정 기록을 읽을 수 없습니다: %1") : QStringLiteral("The settings journal cannot be read: %1")).arg(journalPath);
    return (korean ? QStringLiteral("되돌릴 설정 저장: %1, %2에 저장") : QStringLiteral("Undoes: %1, stored at %2"))
        .arg(kindName(korean, r->kind), r->made.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

QString SettingsMessages::undone(bool korean, const SettingsUndo& u)
{
    switch (u.status) {
    case SettingsUndo::Status::NothingToUndo:
        return tip(korean, QString());
    case SettingsUndo::Status::Busy:
        return RunMessages::journalBusy(korean, u.busy);
    case SettingsUndo::Status::Refused: {
        QString why;
        switch (u.problem) {
        case JournalProblem::Unreadable: why = (korean ? QStringLiteral("읽을 수 없습니다 (%1)") : QStringLiteral("it cannot be read (%1)")).arg(u.detail); break;
        case JournalProblem::NotAJournal: why = korean ? QStringLiteral("이 프로그램의 설정 기록이 아닙니다") : QStringLiteral("it is not a settings journal of this program"); break;
        case JournalProblem::CutShort: why = korean ? QStringLiteral("끝이 잘렸습니다") : QStringLiteral("it is cut short"); break;
        default: why = korean ? QStringLiteral("손상되었거나 고쳐졌습니다") : QStringLiteral("it is damaged or edited"); break;
        }
        if (!u.setAside)
            return (korean ? QStringLiteral("설정 기록 %1을(를) 적용하지 않았습니다: %2.\r아무 파일도 바꾸지 않았지만, 이 기록을 %1.refused 로 옮기지 못했습니다 (%3).")
                           : QStringLiteral("The settings journal %1 is not applied: %2.\rNo file was changed, but the journal could not be set aside as %1.refused (%3)."))
                .arg(u.journalPath, why, u.setAside.reason);
        return (korean ? QStringLiteral("설정 기록 %1을(를) 적용하지 않았습니다: %2.\r아무 파일도 바꾸지 않았고, 이 기록은 %1.refused 로 옮겨 두었습니다.")
                       : QStringLiteral("The settings journal %1 is not applied: %2.\rNo file was changed; the journal was set aside as %1.refused."))
            .arg(u.journalPath, why);
    }
    case SettingsUndo::Status::Done:
        break;
    }
    QString text = (korean ? QStringLiteral("%1 (%2)을(를) 되돌렸습니다. 파일 %3개를 이전 상태로 돌려놓았습니다.")
                           : QStringLiteral("%1 (%2) is undone: %3 file(s) are as they were before."))
                       .arg(kindName(korean, u.record.kind), u.record.made.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
                       .arg(u.restored.size())
                   + lines(u.restored);
    if (!u.changedSince.isEmpty())
        text += kBreak + (korean ? QStringLiteral("저장 뒤에 바뀐 파일 %1개는 그대로 두었습니다:") : QStringLiteral("%1 file(s) changed since and were left alone:")).arg(u.changedSince.size())
                + lines(u.changedSince);
    if (!u.failed.isEmpty())
        text += kBreak + (korean ? QStringLiteral("되돌리지 못한 파일이 있습니다. 기록은 남아 있어 다시 되돌릴 수 있습니다:") : QStringLiteral("Some files could not be put back; the journal is kept, so Undo can try again:"))
                + lines(u.failed);
    return text;
}

} // namespace td
