#pragma once
// Small helpers shared by the two generator pages.
#include "DayRun.h"
#include "RunJournal.h"
#include "platform/Services.h"

#include <QObject>
#include <QString>

class QComboBox;
class QPushButton;
class QWidget;

namespace td {

class PercentBar;
class PlanPreview;

namespace schedule {

// A combo box with the given entries and nothing chosen.
QComboBox* makeList(QWidget* parent, const QStringList& items);
QStringList yearItems(const QDate& today);   // "2000" to ten years after today, ascending
QStringList numberItems(int first, int last);
// Text of the chosen entry; empty when nothing is chosen.
QString chosenText(const QComboBox* list);

// A page's run as its choices give it, refusals passed.
struct PreparedRun {
    DayRange range;
    std::function<QString(const MatchedDay&)> entryFor;
    QString page;    // "regular" or "dday": names the run in its journal
    QString entry;   // the entry as the journal and Undo's tooltip show it
};

// Plans the run, writes its journal (under Services::journalFolder, when set)
// and applies it with progress on bar, keeping the window painted and deaf to
// input; then shows the completion message or the failure message.
void runAndReport(Services& s, PercentBar* bar, const PreparedRun& run, DayAction action);

// Applies a plan computed elsewhere (an import) as a run: journal, progress
// through setPercent with the window kept painted, then the run's messages.
void applyPlanAndReport(Services& s, const DayPlan& plan, const RunLabel& label,
                        const std::function<void(double)>& setPercent);

// Opens the preview of both runs of a page (register, then remove), captioned
// as the page's buttons. Window-modal; deletes itself when closed.
PlanPreview* showPreview(Services& s, QWidget* page, const PreparedRun& run, const QString& registerCaption,
                         const QString& removeCaption);

// Undoes the newest journaled run and shows how it went.
void undoAndReport(Services& s, PercentBar* bar);

// Enables Undo when there is a journal and says in its tooltip which run it undoes.
void refreshUndo(const Services& s, QPushButton* undo);

// Tells every page that the journals changed (a run or an undo), so each
// page's Undo button follows.
class JournalSignal : public QObject {
    Q_OBJECT
public:
    static JournalSignal& instance();
signals:
    void changed();
};

} // namespace schedule
} // namespace td
