#pragma once
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"

#include <QHash>
#include <QString>
#include <cstdio>
#include <functional>
#include <optional>

namespace td {

// Thrown when the language file ends the program. The message (if any) has been shown.
struct ProgramEnd {
    int exitCode = 2;
};

// The caption lookup GetLngText over "tune<Language>.lng" beside the program.
// The file is read once, at the first lookup; the rules are those of a fresh
// read per lookup: the last line of a key wins, and a malformed line anywhere
// ends the program at the first lookup.
class LanguageFile {
public:
    LanguageFile(IFileSystem& fs, IMessageBoxes& boxes, QString programFolder, QString currentLanguage);

    // Throws ProgramEnd on a missing file (after the critical message) or a malformed line.
    QString GetLngText(int key, const QString& fileName);

    int fileReads() const { return reads_; }

    // Where the reason the file ends the program goes, with its full path: a
    // program started from a terminal or a script is told even when no box shows.
    std::function<void(const QString&)> reportError = [](const QString& line) { std::fputs(qPrintable(line + QLatin1Char('\n')), stderr); };

    // Parses one file's bytes: key -> text. Nothing when a line is malformed;
    // *badLine then gets its number (from 1).
    static std::optional<QHash<int, QString>> parse(const QByteArray& bytes, int* badLine = nullptr);

private:
    void load(const QString& fileName);

    IFileSystem& fs_;
    IMessageBoxes& boxes_;
    QString folder_;
    QString language_;
    QString loadedName_;
    QHash<int, QString> texts_;
    int reads_ = 0;
};

} // namespace td
