#pragma once
#include "DayPlan.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QTabWidget;
class QTableView;

namespace td {

// The days of a plan as rows: date, what happens to the file, the text before
// and the text after, decoded by the day files' reading rule.
class DayPlanModel : public QAbstractTableModel {
    Q_OBJECT
public:
    DayPlanModel(DayPlan plan, bool korean, QObject* parent = nullptr);
    const DayPlan& plan() const { return plan_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    DayPlan plan_;
    bool korean_;
};

// Shows what the runs of a page would do, one tab per run (register, remove),
// each computed when its tab is first opened. Writes nothing.
class PlanPreview : public QDialog {
    Q_OBJECT
public:
    struct Run {
        QString caption; // the run's button caption
        std::function<DayPlan()> plan;
        QString notes = {}; // what the run leaves out or changes beyond the days (an import's summary), shown above them
    };
    // With applyCaption, a second button under that caption accepts the dialog:
    // the caller applies the plan shown.
    PlanPreview(const QList<Run>& runs, bool korean, QWidget* parent, const QString& applyCaption = QString());

    QTabWidget* tabs() const { return tabs_; }
    // The tab's summary line, notes and model; null until the tab was opened.
    QLabel* summary(int tab) const;
    QPlainTextEdit* notes(int tab) const;
    DayPlanModel* model(int tab) const;

private:
    void build(int tab);

    QList<Run> runs_;
    bool korean_;
    QTabWidget* tabs_;
};

} // namespace td
