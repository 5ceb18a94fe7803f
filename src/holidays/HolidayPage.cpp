#include "HolidayPage.h"

#include "HolidayDates.h"
#include "HolidayEntry.h"
#include "HolidayFile.h"
#include "ui/Controls.h"
#include "ui/PageSize.h"
#include "ui/Spoken.h"
#include "ui/Widgets.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

namespace td {

HolidayPage::HolidayPage(Services& services, QWidget* parent) : QWidget(parent), s_(services)
{
    setFixedSize(kPageSize);

    Label3 = ui::makeLabel(this, QStringLiteral("Label3"), QStringLiteral("공휴일과 기념일 목록"), 1200);
    LstHoli = new QListWidget(this);
    nameControl(LstHoli, QStringLiteral("LstHoli"));
    LstHoli->setSelectionMode(QAbstractItemView::SingleSelection);
    ui::speakAs(LstHoli, ui::spoken::holidayList, s_.isKorean()); // a list does not take its label's text
    // Delete on an entry does what the delete button does.
    LstHoli->installEventFilter(this);
    LblNextDate = ui::makeLabel(this, QStringLiteral("LblNextDate"), QString());
    LblNextDate->setWordWrap(true);
    LblNextDate->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Room for the date and the (wrapped) note of a moved lunar 30th, so the list does not jump.
    LblNextDate->setFixedHeight(3 * LblNextDate->fontMetrics().lineSpacing() + 4);
    LblNextDate->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Cmbmonth = ui::makeList(this, ui::numberItems(1, 12), QStringLiteral("Cmbmonth"));
    ui::speakChoice(Cmbmonth, ui::spoken::holidayMonth, s_.isKorean());
    Label1 = ui::makeLabel(this, QStringLiteral("Label1"), QStringLiteral("월"), 1202);

    CmbDay = ui::makeList(this, ui::numberItems(1, 31), QStringLiteral("CmbDay"));
    CmbDay->setMaxVisibleItems(16);
    ui::speakChoice(CmbDay, ui::spoken::holidayDay, s_.isKorean());
    Label2[0] = ui::makeLabel(this, QStringLiteral("Label2"), QStringLiteral("일"), 1203, 0);

    OptSol = new QRadioButton(QStringLiteral("양력"), this);
    nameControl(OptSol, QStringLiteral("OptSol"), 1204);
    OptLun = new QRadioButton(QStringLiteral("음력"), this);
    nameControl(OptLun, QStringLiteral("OptLun"), 1205);
    kind_ = new QButtonGroup(this);
    kind_->addButton(OptSol);
    kind_->addButton(OptLun);
    OptSol->setChecked(true);

    Label25 = ui::makeLabel(this, QStringLiteral("Label25"), QStringLiteral("기념일 제목입력"), 1201);
    TxtAnni = new QLineEdit(this);
    nameControl(TxtAnni, QStringLiteral("TxtAnni"));
    Label25->setBuddy(TxtAnni);

    CmdAdd = ui::makeButton(this, QStringLiteral("CmdAdd"), 1206, -1, QStringLiteral("추가"));
    CmdDel = ui::makeButton(this, QStringLiteral("CmdDel"), 1207, -1, QStringLiteral("삭제"));
    CmdMod = ui::makeButton(this, QStringLiteral("CmdMod"), 1208, -1, QStringLiteral("수정"));
    for (QPushButton* b : {CmdAdd, CmdDel, CmdMod}) {
        b->setEnabled(false);
        b->setAutoDefault(false);
    }

    // The list on the left; date, kind, title and the buttons on the right.
    auto* page = new QHBoxLayout(this);
    page->setContentsMargins(10, 10, 10, 10);
    page->setSpacing(16);

    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(Label3);
    listColumn->addWidget(LstHoli, 1);
    listColumn->addWidget(LblNextDate);
    page->addLayout(listColumn, 1);

    auto* fields = new QVBoxLayout;
    fields->setSpacing(10);
    auto* date = new QHBoxLayout;
    date->addWidget(Cmbmonth);
    date->addWidget(Label1);
    date->addSpacing(8);
    date->addWidget(CmbDay);
    date->addWidget(Label2[0]);
    date->addStretch(1);
    fields->addLayout(date);
    auto* kind = new QHBoxLayout;
    kind->addWidget(OptSol);
    kind->addSpacing(12);
    kind->addWidget(OptLun);
    kind->addStretch(1);
    fields->addLayout(kind);
    fields->addSpacing(6);
    fields->addWidget(Label25);
    fields->addWidget(TxtAnni);
    fields->addSpacing(6);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CmdAdd);
    buttons->addWidget(CmdDel);
    buttons->addWidget(CmdMod);
    fields->addLayout(buttons);
    fields->addStretch(1);
    auto* right = new QWidget(this);
    right->setLayout(fields);
    right->setFixedWidth(270);
    fields->setContentsMargins(0, Label3->sizeHint().height() + 6, 0, 0);
    page->addWidget(right);

    connect(TxtAnni, &QLineEdit::textChanged, this, &HolidayPage::TxtAnni_Change);
    // A click, or moving the selection with the keyboard, shows the entry.
    connect(LstHoli, &QListWidget::itemClicked, this, &HolidayPage::LstHoli_Click);
    connect(LstHoli, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            LstHoli_Click();
    });
    // Whatever changes the selection (also a deletion or an emptied list) changes the line.
    connect(LstHoli->selectionModel(), &QItemSelectionModel::selectionChanged, this, &HolidayPage::showNextDate);
    connect(CmdAdd, &QPushButton::clicked, this, &HolidayPage::CmdAdd_Click);
    connect(CmdDel, &QPushButton::clicked, this, &HolidayPage::CmdDel_Click);
    connect(CmdMod, &QPushButton::clicked, this, &HolidayPage::CmdMod_Click);
}

QString HolidayPage::holidayPath() const
{
    return s_.programFile(QStringLiteral("Holiday.dat"));
}

QStringList HolidayPage::entries() const
{
    QStringList out;
    out.reserve(LstHoli->count());
    for (int i = 0; i < LstHoli->count(); ++i)
        out.append(LstHoli->item(i)->text());
    return out;
}

QString HolidayPage::fieldsEntry() const
{
    return HolidayEntry::build(Cmbmonth->currentText(), CmbDay->currentText(), OptSol->isChecked(), TxtAnni->text());
}

void HolidayPage::insertSorted(const QString& entry)
{
    const QSignalBlocker quiet(LstHoli); // adding is not a click
    LstHoli->insertItem(int(HolidayEntry::sortedPosition(entries(), entry)), entry);
}

void HolidayPage::Main_ReadProfile()
{
    QStringList loaded = HolidayFile::load(s_.fs, holidayPath());
    // Appending one by one places each in its sorted position; a stable sort
    // of the whole lot gives the same order at once.
    QStringList all = entries() + loaded;
    std::stable_sort(all.begin(), all.end(), HolidayEntry::lessThan);
    setEntries(all);
}

void HolidayPage::setEntries(const QStringList& entries)
{
    {
        const QSignalBlocker quiet(LstHoli);
        LstHoli->clear();
        LstHoli->addItems(entries);
    }
    showNextDate();
}

bool HolidayPage::Main_WriteProfile()
{
    const IoStatus st = HolidayFile::store(s_.fs, holidayPath(), entries());
    if (st)
        return true;
    const QString text = s_.isKorean()
                             ? QStringLiteral("공휴일 목록을 Holiday.dat 파일에 저장하지 못했습니다.\r%1\r(%2)\r"
                                              "창을 닫지 않으니 목록은 그대로 남아 있습니다.")
                             : QStringLiteral("The holiday list could not be saved to Holiday.dat.\r%1\r(%2)\r"
                                              "The window stays open, so the list is not lost.");
    s_.boxes.show({text.arg(holidayPath(), st.reason), QStringLiteral("Tunedesk"), MsgIcon::Warning, MsgButtons::Ok,
                   MsgAnswer::Ok});
    return false;
}

void HolidayPage::TxtAnni_Change()
{
    CmdAdd->setEnabled(!TxtAnni->text().isEmpty());
}

void HolidayPage::showNextDate()
{
    const QListWidgetItem* item = LstHoli->currentItem();
    const QString line =
        item && item->isSelected() ? HolidayDates::line(item->text(), s_.today(), s_.isKorean()) : QString();
    LblNextDate->setText(line);
    // A screen reader hears what the line is of, then the date; in the list, the
    // date comes with the entry.
    const QString spoken = ui::spoken::nextDate.text(s_.isKorean());
    LblNextDate->setAccessibleName(line.isEmpty() ? spoken : spoken + QLatin1Char(' ') + line);
    LstHoli->setAccessibleDescription(line);
}

bool HolidayPage::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == LstHoli && e->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(e);
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier && CmdDel->isEnabled()) {
            CmdDel_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

void HolidayPage::LstHoli_Click()
{
    showNextDate();
    QListWidgetItem* item = LstHoli->currentItem();
    if (!item || !item->isSelected())
        return;
    CmdDel->setEnabled(true);
    CmdMod->setEnabled(true);

    const HolidayEntry::Fields f = HolidayEntry::parse(item->text());
    auto choose = [](QComboBox* box, std::optional<int> n) {
        if (!n)
            return;
        if (const int i = box->findText(QString::number(*n), Qt::MatchExactly); i >= 0)
            box->setCurrentIndex(i);
    };
    choose(Cmbmonth, f.month);
    choose(CmbDay, f.day);
    if (f.solar)
        (*f.solar ? OptSol : OptLun)->setChecked(true);
    if (f.title)
        TxtAnni->setText(*f.title);
}

bool HolidayPage::acceptable(const QString& entry)
{
    const QString why = HolidayEntry::refusal(entry, s_.isKorean());
    if (why.isEmpty())
        return true;
    s_.boxes.show({why, QStringLiteral("Tunedesk"), MsgIcon::Information, MsgButtons::Ok, MsgAnswer::Ok});
    return false;
}

bool HolidayPage::CmdAdd_Click()
{
    const QString entry = fieldsEntry();
    if (!acceptable(entry))
        return false;
    insertSorted(entry);
    return true;
}

void HolidayPage::CmdDel_Click()
{
    {
        const QSignalBlocker quiet(LstHoli); // the next entry is not clicked
        if (QListWidgetItem* item = LstHoli->currentItem(); item && item->isSelected())
            delete LstHoli->takeItem(LstHoli->row(item));
        LstHoli->setCurrentRow(-1);
        LstHoli->clearSelection();
    }
    showNextDate();
    CmdDel->setEnabled(false);
    CmdMod->setEnabled(false);
}

void HolidayPage::CmdMod_Click()
{
    // A refused entry must not cost the old one.
    if (!acceptable(fieldsEntry()))
        return;
    CmdDel_Click();
    CmdAdd_Click();
    CmdMod->setEnabled(false);
}

} // namespace td
