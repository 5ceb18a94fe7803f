#pragma once
#include "CommandLine.h"
#include "platform/FileSystem.h"
#include "platform/InstanceLock.h"
#include "platform/SettingsStore.h"
#include "sync/Keyring.h"

#include <QDate>
#include <QDateTime>
#include <functional>

namespace td::cli {

// What a headless command works with, wired in main (real) or by a test.
struct CommandContext {
    CommandContext(const CommandLine& line, IFileSystem& fs, ISettingsStore& store) : line(line), fs(fs), store(store) {}

    const CommandLine& line;
    IFileSystem& fs;
    ISettingsStore& store;
    QString daybrookFolder; // Daybrook.ini, Holiday.dat and, by default, the day files
    QString journalFolder;  // the run journals; empty: none kept
    bool korean = true;
    QDate today = QDate::currentDate();
    QDateTime now = QDateTime::currentDateTimeUtc();
    std::function<void(const QString&)> out; // one result line
    std::function<void(const QString&)> err; // messages; a lone CR between lines becomes a line break
    std::function<void(int)> progress;       // percent done; may be empty
    IInstanceLock* instance = nullptr;       // the window's lock: settings are not undone while it is open
    ISettingsStore* syncStore = nullptr;     // the sync account the page saved; null: none
    sync::IKeyring* keyring = nullptr;       // the sync password; null: none

    // --data-folder (with a separator added when missing), else "DataSaveDir"
    // as stored, else Daybrook's folder: the window's rule.
    QString dataFolder() const;
};

// Runs the command the line names; the exit status.
int runCommand(CommandContext& context);

} // namespace td::cli
