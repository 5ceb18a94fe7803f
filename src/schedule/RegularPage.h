#pragma once
#include "DayMatching.h"
#include "ScheduleWidgets.h"
#include "platform/Services.h"

#include <QWidget>
#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace td {

class PercentBar;

// Page 3: a recurring plan written into, or taken out of, Daybrook's day files.
class RegularPage : public QWidget {
    Q_OBJECT
public:
    RegularPage(Services& services, QWidget* parent);

    // The page's choices as the day matching takes them.
    RegularChoices choices() const;

public slots:
    // 0 registers the entry on every matching day, 1 removes it.
    void CmdDataInput_Click(int Index);
    void CmdBasic_Click();
    void CmdPreview_Click();
    void CmdUndo_Click();

private:
    // The run of the current choices; a refusal shows its message and gives none.
    std::optional<schedule::PreparedRun> prepare();

    Services& s_;
    schedule::MarkerRow markers_;
    schedule::RunControls run_;

    // The window's year and month arrays; this page holds elements 3 ("From")
    // and 2 ("To"), the other elements live on other pages and are null here.
    std::array<QComboBox*, 6> CmbPYear{};
    std::array<QComboBox*, 6> CmbPmonth{};
    QRadioButton* OptMonth;
    QComboBox* CmbMDay;
    QRadioButton* OptWeek;
    QComboBox* CmbWSel;
    QComboBox* CmbWDay;
    QLineEdit* TxtIndexL;
    QLineEdit* TxtRegPlan;
    QLineEdit* TxtIndexR;
    QPushButton* CmdBasic;
    std::array<QPushButton*, 2> CmdDataInput{};
    QPushButton* CmdPreview; // shows what register and remove would do
    QPushButton* CmdUndo;    // takes back the newest run
    PercentBar* PrgBData;

    QLabel* Label15; // the range
    QLabel* Label21; // "년" of From
    QLabel* Label23; // "월" of From
    QLabel* Label18; // "년" of To
    QLabel* Label19; // "월" of To
    QLabel* Label4;  // "에"
    QGroupBox* Frame10;
};

} // namespace td
