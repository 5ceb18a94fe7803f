#include "ScheduleWidgets.h"

#include "DayEntry.h"
#include "PercentBar.h"
#include "RunPump.h"

#include <QComboBox>

namespace td::schedule {

QComboBox* makeList(QWidget* parent, const QStringList& items)
{
    auto* list = new QComboBox(parent);
    list->addItems(items);
    list->setCurrentIndex(-1);
    list->setMaxVisibleItems(12);
    return list;
}

QStringList yearItems(const QDate& today)
{
    const int last = std::max(2000, today.year() + 10);
    return numberItems(2000, last);
}

QStringList numberItems(int first, int last)
{
    QStringList items;
    for (int n = first; n <= last; ++n)
        items << QString::number(n);
    return items;
}

QString chosenText(const QComboBox* list)
{
    return list->currentIndex() < 0 ? QString() : list->currentText();
}

void runAndReport(Services& s, PercentBar* bar, const DayRange& range, DayAction action,
                  const std::function<QString(const MatchedDay&)>& entryFor)
{
    DayRunResult result;
    {
        RunPump pump;
        bar->setPercent(0);
        pump.pump(true);
        // The bar moves when the window is let to paint: a progress bar repaints
        // at once on every visible step, which would cost more than the files.
        result = runDays(s.fs, s.DataFolder, range, action, entryFor, [&](double percent) {
            if (pump.due() || percent >= 100.0) {
                bar->setPercent(percent);
                pump.pump(true);
            }
        });
        pump.pump(true);
    }
    const bool korean = s.isKorean();
    s.boxes.info(result.ok() ? ScheduleMessages::completed(korean)
                             : ScheduleMessages::failed(korean, result.failedDays, result.firstFailure, result.firstReason),
                 ScheduleMessages::title());
}

} // namespace td::schedule
