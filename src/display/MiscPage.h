#pragma once
#include "display/DisplayValues.h"
#include "platform/Services.h"

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollBar;

namespace td {

class ClickLabel;

// Page 7: the two resets of Daybrook's stored configuration, the background
// picture, the today memo and the data synchronisation.
class MiscPage : public QWidget {
    Q_OBJECT
public:
    MiscPage(Services& services, QWidget* parent);

    // Shows the today memo, synchronisation and picture part of v; gives what is shown.
    void setValues(const display::DisplayValues& v);
    void values(display::DisplayValues& v) const;

    // True when LblSkinDir names a picture (its text, spaces trimmed, is not "None").
    bool hasPicture() const;

    // Enables "Undo settings" when a settings write is recorded, naming it in the tooltip.
    void refreshUndoSettings();

signals:
    // "Undo settings" put files back: the window shows them again.
    void settingsRestored();

public slots:
    void CmdUndoSettings_Click();
    void Cmdini_Click();
    void CmdPosIni_Click();
    void CmdRoot_Click();
    void CmdSDel_Click();
    void LblSkinDir_Change();
    void HSTTimer_Change();
    void HSDSBar_Change();

protected:
    void changeEvent(QEvent* e) override;

private:
    Services& s_;

    QGroupBox* Frame2;
    QPushButton* Cmdini;
    QPushButton* CmdPosIni;
    QPushButton* CmdUndoSettings;

    QGroupBox* fraSample4;
    ClickLabel* LblSkinDir; // the full path, or "None": the value that is stored
    QLabel* LblSknDis;      // the same path shortened for display
    QPushButton* CmdRoot;
    QPushButton* CmdSDel;

    QGroupBox* Frame13;
    QCheckBox* ChkTMemo;
    QScrollBar* HSTTimer;
    QLabel* LblTShow;
    QLabel* Label27;

    QGroupBox* Frame16;
    QCheckBox* ChkDSync;
    QScrollBar* HSDSBar;
    QLabel* LblDSShow;
    QLabel* Label36;
};

} // namespace td
