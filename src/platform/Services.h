#pragma once
#include "CommonDialog.h"
#include "FileSystem.h"
#include "Language.h"
#include "MessageBoxes.h"
#include "Paths.h"
#include "SettingsStore.h"
#include "StoreKeys.h"

#include <QDate>
#include <QString>
#include <QUrl>
#include <functional>

namespace td::sync {
class IKeyring;
}

namespace td {

// Everything a page needs from the outside world, wired in main (real) or in a test (fakes).
struct Services {
    Services(IFileSystem& fs, ISettingsStore& store, IMessageBoxes& boxes, CommonDialog& dialog, QString programFolder)
        : fs(fs), store(store), boxes(boxes), CmDLG(dialog), programFolder(std::move(programFolder))
    {
    }

    IFileSystem& fs;
    ISettingsStore& store;
    IMessageBoxes& boxes;
    CommonDialog& CmDLG;
    QString programFolder; // the folder of the executable, as the platform gives it
    QString currentLanguage = QStringLiteral("Korean");
    std::function<QDate()> today = [] { return QDate::currentDate(); };
    std::function<bool(const QUrl&)> openUrl = [](const QUrl&) { return false; };
    QString DataFolder;                  // Daybrook's day files; set at load, refreshed by the export
    QString journalFolder;               // the generators' run journals, for Undo; empty: none kept
    ISettingsStore* syncStore = nullptr; // the sync account, a group of our own beside Daybrook's
    sync::IKeyring* keyring = nullptr;   // the sync password
    QString syncStateFolder;             // the sync state; empty: its default folder

    // Daybrook's data folder: "DataSaveDir" as stored, else the program folder
    // with a separator (added only when missing). Set at load, refreshed by the export.
    static QString dataFolderFor(const QString& dataSaveDir, const QString& programFolder)
    {
        return dataSaveDir.isEmpty() ? withSeparator(programFolder) : dataSaveDir;
    }
    void refreshDataFolder() { DataFolder = dataFolderFor(store.get(keys::kDataFolder, QString()), programFolder); }

    bool isKorean() const { return td::isKorean(currentLanguage); }
    // Folder + separator (added only when missing) + name.
    QString programFile(const QString& name) const { return joinPath(programFolder, name); }
};

} // namespace td
