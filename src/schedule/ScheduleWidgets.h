#pragma once
// Small helpers shared by the two generator pages.
#include "DayRun.h"
#include "platform/Services.h"

#include <QString>

class QComboBox;
class QWidget;

namespace td {

class PercentBar;

namespace schedule {

// A combo box with the given entries and nothing chosen.
QComboBox* makeList(QWidget* parent, const QStringList& items);
QStringList yearItems(const QDate& today);   // "2000" to ten years after today, ascending
QStringList numberItems(int first, int last);
// Text of the chosen entry; empty when nothing is chosen.
QString chosenText(const QComboBox* list);

// Runs the generator over range with progress on bar, keeping the window painted
// and deaf to input, then shows the completion message or the failure message.
void runAndReport(Services& s, PercentBar* bar, const DayRange& range, DayAction action,
                  const std::function<QString(const MatchedDay&)>& entryFor);

} // namespace schedule
} // namespace td
