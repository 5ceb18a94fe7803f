#pragma once
#include "SyncEngine.h"
#include "days/DayPlan.h"
#include "platform/Services.h"

#include <QWidget>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace td {

// Page 8: the CalDAV account (server, user, password in the keyring, calendar,
// pinned certificate), the preview of a sync and the sync run itself.
class SyncPage : public QWidget {
    Q_OBJECT
public:
    SyncPage(Services& services, QWidget* parent);
    ~SyncPage() override;

    // Fills the fields from the saved account (never the password).
    void load();

    // Shows what a sync would do and asks to run it; true runs. The counts and
    // the days, then the day files it changes as the run previews show them.
    std::function<bool(const QString& plan, const DayPlan& local)> confirmSync;

public slots:
    void CmdFindCalendars_Click();
    void CmdMakeCalendar_Click();
    void CmdSyncPreview_Click();

private:
    // The account as the fields give it; false (told) when the password cannot be had.
    bool account(sync::SyncAccount& account);
    // Saves the fields (the password into the keyring).
    void saveAccount();
    void told(const sync::SyncOutcome& outcome);
    void addCalendar(const QUrl& url, const QString& name);

    Services& s_;
    QLabel* LblSyncHead;
    QLabel* LblSyncUrl;
    QLineEdit* TxtSyncUrl;
    QLabel* LblSyncUser;
    QLineEdit* TxtSyncUser;
    QLabel* LblSyncPassword;
    QLineEdit* TxtSyncPassword;
    QLabel* LblSyncCalendar;
    QComboBox* CmbSyncCalendar; // first entry: the calendar the URL leads to
    QPushButton* CmdFindCalendars;
    QPushButton* CmdMakeCalendar;
    QLabel* LblSyncPin; // shown once a certificate was refused, or a pin is kept
    QLineEdit* TxtSyncPin;
    QPushButton* CmdSyncPreview;
    QProgressBar* pBarSync;
    QPushButton* CmdCancelSync; // live only while a sync goes on
};

} // namespace td
