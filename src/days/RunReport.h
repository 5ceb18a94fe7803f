#pragma once
// A journaled run over day files as the pages run it: progress with the window
// kept painted, then the run's one message; and Undo of the newest run.
#include "RunJournal.h"
#include "platform/Services.h"

#include <QObject>
#include <QString>
#include <functional>

class QAbstractButton;
class QPushButton;

namespace td {

class PercentBar;

namespace days {

// Every page's Undo follows the journals; then the run's one message.
void reportRun(Services& s, const DayRunResult& result);

// Applies a plan computed elsewhere (an import) as a run: journal, progress
// through setPercent with the window kept painted and only cancel live, then
// the run's messages.
void applyPlanAndReport(Services& s, const DayPlan& plan, const RunLabel& label,
                        const std::function<void(double)>& setPercent, QAbstractButton* cancel);

// Undoes the newest journaled run and shows how it went.
void undoAndReport(Services& s, PercentBar* bar);

// Enables Undo when there is a journal and says in its tooltip which run it undoes.
void refreshUndo(const Services& s, QPushButton* undo);

// Reads the data folder again; every Undo follows a change at once.
void refreshDataFolder(Services& s);

// Tells every page that the journals changed (a run or an undo), so each
// page's Undo button follows.
class JournalSignal : public QObject {
    Q_OBJECT
public:
    static JournalSignal& instance();
signals:
    void changed();
};

} // namespace days
} // namespace td
