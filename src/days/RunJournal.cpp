#include "RunJournal.h"

#include "DayFiles.h"
#include "platform/Paths.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QtEndian>

#include <cerrno>
#include <functional>
#include <cstring>
#include <mutex>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace td {
namespace {

// The first format held the whole run in one buffer; it is still read for Undo.
const QByteArray kMagicFirst = QByteArrayLiteral("TUNEDESK RUN JOURNAL 1\n");
const QByteArray kMagic = QByteArrayLiteral("TUNEDESK RUN JOURNAL 2\n");
const QByteArray kEnd = QByteArrayLiteral("END\n");
constexpr int kDigestSize = 32;
constexpr quint32 kMaxHeader = 1024 * 1024;
// Bytes before come from a read of a day file, which takes no more than this.
constexpr quint64 kMaxDayBytes = quint64(64) * 1024 * 1024;
constexpr qint64 kChunk = 1024 * 1024;

enum DayFlag : quint8 {
    HasBefore = 1,
    HasAfter = 2,
    Companion = 4,
    HasMode = 8,
};

const QRegularExpression& journalName()
{
    static const QRegularExpression re(QStringLiteral("^run-(\\d{1,9})\\.journal$"));
    return re;
}

const QRegularExpression& monthName()
{
    static const QRegularExpression re(QStringLiteral("^\\d{4}_\\d{1,2}$"));
    return re;
}

IoStatus posixFailure(const QString& path, int err = errno) { return IoStatus::failure(path, QString::fromLocal8Bit(strerror(err))); }

// Journals that could be neither removed nor set aside (a read-only journal
// folder): passed over for the rest of the session, so they block no older run.
QString identity(const QString& path)
{
    const QFileInfo info(path);
    return path + QLatin1Char('\n') + QString::number(info.size()) + QLatin1Char('\n')
           + QString::number(info.lastModified().toMSecsSinceEpoch());
}
QSet<QString>& passedOver()
{
    static QSet<QString> set;
    return set;
}

// Writes a journal through a running SHA-256; a day's bytes go from the plan
// straight to the file, never copied into one buffer with the others.
class JournalSink {
public:
    explicit JournalSink(AtomicFile& file) : file_(file) {}
    void put(const char* p, qint64 size, bool hashed = true)
    {
        if (!st_.ok || size == 0)
            return;
        if (hashed)
            hash_.addData(QByteArrayView(p, size));
        if (buffer_.size() + size > kChunk)
            drain();
        if (size >= kChunk)
            st_ = file_.append(QByteArrayView(p, size));
        else
            buffer_.append(p, size);
    }
    void put(const QByteArray& bytes) { put(bytes.constData(), bytes.size()); }
    // RunJournal::digest of bytes, from one hash kept for all the days of a run.
    void putDigest(const QByteArray& bytes)
    {
        day_.reset();
        day_.addData(bytes);
        const QByteArrayView sum = day_.resultView();
        put(sum.data(), sum.size());
    }
    template <typename T>
    void number(T value)
    {
        const T big = qToBigEndian(value);
        put(reinterpret_cast<const char*>(&big), sizeof big);
    }
    // "END" and the digest of everything before it.
    IoStatus close()
    {
        const QByteArray sum = hash_.result();
        put(kEnd.constData(), kEnd.size(), false);
        put(sum.constData(), sum.size(), false);
        drain();
        return st_;
    }

private:
    void drain()
    {
        if (st_.ok && !buffer_.isEmpty())
            st_ = file_.append(buffer_);
        buffer_.clear();
    }
    AtomicFile& file_;
    QByteArray buffer_;
    QCryptographicHash hash_{QCryptographicHash::Sha256};
    QCryptographicHash day_{QCryptographicHash::Sha256};
    IoStatus st_ = IoStatus::success();
};

// Reads a journal, optionally through a running SHA-256.
class JournalSource {
public:
    JournalSource(QFile& file, QCryptographicHash* hash) : file_(file), hash_(hash) {}
    bool get(char* p, qint64 size)
    {
        if (file_.read(p, size) != size)
            return false;
        if (hash_)
            hash_->addData(QByteArrayView(p, size));
        return true;
    }
    bool get(QByteArray& bytes, qint64 size)
    {
        bytes = QByteArray(size, Qt::Uninitialized);
        return get(bytes.data(), size);
    }
    // Goes past size bytes (hashing them) without keeping them.
    bool skip(qint64 size)
    {
        QByteArray chunk(std::min(size, kChunk), Qt::Uninitialized);
        for (qint64 left = size; left > 0;) {
            const qint64 n = std::min(left, kChunk);
            if (!get(chunk.data(), n))
                return false;
            left -= n;
        }
        return true;
    }
    template <typename T>
    bool number(T& value)
    {
        T big;
        if (!get(reinterpret_cast<char*>(&big), sizeof big))
            return false;
        value = qFromBigEndian(big);
        return true;
    }
    qint64 pos() const { return file_.pos(); }

private:
    QFile& file_;
    QCryptographicHash* hash_;
};

QByteArray encodeHeader(const Journal& j)
{
    QByteArray header;
    QDataStream out(&header, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << j.label.kind << j.dataFolder << qint64(j.label.first.toJulianDay()) << qint64(j.label.last.toJulianDay())
        << j.label.entry << qint64(j.made.toMSecsSinceEpoch()) << qint64(j.dayCount) << j.createdFolders;
    return header;
}

// The header after the magic line: its length, its fields and its own digest.
std::optional<Journal> readHeaderFields(JournalSource& in, JournalProblem* problem)
{
    auto refuse = [problem](JournalProblem why) {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    quint32 size = 0;
    QByteArray header, sum;
    if (!in.number(size))
        return refuse(JournalProblem::CutShort);
    if (size > kMaxHeader)
        return refuse(JournalProblem::Damaged);
    if (!in.get(header, size) || !in.get(sum, kDigestSize))
        return refuse(JournalProblem::CutShort);
    const quint32 big = qToBigEndian(size);
    if (RunJournal::digest(kMagic + QByteArray(reinterpret_cast<const char*>(&big), sizeof big) + header) != sum)
        return refuse(JournalProblem::Damaged);
    Journal j;
    QDataStream fields(header);
    fields.setVersion(QDataStream::Qt_6_0);
    qint64 first = 0, last = 0, made = 0;
    fields >> j.label.kind >> j.dataFolder >> first >> last >> j.label.entry >> made >> j.dayCount >> j.createdFolders;
    j.label.first = QDate::fromJulianDay(first);
    j.label.last = QDate::fromJulianDay(last);
    j.made = QDateTime::fromMSecsSinceEpoch(made, Qt::UTC);
    const bool monthsOk = std::all_of(j.createdFolders.cbegin(), j.createdFolders.cend(),
                                      [](const QString& m) { return monthName().match(m).hasMatch(); });
    if (fields.status() != QDataStream::Ok || !fields.atEnd() || j.dataFolder.isEmpty() || j.dayCount < 0 || !monthsOk)
        return refuse(JournalProblem::Damaged);
    return j;
}

// One day's record; its bytes before are kept only when keep is set. False for
// a record that is not one of ours or runs past end.
bool readDay(JournalSource& in, qint64 end, bool keep, JournalDay& d)
{
    qint64 day = 0;
    quint8 flags = 0;
    if (!in.number(day) || !in.number(flags) || flags > 15)
        return false;
    d = JournalDay{QDate::fromJulianDay(day), {}, {}, (flags & Companion) != 0, {}, 0};
    if (!d.date.isValid())
        return false;
    if (flags & HasMode) {
        quint32 mode = 0, group = 0;
        if (!in.number(mode) || !in.number(group) || mode > 07777)
            return false;
        d.mode = mode;
        d.group = group;
    }
    if (flags & HasBefore) {
        quint64 size = 0;
        if (!in.number(size) || size > kMaxDayBytes || in.pos() + qint64(size) > end)
            return false;
        QByteArray before("");
        if (keep ? size > 0 && !in.get(before, qint64(size)) : !in.skip(qint64(size)))
            return false;
        d.before = std::move(before);
    }
    if (flags & HasAfter) {
        QByteArray after;
        if (!in.get(after, kDigestSize))
            return false;
        d.afterDigest = std::move(after);
    }
    return in.pos() <= end;
}

// The fields a journal of the first format opens with.
void firstFormatFields(QDataStream& in, Journal& j)
{
    qint64 first = 0, last = 0, made = 0;
    quint32 count = 0;
    in >> j.label.kind >> j.dataFolder >> first >> last >> j.label.entry >> made >> count;
    j.label.first = QDate::fromJulianDay(first);
    j.label.last = QDate::fromJulianDay(last);
    j.made = QDateTime::fromMSecsSinceEpoch(made, Qt::UTC);
    j.dayCount = count;
}

// A journal of the first format, read whole: its fields, then its days.
std::optional<Journal> decodeFirstFormat(const QByteArray& bytes, JournalProblem* problem, QList<JournalDay>* days)
{
    auto refuse = [problem](JournalProblem why) {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    const std::optional<QByteArray> body = RunJournal::openEnvelope(bytes, kMagicFirst, problem);
    if (!body)
        return std::nullopt;
    Journal j;
    QDataStream in(*body);
    in.setVersion(QDataStream::Qt_6_0);
    firstFormatFields(in, j);
    const quint32 count = quint32(j.dayCount);
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        qint64 day = 0;
        quint8 flags = 0;
        in >> day >> flags;
        JournalDay d{QDate::fromJulianDay(day), {}, {}, (flags & Companion) != 0, {}, 0};
        if (flags & HasBefore) {
            QByteArray before;
            in >> before;
            d.before = before.isNull() ? QByteArray("") : before;
        }
        if (flags & HasAfter) {
            QByteArray after;
            in >> after;
            d.afterDigest = after;
        }
        if (!d.date.isValid() || flags > 7 || (d.afterDigest && d.afterDigest->size() != kDigestSize))
            return refuse(JournalProblem::Damaged);
        days->append(std::move(d));
    }
    if (!in.atEnd())
        in >> j.createdFolders;
    for (const QString& name : std::as_const(j.createdFolders)) {
        if (!monthName().match(name).hasMatch())
            return refuse(JournalProblem::Damaged);
    }
    if (in.status() != QDataStream::Ok || !in.atEnd() || j.dataFolder.isEmpty())
        return refuse(JournalProblem::Damaged);
    return j;
}

// Journal files by their run number, newest first: of the folder's names, or of a listing of it.
QList<std::pair<int, QString>> numbered(const QString& folder, const QStringList* listed = nullptr)
{
    QList<std::pair<int, QString>> runs;
    // Told by the pattern below, not by a name filter: QDir compiles a filter anew on every listing.
    const QStringList names = listed ? *listed : QDir(folder).entryList(QDir::Files);
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
    const QSet<QString>& skip = passedOver();
    for (const QString& path : files()) {
        if (!skip.isEmpty() && skip.contains(identity(path)))
            continue;
        const std::optional<QString> folder = folderOf(path);
        if (!folder || *folder == dataFolder)
            return path;
    }
    return QString();
}

std::optional<QString> RunJournal::folderOf(const QString& path)
{
    const std::optional<Journal> j = readHeader(path, nullptr);
    return j ? std::optional(j->dataFolder) : std::nullopt;
}

std::optional<Journal> RunJournal::readHeader(const QString& path, JournalProblem* problem, QString* detail)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (problem)
            *problem = JournalProblem::Unreadable;
        if (detail)
            *detail = f.errorString();
        return std::nullopt;
    }
    const QByteArray magic = f.read(kMagic.size());
    if (magic == kMagicFirst) {
        // The first format has its fields up front but no digest of their own: told, not checked.
        QDataStream in(f.read(64 * 1024));
        in.setVersion(QDataStream::Qt_6_0);
        Journal j;
        firstFormatFields(in, j);
        if (in.status() != QDataStream::Ok || j.dataFolder.isEmpty()) {
            if (problem)
                *problem = JournalProblem::Damaged;
            return std::nullopt;
        }
        return j;
    }
    if (magic != kMagic) {
        if (problem)
            *problem = JournalProblem::NotAJournal;
        return std::nullopt;
    }
    JournalSource in(f, nullptr);
    return readHeaderFields(in, problem);
}

IoStatus RunJournal::write(IFileSystem& fs, const QString& dataFolder, const RunLabel& label, const DayPlan& plan,
                           QString* path)
{
    Journal j{label, dataFolder, QDateTime::currentDateTimeUtc(), 0, {}};
    QList<const DayChange*> days;
    QSet<int> askedMonths; // each month folder asked once
    for (const DayChange& c : plan.days) {
        const DayChange::Kind kind = c.kind();
        if (kind == DayChange::Kind::Unchanged || kind == DayChange::Kind::Failed)
            continue;
        days << &c;
        // A run straight from its plan has each month folder's answer from it.
        if (kind != DayChange::Kind::New || (plan.fresh && !c.monthMissing))
            continue;
        int year = 0, month = 0;
        c.date.getDate(&year, &month, nullptr);
        if (!askedMonths.contains(year * 12 + month)) {
            askedMonths.insert(year * 12 + month);
            if (plan.fresh || !QFileInfo(QFileInfo(c.path).path()).isDir())
                j.createdFolders << DayFiles::folderName(c.date);
        }
    }
    j.dayCount = days.size();
    if (const IoStatus made = makePath(fs, folder_); !made)
        return made;

    // Run numbers count on from the newest, refused ones included, so a name is never
    // reused. The folder is listed once: the run's lock keeps other copies out of it.
    int last = 0;
    const QStringList all = QDir(folder_).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : all) {
        if (name.startsWith(QLatin1String("run-")))
            last = std::max(last, name.section(QLatin1Char('.'), 0, 0).mid(4).toInt());
    }
    const QString file = joinPath(folder_, QStringLiteral("run-%1.journal").arg(last + 1, 6, 10, QLatin1Char('0')));

    // The whole file on disk, or nothing under its name: a temporary file synced
    // and renamed, then the folder synced so the name survives a power cut too.
    const std::unique_ptr<AtomicFile> atomic = fs.beginAtomic(file);
    JournalSink out(*atomic);
    const QByteArray header = encodeHeader(j);
    const quint32 size = qToBigEndian(quint32(header.size()));
    const QByteArray head = kMagic + QByteArray(reinterpret_cast<const char*>(&size), sizeof size) + header;
    out.put(head);
    out.put(digest(head));
    for (const DayChange* c : days) {
        // The mode and group the read of before saw; asked here only of a day read otherwise.
        FileStamp seen = c->seen;
        struct stat st;
        if (c->before && !seen.known && ::stat(QFile::encodeName(c->path).constData(), &st) == 0) {
            seen.known = true;
            seen.mode = st.st_mode & 07777;
            seen.group = st.st_gid;
        }
        const bool mode = c->before && seen.known;
        out.number(qint64(c->date.toJulianDay()));
        out.number(quint8((c->before ? HasBefore : 0) | (c->after ? HasAfter : 0) | (c->companion ? Companion : 0) | (mode ? HasMode : 0)));
        if (mode) {
            out.number(quint32(seen.mode));
            out.number(quint32(seen.group));
        }
        if (c->before) {
            out.number(quint64(c->before->size()));
            out.put(*c->before);
        }
        if (c->after)
            out.putDigest(*c->after);
    }
    IoStatus st = out.close();
    if (st.ok)
        st = atomic->commit(Durability::Synced);
    if (!st.ok)
        return st;
    if (path)
        *path = file;
    // Each data folder keeps its own last runs: no folder can have more than kKeep
    // while all of them together have no more.
    QList<std::pair<int, QString>> runs = numbered(folder_, &all);
    runs.prepend({last + 1, file});
    QHash<QString, int> kept;
    for (qsizetype i = 0; runs.size() > kKeep && i < runs.size(); ++i) {
        if (++kept[folderOf(runs[i].second).value_or(QString())] > kKeep)
            fs.remove(runs[i].second); // one left over is dropped at the next run
    }
    // What killed journal writes left, and refused journals beyond the same count.
    QStringList refused;
    for (const QString& name : all) {
        if (name.startsWith(QLatin1String(".run-")) && name.endsWith(QLatin1String(".journal.tmp")))
            fs.remove(joinPath(folder_, name));
        else if (name.startsWith(QLatin1String("run-")) && name.endsWith(QLatin1String(".journal.refused")))
            refused << name;
    }
    std::sort(refused.begin(), refused.end(), std::greater<>());
    for (qsizetype i = kKeep; i < refused.size(); ++i)
        fs.remove(joinPath(folder_, refused[i]));
    return st;
}

IoStatus RunJournal::retire(IFileSystem& fs, const QString& path)
{
    const IoStatus st = fs.remove(path);
    if (!st)
        passedOver().insert(identity(path));
    return st;
}

IoStatus RunJournal::setAside(IFileSystem& fs, const QString& path)
{
    // The rename replaces an older ".refused" of the same run.
    const IoStatus st = fs.rename(path, path + QStringLiteral(".refused"));
    if (!st)
        passedOver().insert(identity(path));
    return st;
}

QByteArray RunJournal::digest(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
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

bool JournalReader::open(JournalProblem* problem, QString* detail)
{
    auto refuse = [problem](JournalProblem why) {
        if (problem)
            *problem = why;
        return false;
    };
    file_.setFileName(path_);
    if (!file_.open(QIODevice::ReadOnly)) {
        if (detail)
            *detail = file_.errorString();
        return refuse(JournalProblem::Unreadable);
    }
    const QByteArray magic = file_.read(kMagic.size());
    if (magic == kMagicFirst) {
        file_.seek(0);
        QList<JournalDay> days;
        const std::optional<Journal> j = decodeFirstFormat(file_.readAll(), problem, &days);
        if (!j)
            return false;
        journal_ = *j;
        firstFormat_ = std::move(days);
        return true;
    }
    if (magic != kMagic)
        return refuse(JournalProblem::NotAJournal);
    const qint64 size = file_.size();
    const qint64 trailer = kEnd.size() + kDigestSize;
    if (size < kMagic.size() + trailer || !file_.seek(size - trailer))
        return refuse(JournalProblem::CutShort);
    const QByteArray tail = file_.read(trailer);
    if (!tail.startsWith(kEnd))
        return refuse(JournalProblem::CutShort);

    // The digest of the whole file and the shape of every record, before a day is touched.
    QCryptographicHash hash(QCryptographicHash::Sha256);
    file_.seek(0);
    JournalSource in(file_, &hash);
    QByteArray start;
    in.get(start, kMagic.size());
    const std::optional<Journal> j = readHeaderFields(in, problem);
    if (!j)
        return false;
    journal_ = *j;
    daysStart_ = in.pos();
    daysEnd_ = size - trailer;
    JournalDay day;
    for (qint64 i = 0; i < journal_.dayCount; ++i) {
        if (!readDay(in, daysEnd_, false, day))
            return refuse(JournalProblem::Damaged);
    }
    if (in.pos() != daysEnd_ || hash.result() != tail.mid(kEnd.size()))
        return refuse(JournalProblem::Damaged);
    left_ = journal_.dayCount;
    return file_.seek(daysStart_) || refuse(JournalProblem::Unreadable);
}

bool JournalReader::next(JournalDay& day, JournalProblem* problem)
{
    if (firstFormat_) {
        if (firstFormatAt_ >= firstFormat_->size())
            return false;
        day = (*firstFormat_)[firstFormatAt_++];
        return true;
    }
    if (left_ == 0)
        return false;
    JournalSource in(file_, nullptr);
    if (!readDay(in, daysEnd_, true, day)) {
        left_ = 0;
        if (problem)
            *problem = JournalProblem::Damaged;
        return false;
    }
    --left_;
    return true;
}

namespace {
// The locks this process holds, by folder: the descriptor and how many hold it.
struct HeldLock {
    int fd = -1;
    int holders = 0;
};
std::mutex heldMutex;
QHash<QString, HeldLock>& heldLocks()
{
    static QHash<QString, HeldLock> held;
    return held;
}
} // namespace

JournalLock::JournalLock(const QString& journalFolder) : folder_(QDir(journalFolder).absolutePath())
{
    const std::lock_guard<std::mutex> guard(heldMutex);
    if (const auto it = heldLocks().find(folder_); it != heldLocks().end()) {
        ++it->holders;
        fd_ = it->fd;
        return;
    }
    const QString path = joinPath(journalFolder, QStringLiteral("lock"));
    if (!QDir().mkpath(journalFolder)) {
        status_ = IoStatus::failure(journalFolder, QStringLiteral("cannot create the folder"));
        return;
    }
    int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    // A folder that cannot be written (read-only) still has its lock taken: flock needs no write access.
    if (fd < 0 && (errno == EROFS || errno == EACCES || errno == EPERM))
        fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
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
        inUse_ = err == EWOULDBLOCK;
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
    heldLocks().insert(folder_, {fd, 1});
}

JournalLock::~JournalLock()
{
    if (fd_ < 0)
        return;
    const std::lock_guard<std::mutex> guard(heldMutex);
    const auto it = heldLocks().find(folder_);
    if (it != heldLocks().end() && --it->holders > 0)
        return;
    heldLocks().remove(folder_);
    ::close(fd_); // releases the flock
}

namespace {

// What is on a day's path now: nullopt for no file.
IoStatus currentBytes(const IFileSystem& fs, const QString& path, std::optional<QByteArray>& now, FileStamp& seen)
{
    // One read, no stat first: a read that finds nothing there is a day without a file.
    now.reset();
    QByteArray bytes;
    const IoStatus st = fs.readStamped(path, bytes, seen);
    if (st.ok)
        now = std::move(bytes);
    return st.missing ? IoStatus::success() : st;
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
            result.busy = lock->inUse(); // otherwise the lock file itself failed: said as the journal's failure
            return result;
        }
    }

    const HeldFolders held(fs);
    // The plan may have waited on the user for minutes: what the files hold now
    // is what the run works from, and what the journal keeps.
    DayPlan live = plan;
    for (qsizetype i = 0; !live.fresh && i < live.days.size(); ++i) {
        DayChange& c = live.days[i];
        if (c.kind() == DayChange::Kind::Failed)
            continue;
        std::optional<QByteArray> now;
        FileStamp seen;
        const IoStatus st = currentBytes(fs, c.path, now, seen);
        if (!st.ok) {
            c.failure = st.reason;
        } else if (now == c.before) {
            c.seen = seen;
        } else {
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
        const IoStatus st = journal->write(fs, dataFolder, label, live);
        if (!st.ok) {
            result.journalFailure = st;
            return result;
        }
    }

    QString flushPath, madeFolder;
    for (qsizetype i = 0; i < live.days.size(); ++i) {
        const DayChange& c = live.days.at(i);
        const DayChange::Kind kind = c.kind();
        // Counted as the run reaches them: a cancelled run tells only of the days it went through.
        if (kind == DayChange::Kind::Failed) {
            fail(c.path, c.failure);
        } else if (kind == DayChange::Kind::Unchanged) {
            ++result.unchangedDays;
        } else {
            // Right before the write: a day saved meanwhile keeps what was saved. A
            // day is read again only when the path cannot show, without a read, that
            // it still holds what the plan read: each file is read once.
            bool changed = true;
            IoStatus st = putPlannedDay(fs, c, &changed, &madeFolder);
            if (st.ok && changed) {
                std::optional<QByteArray> now;
                FileStamp seen;
                st = currentBytes(fs, c.path, now, seen);
                if (st.ok && now == c.before) {
                    changed = false;
                    st = putDayFile(fs, DayFiles::monthFolder(dataFolder, c.date), c.path, c.after);
                }
            }
            if (!st.ok) {
                fail(st.path, st.reason);
            } else if (changed) {
                result.leftAlone << c.path;
            } else {
                ++result.changedDays;
                if (flushPath.isEmpty())
                    flushPath = DayFiles::monthFolder(dataFolder, c.date);
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
    JournalReader reader(r.journalPath);
    const bool opened = reader.open(&r.problem, &r.detail);
    if (opened && reader.journal().dataFolder != dataFolder) {
        r.problem = JournalProblem::OtherDataFolder;
        r.detail = reader.journal().dataFolder;
    }
    if (!opened || r.problem == JournalProblem::OtherDataFolder) {
        r.status = UndoResult::Status::Refused;
        r.setAside = journal.setAside(fs, r.journalPath);
        return r;
    }
    const Journal& j = reader.journal();
    r.status = UndoResult::Status::Done;
    r.label = j.label;

    QString flushPath;
    QSet<QString> months;
    JournalDay d;
    JournalProblem cut = JournalProblem::None;
    while (reader.next(d, &cut)) {
        const QString folder = DayFiles::monthFolder(dataFolder, d.date);
        const QString path = d.companion ? DayFiles::companionFile(dataFolder, d.date) : DayFiles::dayFile(dataFolder, d.date);
        months.insert(folder);
        std::optional<QByteArray> now;
        if (fs.fileExists(path)) {
            // A day that cannot be read now (grown past the size limit, say) is not known
            // to be as the run left it: it is named and left, and blocks no other day.
            QByteArray bytes;
            if (const IoStatus st = fs.readAll(path, bytes); !st.ok) {
                r.unreadable << st;
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
        if (const IoStatus st = putDayFile(fs, folder, path, d.before); !st.ok) {
            r.failed << st;
            continue;
        }
        // A file the run deleted comes back with the mode and group it had.
        if (!now && d.before && d.mode) {
            const QByteArray native = QFile::encodeName(path);
            if (::chown(native.constData(), uid_t(-1), gid_t(d.group)) != 0) {
                // Not a member of that group: the file keeps the user's own.
            }
            ::chmod(native.constData(), mode_t(*d.mode));
        }
        ++r.restoredDays;
        if (flushPath.isEmpty())
            flushPath = folder;
    }
    if (cut != JournalProblem::None)
        r.failed << IoStatus::failure(r.journalPath, QStringLiteral("changed while Undo read it"));
    // A run killed part-way can leave the temporary file of the write in flight
    // beside the day files; hidden, it is no day file, and it goes with the run.
    static const QRegularExpression leftover(QStringLiteral("^\\.\\d{4}_\\d{1,2}\\.\\d{1,2}(_D)?\\.[A-Za-z0-9]{6}$"));
    for (const QString& month : std::as_const(months)) {
        const QStringList names = QDir(month).entryList(QDir::Files | QDir::Hidden);
        for (const QString& name : names) {
            if (leftover.match(name).hasMatch())
                fs.remove(joinPath(month, name));
        }
    }
    // A month folder the run made, left empty, goes with it (rmdir takes only an empty one).
    for (const QString& name : j.createdFolders) {
        const QString month = dataFolder + name;
        if (QDir(month).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)
            && fs.removeDir(month))
            r.removedFolders << month;
    }

    if (!flushPath.isEmpty()) {
        // Nothing put back is known to be on disk: the journal stays for another try.
        if (const IoStatus st = fs.flush(flushPath); !st.ok)
            r.failed << st;
    }
    // A day that could not be written back (a full disk) may be later: the journal
    // stays for that. Days changed since or unreadable never will, so they do not
    // keep it, and the run before this one comes next.
    r.journalKept = !r.failed.isEmpty();
    if (!r.journalKept)
        r.retired = journal.retire(fs, r.journalPath);
    return r;
}

} // namespace td
