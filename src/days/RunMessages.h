#pragma once
#include "DayPlan.h"
#include "RunJournal.h"

#include <QString>
#include <QStringList>

namespace td {

// The texts of the preview and of Undo, in Korean or English.
struct RunMessages {
    static QString preview(bool korean); // the button and the preview's title
    static QString undo(bool korean);    // the button
    static QString close(bool korean);   // closes the preview
    static QString changeKind(bool korean, DayChange::Kind kind);
    static QStringList previewColumns(bool korean); // date, change, before, after
    // The four counts, and the days that cannot be read.
    static QString previewSummary(bool korean, const DayPlan& plan);
    // "D-Day 등록" for "dday-register"; a kind this program does not know is shown as it is.
    static QString runKind(bool korean, const QString& kind);
    // What Undo would undo, for its tooltip.
    static QString undoTip(bool korean, const Journal& journal);
    static QString undoTipUnreadable(bool korean, const QString& path);
    static QString nothingToUndo(bool korean);
    // The closing message of an undo.
    static QString undone(bool korean, const UndoResult& result);
    static QString journalRefused(bool korean, const UndoResult& result);
    // The closing message of a run: completed, cancelled or failed, then the
    // counts and the days that changed on disk while the user looked or the run went.
    static QString runDone(bool korean, const DayRunResult& result);
    // A run that stopped before its first day file: its journal could not be written.
    static QString journalNotWritten(bool korean, const IoStatus& status);
    // Another run or undo, of this copy or another, holds the journal.
    static QString journalBusy(bool korean, const IoStatus& holder);
};

} // namespace td
