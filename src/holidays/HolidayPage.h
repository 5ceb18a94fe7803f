#pragma once
#include "platform/Services.h"

#include <QWidget>
#include <array>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace td {

// Page 2: the holidays and anniversaries of Holiday.dat.
class HolidayPage : public QWidget {
    Q_OBJECT
public:
    HolidayPage(Services& services, QWidget* parent);

    // Loads Holiday.dat into the list.
    void Main_ReadProfile();
    // Stores the list; false when it could not be written (the user has been told).
    bool Main_WriteProfile();

    // The entries in list order.
    QStringList entries() const;
    // The list shows these entries, in this order (as a load leaves them).
    void setEntries(const QStringList& entries);
    // The entry the fields describe now.
    QString fieldsEntry() const;

public slots:
    void TxtAnni_Change();
    void LstHoli_Click();
    // False when the entry was refused (the user has been told).
    bool CmdAdd_Click();
    void CmdDel_Click();
    void CmdMod_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void insertSorted(const QString& entry);
    // Shows the selected entry's next solar date, or nothing.
    void showNextDate();
    // Tells the user why the fields cannot make an entry; true when they can.
    bool acceptable(const QString& entry);
    QString holidayPath() const;

    Services& s_;
    QButtonGroup* kind_;

    QListWidget* LstHoli;
    QComboBox* Cmbmonth;
    QComboBox* CmbDay;
    QRadioButton* OptSol;
    QRadioButton* OptLun;
    QLineEdit* TxtAnni;
    QPushButton* CmdAdd;
    QPushButton* CmdDel;
    QPushButton* CmdMod;

    QLabel* LblNextDate;             // under the list: the next solar date of the selected entry
    QLabel* Label3;                  // over the list
    QLabel* Label25;                 // the title field
    QLabel* Label1;                  // "월"
    std::array<QLabel*, 1> Label2{}; // "일"
};

} // namespace td
