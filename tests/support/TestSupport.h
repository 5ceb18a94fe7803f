#pragma once
// Fakes for the platform interfaces, shared by every test.
#include "platform/CommonDialog.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>
#include <deque>
#include <functional>
#include <memory>

namespace td::test {

// Records every box; answers from a script, then with the default button.
class RecordingMessageBoxes : public IMessageBoxes {
public:
    QList<Message> shown;
    std::deque<MsgAnswer> answers;
    IMessageBoxes* real = nullptr; // when set, the real boxes answer instead of the script
    MsgAnswer show(const Message& m) override;
};

// Confirms or cancels from a script; a confirmed dialog applies the scripted change.
class ScriptedCommonDialog : public CommonDialog {
public:
    struct Answer {
        bool confirm = false;
        std::function<void(CommonDialog&)> apply;
    };
    std::deque<Answer> answers;
    QStringList calls; // "ShowColor", "ShowFont", ...

    bool ShowColor() override { return next(QStringLiteral("ShowColor")); }
    bool ShowFont() override { return next(QStringLiteral("ShowFont")); }
    bool ShowOpen() override { return next(QStringLiteral("ShowOpen")); }
    bool ShowSave() override { return next(QStringLiteral("ShowSave")); }

    void confirmWith(std::function<void(CommonDialog&)> f) { answers.push_back({true, std::move(f)}); }
    void cancelNext() { answers.push_back({false, {}}); }

private:
    bool next(const QString& call);
};

// An in-memory settings store.
class MemorySettingsStore : public ISettingsStore {
public:
    QMap<QString, QString> values;
    bool failSaves = false;
    QString get(const QString& key, const QString& def) const override { return values.value(key, def); }
    bool save(const QString& key, const QString& value) override;
    bool removeSection() override
    {
        values.clear();
        return true;
    }
    QStringList keys() const override { return values.keys(); }
};

// The real file system, counting each kind of call; the Nth call of a kind fails
// (1-based; 0 = never) without touching the disk.
class FailingFileSystem : public QtFileSystem {
public:
    int failReadAt = 0, failWriteAt = 0, failRemoveAt = 0, failMakeDirAt = 0, failFlushAt = 0, failRenameAt = 0;
    int reads = 0, writes = 0, removes = 0, makeDirs = 0, flushes = 0, renames = 0;
    // Every write in the order made: "write PATH", a streamed file's "commit synced PATH"
    // or "commit deferred PATH" (a commit counts as a write).
    QStringList writeLog;

    IoStatus readAll(const QString& path, QByteArray& bytes) const override;
    IoStatus readStamped(const QString& path, QByteArray& bytes, FileStamp& stamp) const override;
    IoStatus writeAtomic(const QString& path, const QByteArray& bytes, Durability d) override;
    IoStatus writeIfAbsent(const QString& path, const QByteArray& bytes, bool* changed) override;
    IoStatus removeSeen(const QString& path, const FileStamp& seen) override;
    std::unique_ptr<AtomicFile> beginAtomic(const QString& path) override;
    IoStatus remove(const QString& path) override;
    IoStatus makeDir(const QString& path) override;
    IoStatus rename(const QString& from, const QString& to) override;
    IoStatus flush(const QString& path) override;
};

// A temporary program folder with the fakes wired into Services.
struct Fixture {
    QTemporaryDir dir;
    FailingFileSystem fs;
    MemorySettingsStore store;
    RecordingMessageBoxes boxes;
    ScriptedCommonDialog dialog;
    Services services{fs, store, boxes, dialog, QString()};

    explicit Fixture(const QString& language = QStringLiteral("Korean"));
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    // Copies the shipped language file into the program folder.
    void installLanguageFile() const;
};

// While it lives, a test run by root acts as an unprivileged user, so that file
// permissions hold as they do for the user of the tool; otherwise it does nothing.
class AsUnprivilegedUser {
public:
    AsUnprivilegedUser();
    ~AsUnprivilegedUser();
    AsUnprivilegedUser(const AsUnprivilegedUser&) = delete;
    AsUnprivilegedUser& operator=(const AsUnprivilegedUser&) = delete;

private:
    bool switched_ = false;
};

// A small tmpfs mounted on a folder while it lives (the superuser only: mounted()
// says whether it is), to fill up or to make read-only.
class ScratchMount {
public:
    explicit ScratchMount(const QString& folder, const char* options = "size=4m");
    ~ScratchMount();
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;
    bool mounted() const { return mounted_; }
    bool remountReadOnly();

private:
    QByteArray point_;
    bool mounted_ = false;
};

// Fills the file system of the file up to its last free byte.
void fillFileSystem(const QString& filler);

QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);
QByteArray cp949(const QString& text);

// A control of a page found by its design name ("CmdDFont", index 4: "CmdDFont(4)");
// the pages keep their controls to themselves. Without a name: the one widget of its
// kind (a page, the about panel).
template <typename T>
T* control(const QWidget& page, const char* name = nullptr, int index = -1)
{
    const QString objectName =
        index >= 0 ? QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index) : QString::fromLatin1(name);
    T* found = page.findChild<T*>(objectName);
    if (!found)
        qFatal("no control %s of type %s", qPrintable(objectName), T::staticMetaObject.className());
    return found;
}

// Shows a page of the options window as the user does: a click on its entry in the page list.
void showPage(const QWidget& window, int row);

} // namespace td::test
