#include "TestSupport.h"

#include "holidays/HolidayPage.h"

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

// The page's controls, found by their design names.
struct Controls {
    explicit Controls(const HolidayPage& p)
        : LstHoli(control<QListWidget>(p, "LstHoli")), Cmbmonth(control<QComboBox>(p, "Cmbmonth")),
          CmbDay(control<QComboBox>(p, "CmbDay")), OptSol(control<QRadioButton>(p, "OptSol")),
          OptLun(control<QRadioButton>(p, "OptLun")), TxtAnni(control<QLineEdit>(p, "TxtAnni")),
          CmdAdd(control<QPushButton>(p, "CmdAdd")), CmdDel(control<QPushButton>(p, "CmdDel")),
          CmdMod(control<QPushButton>(p, "CmdMod")), LblNextDate(control<QLabel>(p, "LblNextDate"))
    {
    }
    QListWidget* LstHoli;
    QComboBox* Cmbmonth;
    QComboBox* CmbDay;
    QRadioButton* OptSol;
    QRadioButton* OptLun;
    QLineEdit* TxtAnni;
    QPushButton* CmdAdd;
    QPushButton* CmdDel;
    QPushButton* CmdMod;
    QLabel* LblNextDate;
};

void fill(HolidayPage& p, const QString& month, const QString& day, bool solar, const QString& title)
{
    const Controls c(p);
    c.Cmbmonth->setCurrentIndex(c.Cmbmonth->findText(month));
    c.CmbDay->setCurrentIndex(c.CmbDay->findText(day));
    (solar ? c.OptSol : c.OptLun)->setChecked(true);
    c.TxtAnni->setText(title);
}

QStringList fields(const HolidayPage& p)
{
    const Controls c(p);
    return {c.Cmbmonth->currentText(), c.CmbDay->currentText(), c.OptSol->isChecked() ? "S" : "L", c.TxtAnni->text()};
}

} // namespace

class TestHolidayPage : public QObject {
    Q_OBJECT
private slots:
    void titleEnablesAdd()
    {
        Fixture fx;
        HolidayPage p(fx.services, nullptr);
        const Controls c(p);
        QVERIFY(!c.CmdAdd->isEnabled() && !c.CmdDel->isEnabled() && !c.CmdMod->isEnabled());
        QTest::keyClicks(c.TxtAnni, "a");
        QVERIFY(c.CmdAdd->isEnabled());
        c.TxtAnni->clear();
        QVERIFY(!c.CmdAdd->isEnabled());
        c.TxtAnni->setText(" ");
        QVERIFY(c.CmdAdd->isEnabled());
    }

    void addPutsEntriesInCharacterOrder()
    {
        Fixture fx;
        HolidayPage p(fx.services, nullptr);
        const Controls c(p);
        fill(p, "12", "25", true, "X-mas");
        QTest::mouseClick(c.CmdAdd, Qt::LeftButton);
        fill(p, "2", "14", true, "V");
        p.CmdAdd_Click();
        fill(p, "10", "3", false, QStringLiteral("개천절"));
        p.CmdAdd_Click();
        fill(p, "12", "25", true, "X-mas");   // no duplicate check
        p.CmdAdd_Click();
        QCOMPARE(p.entries(), (QStringList{QStringLiteral("10/3(L)[개천절]"), "12/25(S)[X-mas]", "12/25(S)[X-mas]",
                                           "2/14(S)[V]"}));
        QVERIFY(fx.boxes.shown.isEmpty());
    }

    // The entry's text back into the fields, each part on its own.
    void clickShowsTheEntry_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QStringList>("shown");   // the fields start as 3 / 4 / S / "old"
        QTest::newRow("lunar") << "8/15(L)[Harvest]" << QStringList{"8", "15", "L", "Harvest"};
        QTest::newRow("spaces around the title") << "1/1(S)[ Party ]" << QStringList{"1", "1", "S", "Party "};
        QTest::newRow("] inside") << "3/1(S)[a]b]" << QStringList{"3", "1", "S", "a]b"};
        QTest::newRow(") inside") << "3/1(S)[a)(b)]" << QStringList{"3", "1", "S", "a)(b)"};
        QTest::newRow("lowercase s is lunar") << "5/5(s)[x]" << QStringList{"5", "5", "L", "x"};
        QTest::newRow("month not in the list") << "13/40(L)[x]" << QStringList{"3", "4", "L", "x"};
        QTest::newRow("no slash") << "12(L)[x]" << QStringList{"3", "12", "L", "x"};
        QTest::newRow("no (") << "6/7S)[x]" << QStringList{"6", "4", "S", "x"};
        QTest::newRow("no parenthesis") << "6/7 x" << QStringList{"6", "4", "S", "old"};
        QTest::newRow("no )") << "6/7(L[x]" << QStringList{"6", "7", "L", "old"};
    }
    void clickShowsTheEntry()
    {
        QFETCH(QString, entry);
        QFETCH(QStringList, shown);
        Fixture fx;
        writeFile(fx.path("Holiday.dat"), holidayFile({"0/0(S)[first]", entry}));
        HolidayPage p(fx.services, nullptr);
        const Controls c(p);
        p.Main_ReadProfile();
        fill(p, "3", "4", true, "old");
        const QList<QListWidgetItem*> found = c.LstHoli->findItems(entry, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        c.LstHoli->setCurrentItem(found.first());
        QCOMPARE(fields(p), shown);
        QVERIFY(c.CmdDel->isEnabled() && c.CmdMod->isEnabled() && c.CmdAdd->isEnabled());
    }

    void modifyMovesTheEntry()
    {
        Fixture fx;
        writeFile(fx.path("Holiday.dat"), holidayFile({"1/1(S)[New Year]", "3/1(S)[Samil]", "2/14(S)[V]"}));
        HolidayPage p(fx.services, nullptr);
        const Controls c(p);
        p.Main_ReadProfile();
        QCOMPARE(p.entries(), (QStringList{"1/1(S)[New Year]", "2/14(S)[V]", "3/1(S)[Samil]"}));
        c.LstHoli->setCurrentRow(0);
        c.Cmbmonth->setCurrentIndex(c.Cmbmonth->findText("11"));
        QTest::mouseClick(c.CmdMod, Qt::LeftButton);
        QCOMPARE(p.entries(), (QStringList{"11/1(S)[New Year]", "2/14(S)[V]", "3/1(S)[Samil]"}));
        QVERIFY(!c.CmdMod->isEnabled() && !c.CmdDel->isEnabled() && c.CmdAdd->isEnabled());
        QCOMPARE(c.LstHoli->selectedItems().size(), 0);
    }

    void deleteWithAndWithoutSelection()
    {
        Fixture fx;
        writeFile(fx.path("Holiday.dat"), holidayFile({"1/1(S)[A]", "2/2(L)[B]"}));
        HolidayPage p(fx.services, nullptr);
        const Controls c(p);
        p.Main_ReadProfile();
        // Nothing selected: nothing goes, the two buttons still turn off.
        c.CmdDel->setEnabled(true);
        c.CmdMod->setEnabled(true);
        p.CmdDel_Click();
        QCOMPARE(p.entries(), (QStringList{"1/1(S)[A]", "2/2(L)[B]"}));
        QVERIFY(!c.CmdDel->isEnabled() && !c.CmdMod->isEnabled());

        c.LstHoli->setCurrentRow(1);
        QTest::mouseClick(c.CmdDel, Qt::LeftButton);
        QCOMPARE(p.entries(), QStringList{"1/1(S)[A]"});
        QVERIFY(!c.CmdDel->isEnabled() && !c.CmdMod->isEnabled());
        // The fields still hold the deleted entry: adding puts it back.
        p.CmdAdd_Click();
        QCOMPARE(p.entries(), (QStringList{"1/1(S)[A]", "2/2(L)[B]"}));
    }

    // The line under the list follows the selection by mouse and keyboard; the entries
    // and Holiday.dat stay as they were.
    void nextSolarDateLine()
    {
        Fixture fx;
        fx.services.today = [] { return QDate(2026, 2, 18); };
        const QByteArray file = holidayFile({"1/1(L)[설날]", "8/15(L)[추석]", "x(S)[broken]"});
        writeFile(fx.path("Holiday.dat"), file);
        HolidayPage p(fx.services, nullptr);
        const Controls c(p);
        p.Main_ReadProfile();
        p.show();
        QVERIFY(QTest::qWaitForWindowExposed(&p));
        QCOMPARE(c.LblNextDate->text(), QString());

        QTest::mouseClick(c.LstHoli->viewport(), Qt::LeftButton, {},
                          c.LstHoli->visualItemRect(c.LstHoli->item(0)).center());
        QCOMPARE(c.LblNextDate->text(), QStringLiteral("다음 양력 날짜: 2027-02-07 (일)"));
        QTest::keyClick(c.LstHoli, Qt::Key_Down);
        QCOMPARE(c.LblNextDate->text(), QStringLiteral("다음 양력 날짜: 2026-09-25 (금)"));
        QTest::keyClick(c.LstHoli, Qt::Key_Down);
        QCOMPARE(c.LblNextDate->text(), QString());
        QVERIFY(fx.boxes.shown.isEmpty());

        QTest::keyClick(c.LstHoli, Qt::Key_Up);
        QVERIFY(!c.LblNextDate->text().isEmpty());
        QTest::mouseClick(c.CmdDel, Qt::LeftButton);
        QCOMPARE(c.LblNextDate->text(), QString());
        p.CmdAdd_Click();   // the fields still hold the deleted entry
        QVERIFY(p.Main_WriteProfile());
        QCOMPARE(readFile(fx.path("Holiday.dat")), file);
    }

    void refusedEntries_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("reasonPart");   // empty: accepted
        QTest::newRow("59 bytes accepted") << QString(24, QChar(0xAC00)) + "x" << QString();   // 10 + 48 + 1
        QTest::newRow("60 bytes refused") << QString(25, QChar(0xAC00)) << QStringLiteral("60바이트");
        QTest::newRow("line feed") << QStringLiteral("a\nb") << QStringLiteral("줄바꿈");
        QTest::newRow("carriage return") << QStringLiteral("a\rb") << QStringLiteral("줄바꿈");
        QTest::newRow("cp949 cannot hold it") << QStringLiteral("생일🎂") << QStringLiteral("\"🎂\"");
        QTest::newRow("byte escape") << QString(QChar(0xDC81)) << QString(QChar(0xDC81));
        QTest::newRow("extension syllable fine") << QStringLiteral("똠햏") << QString();
    }
    void refusedEntries()
    {
        QFETCH(QString, title);
        QFETCH(QString, reasonPart);
        Fixture fx;
        writeFile(fx.path("Holiday.dat"), holidayFile({"1/1(S)[A]"}));
        HolidayPage p(fx.services, nullptr);
        const Controls c(p);
        p.Main_ReadProfile();
        fill(p, "12", "25", true, title);
        const bool accepted = reasonPart.isEmpty();
        QCOMPARE(p.CmdAdd_Click(), accepted);
        QCOMPARE(fx.boxes.shown.size(), accepted ? 0 : 1);
        QCOMPARE(p.entries().size(), accepted ? 2 : 1);
        if (accepted)
            return;
        QVERIFY2(fx.boxes.shown[0].text.contains(reasonPart), qPrintable(fx.boxes.shown[0].text));
        // A refused modification keeps the old entry and its selection.
        c.LstHoli->setCurrentRow(0);
        fill(p, "12", "25", true, title);
        p.CmdMod_Click();
        QCOMPARE(fx.boxes.shown.size(), 2);
        QCOMPARE(p.entries(), QStringList{"1/1(S)[A]"});
        QVERIFY(c.CmdMod->isEnabled());
    }

    void loadAndStoreThroughThePage()
    {
        Fixture fx;
        const QString path = fx.path("Holiday.dat");
        const QString longEntry = QStringLiteral("9/9(L)[아주 긴 기념일 제목을 여기에 적어 봅니다 정말 길게]");
        writeFile(path, holidayFile({"2/14(S)[V]", longEntry, "10/3(S)[K]"}));
        HolidayPage p(fx.services, nullptr);
        const Controls c(p);
        p.Main_ReadProfile();
        QCOMPARE(p.entries(), (QStringList{"10/3(S)[K]", "2/14(S)[V]", longEntry}));
        fill(p, "12", "25", true, "X-mas");
        p.CmdAdd_Click();
        QVERIFY(p.Main_WriteProfile());
        QCOMPARE(readFile(path), holidayFile({"10/3(S)[K]", "12/25(S)[X-mas]", "2/14(S)[V]", longEntry}));
        QVERIFY(fx.boxes.shown.isEmpty());
    }

    void failedStoreIsReported()
    {
        Fixture fx;
        const QByteArray before = holidayFile({"1/1(S)[A]"});
        writeFile(fx.path("Holiday.dat"), before);
        HolidayPage p(fx.services, nullptr);
        const Controls c(p);
        p.Main_ReadProfile();
        fill(p, "5", "5", true, "B");
        p.CmdAdd_Click();
        fx.fs.failPathPart = QStringLiteral("Holiday.dat");
        QVERIFY(!p.Main_WriteProfile());
        QCOMPARE(fx.boxes.shown.size(), 1);
        QVERIFY(fx.boxes.shown[0].text.contains(QStringLiteral("Holiday.dat")));
        QCOMPARE(p.entries(), (QStringList{"1/1(S)[A]", "5/5(S)[B]"}));   // the list is kept
        fx.fs.failPathPart.clear();
        QCOMPARE(readFile(fx.path("Holiday.dat")), before);
        QVERIFY(p.Main_WriteProfile());   // once the folder is writable again
        QCOMPARE(readFile(fx.path("Holiday.dat")), holidayFile({"1/1(S)[A]", "5/5(S)[B]"}));
    }
};

QTEST_MAIN(TestHolidayPage)
#include "tst_holidaypage.moc"
