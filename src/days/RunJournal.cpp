#include "RunJournal.h"

#include "DayFiles.h"
#include "platform/Paths.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QRegularExpression>
#include <QHash>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace td {
namespace {

const QByteArray kMagic = QByteArrayLiteral("TUNEDESK RUN JOURNAL 1\n");
const QByteArray kEnd = QByteArrayLiteral("END\n");
constexpr int kDigestSize = 32;

const QRegularExpression& journalName()
{
    static const QRegularExpression re(QStringLiteral("^run-(\\d{1,9})\\.journal$"));
    return re;
}

IoStatus posixFailure(const QString& path) { return IoStatus::failure(path, QString::fromLocal8Bit(strerror(errno))); }

// The whole file on disk, or nothing under its name: a temporary file synced
// and renamed, then the folder synced so the name survives a power cut too.
IoStatus writeSynced(const QString& folder, const QString& path, const QByteArray& bytes)
{
    const QString tmp = joinPath(folder, QLatin1Char('.') + QFileInfo(path).fileName() + QStringLiteral(".tmp"));
    const QByteArray tmpName = QFile::encodeName(tmp);
    const int fd = ::open(tmpName.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return posixFailure(path);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const IoStatus st = posixFailure(path);
            ::close(fd);
            ::unlink(tmpName.constData());
            return st;
        }
        done += n;
    }
    if (::fsync(fd) != 0) {
        const IoStatus st = posixFailure(path);
        ::close(fd);
        ::unlink(tmpName.constData());
        return st;
    }
    ::close(fd);
    if (::rename(tmpName.constData(), QFile::encodeName(path).constData()) != 0) {
        const IoStatus st = posixFailure(path);
        ::unlink(tmpName.constData());
        return st;
    }
    const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return posixFailure(folder);
    const int rc = ::fsync(dir);
    const IoStatus st = rc == 0 ? IoStatus::success() : posixFailure(folder);
    ::close(dir);
    return st;
}

// Journal files by their run number, newest first.
QList<std::pair<int, QString>> numbered(const QString& folder)
{
    QList<std::pair<int, QString>> runs;
    const QStringList names = QDir(folder).entryList({QStringLiteral("run-*.journal")}, QDir::Files);
    for (const QString& name : names) {
        const auto m = journalName().match(name);
        if (m.hasMatch())
            runs.append({m.captured(1).toInt(), joinPath(folder, name)});
    }
    std::sort(runs.begin(), runs.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    return runs;
}

} // namespace

QString RunJournal::defaultFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // A relative value is not to be used, as with every base directory.
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = joinPath(QDir::homePath(), QStringLiteral(".local/state"));
    return joinPath(state, QStringLiteral("tunedesk/journal"));
}

QStringList RunJournal::files() const
{
    QStringList paths;
    if (folder_.isEmpty())
        return paths;
    for (const auto& run : numbered(folder_))
        paths << run.second;
    return paths;
}

QString RunJournal::newestFor(const QString& dataFolder) const
{
    for (const QString& path : files()) {
        const std::optional<QString> folder = folderOf(path);
        if (!folder || *folder == dataFolder)
            return path;
    }
    return QString();
}

std::optional<QString> RunJournal::folderOf(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = f.read(64 * 1024);
    if (!head.startsWith(kMagic))
        return std::nullopt;
    QDataStream in(head.mid(kMagic.size()));
    in.setVersion(QDataStream::Qt_6_0);
    QString kind, folder;
    in >> kind >> folder;
    if (in.status() != QDataStream::Ok || folder.isEmpty())
        return std::nullopt;
    return folder;
}

IoStatus RunJournal::write(const QString& dataFolder, const RunLabel& label, const DayPlan& plan, QString* path)
{
    Journal j;
    j.label = label;
    j.dataFolder = dataFolder;
    j.made = QDateTime::currentDateTimeUtc();
    for (const DayChange& c : plan.days) {
        const DayChange::Kind kind = c.kind();
        if (kind == DayChange::Kind::Unchanged || kind == DayChange::Kind::Failed)
            continue;
        j.days.append({c.date, c.before, c.after ? std::optional(digest(*c.after)) : std::nullopt, c.companion});
        const QString month = DayFiles::folderName(c.date);
        if (kind == DayChange::Kind::New && !j.createdFolders.contains(month)
            && !QFileInfo(QFileInfo(c.path).path()).isDir())
            j.createdFolders << month;
    }
    if (folder_.isEmpty() || !QDir().mkpath(folder_))
        return IoStatus::failure(folder_, QStringLiteral("cannot create the folder"));

    // Run numbers count on from the newest, refused ones included, so a name is never reused.
    int last = 0;
    const QStringList all = QDir(folder_).entryList({QStringLiteral("run-*")}, QDir::Files);
    for (const QString& name : all)
        last = std::max(last, name.section(QLatin1Char('.'), 0, 0).mid(4).toInt());
    const QString file = joinPath(folder_, QStringLiteral("run-%1.journal").arg(last + 1, 6, 10, QLatin1Char('0')));
    const IoStatus st = writeSynced(folder_, file, encode(j));
    if (!st.ok)
        return st;
    if (path)
        *path = file;
    // Each data folder keeps its own last runs.
    QHash<QString, int> kept;
    for (const auto& run : numbered(folder_)) {
        if (++kept[folderOf(run.second).value_or(QString())] > kKeep)
            QFile::remove(run.second);
    }
    // What killed journal writes left, and refused journals beyond the same count.
    QDir dir(folder_);
    for (const QString& name : dir.entryList({QStringLiteral(".run-*.journal.tmp")}, QDir::Files | QDir::Hidden))
        dir.remove(name);
    const QStringList refused = dir.entryList({QStringLiteral("run-*.journal.refused")}, QDir::Files, QDir::Name | QDir::Reversed);
    for (qsizetype i = kKeep; i < refused.size(); ++i)
        dir.remove(refused[i]);
    return st;
}

bool RunJournal::retire(const QString& path)
{
    return QFile::remove(path);
}

bool RunJournal::setAside(const QString& path)
{
    QFile::remove(path + QStringLiteral(".refused"));
    return QFile::rename(path, path + QStringLiteral(".refused"));
}

QByteArray RunJournal::digest(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

QByteArray RunJournal::encode(const Journal& j)
{
    QByteArray body;
    {
        QDataStream out(&body, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_0);
        out << j.label.kind << j.dataFolder << qint64(j.label.first.toJulianDay()) << qint64(j.label.last.toJulianDay())
            << j.label.entry << qint64(j.made.toMSecsSinceEpoch()) << quint32(j.days.size());
        for (const JournalDay& d : j.days) {
            out << qint64(d.date.toJulianDay()) << quint8((d.before ? 1 : 0) | (d.afterDigest ? 2 : 0) | (d.companion ? 4 : 0));
            if (d.before)
                out << *d.before;
            if (d.afterDigest)
                out << *d.afterDigest;
        }
        out << j.createdFolders;
    }
    return sealEnvelope(kMagic, body);
}

std::optional<QByteArray> RunJournal::openEnvelope(const QByteArray& bytes, const QByteArray& magic, JournalProblem* problem)
{
    auto refuse = [problem](JournalProblem why) {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    if (!bytes.startsWith(magic))
        return refuse(JournalProblem::NotAJournal);
    const qsizetype trailer = kEnd.size() + kDigestSize;
    if (bytes.size() < magic.size() + trailer || bytes.mid(bytes.size() - trailer, kEnd.size()) != kEnd)
        return refuse(JournalProblem::CutShort);
    const QByteArray content = bytes.left(bytes.size() - trailer);
    if (digest(content) != bytes.right(kDigestSize))
        return refuse(JournalProblem::Damaged);
    return content.mid(magic.size());
}

QByteArray RunJournal::sealEnvelope(const QByteArray& magic, const QByteArray& body)
{
    const QByteArray file = magic + body;
    return file + kEnd + digest(file);
}

std::optional<Journal> RunJournal::decode(const QByteArray& bytes, JournalProblem* problem)
{
    auto refuse = [problem](JournalProblem why) {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    const std::optional<QByteArray> body = openEnvelope(bytes, kMagic, problem);
    if (!body)
        return std::nullopt;

    Journal j;
    QDataStream in(*body);
    in.setVersion(QDataStream::Qt_6_0);
    qint64 first = 0, last = 0, made = 0;
    quint32 count = 0;
    in >> j.label.kind >> j.dataFolder >> first >> last >> j.label.entry >> made >> count;
    j.label.first = QDate::fromJulianDay(first);
    j.label.last = QDate::fromJulianDay(last);
    j.made = QDateTime::fromMSecsSinceEpoch(made, Qt::UTC);
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        qint64 day = 0;
        quint8 flags = 0;
        in >> day >> flags;
        JournalDay d{QDate::fromJulianDay(day), {}, {}, (flags & 4) != 0};
        if (flags & 1) {
            QByteArray before;
            in >> before;
            d.before = before.isNull() ? QByteArray("") : before;
        }
        if (flags & 2) {
            QByteArray after;
            in >> after;
            d.afterDigest = after;
        }
        if (!d.date.isValid() || flags > 7 || (d.afterDigest && d.afterDigest->size() != kDigestSize))
            return refuse(JournalProblem::Damaged);
        j.days.append(std::move(d));
    }
    if (!in.atEnd())
        in >> j.createdFolders;
    static const QRegularExpression month(QStringLiteral("^\\d{4}_\\d{1,2}$"));
    for (const QString& name : std::as_const(j.createdFolders)) {
        if (!month.match(name).hasMatch())
            return refuse(JournalProblem::Damaged);
    }
    if (in.status() != QDataStream::Ok || !in.atEnd() || j.dataFolder.isEmpty())
        return refuse(JournalProblem::Damaged);
    return j;
}

std::optional<Journal> RunJournal::read(const QString& path, JournalProblem* problem, QString* detail)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (problem)
            *problem = JournalProblem::Unreadable;
        if (detail)
            *detail = f.errorString();
        return std::nullopt;
    }
    return decode(f.readAll(), problem);
}

JournalLock::JournalLock(const QString& journalFolder)
{
    const QString path = joinPath(journalFolder, QStringLiteral("lock"));
    if (!QDir().mkpath(journalFolder)) {
        status_ = IoStatus::failure(journalFolder, QStringLiteral("cannot create the folder"));
        return;
    }
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        status_ = posixFailure(path);
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        char pid[32] = {};
        const ssize_t n = ::pread(fd, pid, sizeof pid - 1, 0);
        ::close(fd);
        const QString who = QString::fromLatin1(pid, n > 0 ? int(n) : 0).trimmed();
        status_ = err == EWOULDBLOCK
                      ? IoStatus::failure(journalFolder, QStringLiteral("in use by another copy of Tunedesk (process %1)").arg(who.isEmpty() ? QStringLiteral("?") : who))
                      : IoStatus::failure(path, QString::fromLocal8Bit(strerror(err)));
        return;
    }
    // Who holds it, for the copy that finds it taken.
    const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, pid.constData(), size_t(pid.size()), 0) != pid.size()) {
        // The lock holds without the note; the other copy just cannot name us.
    }
    fd_ = fd;
}

JournalLock::~JournalLock()
{
    if (fd_ >= 0)
        ::close(fd_); // releases the flock
}

namespace {

// What is on a day's path now: nullopt for no file.
IoStatus currentBytes(const IFileSystem& fs, const QString& path, std::optional<QByteArray>& now)
{
    now.reset();
    if (!fs.fileExists(path))
        return IoStatus::success();
    QByteArray bytes;
    const IoStatus st = fs.readAll(path, bytes);
    if (st.ok)
        now = std::move(bytes);
    return st;
}

} // namespace

DayRunResult executePlan(IFileSystem& fs, const QString& dataFolder, const DayPlan& plan, RunJournal* journal,
                         const RunLabel& label, const std::function<void(int)>& progress,
                         const std::function<bool()>& stop)
{
    DayRunResult result;
    result.totalDays = int(plan.days.size());
    auto fail = [&result](const QString& path, const QString& reason) {
        if (result.failedDays++ == 0) {
            result.firstFailure = path;
            result.firstReason = reason;
        }
    };

    std::optional<JournalLock> lock;
    if (journal) {
        // One run or undo at a time, whichever copy: taken before the days are read again.
        lock.emplace(journal->folder());
        if (!lock->held()) {
            result.journalFailure = lock->status();
            result.busy = true;
            return result;
        }
    }

    // The plan may have waited on the user for minutes: what the files hold now
    // is what the run works from, and what the journal keeps.
    DayPlan live = plan;
    for (DayChange& c : live.days) {
        if (c.kind() == DayChange::Kind::Failed)
            continue;
        std::optional<QByteArray> now;
        const IoStatus st = currentBytes(fs, c.path, now);
        if (!st.ok) {
            c.failure = st.reason;
        } else if (now != c.before) {
            // A day file is planned again; a companion file, which the plan made otherwise, is left alone.
            if (live.ops && !c.companion) {
                planDay(fs, c, live.ops, live.reading);
                result.replanned << c.path;
            } else {
                c.failure = QStringLiteral("changed since the plan was made");
            }
        }
    }
    const bool changes = std::any_of(live.days.cbegin(), live.days.cend(), [](const DayChange& c) {
        const DayChange::Kind k = c.kind();
        return k != DayChange::Kind::Unchanged && k != DayChange::Kind::Failed;
    });
    if (journal && changes) {
        const IoStatus st = journal->write(dataFolder, label, live);
        if (!st.ok) {
            result.journalFailure = st;
            return result;
        }
    }

    QString flushPath;
    for (qsizetype i = 0; i < live.days.size(); ++i) {
        const DayChange& c = live.days[i];
        const DayChange::Kind kind = c.kind();
        // Counted as the run reaches them: a cancelled run tells only of the days it went through.
        if (kind == DayChange::Kind::Failed) {
            fail(c.path, c.failure);
        } else if (kind == DayChange::Kind::Unchanged) {
            ++result.unchangedDays;
        } else {
            // Right before the write: a day saved meanwhile keeps what was saved.
            std::optional<QByteArray> now;
            const IoStatus read = currentBytes(fs, c.path, now);
            const QString folder = DayFiles::monthFolder(dataFolder, c.date);
            if (!read.ok) {
                fail(read.path, read.reason);
            } else if (now != c.before) {
                result.leftAlone << c.path;
            } else if (const IoStatus st = putDayFile(fs, folder, c.path, c.after); !st.ok) {
                fail(st.path, st.reason);
            } else {
                ++result.changedDays;
                if (flushPath.isEmpty())
                    flushPath = folder;
            }
        }
        result.doneDays = int(i) + 1;
        if (progress)
            progress(int(i));
        if (stop && i + 1 < live.days.size() && stop()) {
            result.cancelled = true;
            break;
        }
    }

    // The files were replaced without a sync each; one flush makes the run durable.
    if (!flushPath.isEmpty()) {
        const IoStatus st = fs.flush(flushPath);
        if (!st.ok) {
            // Nothing written in this run is known to be on disk.
            result.failedDays += result.changedDays;
            if (result.firstFailure.isEmpty()) {
                result.firstFailure = st.path;
                result.firstReason = st.reason;
            }
        }
    }
    return result;
}

UndoResult undoLast(IFileSystem& fs, RunJournal& journal, const QString& dataFolder)
{
    UndoResult r;
    const JournalLock lock(journal.folder());
    if (!lock.held()) {
        r.status = UndoResult::Status::Busy;
        r.busy = lock.status();
        return r;
    }
    r.journalPath = journal.newestFor(dataFolder);
    if (r.journalPath.isEmpty())
        return r;
    const std::optional<Journal> j = RunJournal::read(r.journalPath, &r.problem, &r.detail);
    if (j && j->dataFolder != dataFolder) {
        r.problem = JournalProblem::OtherDataFolder;
        r.detail = j->dataFolder;
    }
    if (!j || j->dataFolder != dataFolder) {
        r.status = UndoResult::Status::Refused;
        journal.setAside(r.journalPath);
        return r;
    }
    r.status = UndoResult::Status::Done;
    r.label = j->label;

    auto fail = [&r](const QString& path) {
        if (r.failedDays++ == 0)
            r.firstFailure = path;
    };
    QString flushPath;
    for (const JournalDay& d : j->days) {
        const QString folder = DayFiles::monthFolder(dataFolder, d.date);
        const QString path = d.companion ? DayFiles::companionFile(dataFolder, d.date) : DayFiles::dayFile(dataFolder, d.date);
        std::optional<QByteArray> now;
        if (fs.fileExists(path)) {
            QByteArray bytes;
            if (!fs.readAll(path, bytes).ok) {
                fail(path);
                continue;
            }
            now = std::move(bytes);
        }
        if (now == d.before)
            continue; // as before already: a killed run had not reached it, or an undo was cut short
        const bool asTheRunLeftIt = now ? d.afterDigest && RunJournal::digest(*now) == *d.afterDigest : !d.afterDigest;
        if (!asTheRunLeftIt) {
            r.changedSince << path;
            continue;
        }
        const IoStatus st = putDayFile(fs, folder, path, d.before);
        if (!st.ok) {
            fail(st.path);
            continue;
        }
        ++r.restoredDays;
        if (flushPath.isEmpty())
            flushPath = folder;
    }
    // A run killed part-way can leave the temporary file of the write in flight
    // beside the day files; hidden, it is no day file, and it goes with the run.
    QSet<QString> months;
    for (const JournalDay& d : j->days)
        months.insert(DayFiles::monthFolder(dataFolder, d.date));
    static const QRegularExpression leftover(QStringLiteral("^\\.\\d{4}_\\d{1,2}\\.\\d{1,2}(_D)?\\.[A-Za-z0-9]{6}$"));
    for (const QString& month : months) {
        const QStringList names = QDir(month).entryList(QDir::Files | QDir::Hidden);
        for (const QString& name : names) {
            if (leftover.match(name).hasMatch())
                QFile::remove(joinPath(month, name));
        }
    }
    // A month folder the run made, left empty, goes with it (rmdir takes only an empty one).
    for (const QString& name : j->createdFolders) {
        const QString month = dataFolder + name;
        if (QDir(month).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)
            && QDir().rmdir(month))
            r.removedFolders << month;
    }

    if (!flushPath.isEmpty()) {
        const IoStatus st = fs.flush(flushPath);
        if (!st.ok) {
            r.failedDays += r.restoredDays;
            if (r.firstFailure.isEmpty())
                r.firstFailure = st.path;
        }
    }
    // A journal with days that could not be put back stays, so Undo can try again.
    if (r.failedDays == 0)
        journal.retire(r.journalPath);
    return r;
}

} // namespace td
