#pragma once
#include "Spreadsheet.h"
#include "platform/Services.h"

#include <QLocale>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace td {

// Page 4: a range of months of day notes exported to a workbook.
class ExportPage : public QWidget {
    Q_OBJECT
public:
    ExportPage(Services& services, QWidget* parent);
    ~ExportPage() override;

    std::array<QComboBox*, 2> CmbPYear{};    // start, end
    std::array<QComboBox*, 2> CmbPmonth{};
    QLabel* Label24;    // the page's heading line
    QLabel* Label6;     // "From"
    QLabel* Label7;     // "년" behind the start year
    QLabel* Label5;     // "월" behind the start month
    QLabel* Label14;    // the arrow between the two rows
    QLabel* Label13;    // "To"
    QLabel* Label11;    // "년" behind the end year
    QLabel* Label10;    // "월" behind the end month
    QCheckBox* ChkShow;
    QLabel* LblTarget;
    QProgressBar* pBar;
    QPushButton* CmdTitle;
    QLineEdit* Textmemo;   // the notes of the day being exported
    QLineEdit* textdone;   // its finished items

    // Supplies the short weekday names of the date column.
    QLocale locale;
    // Starts the spreadsheet server for one export; null when it cannot be started.
    std::function<std::unique_ptr<xl::SpreadsheetServer>()> createServer;

    // Asks for the target workbook. False when the user cancelled the dialog.
    bool GetSaveFile();

public slots:
    void CmdTitle_Click();

private:
    Services& s_;
};

} // namespace td
