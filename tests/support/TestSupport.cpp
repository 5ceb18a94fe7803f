#include "TestSupport.h"

#include "platform/Cp949.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

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

IoStatus FailingFileSystem::readAll(const QString& path, QByteArray& bytes) const
{
    auto* self = const_cast<FailingFileSystem*>(this);
    if (++self->reads == failReadAt)
        return IoStatus::failure(path, QStringLiteral("injected read failure"));
    return QtFileSystem::readAll(path, bytes);
}

IoStatus FailingFileSystem::writeAtomic(const QString& path, const QByteArray& bytes, Durability d)
{
    ++writes;
    return QtFileSystem::writeAtomic(path, bytes, d);
}

IoStatus FailingFileSystem::flush(const QString& path)
{
    ++flushes;
    return QtFileSystem::flush(path);
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

} // namespace td::test
