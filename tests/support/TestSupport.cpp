#include "TestSupport.h"

#include "platform/Cp949.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace td::test {

MsgAnswer RecordingMessageBoxes::show(const Message& m)
{
    shown.append(m);
    if (real)
        return real->show(m);
    if (answers.empty())
        return m.defaultButton;
    const MsgAnswer a = answers.front();
    answers.pop_front();
    return a;
}

bool ScriptedCommonDialog::next(const QString& call)
{
    calls << call;
    if (answers.empty())
        return false;
    Answer a = std::move(answers.front());
    answers.pop_front();
    if (a.confirm && a.apply)
        a.apply(*this);
    return a.confirm;
}

bool MemorySettingsStore::save(const QString& key, const QString& value)
{
    if (failSaves)
        return false;
    values.insert(key, value);
    return true;
}

namespace {

IoStatus injected(int& calls, int failAt, const QString& path, const char* what)
{
    if (++calls == failAt)
        return IoStatus::failure(path, QStringLiteral("injected %1 failure").arg(QLatin1String(what)));
    return IoStatus::success();
}

} // namespace

IoStatus FailingFileSystem::readAll(const QString& path, QByteArray& bytes) const
{
    auto* self = const_cast<FailingFileSystem*>(this);
    const IoStatus st = injected(self->reads, failReadAt, path, "read");
    return st.ok ? QtFileSystem::readAll(path, bytes) : st;
}

IoStatus FailingFileSystem::readStamped(const QString& path, QByteArray& bytes, FileStamp& stamp) const
{
    auto* self = const_cast<FailingFileSystem*>(this);
    stamp = {};
    const IoStatus st = injected(self->reads, failReadAt, path, "read");
    return st.ok ? QtFileSystem::readStamped(path, bytes, stamp) : st;
}

IoStatus FailingFileSystem::writeAtomic(const QString& path, const QByteArray& bytes, Durability d)
{
    writeLog << QStringLiteral("write ") + path;
    const IoStatus st = injected(writes, failWriteAt, path, "write");
    return st.ok ? QtFileSystem::writeAtomic(path, bytes, d) : st;
}

IoStatus FailingFileSystem::writeIfAbsent(const QString& path, const QByteArray& bytes, bool* changed)
{
    writeLog << QStringLiteral("write ") + path;
    *changed = false;
    const IoStatus st = injected(writes, failWriteAt, path, "write");
    return st.ok ? QtFileSystem::writeIfAbsent(path, bytes, changed) : st;
}

IoStatus FailingFileSystem::removeSeen(const QString& path, const FileStamp& seen)
{
    const IoStatus st = injected(removes, failRemoveAt, path, "delete");
    return st.ok ? QtFileSystem::removeSeen(path, seen) : st;
}

namespace {

class LoggedFile : public AtomicFile {
public:
    LoggedFile(FailingFileSystem& fs, std::unique_ptr<AtomicFile> file, QString path)
        : fs_(fs), file_(std::move(file)), path_(std::move(path))
    {
    }
    IoStatus append(QByteArrayView bytes) override { return file_->append(bytes); }
    IoStatus commit(Durability d) override
    {
        fs_.writeLog << (d == Durability::Synced ? QStringLiteral("commit synced ") : QStringLiteral("commit deferred ")) + path_;
        const IoStatus st = injected(fs_.writes, fs_.failWriteAt, path_, "write");
        return st.ok ? file_->commit(d) : st;
    }

private:
    FailingFileSystem& fs_;
    std::unique_ptr<AtomicFile> file_;
    QString path_;
};

} // namespace

std::unique_ptr<AtomicFile> FailingFileSystem::beginAtomic(const QString& path)
{
    return std::make_unique<LoggedFile>(*this, QtFileSystem::beginAtomic(path), path);
}

IoStatus FailingFileSystem::remove(const QString& path)
{
    const IoStatus st = injected(removes, failRemoveAt, path, "delete");
    return st.ok ? QtFileSystem::remove(path) : st;
}

IoStatus FailingFileSystem::makeDir(const QString& path)
{
    const IoStatus st = injected(makeDirs, failMakeDirAt, path, "folder");
    return st.ok ? QtFileSystem::makeDir(path) : st;
}

IoStatus FailingFileSystem::rename(const QString& from, const QString& to)
{
    const IoStatus st = injected(renames, failRenameAt, to, "rename");
    return st.ok ? QtFileSystem::rename(from, to) : st;
}

IoStatus FailingFileSystem::flush(const QString& path)
{
    const IoStatus st = injected(flushes, failFlushAt, path, "flush");
    return st.ok ? QtFileSystem::flush(path) : st;
}

Fixture::Fixture(const QString& language)
{
    services.programFolder = dir.path();
    services.currentLanguage = language;
    services.today = [] { return QDate(2026, 12, 6); };
    services.DataFolder = dir.path() + QLatin1Char('/');
}

void Fixture::installLanguageFile() const
{
    QFile::copy(QStringLiteral(TUNEDESK_SOURCE_DIR "/data/tuneKorean.lng"), path(QStringLiteral("tuneKorean.lng")));
}

AsUnprivilegedUser::AsUnprivilegedUser()
{
    if (::geteuid() != 0)
        return;
    const uid_t nobody = 65534;
    switched_ = ::setegid(nobody) == 0 && ::seteuid(nobody) == 0;
    if (!switched_)
        qFatal("cannot act as an unprivileged user");
}

AsUnprivilegedUser::~AsUnprivilegedUser()
{
    if (switched_ && (::seteuid(0) != 0 || ::setegid(0) != 0))
        qFatal("cannot return to the superuser");
}

ScratchMount::ScratchMount(const QString& folder, const char* options) : point_(QFile::encodeName(folder))
{
    QDir().mkpath(folder);
    mounted_ = ::geteuid() == 0 && ::mount("tmpfs", point_.constData(), "tmpfs", 0, options) == 0;
}

ScratchMount::~ScratchMount()
{
    if (mounted_)
        ::umount2(point_.constData(), MNT_DETACH);
}

bool ScratchMount::remountReadOnly()
{
    return mounted_ && ::mount(nullptr, point_.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

void fillFileSystem(const QString& filler)
{
    const int fd = ::open(QFile::encodeName(filler).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    QVERIFY(fd >= 0);
    const QByteArray block(65536, 'f');
    for (qsizetype size = block.size(); size > 0;) {
        if (::write(fd, block.constData(), size_t(size)) < 0) {
            QCOMPARE(errno, ENOSPC);
            size /= 2;
        }
    }
    ::close(fd);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray cp949(const QString& text)
{
    return Cp949::encode(text).bytes;
}

void showPage(const QWidget& window, int row)
{
    auto* list = control<QListWidget>(window, "LstOption");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

} // namespace td::test
