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

namespace td {

class PercentBar;

// Page 6: D-Day countdown entries written into, or taken out of, the day files.
class DDayPage : public QWidget {
    Q_OBJECT
public:
    DDayPage(Services& services, QWidget* parent);

    // The page's choices as the day matching takes them.
    DDayChoices choices() const;

public slots:
    // 0 registers the countdown entries, 1 removes them.
    void CmdDataInput2_Click(int Index);
    void CmdBasic2_Click();
    void CmdPreview2_Click();
    void CmdUndo2_Click();

private:
    // The run of the current choices; a refusal shows its message and gives none.
    std::optional<schedule::PreparedRun> prepare();

    Services& s_;
    schedule::MarkerRow markers_;
    schedule::RunControls run_;

    // The window's date arrays; this page holds elements 5 (start) and 4
    // (target, the D-Day); the other elements live on other pages and are null here.
    std::array<QComboBox*, 6> CmbPYear{};
    std::array<QComboBox*, 6> CmbPmonth{};
    std::array<QComboBox*, 6> CmbPDay{};
    QComboBox* CmbMDay2; // the step in days
    QLineEdit* TxtIndexL2;
    QLineEdit* TxtRegPlan2;
    QLineEdit* TxtIndexR2;
    QPushButton* CmdBasic2;
    std::array<QPushButton*, 2> CmdDataInput2{};
    QPushButton* CmdPreview2; // shows what register and remove would do
    QPushButton* CmdUndo2;    // takes back the newest run
    PercentBar* PrgBData2;

    QLabel* Label29; // the range
    QLabel* Label32; // "년" of the start
    QLabel* Label34; // "월" of the start
    QLabel* Label37; // "일" of the start
    QLabel* Label31; // "년" of the target
    QLabel* Label28; // "월" of the target
    QLabel* Label38; // "일" of the target
    QLabel* Label16; // "일 단위로"
    QLabel* Label39; // "D-xxx"
    QGroupBox* Frame15;
};

} // namespace td
