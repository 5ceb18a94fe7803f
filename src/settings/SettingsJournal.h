#pragma once
#include "days/RunJournal.h"
#include "platform/FileSystem.h"

#include <QDateTime>
#include <QStringList>
#include <optional>

namespace td {

// One settings file as a settings write found it and left it.
struct SettingsFile {
    QString path;
    std::optional<QByteArray> before;      // nullopt: there was no file
    bool afterKnown = false;               // the write finished and was looked at
    std::optional<QByteArray> afterDigest; // SHA-256 of the bytes after; nullopt: no file after
};

struct SettingsRecord {
    QString kind; // "ok", "store-now", "reset-configuration", "reset-position", "week-view-style"
    QDateTime made;
    QList<SettingsFile> files;
};

struct SettingsUndo {
    enum class Status {
        Done,
        NothingToUndo,
        Refused,
        Busy, // a run or undo holds the journal: nothing was touched
    };
    Status status = Status::NothingToUndo;
    QString journalPath;
    IoStatus busy = IoStatus::success(); // who holds the journal, with Busy
    JournalProblem problem = JournalProblem::None;
    QString detail;
    IoStatus setAside = IoStatus::success(); // with Refused: how renaming it to ".refused" went
    SettingsRecord record;
    QStringList restored;     // files put back as they were before the write
    QStringList changedSince; // files changed since the write: left alone
    QStringList failed;       // files that could not be put back, with the reason
};

// The journals of the last settings writes (OK, the store-now button, the two
// resets, the week-view style switch), beside the run journals: each records the whole files a write
// replaces, synced before the write, and what the write left once it is done.
class SettingsJournal {
public:
    static constexpr int kKeep = 10;

    // An empty folder keeps no journal: begin succeeds and records nothing.
    SettingsJournal(IFileSystem& fs, QString folder) : fs_(fs), folder_(std::move(folder)) {}

    // The journal files, newest first.
    QStringList files() const;
    // Records the files on paths (empty paths are skipped) before kind writes them.
    IoStatus begin(const QString& kind, const QStringList& paths);
    // The write is over: the journal learns what it left.
    void finish();

    static QByteArray encode(const SettingsRecord& record);
    static std::optional<SettingsRecord> decode(const QByteArray& bytes, JournalProblem* problem);

    // Puts back the files of the newest write, byte for byte, unless a file
    // changed since the write (then it is left alone and named). A journal cut
    // short or damaged is refused and set aside; nothing is touched. Holds the
    // journal's lock, as a run's undo does.
    SettingsUndo undoLast();

private:
    IFileSystem& fs_;
    QString folder_;
    QString path_; // the journal begun
    SettingsRecord record_;
};

// The texts of "Undo settings", in Korean or English.
struct SettingsMessages {
    static QString button(bool korean);
    static QString kindName(bool korean, const QString& kind);
    static QString tip(bool korean, const QString& journalPath); // what the button would undo
    static QString undone(bool korean, const SettingsUndo& undo);
    // When it was made, for the newest-first order of both kinds of journal; a
    // journal that cannot be read counts from its file's time.
    static QDateTime made(const QString& journalPath);
};

} // namespace td
