#include "TestSupport.h"

#include "holidays/HolidayFile.h"
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

// The page over a Holiday.dat of the given entries, its controls found by their design names.
struct Page {
    Fixture fx;
    HolidayPage p{fx.services, nullptr};
    QListWidget* list = control<QListWidget>(p, "LstHoli");
    QPushButton *add = control<QPushButton>(p, "CmdAdd"), *del = control<QPushButton>(p, "CmdDel"),
                *mod = control<QPushButton>(p, "CmdMod");

    explicit Page(const QStringList& entries)
    {
        QVERIFY(HolidayFile::store(fx.fs, fx.path("Holiday.dat"), entries).ok);
        p.Main_ReadProfile();
    }
    void fill(const QString& month, const QString& day, bool solar, const QString& title)
    {
        auto* m = control<QComboBox>(p, "Cmbmonth");
        auto* d = control<QComboBox>(p, "CmbDay");
        m->setCurrentIndex(m->findText(month));
        d->setCurrentIndex(d->findText(day));
        control<QRadioButton>(p, solar ? "OptSol" : "OptLun")->setChecked(true);
        control<QLineEdit>(p, "TxtAnni")->setText(title);
    }
    QStringList fields() const
    {
        return {control<QComboBox>(p, "Cmbmonth")->currentText(), control<QComboBox>(p, "CmbDay")->currentText(),
                control<QRadioButton>(p, "OptSol")->isChecked() ? "S" : "L", control<QLineEdit>(p, "TxtAnni")->text()};
    }
};

} // namespace

class TestHolidayPage : public QObject {
    Q_OBJECT
private slots:
    void addModifyDelete()
    {
        Page g({"1/1(S)[New Year]", "3/1(S)[Samil]"});
        auto* title = control<QLineEdit>(g.p, "TxtAnni");
        QVERIFY(!g.add->isEnabled() && !g.del->isEnabled() && !g.mod->isEnabled());
        QTest::keyClicks(title, "a");
        QVERIFY(g.add->isEnabled());
        title->clear();
        QVERIFY(!g.add->isEnabled());
        title->setText(" ");
        QVERIFY(g.add->isEnabled());

        g.fill("12", "25", true, "X-mas");
        QTest::mouseClick(g.add, Qt::LeftButton);
        g.fill("10", "3", false, QStringLiteral("개천절"));
        g.p.CmdAdd_Click();
        g.fill("12", "25", true, "X-mas"); // no duplicate check
        g.p.CmdAdd_Click();
        // Character order, not date order.
        QCOMPARE(g.p.entries(), (QStringList{"1/1(S)[New Year]", QStringLiteral("10/3(L)[개천절]"), "12/25(S)[X-mas]",
                                             "12/25(S)[X-mas]", "3/1(S)[Samil]"}));
        g.list->setCurrentRow(0);
        control<QComboBox>(g.p, "Cmbmonth")->setCurrentIndex(control<QComboBox>(g.p, "Cmbmonth")->findText("11"));
        QTest::mouseClick(g.mod, Qt::LeftButton);
        QCOMPARE(g.p.entries(), (QStringList{QStringLiteral("10/3(L)[개천절]"), "11/1(S)[New Year]", "12/25(S)[X-mas]",
                                             "12/25(S)[X-mas]", "3/1(S)[Samil]"}));
        QVERIFY(!g.mod->isEnabled() && !g.del->isEnabled() && g.add->isEnabled());
        // Delete in the list does what the delete button does; with nothing chosen, nothing.
        QTest::keyClick(g.list, Qt::Key_Delete);
        QCOMPARE(g.p.entries().size(), 5);
        g.list->setCurrentRow(0);
        QTest::keyClick(g.list, Qt::Key_Delete);
        QCOMPARE(g.p.entries().first(), QStringLiteral("11/1(S)[New Year]"));
        QVERIFY(!g.mod->isEnabled() && !g.del->isEnabled());
        QVERIFY(g.fx.boxes.shown.isEmpty());
    }

    // The entry's text back into the fields, each part on its own.
    void clickShowsTheEntry_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QStringList>("shown"); // the fields start as 3 / 4 / S / "old"
        // clang-format off
        QTest::newRow("lowercase s is lunar") << "5/5(s)[x]" << QStringList{"5", "5", "L", "x"};
        QTest::newRow("month not in the list") << "13/40(L)[x]" << QStringList{"3", "4", "L", "x"};
        QTest::newRow("no parenthesis") << "6/7 x" << QStringList{"6", "4", "S", "old"};
        // clang-format on
    }
    void clickShowsTheEntry()
    {
        QFETCH(QString, entry);
        QFETCH(QStringList, shown);
        Page g({"0/0(S)[first]", entry});
        g.fill("3", "4", true, "old");
        const QList<QListWidgetItem*> found = g.list->findItems(entry, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        g.list->setCurrentItem(found.first());
        QCOMPARE(g.fields(), shown);
        QVERIFY(g.del->isEnabled() && g.mod->isEnabled() && g.add->isEnabled());
    }

    // The line under the list follows the selection by mouse and keyboard; the entries
    // and Holiday.dat stay as they were.
    void nextSolarDateLine()
    {
        Page g({"1/1(L)[설날]", "8/15(L)[추석]", "x(S)[broken]"});
        g.fx.services.today = [] { return QDate(2026, 2, 18); };
        const QByteArray file = readFile(g.fx.path("Holiday.dat"));
        auto* line = control<QLabel>(g.p, "LblNextDate");
        g.p.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g.p));
        QCOMPARE(line->text(), QString());

        QTest::mouseClick(g.list->viewport(), Qt::LeftButton, {}, g.list->visualItemRect(g.list->item(0)).center());
        QCOMPARE(line->text(), QStringLiteral("다음 양력 날짜: 2027-02-07 (일)"));
        QTest::keyClick(g.list, Qt::Key_Down);
        QCOMPARE(line->text(), QStringLiteral("다음 양력 날짜: 2026-09-25 (금)"));
        QTest::keyClick(g.list, Qt::Key_Down);
        QCOMPARE(line->text(), QString());
        QVERIFY(g.fx.boxes.shown.isEmpty());

        QTest::keyClick(g.list, Qt::Key_Up);
        QVERIFY(!line->text().isEmpty());
        const QStringList all = g.p.entries();
        QTest::mouseClick(g.del, Qt::LeftButton);
        QCOMPARE(line->text(), QString());
        QCOMPARE(g.p.entries(), (QStringList{QStringLiteral("1/1(L)[설날]"), "x(S)[broken]"}));
        QVERIFY(!g.del->isEnabled() && !g.mod->isEnabled());
        g.p.CmdAdd_Click(); // the fields still hold the deleted entry: it comes back
        QCOMPARE(g.p.entries(), all);
        QVERIFY(g.p.Main_WriteProfile());
        QCOMPARE(readFile(g.fx.path("Holiday.dat")), file);
    }

    void refusedEntries_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("reasonPart");                                             // empty: accepted
        QTest::newRow("59 bytes accepted") << QString(24, QChar(0xAC00)) + "x" << QString(); // 10 + 48 + 1
        QTest::newRow("60 bytes refused") << QString(25, QChar(0xAC00)) << QStringLiteral("60바이트");
        QTest::newRow("line feed") << QStringLiteral("a\nb") << QStringLiteral("줄바꿈");
        QTest::newRow("cp949 cannot hold it") << QStringLiteral("생일🎂") << QStringLiteral("\"🎂\"");
        QTest::newRow("byte escape") << QString(QChar(0xDC81)) << QString(QChar(0xDC81));
    }
    void refusedEntries()
    {
        QFETCH(QString, title);
        QFETCH(QString, reasonPart);
        Page g({"1/1(S)[A]"});
        g.fill("12", "25", true, title);
        const bool accepted = reasonPart.isEmpty();
        QCOMPARE(g.p.CmdAdd_Click(), accepted);
        QCOMPARE(g.fx.boxes.shown.size(), accepted ? 0 : 1);
        QCOMPARE(g.p.entries().size(), accepted ? 2 : 1);
        if (accepted)
            return;
        QVERIFY2(g.fx.boxes.shown[0].text.contains(reasonPart), qPrintable(g.fx.boxes.shown[0].text));
        // A refused modification keeps the old entry and its selection.
        g.list->setCurrentRow(0);
        g.fill("12", "25", true, title);
        g.p.CmdMod_Click();
        QCOMPARE(g.fx.boxes.shown.size(), 2);
        QCOMPARE(g.p.entries(), QStringList{"1/1(S)[A]"});
        QVERIFY(g.mod->isEnabled());
    }
};

QTEST_MAIN(TestHolidayPage)
#include "tst_holidaypage.moc"
