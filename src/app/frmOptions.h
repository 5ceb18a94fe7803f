#pragma once
#include "i18n/LanguageFile.h"
#include "platform/Services.h"

#include <QTimer>
#include <QStringList>
#include <QWidget>
#include <array>

class QLabel;
class QListWidget;
class QPushButton;

namespace td {

class PresetsPage;
class ScreenPage;
class WeekViewPage;
class MiscPage;
class DisplaySettings;
class HolidayPage;
class RegularPage;
class DDayPage;
class ExportPage;
class SyncPage;
class AboutPanel;
class EggLabel;

// The options window: the frame of the nine pages (and the about panel), the
// page list, OK and Cancel, and the load and OK sequences.
class frmOptions : public QWidget {
    Q_OBJECT
public:
    frmOptions(Services& services, LanguageFile& lng, QString caption);
    ~frmOptions() override;

    // The load sequence. False when the language file ended the program: the
    // window must not be shown and nothing is stored.
    bool Form_Load();

    // "Tune Desk for Daybrook build" + minor + revision.
    static QString captionFor(int minor, int revision);

    // The about panel keeps panel 8; the ninth page (sync) came later and is panel 9.
    static constexpr int kAboutPanel = 8;
    static constexpr int kSyncPanel = 9;
    static constexpr int kPanels = 10;
    // The panel of an entry of the page list.
    static int panelOf(int row) { return row == 8 ? kSyncPanel : row; }

    bool isPanelShown(int index) const;

public slots:
    void LstOption_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void LblEgg_MouseDown(int button, int shift, int x, int y);
    // Opens the about panel (the gesture, or Ctrl+Shift+D) and puts the focus on it.
    void openAboutPanel();
    void Timer1_Timer();
    void CmdBy_Click();

    // Any display value, settings-store value or holiday changed since the load or the last store.
    bool hasUnsavedEdits() const;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    // Others reach the controls by their names, as a screen reader does.
    QListWidget* LstOption;
    std::array<QWidget*, kPanels> picOptions{};
    QLabel* LblOptTitle;
    QLabel* LblPrompt;
    EggLabel* LblEgg;
    AboutPanel* aboutPanel = nullptr;
    QTimer Timer1;      // scrolls the about panel
    QString SavedTitle; // the page title while the about panel is open
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    PresetsPage* presetsPage = nullptr;
    ScreenPage* screenPage = nullptr;
    HolidayPage* holidayPage = nullptr;
    RegularPage* regularPage = nullptr;
    ExportPage* exportPage = nullptr;
    WeekViewPage* weekViewPage = nullptr;
    DDayPage* ddayPage = nullptr;
    MiscPage* miscPage = nullptr;
    SyncPage* syncPage = nullptr;
    DisplaySettings* display = nullptr;

    bool KoreanFont = false;

    // Panel geometry in twips: shown at 1140, parked at -20000 (grown with a large font).
    static constexpr int kShownLeft = 1140;
    static constexpr int kParkedLeft = -20000;
    void showPanel(int index, bool shown);
    int panelLeft(bool shown) const;
    // The tab order of every page from its visual order. Runs once the captions are
    // applied and the pages laid out.
    void nameAndOrderControls();
    // The OK stores: display values, then the holiday list. False when one failed (told).
    bool storeAll();

    Services& s_;
    LanguageFile& lng_;
    QString caption_;
    QStringList holidaysStored_;             // the holiday list as on disk
    std::array<bool, kPanels> panelShown_{}; // which panels are in view (the others are parked out of sight)
    bool closing_ = false;                   // stored, or the user chose to close without storing
};

} // namespace td
