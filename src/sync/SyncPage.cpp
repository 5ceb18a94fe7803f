#include "SyncPage.h"

#include "Keyring.h"
#include "SyncSettings.h"
#include "days/PlanPreview.h"
#include "days/RunPump.h"
#include "days/RunReport.h"
#include "ui/Controls.h"
#include "ui/PageSize.h"
#include "ui/Spoken.h"
#include "ui/Widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace td {

namespace {
const QString kTitle = QStringLiteral("Tunedesk");

QString say(bool korean, const char* ko, const char* en)
{
    return QString::fromUtf8(korean ? ko : en);
}
} // namespace

SyncPage::SyncPage(Services& services, QWidget* parent) : QWidget(parent), s_(services)
{
    setFixedSize(kPageSize);
    const bool korean = s_.isKorean();
    LblSyncHead = ui::makeLabel(this, QStringLiteral("LblSyncHead"), QString(), 1800);
    LblSyncHead->setWordWrap(true);
    auto field = [this](QLabel*& label, QLineEdit*& edit, const char* labelName, const char* editName, int key) {
        label = ui::makeLabel(this, QLatin1String(labelName), QString(), key);
        edit = new QLineEdit(this);
        nameControl(edit, QLatin1String(editName));
        label->setBuddy(edit); // the label's caption is the field's spoken name
    };
    field(LblSyncUrl, TxtSyncUrl, "LblSyncUrl", "TxtSyncUrl", 1801);
    TxtSyncUrl->setPlaceholderText(QStringLiteral("https://"));
    field(LblSyncUser, TxtSyncUser, "LblSyncUser", "TxtSyncUser", 1802);
    field(LblSyncPassword, TxtSyncPassword, "LblSyncPassword", "TxtSyncPassword", 1803);
    TxtSyncPassword->setEchoMode(QLineEdit::Password);
    LblSyncCalendar = ui::makeLabel(this, QStringLiteral("LblSyncCalendar"), QString(), 1804);
    CmbSyncCalendar = ui::makeList(this, {}, QStringLiteral("CmbSyncCalendar"));
    ui::speakChoice(CmbSyncCalendar, ui::spoken::syncCalendar, korean);
    CmbSyncCalendar->addItem(say(korean, "주소가 가리키는 달력 (없으면 Daybrook)", "The calendar the URL leads to (else Daybrook)"), QString());
    CmbSyncCalendar->setCurrentIndex(0);
    CmbSyncCalendar->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    CmdFindCalendars = ui::makeButton(this, QStringLiteral("CmdFindCalendars"), 1805);
    CmdMakeCalendar = ui::makeButton(this, QStringLiteral("CmdMakeCalendar"), 1806);
    field(LblSyncPin, TxtSyncPin, "LblSyncPin", "TxtSyncPin", 1807);
    LblSyncPin->setVisible(false);
    TxtSyncPin->setVisible(false);
    CmdSyncPreview = ui::makeButton(this, QStringLiteral("CmdSyncPreview"), 1808);
    CmdSyncPreview->setMinimumWidth(110);
    pBarSync = new QProgressBar(this);
    nameControl(pBarSync, QStringLiteral("pBarSync"));
    pBarSync->setRange(0, 100);
    pBarSync->setValue(0);
    ui::speakAs(pBarSync, ui::spoken::progress, korean);
    CmdCancelSync = ui::makeButton(this, QStringLiteral("CmdCancelSync"), 1614, -1, korean ? QStringLiteral("취소") : QStringLiteral("Cancel"));
    CmdCancelSync->setEnabled(false);
    ui::speakAs(CmdCancelSync, ui::spoken::stopRun, korean);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    int row = 0;
    for (auto [label, edit] : {std::pair{LblSyncUrl, TxtSyncUrl}, std::pair{LblSyncUser, TxtSyncUser}, std::pair{LblSyncPassword, TxtSyncPassword}}) {
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row++, 1, 1, 2);
    }
    grid->addWidget(LblSyncCalendar, row, 0);
    grid->addWidget(CmbSyncCalendar, row++, 1, 1, 2);
    auto* calendarButtons = new QHBoxLayout;
    calendarButtons->addStretch(1);
    calendarButtons->addWidget(CmdFindCalendars);
    calendarButtons->addWidget(CmdMakeCalendar);
    grid->addLayout(calendarButtons, row++, 1, 1, 2);
    grid->addWidget(LblSyncPin, row, 0);
    grid->addWidget(TxtSyncPin, row++, 1, 1, 2);
    grid->setColumnStretch(1, 1);

    auto* progress = new QHBoxLayout;
    progress->addWidget(pBarSync, 1);
    progress->addWidget(CmdCancelSync);
    auto* run = new QHBoxLayout;
    run->addStretch(1);
    run->addWidget(CmdSyncPreview);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(24, 20, 24, 20);
    page->setSpacing(12);
    page->addWidget(LblSyncHead);
    page->addLayout(grid);
    page->addStretch(1);
    page->addLayout(progress);
    page->addLayout(run);

    confirmSync = [this](const QString& plan, const DayPlan& local) {
        PlanPreview preview({{CmdSyncPreview->text(), [local] { return local; }, plan}}, s_.isKorean(), window(),
                            say(s_.isKorean(), "동기화", "Sync"));
        return preview.exec() == QDialog::Accepted;
    };
    connect(CmdFindCalendars, &QPushButton::clicked, this, &SyncPage::CmdFindCalendars_Click);
    connect(CmdMakeCalendar, &QPushButton::clicked, this, &SyncPage::CmdMakeCalendar_Click);
    connect(CmdSyncPreview, &QPushButton::clicked, this, &SyncPage::CmdSyncPreview_Click);
}

SyncPage::~SyncPage() = default;

void SyncPage::load()
{
    if (!s_.syncStore)
        return;
    const sync::SyncSettings saved = sync::SyncSettings::load(*s_.syncStore);
    TxtSyncUrl->setText(saved.url);
    TxtSyncUser->setText(saved.user);
    TxtSyncPin->setText(saved.pinnedSha256);
    if (!saved.calendar.isEmpty())
        addCalendar(QUrl(saved.calendar), QString());
    LblSyncPin->setVisible(!saved.pinnedSha256.isEmpty());
    TxtSyncPin->setVisible(!saved.pinnedSha256.isEmpty());
}

void SyncPage::addCalendar(const QUrl& url, const QString& name)
{
    const QString key = url.toString();
    int at = CmbSyncCalendar->findData(key);
    if (at < 0) {
        CmbSyncCalendar->addItem(name.isEmpty() ? url.toDisplayString(QUrl::RemoveUserInfo)
                                                : QStringLiteral("%1 (%2)").arg(name, url.path()),
                                 key);
        at = CmbSyncCalendar->count() - 1;
    }
    CmbSyncCalendar->setCurrentIndex(at);
}

void SyncPage::saveAccount()
{
    sync::SyncSettings settings{TxtSyncUrl->text().trimmed(), TxtSyncUser->text(), CmbSyncCalendar->currentData().toString(),
                                TxtSyncPin->text().trimmed()};
    if (s_.syncStore && !settings.save(*s_.syncStore))
        s_.boxes.info(say(s_.isKorean(), "동기화 계정을 설정에 저장하지 못했습니다: %1", "The sync account could not be stored: %1")
                          .arg(s_.syncStore->filePath()),
                      kTitle);
}

bool SyncPage::account(sync::SyncAccount& account)
{
    const bool korean = s_.isKorean();
    const QString urlText = TxtSyncUrl->text().trimmed();
    account.url = QUrl(urlText, QUrl::StrictMode);
    if (!account.url.isValid() || account.url.host().isEmpty()
        || (account.url.scheme() != QLatin1String("http") && account.url.scheme() != QLatin1String("https"))) {
        s_.boxes.info(say(korean, "서버 주소는 http:// 나 https:// 로 시작해야 합니다: %1", "The server URL must be an http:// or https:// address: %1")
                          .arg(urlText),
                      kTitle);
        TxtSyncUrl->setFocus();
        return false;
    }
    account.user = TxtSyncUser->text();
    account.calendarUrl = QUrl(CmbSyncCalendar->currentData().toString());
    account.pinnedSha256 = TxtSyncPin->text().trimmed();
    account.stateFolder = s_.syncStateFolder;
    saveAccount();
    const QString entry = sync::keyringAccount(account.user, urlText);
    QString why;
    if (!TxtSyncPassword->text().isEmpty()) {
        // Typed: kept in the keyring for the next time (and for the command line).
        account.password = TxtSyncPassword->text();
        if (!s_.keyring || s_.keyring->write(entry, account.password, why) != sync::IKeyring::Status::Ok)
            s_.boxes.info(say(korean, "암호를 키링에 보관하지 못했습니다 (%1). 이번에만 씁니다.",
                              "The password could not be kept in the keyring (%1); it is used this time only.")
                              .arg(why),
                          kTitle);
        return true;
    }
    if (s_.keyring && s_.keyring->read(entry, account.password, why) == sync::IKeyring::Status::Unavailable) {
        s_.boxes.info(say(korean, "키링에서 암호를 읽을 수 없습니다 (%1). 암호를 입력하십시오.",
                          "The password cannot be read from the keyring (%1); type it in.")
                          .arg(why),
                      kTitle);
        TxtSyncPassword->setFocus();
        return false;
    }
    return true;
}

void SyncPage::told(const sync::SyncOutcome& outcome)
{
    s_.boxes.info(sync::syncMessage(outcome, s_.isKorean()), kTitle);
    // A certificate the system does not trust may be pinned: its field comes forward.
    if (outcome.problem == sync::SyncProblem::Untrusted) {
        LblSyncPin->setVisible(true);
        TxtSyncPin->setVisible(true);
        TxtSyncPin->setFocus();
    }
}

void SyncPage::CmdFindCalendars_Click()
{
    sync::SyncAccount a;
    if (!account(a))
        return;
    a.calendarUrl = QUrl();
    sync::SyncEngine engine(s_.fs, s_.DataFolder, a, nullptr, s_.isKorean(), s_.today());
    QList<sync::DavCalendar> list;
    const sync::SyncOutcome out = [&] {
        RunPump pump(CmdCancelSync);
        return engine.calendars(list);
    }();
    if (!out.ok()) {
        told(out);
        return;
    }
    const QVariant chosen = CmbSyncCalendar->currentData();
    for (const sync::DavCalendar& c : std::as_const(list))
        addCalendar(c.url, c.name);
    CmbSyncCalendar->setCurrentIndex(std::max(0, CmbSyncCalendar->findData(chosen)));
    if (list.isEmpty())
        s_.boxes.info(say(s_.isKorean(), "서버에 달력이 없습니다. Daybrook 달력을 만들 수 있습니다.",
                          "The server holds no calendar; the Daybrook calendar can be made."),
                      kTitle);
}

void SyncPage::CmdMakeCalendar_Click()
{
    sync::SyncAccount a;
    if (!account(a))
        return;
    a.calendarUrl = QUrl();
    sync::SyncEngine engine(s_.fs, s_.DataFolder, a, nullptr, s_.isKorean(), s_.today());
    QUrl made;
    const sync::SyncOutcome out = [&] {
        RunPump pump(CmdCancelSync);
        return engine.findCalendar(true, made);
    }();
    if (!out.ok() || !made.isValid()) {
        told(out);
        return;
    }
    addCalendar(made, QStringLiteral("Daybrook"));
    saveAccount();
}

void SyncPage::CmdSyncPreview_Click()
{
    sync::SyncAccount a;
    if (!account(a))
        return;
    days::refreshDataFolder(s_);
    std::optional<RunJournal> journal;
    if (!s_.journalFolder.isEmpty())
        journal.emplace(s_.journalFolder);
    sync::SyncEngine engine(s_.fs, s_.DataFolder, a, journal ? &*journal : nullptr, s_.isKorean(), s_.today());
    sync::SyncPlan plan;
    sync::SyncOutcome out;
    {
        RunPump pump(CmdCancelSync);
        out = engine.plan(plan, [&pump](int, int) {
            pump.pump();
            return !pump.cancelled();
        });
    }
    if (!out.ok()) {
        if (out.problem != sync::SyncProblem::Cancelled)
            told(out);
        return;
    }
    if (!confirmSync || !confirmSync(sync::formatPlan(plan, s_.isKorean()), engine.localChanges(plan)))
        return;
    {
        RunPump pump(CmdCancelSync);
        out = engine.execute(plan, [&](int done, int total) {
            pBarSync->setValue(total > 0 ? done * 100 / total : 0);
            pump.pump();
            return !pump.cancelled();
        });
        pBarSync->setValue(0);
    }
    // Every page's Undo names the sync when it changed day files.
    emit days::JournalSignal::instance().changed();
    told(out);
}

} // namespace td
