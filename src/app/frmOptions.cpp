#include "frmOptions.h"

#include "AboutPanel.h"
#include "KeyboardAccess.h"
#include "days/RunReport.h"
#include "display/DisplaySettings.h"
#include "display/MiscPage.h"
#include "display/PresetsPage.h"
#include "display/ScreenPage.h"
#include "display/WeekViewPage.h"
#include "export/ExportPage.h"
#include "holidays/HolidayPage.h"
#include "i18n/LanguageApplier.h"
#include "ui/Controls.h"
#include "ui/FontFit.h"
#include "ui/PageSize.h"
#include "ui/Spoken.h"
#include "schedule/DDayPage.h"
#include "schedule/RegularPage.h"
#include "sync/SyncPage.h"
#include "settings/Resets.h"
#include "settings/SettingsJournal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QPainter>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <cmath>

namespace td {
namespace {

// The window fills and names the preset and mode lists of page 0: found by their design names.
QComboBox* listOn(const QWidget* page, const QString& name)
{
    return page->findChild<QComboBox*>(name);
}
constexpr int kTop = 30;

// A frame drawn round whichever control of the window has the focus: the style's own
// focus marks are faint or missing on many controls (bars, buttons, labels, empty
// lists). Dark blue outside, white inside: one of the two stands out against the light
// page and against the dark sample panel alike.
class FocusMark : public QWidget {
public:
    explicit FocusMark(QWidget* window) : QWidget(window)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        hide();
        connect(qApp, &QApplication::focusChanged, this, [this, window](QWidget*, QWidget* now) {
            if (!now || now->window() != window || now == window) {
                hide();
                return;
            }
            const QRect r(now->mapTo(window, QPoint(0, 0)), now->size());
            setGeometry(r.adjusted(-kWidth, -kWidth, kWidth, kWidth));
            setMask(QRegion(rect()).subtracted(QRegion(rect().adjusted(kWidth, kWidth, -kWidth, -kWidth))));
            raise();
            show();
        });
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), QColor(0, 70, 160));
        p.setPen(Qt::white);
        p.drawRect(rect().adjusted(kWidth - 1, kWidth - 1, -kWidth, -kWidth));
    }

private:
    static constexpr int kWidth = 3;
};
} // namespace

frmOptions::frmOptions(Services& services, LanguageFile& lng, QString caption)
    : QWidget(nullptr), s_(services), lng_(lng), caption_(std::move(caption))
{
    setObjectName(QStringLiteral("frmOptions"));
    const int pageLeft = twips(kShownLeft);
    setFixedSize(pageLeft + kPageSize.width() + 8, kTop + kPageSize.height() + 46);

    LblEgg = new EggLabel(this);
    nameControl(LblEgg, QStringLiteral("LblEgg"));
    LblEgg->setGeometry(4, 4, twips(165), twips(135));

    LstOption = new QListWidget(this);
    nameControl(LstOption, QStringLiteral("LstOption"));
    ui::speakAs(LstOption, ui::spoken::pages, s_.isKorean());
    LstOption->setGeometry(4, kTop, pageLeft - 8, kPageSize.height());

    LblOptTitle = new QLabel(QStringLiteral("자동설정"), this);
    nameControl(LblOptTitle, QStringLiteral("LblOptTitle"), 1000);
    LblOptTitle->setGeometry(pageLeft, 4, kPageSize.width(), kTop - 6);
    QFont titleFont = LblOptTitle->font();
    titleFont.setPointSize(12);
    titleFont.setBold(true);
    LblOptTitle->setFont(titleFont);

    // The about panel is made last, so it lies over whichever page is shown.
    for (int i : {0, 1, 2, 3, 4, 5, 6, 7, kSyncPanel, kAboutPanel}) {
        auto* panel = new QWidget(this);
        nameControl(panel, QStringLiteral("picOptions"), 0, i);
        panel->setGeometry(twips(kParkedLeft), kTop, kPageSize.width(), kPageSize.height());
        panel->setEnabled(false);
        panel->setAutoFillBackground(true); // the about panel covers the page below it
        picOptions[i] = panel;
    }

    const int footY = kTop + kPageSize.height() + 10;
    LblPrompt = new QLabel(QStringLiteral("[Tunedesk.exe]"), this);
    nameControl(LblPrompt, QStringLiteral("LblPrompt"), 1600);
    LblPrompt->setGeometry(4, footY, width() - 200, 26);
    cmdOK = new QPushButton(QStringLiteral("확인"), this);
    nameControl(cmdOK, QStringLiteral("cmdOK"), 2000);
    cmdOK->setGeometry(width() - 184, footY, 86, 28);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("취소"), this);
    nameControl(cmdCancel, QStringLiteral("cmdCancel"), 3000);
    cmdCancel->setGeometry(width() - 92, footY, 86, 28);

    presetsPage = new PresetsPage(s_, picOptions[0]);
    screenPage = new ScreenPage(s_, picOptions[1]);
    holidayPage = new HolidayPage(s_, picOptions[2]);
    regularPage = new RegularPage(s_, picOptions[3]);
    exportPage = new ExportPage(s_, picOptions[4]);
    weekViewPage = new WeekViewPage(s_, picOptions[5]);
    ddayPage = new DDayPage(s_, picOptions[6]);
    miscPage = new MiscPage(s_, picOptions[7]);
    display = new DisplaySettings(s_, presetsPage, screenPage, weekViewPage, miscPage);
    display->setParent(this);
    syncPage = new SyncPage(s_, picOptions[kSyncPanel]);
    aboutPanel = new AboutPanel(picOptions[kAboutPanel]);

    Timer1.setInterval(60);
    connect(&Timer1, &QTimer::timeout, this, &frmOptions::Timer1_Timer);
    connect(LblEgg, &EggLabel::MouseDown, this, &frmOptions::LblEgg_MouseDown);
    connect(aboutPanel->CmdBy, &QPushButton::clicked, this, &frmOptions::CmdBy_Click);
    // The keyboard's way to the about panel (D for Daybrook).
    auto* about = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D), this);
    connect(about, &QShortcut::activated, this, &frmOptions::openAboutPanel);

    showPanel(0, true);

    // The page follows the current entry however it moves (arrow keys, Home/End, a drag,
    // a click), and a click on the entry already current shows its page again.
    connect(LstOption, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            LstOption_Click();
    });
    connect(LstOption, &QListWidget::itemClicked, this, &frmOptions::LstOption_Click);
    // A screen reader picks an entry by selecting it: that entry becomes the current one.
    connect(LstOption, &QListWidget::itemSelectionChanged, this, [this] {
        const QModelIndexList rows = LstOption->selectionModel()->selectedRows();
        if (rows.size() == 1 && rows.front().row() != LstOption->currentRow())
            LstOption->setCurrentRow(rows.front().row());
    });
    new FocusMark(this);
    connect(cmdOK, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    // Settings put back by "Undo settings" are shown as they now are on disk.
    connect(miscPage, &MiscPage::settingsRestored, this, [this] {
        display->Main_ReadColor(presetsPage->currentPreset());
        holidayPage->Main_ReadProfile();
        holidaysStored_ = holidayPage->entries();
    });
    connect(cmdCancel, &QPushButton::clicked, this, &frmOptions::cmdCancel_Click);
}

frmOptions::~frmOptions() = default;

QString frmOptions::captionFor(int minor, int revision)
{
    return QStringLiteral("Tune Desk for Daybrook build") + QString::number(minor) + QString::number(revision);
}

void frmOptions::showPanel(int index, bool shown)
{
    QWidget* panel = picOptions[index];
    panel->move(panelLeft(shown), panel->y());
    panel->setEnabled(shown);
    panelShown_[size_t(index)] = shown;
}

bool frmOptions::isPanelShown(int index) const
{
    return panelShown_[size_t(index)];
}

int frmOptions::panelLeft(bool shown) const
{
    return int(std::lround(twips(shown ? kShownLeft : kParkedLeft) * ui::designScale(this)));
}

bool frmOptions::Form_Load()
{
    // Each step stands on its own: a failure skips it, except that the
    // language file may end the program.
    try {
        days::refreshDataFolder(s_);
        // The Undo buttons were made before the data folder was known: their
        // tooltips name the newest run of this folder.
        emit days::JournalSignal::instance().changed();
    } catch (...) {
    }
    try {
        KoreanFont = LanSetup({LstOption, listOn(presetsPage, QStringLiteral("CmbSMode")),
                               listOn(presetsPage, QStringLiteral("CmbDefault")), LblOptTitle, this},
                              s_.currentLanguage, lng_);
    } catch (const ProgramEnd&) {
        return false;
    }
    presetsPage->setCurrentPreset(0);
    display->Main_ReadColor(presetsPage->currentPreset());
    holidayPage->Main_ReadProfile();
    holidaysStored_ = holidayPage->entries();
    syncPage->load();
    setWindowTitle(caption_);
    // With every caption and value in place, a large font grows the window to fit them. The
    // page list and the title have sizes of their own: they grow with the font too.
    for (QWidget* w : std::initializer_list<QWidget*>{LstOption, LblOptTitle}) {
        QFont f = w->font();
        f.setPointSizeF(f.pointSizeF() * ui::fontGrowth(this));
        w->setFont(f);
    }
    ui::fitDesignToFont(this);
    nameAndOrderControls();
    return true;
}

void frmOptions::LstOption_Click()
{
    const int selected = LstOption->currentRow();
    const int n = LstOption->count();
    for (int row = 0; row <= n; ++row) {
        const int panel = row == n ? kAboutPanel : panelOf(row);
        if (row == selected) {
            showPanel(panel, true);
            LblOptTitle->setText(LstOption->item(row)->text());
        } else {
            showPanel(panel, false);
        }
    }
}

void frmOptions::cmdOK_Click()
{
    // Escape on the prompt goes back to the window; only its OK stores and ends.
    if (s_.boxes.show({LblPrompt->text(), QStringLiteral("Tunedesk"), MsgIcon::Information, MsgButtons::OkCancel,
                       MsgAnswer::Ok})
        != MsgAnswer::Ok)
        return;
    if (storeAll()) {
        closing_ = true;
        close();
    }
}

bool frmOptions::storeAll()
{
    // What the stores replace is recorded first, so "Undo settings" can put it back.
    SettingsJournal journal(s_.fs, s_.journalFolder);
    if (const IoStatus st = journal.begin(QStringLiteral("ok"), {display->profilePath(), s_.store.filePath(),
                                                                 s_.programFile(QStringLiteral("Holiday.dat"))});
        !st.ok) {
        s_.boxes.show({settingsJournalNotWritten(s_.isKorean(), st), QStringLiteral("Tunedesk"), MsgIcon::Warning,
                       MsgButtons::Ok, MsgAnswer::Ok});
        return false;
    }
    // Both stores run; a failure has been reported and keeps the window open,
    // so nothing the user set is lost.
    const bool displayStored = display->Main_WriteColor(presetsPage->currentPreset());
    const bool holidaysStored = holidayPage->Main_WriteProfile();
    journal.finish();
    if (holidaysStored)
        holidaysStored_ = holidayPage->entries();
    return displayStored && holidaysStored;
}

bool frmOptions::hasUnsavedEdits() const
{
    return display->edited() || holidayPage->entries() != holidaysStored_;
}

void frmOptions::closeEvent(QCloseEvent* e)
{
    // Cancel, Escape and the close box end the program at once only when nothing would be lost.
    if (closing_ || !hasUnsavedEdits()) {
        e->accept();
        return;
    }
    const bool korean = s_.isKorean();
    Message ask{korean ? QStringLiteral("저장하지 않은 설정이 있습니다. 저장하고 닫을까요?")
                       : QStringLiteral("Some settings are not stored yet. Store them before closing?"),
                QStringLiteral("Tunedesk"), MsgIcon::Question, MsgButtons::SaveDiscardCancel, MsgAnswer::Save};
    ask.captions = korean ? QStringList{QStringLiteral("저장하고 닫기"), QStringLiteral("저장하지 않고 닫기"), QStringLiteral("계속 편집")}
                          : QStringList{QStringLiteral("Store and close"), QStringLiteral("Close without storing"),
                                        QStringLiteral("Keep editing")};
    switch (s_.boxes.show(ask)) {
    case MsgAnswer::Save:
        closing_ = storeAll();
        break;
    case MsgAnswer::Discard:
        closing_ = true;
        break;
    default:
        break;
    }
    if (closing_)
        e->accept();
    else
        e->ignore();
}

void frmOptions::nameAndOrderControls()
{
    std::vector<QWidget*> pages(picOptions.begin(), picOptions.end());
    orderTabs(LstOption, pages, {cmdOK, cmdCancel});
}

void frmOptions::keyPressEvent(QKeyEvent* e)
{
    // As in a dialog: Escape cancels (which asks first when edits would be lost). Enter
    // presses the focused button and does what any other control does with it: a list
    // opens, a check or option button toggles, the page list shows its page, the rest
    // do nothing. OK is pressed only on purpose.
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        cmdCancel->click();
        return;
    }
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
        && (e->modifiers() == Qt::NoModifier || e->modifiers() == Qt::KeypadModifier)) {
        QWidget* focus = focusWidget();
        if (focus == LstOption)
            LstOption_Click();
        else if (auto* list = qobject_cast<QComboBox*>(focus))
            list->showPopup();
        else if (auto* button = qobject_cast<QAbstractButton*>(focus); button && button->isEnabled())
            button->click();
        return;
    }
    QWidget::keyPressEvent(e);
}

void frmOptions::cmdCancel_Click()
{
    close();
}

void frmOptions::LblEgg_MouseDown(int button, int shift, int, int)
{
    // Right button with Shift, Ctrl and Alt, nothing else.
    if (button != 2 || shift != 7)
        return;
    openAboutPanel();
}

void frmOptions::openAboutPanel()
{
    // Once open, the title is the panel's own: saving it again would lose the page's.
    if (isPanelShown(kAboutPanel))
        return;
    Timer1.start();
    SavedTitle = LblOptTitle->text();
    LblOptTitle->setText(QStringLiteral("데이브룩 스토리"));
    showPanel(kAboutPanel, true);
    // The focus goes first: a page disabled while it holds the focus would hand it
    // to the page list, and a screen reader would say that instead.
    aboutPanel->CmdBy->setFocus(Qt::OtherFocusReason);
    // The page under the panel is covered: the keyboard must not reach its controls.
    for (int i = 0; i < int(picOptions.size()); ++i)
        if (i != kAboutPanel && isPanelShown(i))
            picOptions[i]->setEnabled(false);
}

void frmOptions::Timer1_Timer()
{
    aboutPanel->scrollStep();
}

void frmOptions::CmdBy_Click()
{
    showPanel(kAboutPanel, false);
    Timer1.stop();
    LblOptTitle->setText(SavedTitle);
    for (int i = 0; i < int(picOptions.size()); ++i)
        if (i != kAboutPanel && isPanelShown(i))
            picOptions[i]->setEnabled(true);
    LstOption->setFocus(Qt::OtherFocusReason);
}

} // namespace td
