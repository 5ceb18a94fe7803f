#include "TestSupport.h"

#include "holidays/HolidayPage.h"
#include "platform/PageSize.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace td;
using namespace td::test;

namespace {

QByteArray holidayFile(const QStringList& entries)
{
    QByteArray out("[Holiday Day]\r\n");
    for (int i = 0; i < entries.size(); ++i)
        out += "Holi" + QByteArray::number(i) + "=" + cp949(entries[i]) + "\r\n";
    return out + "[Holiday Etc]\r\nContents No=" + QByteArray::number(entries.size()) + "\r\n";
}

void fill(HolidayPage& p, const QString& month, const QString& day, bool solar, const QString& title)
{
    p.Cmbmonth->setCurrentIndex(p.Cmbmonth->findText(month));
    p.CmbDay->setCurrentIndex(p.CmbDay->findText(day));
    (solar ? p.OptSol : p.OptLun)->setChecked(true);
    p.TxtAnni->setText(title);
}

void clickEntry(HolidayPage& p, const QString& entry)
{
    const QList<QListWidgetItem*> found = p.LstHoli->findItems(entry, Qt::MatchExactly);
    QVERIFY(!found.isEmpty());
    QListWidgetItem* item = found.first();
    const QRect r = p.LstHoli->visualItemRect(item);
    QTest::mouseClick(p.LstHoli->viewport(), Qt::LeftButton, {}, r.center());
    QCOMPARE(p.LstHoli->currentItem(), item);
}

} // namespace

class TestHolidayPage : public QObject {
    Q_OBJECT
private slots:
    void designState()
    {
        Fixture fx;
        HolidayPage p(fx.services, nullptr);
        QCOMPARE(p.size(), kPageSize);
        QCOMPARE(p.Cmbmonth->count(), 12);
        QCOMPARE(p.Cmbmonth->itemText(0), QStringLiteral("1"));
        QCOMPARE(p.Cmbmonth->itemText(11), QStringLiteral("12"));
        QCOMPARE(p.CmbDay->count(), 31);
        QCOMPARE(p.CmbDay->itemText(30), QStringLiteral("31"));
        QCOMPARE(p.Cmbmonth->currentIndex(), -1);
        QCOMPARE(p.CmbDay->currentIndex(), -1);
        QVERIFY(p.OptSol->isChecked());
        QVERIFY(!p.OptLun->isChecked());
        QVERIFY(!p.CmdAdd->isEnabled());
        QVERIFY(!p.CmdDel->isEnabled());
        QVERIFY(!p.CmdMod->isEnabled());
        QCOMPARE(p.LstHoli->count(), 0);

        const QList<std::tuple<QWidget*, QString, QString>> tagged{
            {p.Label3, "Label3", "1200"},   {p.Label25, "Label25", "1201"}, {p.Label1, "Label1", "1202"},
            {p.Label2[0], "Label2(0)", "1203"}, {p.OptSol, "OptSol", "1204"}, {p.OptLun, "OptLun", "1205"},
            {p.CmdAdd, "CmdAdd", "1206"},  {p.CmdDel, "CmdDel", "1207"},   {p.CmdMod, "CmdMod", "1208"}};
        for (const auto& [w, name, tag] : tagged) {
            QCOMPARE(w->objectName(), name);
            QCOMPARE(w->property("tag").toString(), tag);
        }
        QCOMPARE(p.Label2[0]->property("index").toInt(), 0);
        QVERIFY(!p.TxtAnni->property("tag").isValid());   // its text must not come from the language file
        QCOMPARE(p.LstHoli->objectName(), QStringLiteral("LstHoli"));
        QCOMPARE(p.TxtAnni->objectName(), QStringLiteral("TxtAnni"));
    }

    void layoutFitsAndNothingOverlaps()
    {
        Fixture fx;
        QWidget host;
        HolidayPage p(fx.services, &host);
        host.resize(kPageSize);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        const QList<QWidget*> controls{p.Label3, p.LstHoli, p.Cmbmonth, p.Label1, p.CmbDay, p.Label2[0], p.OptSol,
                                       p.OptLun, p.Label25, p.TxtAnni, p.CmdAdd, p.CmdDel, p.CmdMod};
        QList<QRect> rects;
        for (QWidget* w : controls) {
            const QRect r(w->mapTo(&p, QPoint(0, 0)), w->size());
            QVERIFY2(p.rect().contains(r), qPrintable(w->objectName()));
            QVERIFY2(w->width() >= w->minimumSizeHint().width(), qPrintable(w->objectName() + QString(" %1 < %2").arg(w->width()).arg(w->minimumSizeHint().width())));
            rects.append(r);
        }
        for (int i = 0; i < rects.size(); ++i)
            for (int j = i + 1; j < rects.size(); ++j)
                QVERIFY2(!rects[i].intersects(rects[j]),
                         qPrintable(controls[i]->objectName() + " / " + controls[j]->objectName()));
    }

    void titleEnablesAdd()
    {
        Fixture fx;
        HolidayPage p(fx.services, nullptr);
        QTest::keyClicks(p.TxtAnni, "a");
        QVERIFY(p.CmdAdd->isEnabled());
        p.TxtAnni->clear();
        QVERIFY(!p.CmdAdd->isEnabled());
        p.TxtAnni->setText(" ");
        QVERIFY(p.CmdAdd->isEnabled());
    }

    void addPutsEntriesInCharacterOrder()
    {
        Fixture fx;
        HolidayPage p(fx.services, nullptr);
        fill(p, "12", "25", true, "X-mas");
        QTest::mouseClick(p.CmdAdd, Qt::LeftButton);
        fill(p, "2", "14", true, "V");
        p.CmdAdd_Click();
        fill(p, "10", "3", false, QStringLiteral("개천절"));
        p.CmdAdd_Click();
        fill(p, "12", "25", true, "X-mas");   // no duplicate check
        p.CmdAdd_Click();
        QCOMPARE(p.entries(), (QStringList{QStringLiteral("10/3(L)[개천절]"), "12/25(S)[X-mas]", "12/25(S)[X-mas]",
                                           "2/14(S)[V]"}));
        QVERIFY(fx.boxes.shown.isEmpty());
        // Nothing chosen: the numbers are empty.
        Fixture fx2;
        HolidayPage q(fx2.services, nullptr);
        q.TxtAnni->setText(" t ");
        q.CmdAdd_Click();
        QCOMPARE(q.entries(), QStringList{"/(S)[ t ]"});
    }

    void clickShowsTheEntry_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("day");
        QTest::addColumn<bool>("solar");
        QTest::addColumn<QString>("title");
        // The fields start as 3 / 4 / solar / "old"; a part that cannot be read keeps its field.
        QTest::newRow("lunar") << "8/15(L)[Harvest]" << "8" << "15" << false << "Harvest";
        QTest::newRow("lowercase s") << "5/5(s)[x]" << "5" << "5" << false << "x";
        QTest::newRow("month not in the list") << "13/40(L)[x]" << "3" << "4" << false << "x";
        QTest::newRow("no slash") << "12(L)[x]" << "3" << "12" << false << "x";
        QTest::newRow("no parenthesis") << "6/7 x" << "6" << "4" << true << "old";
        QTest::newRow("no closing parenthesis") << "6/7(L[x]" << "6" << "7" << false << "old";
    }
    void clickShowsTheEntry()
    {
        QFETCH(QString, entry);
        QFETCH(QString, month);
        QFETCH(QString, day);
        QFETCH(bool, solar);
        QFETCH(QString, title);
        Fixture fx;
        writeFile(fx.path("Holiday.dat"), holidayFile({"0/0(S)[first]", entry}));
        HolidayPage p(fx.services, nullptr);
        p.Main_ReadProfile();
        fill(p, "3", "4", true, "old");
        p.resize(kPageSize);
        p.show();
        QVERIFY(QTest::qWaitForWindowExposed(&p));
        clickEntry(p, entry);
        QCOMPARE(p.Cmbmonth->currentText(), month);
        QCOMPARE(p.CmbDay->currentText(), day);
        QCOMPARE(p.OptSol->isChecked(), solar);
        QCOMPARE(p.OptLun->isChecked(), !solar);
        QCOMPARE(p.TxtAnni->text(), title);
        QVERIFY(p.CmdDel->isEnabled());
        QVERIFY(p.CmdMod->isEnabled());
        QVERIFY(p.CmdAdd->isEnabled());
    }

    void modifyMovesTheEntry()
    {
        Fixture fx;
        writeFile(fx.path("Holiday.dat"), holidayFile({"1/1(S)[New Year]", "3/1(S)[Samil]", "2/14(S)[V]"}));
        HolidayPage p(fx.services, nullptr);
        p.Main_ReadProfile();
        QCOMPARE(p.entries(), (QStringList{"1/1(S)[New Year]", "2/14(S)[V]", "3/1(S)[Samil]"}));
        p.LstHoli->setCurrentRow(0);
        QCOMPARE(p.Cmbmonth->currentText(), QStringLiteral("1"));
        p.Cmbmonth->setCurrentIndex(p.Cmbmonth->findText("11"));
        QTest::mouseClick(p.CmdMod, Qt::LeftButton);
        QCOMPARE(p.entries(), (QStringList{"11/1(S)[New Year]", "2/14(S)[V]", "3/1(S)[Samil]"}));
        QVERIFY(!p.CmdMod->isEnabled());
        QVERIFY(!p.CmdDel->isEnabled());
        QVERIFY(p.CmdAdd->isEnabled());
        QCOMPARE(p.LstHoli->selectedItems().size(), 0);
    }

    void deleteWithAndWithoutSelection()
    {
        Fixture fx;
        writeFile(fx.path("Holiday.dat"), holidayFile({"1/1(S)[A]", "2/2(L)[B]"}));
        HolidayPage p(fx.services, nullptr);
        p.Main_ReadProfile();

        // Nothing selected: nothing goes, the two buttons still turn off.
        p.CmdDel->setEnabled(true);
        p.CmdMod->setEnabled(true);
        p.CmdDel_Click();
        QCOMPARE(p.entries(), (QStringList{"1/1(S)[A]", "2/2(L)[B]"}));
        QVERIFY(!p.CmdDel->isEnabled());
        QVERIFY(!p.CmdMod->isEnabled());

        p.LstHoli->setCurrentRow(1);
        QTest::mouseClick(p.CmdDel, Qt::LeftButton);
        QCOMPARE(p.entries(), QStringList{"1/1(S)[A]"});
        QVERIFY(!p.CmdDel->isEnabled());
        QVERIFY(!p.CmdMod->isEnabled());
        // The fields still hold the deleted entry: adding puts it back.
        QCOMPARE(p.TxtAnni->text(), QStringLiteral("B"));
        p.CmdAdd_Click();
        QCOMPARE(p.entries(), (QStringList{"1/1(S)[A]", "2/2(L)[B]"}));
    }

    void refusedEntries_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("reasonPart");
        QTest::newRow("longer than 59 bytes") << QString(26, QChar(0xAC00)) << QStringLiteral("59바이트");
        QTest::newRow("cp949 cannot hold it") << QStringLiteral("생일🎂") << QStringLiteral("🎂");
        QTest::newRow("line break") << QStringLiteral("a\nb") << QStringLiteral("줄바꿈");
    }
    void refusedEntries()
    {
        QFETCH(QString, title);
        QFETCH(QString, reasonPart);
        Fixture fx;
        writeFile(fx.path("Holiday.dat"), holidayFile({"1/1(S)[A]"}));
        HolidayPage p(fx.services, nullptr);
        p.Main_ReadProfile();

        fill(p, "12", "25", true, title);
        QVERIFY(!p.CmdAdd_Click());
        QCOMPARE(fx.boxes.shown.size(), 1);
        QVERIFY2(fx.boxes.shown[0].text.contains(reasonPart), qPrintable(fx.boxes.shown[0].text));
        QCOMPARE(fx.boxes.shown[0].title, QStringLiteral("Tunedesk"));
        QCOMPARE(p.entries(), QStringList{"1/1(S)[A]"});

        // A refused modification keeps the old entry and its selection.
        p.LstHoli->setCurrentRow(0);
        p.TxtAnni->setText(title);
        p.CmdMod_Click();
        QCOMPARE(fx.boxes.shown.size(), 2);
        QCOMPARE(p.entries(), QStringList{"1/1(S)[A]"});
        QVERIFY(p.CmdMod->isEnabled());
    }

    void englishRefusal()
    {
        Fixture fx(QStringLiteral("English"));
        HolidayPage p(fx.services, nullptr);
        fill(p, "1", "1", true, QString(60, QLatin1Char('x')));
        p.CmdAdd_Click();
        QCOMPARE(fx.boxes.shown.size(), 1);
        QVERIFY(fx.boxes.shown[0].text.contains(QStringLiteral("too long")));
    }

    void loadAndStoreThroughThePage()
    {
        Fixture fx;
        const QString path = fx.path("Holiday.dat");
        const QString longEntry = QStringLiteral("9/9(L)[아주 긴 기념일 제목을 여기에 적어 봅니다 정말 길게]");
        writeFile(path, holidayFile({"2/14(S)[V]", longEntry, "10/3(S)[K]"}));
        HolidayPage p(fx.services, nullptr);
        p.Main_ReadProfile();
        QCOMPARE(p.entries(), (QStringList{"10/3(S)[K]", "2/14(S)[V]", longEntry}));

        fill(p, "12", "25", true, "X-mas");
        p.CmdAdd_Click();
        QVERIFY(p.Main_WriteProfile());
        QCOMPARE(readFile(path), holidayFile({"10/3(S)[K]", "12/25(S)[X-mas]", "2/14(S)[V]", longEntry}));
        QVERIFY(fx.boxes.shown.isEmpty());

        HolidayPage again(fx.services, nullptr);
        again.Main_ReadProfile();
        QCOMPARE(again.entries(), p.entries());
    }

    void firstStoreCreatesTheFile()
    {
        Fixture fx;
        HolidayPage p(fx.services, nullptr);
        p.Main_ReadProfile();
        QCOMPARE(p.LstHoli->count(), 0);
        QVERIFY(p.Main_WriteProfile());
        QCOMPARE(readFile(fx.path("Holiday.dat")),
                 QByteArray("[Holiday Day]\r\nHoli0=\r\n[Holiday Etc]\r\nContents No=0\r\n"));
    }

    void failedStoreIsReported()
    {
        Fixture fx;
        const QByteArray before = holidayFile({"1/1(S)[A]"});
        writeFile(fx.path("Holiday.dat"), before);
        HolidayPage p(fx.services, nullptr);
        p.Main_ReadProfile();
        fill(p, "5", "5", true, "B");
        p.CmdAdd_Click();
        fx.fs.failPathPart = QStringLiteral("Holiday.dat");
        QVERIFY(!p.Main_WriteProfile());
        QCOMPARE(fx.boxes.shown.size(), 1);
        QVERIFY(fx.boxes.shown[0].text.contains(QStringLiteral("Holiday.dat")));
        QCOMPARE(fx.boxes.shown[0].title, QStringLiteral("Tunedesk"));
        QCOMPARE(p.entries(), (QStringList{"1/1(S)[A]", "5/5(S)[B]"}));   // the list is kept
        fx.fs.failPathPart.clear();
        QCOMPARE(readFile(fx.path("Holiday.dat")), before);
        QVERIFY(p.Main_WriteProfile());   // once the folder is writable again
        QCOMPARE(readFile(fx.path("Holiday.dat")), holidayFile({"1/1(S)[A]", "5/5(S)[B]"}));
    }

    void readOnlyFolderIsReported()
    {
        Fixture fx;
        fx.services.programFolder = fx.path("gone");   // no such folder
        HolidayPage p(fx.services, nullptr);
        p.Main_ReadProfile();
        QVERIFY(!p.Main_WriteProfile());
        QCOMPARE(fx.boxes.shown.size(), 1);
        QVERIFY(fx.boxes.shown[0].text.contains(QStringLiteral("Holiday.dat")));
    }
};

QTEST_MAIN(TestHolidayPage)
#include "tst_holidaypage.moc"
