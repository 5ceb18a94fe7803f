#include "PlanPreview.h"

#include "DayFiles.h"
#include "RunMessages.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace td {

DayPlanModel::DayPlanModel(DayPlan plan, bool korean, QObject* parent)
    : QAbstractTableModel(parent), plan_(std::move(plan)), korean_(korean)
{
}

int DayPlanModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(plan_.days.size()); }

int DayPlanModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 4; }

QVariant DayPlanModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const DayChange& c = plan_.days[index.row()];
    const DayChange::Kind kind = c.kind();
    switch (index.column()) {
    case 0:
        // A day's companion file of finished items is its own row.
        return c.date.toString(QStringLiteral("yyyy-MM-dd")) + (c.companion ? QStringLiteral(" _D") : QString());
    case 1:
        return RunMessages::changeKind(korean_, kind);
    default: {
        // Before for changed and deleted days, after for new and changed ones.
        const bool before = index.column() == 2;
        if (kind == DayChange::Kind::Failed)
            return before ? QString() : c.failure; // why the run will fail there
        const std::optional<QByteArray>& bytes = before ? c.before : c.after;
        const bool shown = before ? kind == DayChange::Kind::Changed || kind == DayChange::Kind::Deleted
                                  : kind == DayChange::Kind::New || kind == DayChange::Kind::Changed;
        if (!shown || !bytes)
            return QString();
        const QString text = DayFiles::joinLines(*bytes);
        // One row a day: the lines of the day side by side; the tooltip shows them as lines.
        return role == Qt::ToolTipRole ? text : QString(text).replace(QLatin1Char('\n'), QStringLiteral(" ↵ "));
    }
    }
}

QVariant DayPlanModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return RunMessages::previewColumns(korean_).value(section);
}

PlanPreview::PlanPreview(const QList<Run>& runs, bool korean, QWidget* parent, const QString& applyCaption)
    : QDialog(parent), runs_(runs), korean_(korean)
{
    setObjectName(QStringLiteral("PlanPreview"));
    setWindowTitle(RunMessages::preview(korean));
    resize(760, 480);
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    for (const Run& run : runs_)
        tabs_->addTab(new QWidget(tabs_), run.caption);
    layout->addWidget(tabs_);
    // The button's text follows the program's language, not the toolkit's.
    auto* buttons = new QDialogButtonBox(this);
    if (!applyCaption.isEmpty())
        buttons->addButton(applyCaption, QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(RunMessages::close(korean), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(tabs_, &QTabWidget::currentChanged, this, &PlanPreview::build);
    build(0);
}

QLabel* PlanPreview::summary(int tab) const
{
    return tabs_->widget(tab)->findChild<QLabel*>(QStringLiteral("summary"));
}

QPlainTextEdit* PlanPreview::notes(int tab) const
{
    return tabs_->widget(tab)->findChild<QPlainTextEdit*>(QStringLiteral("notes"));
}

DayPlanModel* PlanPreview::model(int tab) const
{
    auto* view = tabs_->widget(tab)->findChild<QTableView*>();
    return view ? qobject_cast<DayPlanModel*>(view->model()) : nullptr;
}

void PlanPreview::build(int tab)
{
    QWidget* page = tabs_->widget(tab);
    if (!page || page->layout())
        return;
    auto* model = new DayPlanModel(runs_[tab].plan(), korean_, page);
    auto* layout = new QVBoxLayout(page);
    auto* summary = new QLabel(RunMessages::previewSummary(korean_, model->plan()), page);
    summary->setObjectName(QStringLiteral("summary"));
    summary->setWordWrap(true);
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(summary);
    if (!runs_[tab].notes.isEmpty()) {
        auto* notes = new QPlainTextEdit(runs_[tab].notes, page);
        notes->setObjectName(QStringLiteral("notes"));
        notes->setAccessibleName(summary->text());
        notes->setReadOnly(true);
        notes->setMaximumHeight(notes->fontMetrics().height() * 8);
        layout->addWidget(notes);
    }
    auto* view = new QTableView(page);
    view->setModel(model);
    view->setAccessibleName(runs_[tab].caption);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Tab leaves the table (ten years are thousands of cells); the arrows move within it.
    view->setTabKeyNavigation(false);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    // Fixed row heights: ten years of days lay out at once.
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    QHeaderView* header = view->horizontalHeader();
    header->setSectionResizeMode(0, QHeaderView::Fixed);
    header->setSectionResizeMode(1, QHeaderView::Fixed);
    header->resizeSection(0, view->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00 _D")) + 16);
    int kindWidth = 0;
    for (auto kind : {DayChange::Kind::New, DayChange::Kind::Changed, DayChange::Kind::Deleted, DayChange::Kind::Unchanged,
                      DayChange::Kind::Failed})
        kindWidth = std::max(kindWidth, view->fontMetrics().horizontalAdvance(RunMessages::changeKind(korean_, kind)));
    header->resizeSection(1, kindWidth + 24);
    header->setSectionResizeMode(2, QHeaderView::Stretch);
    header->setSectionResizeMode(3, QHeaderView::Stretch);
    layout->addWidget(view, 1);
}

} // namespace td
