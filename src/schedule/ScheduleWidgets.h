#pragma once
// Small helpers shared by the two generator pages.
#include "DayRun.h"
#include "days/DayEntry.h"
#include "days/RunReport.h"
#include "platform/Services.h"

#include <QString>
#include <array>
#include <functional>
#include <optional>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
class QWidget;

namespace td {

class PercentBar;
class PlanPreview;

namespace schedule {

// A page's run as its choices give it, refusals passed.
struct PreparedRun {
    DayRange range;
    std::function<QString(const MatchedDay&)> entryFor;
    QString page;  // "regular" or "dday": names the run in its journal
    QString entry; // the entry as the journal and Undo's tooltip show it
};

// Plans the run, writes its journal (under Services::journalFolder, when set)
// and applies it with progress on bar, keeping the window painted and deaf to
// input; then shows the completion message or the failure message.
// Only cancel acts meanwhile; it stops the run after the day in hand.
void runAndReport(Services& s, PercentBar* bar, const PreparedRun& run, DayAction action,
                  QPushButton* cancel = nullptr);

// Opens the preview of both runs of a page (register, then remove), captioned
// as the page's buttons. Window-modal; deletes itself when closed.
PlanPreview* showPreview(Services& s, QWidget* page, const PreparedRun& run, const QString& registerCaption,
                         const QString& removeCaption);

// Shows why a run cannot go, if it cannot: no valid range, or an entry the day
// files cannot take. True when it was refused.
bool refuseRun(Services& s, const std::optional<DayRange>& range, const DayEntry::Check& check);

// The lists of one date of a page's range, elements index of the window's
// arrays: year and month, and the day when days is given.
using DateArray = std::array<QComboBox*, 6>;
void makeDateLists(QWidget* page, const QDate& today, int index, DateArray& years, DateArray& months,
                   DateArray* days = nullptr);

// The entry frame: left marker "[", the plan text, right marker "]" and the
// button that puts the default markers back.
struct MarkerRow {
    struct Names {
        const char* frame;
        int frameTag;
        const char* left;
        const char* plan;
        const char* right;
        const char* basic;
        int basicTag;
    };
    QGroupBox* frame = nullptr;
    QLineEdit* left = nullptr;
    QLineEdit* plan = nullptr;
    QLineEdit* right = nullptr;
    QPushButton* basic = nullptr;

    // afterPlan, when given, makes what stands between the plan text and the right marker.
    void build(QWidget* page, const Names& names, bool korean,
               const std::function<QWidget*(QWidget* frame)>& afterPlan = {});
    // The default markers back.
    void reset() const;
};

// Preview and Undo on the left, register and remove on the right, the progress
// bar below; register, remove and Preview take the page's run as prepare gives it.
class RunControls {
public:
    struct Names {
        QString suffix; // "" or "2": CmdPreview2, CmdUndo2, CmdDataInput2, PrgBData2, CmdCancelRun2
        int previewTag;
        int undoTag;
        int dataTag; // of register; remove has the next
    };
    using Prepare = std::function<std::optional<PreparedRun>()>;

    QPushButton* preview = nullptr;
    QPushButton* undo = nullptr;
    std::array<QPushButton*, 2> dataInput{};
    PercentBar* bar = nullptr;
    QPushButton* cancel = nullptr; // live only while a run goes on

    void build(Services& s, QWidget* page, QVBoxLayout* layout, const Names& names, Prepare prepare);
    // 0 registers the page's entry on every matching day, 1 removes it.
    void run(int index);
    void showPreview();
    void undoLast();

private:
    Services* s_ = nullptr;
    QWidget* page_ = nullptr;
    Prepare prepare_;
};

} // namespace schedule
} // namespace td
