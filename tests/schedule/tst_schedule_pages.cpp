#include "TestSupport.h"

#include "days/DayEntry.h"
#include "days/DayFiles.h"
#include "days/PercentBar.h"
#include "days/PlanPreview.h"
#include "days/RunJournal.h"
#include "schedule/DDayPage.h"
#include "schedule/RegularPage.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

using namespace td;
using namespace td::test;

namespace {

void choose(QComboBox* list, const QString& text)
{
    const int i = list->findText(text);
    QVERIFY2(i >= 0, qPrintable(text));
    list->setCurrentIndex(i);
}

void chooseRegular(RegularPage& p, const QString& from, const QString& to)
{
    choose(control<QComboBox>(p, "CmbPYear", 3), from.section('/', 0, 0));
    choose(control<QComboBox>(p, "CmbPmonth", 3), from.section('/', 1, 1));
    choose(control<QComboBox>(p, "CmbPYear", 2), to.section('/', 0, 0));
    choose(control<QComboBox>(p, "CmbPmonth", 2), to.section('/', 1, 1));
}

void chooseDDay(DDayPage& p, const QString& start, const QString& target, const QString& step)
{
    for (auto [index, date] : {std::pair{5, start}, std::pair{4, target}}) {
        choose(control<QComboBox>(p, "CmbPYear", index), date.section('/', 0, 0));
        choose(control<QComboBox>(p, "CmbPmonth", index), date.section('/', 1, 1));
        choose(control<QComboBox>(p, "CmbPDay", index), date.section('/', 2, 2));
    }
    choose(control<QComboBox>(p, "CmbMDay2"), step);
}

QString dayPath(const Fixture& fx, int y, int m, int d)
{
    return DayFiles::dayFile(fx.services.DataFolder, QDate(y, m, d));
}

void click(QWidget* button)
{
    const QPointF at = QRectF(button->rect()).center();
    for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(button, new QMouseEvent(type, at, button->mapToGlobal(at), Qt::LeftButton,
                                                            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                                            Qt::NoModifier));
}

} // namespace

class TestSchedulePages : public QObject {
    Q_OBJECT
private slots:
    // Wrong dates and entries that cannot be stored: a message, and no day file touched.
    void refusedBeforeAnythingIsWritten_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QStringList>("dates"); // from and to; none chooses nothing
        QTest::addColumn<QStringList>("entry"); // left marker, plan, right marker
        QTest::addColumn<QString>("message");
        const QString stray(QChar(0xDC81));
        // clang-format off
        QTest::newRow("regular, To before From") << "regular" << QStringList{"2004/5", "2004/4"} << QStringList{"[", "Meeting", "]"}
            << "날짜 설정 오류입니다.";
        QTest::newRow("dday, nothing chosen") << "dday" << QStringList{} << QStringList{"[", "Exam", "]"} << "날짜 설정 오류입니다.";
        // An empty entry would match every day's text.
        QTest::newRow("regular, empty after trimming") << "regular" << QStringList{"2004/3", "2004/3"} << QStringList{" ", "  ", ""}
            << "입력내용이 비어 있습니다.";
        QTest::newRow("dday, line break in a marker") << "dday" << QStringList{"2004/3/1", "2004/3/31"} << QStringList{"[", "Exam", "]\r"}
            << "입력내용에 줄바꿈을 넣을 수 없습니다.";
        QTest::newRow("regular, not CP949") << "regular" << QStringList{"2004/3", "2004/3"} << QStringList{"[", "party 🎉", "]"}
            << "입력내용의 \"🎉\" 문자는 Daybrook 파일에 저장할 수 없습니다.";
        // The escape of a stray byte in a decoded file is not text a user may type.
        QTest::newRow("dday, stray byte") << "dday" << QStringList{"2004/3/1", "2004/3/31"} << QStringList{stray, "Exam", "]"}
            << "입력내용의 \"" + stray + "\" 문자는 Daybrook 파일에 저장할 수 없습니다.";
        // clang-format on
    }
    void refusedBeforeAnythingIsWritten()
    {
        QFETCH(QString, page);
        QFETCH(QStringList, dates);
        QFETCH(QStringList, entry);
        QFETCH(QString, message);
        Fixture fx;
        RegularPage r(fx.services, nullptr);
        DDayPage d(fx.services, nullptr);
        const bool regular = page == "regular";
        control<PercentBar>(r, "PrgBData")->setPercent(42.5);
        control<PercentBar>(d, "PrgBData2")->setPercent(42.5);
        writeFile(dayPath(fx, 2004, 3, 31), "[A]\n[B]\r\n");
        if (!dates.isEmpty())
            regular ? chooseRegular(r, dates[0], dates[1]) : chooseDDay(d, dates[0], dates[1], "1");
        choose(control<QComboBox>(r, "CmbMDay"), "31");
        const QString fields[] = {"TxtIndexL", "TxtRegPlan", "TxtIndexR"};
        for (int i = 0; i < 3; ++i)
            control<QLineEdit>(regular ? static_cast<QWidget&>(r) : d, qPrintable(fields[i] + (regular ? "" : "2")))->setText(entry[i]);
        // Remove, register and the preview refuse alike.
        for (int index : {1, 0})
            regular ? r.CmdDataInput_Click(index) : d.CmdDataInput2_Click(index);
        regular ? r.CmdPreview_Click() : d.CmdPreview2_Click();
        QVERIFY(!r.findChild<PlanPreview*>() && !d.findChild<PlanPreview*>());
        QCOMPARE(fx.boxes.shown.size(), 3);
        for (const Message& m : fx.boxes.shown) {
            QCOMPARE(m.text, message);
            QCOMPARE(m.title, "Tunedesk");
            QCOMPARE(m.icon, MsgIcon::Information);
        }
        QCOMPARE(readFile(dayPath(fx, 2004, 3, 31)), QByteArray("[A]\n[B]\r\n"));
        QCOMPARE(control<PercentBar>(r, "PrgBData")->percent() + control<PercentBar>(d, "PrgBData2")->percent(), 85.0);
    }

    // The last Friday, chosen from the list, is registered and removed by clicks.
    void registerAndRemoveOnTheRegularPage()
    {
        Fixture fx;
        RegularPage r(fx.services, nullptr);
        r.show();
        QVERIFY(QTest::qWaitForWindowExposed(&r));
        chooseRegular(r, "2004/3", "2004/4");
        control<QRadioButton>(r, "OptWeek")->setChecked(true);
        choose(control<QComboBox>(r, "CmbWSel"), "Last");
        choose(control<QComboBox>(r, "CmbWDay"), "Friday");
        control<QLineEdit>(r, "TxtRegPlan")->setText("  똠양꿍 "); // extension syllables: CP949 holds them
        writeFile(dayPath(fx, 2004, 4, 30), "[Dentist]\r\n");

        click(control<QPushButton>(r, "CmdDataInput", 0)); // a click that is waiting is taken when no run is going on
        QTRY_COMPARE(fx.boxes.shown.size(), 1);
        QCOMPARE(readFile(dayPath(fx, 2004, 3, 26)), cp949("[똠양꿍]\r\n"));
        QCOMPARE(readFile(dayPath(fx, 2004, 4, 30)), cp949("[똠양꿍]\n[Dentist]\r\n"));
        QCOMPARE(control<PercentBar>(r, "PrgBData")->percent(), 100.0);
        QCOMPARE(fx.boxes.shown[0].text, "Daybrook 데이타 처리가 완료 되었습니다.\r쓴 날 2일, 그대로 둔 날 0일, 실패한 날 0일");

        // A click on "remove" that arrives during a run is swallowed, not run afterwards.
        click(control<QPushButton>(r, "CmdDataInput", 1));
        r.CmdDataInput_Click(0);
        QTest::qWait(50);
        QCOMPARE(fx.boxes.shown.size(), 2);
        QVERIFY(QFileInfo::exists(dayPath(fx, 2004, 3, 26)));

        control<QPushButton>(r, "CmdDataInput", 1)->click();
        QVERIFY(!QFileInfo::exists(dayPath(fx, 2004, 3, 26)));
        QCOMPARE(readFile(dayPath(fx, 2004, 4, 30)), QByteArray("[Dentist]\r\n"));
        QCOMPARE(fx.boxes.shown.size(), 3);
    }

    // The preview lists what register and remove would do, and register then
    // writes exactly what its tab showed.
    void previewShowsBothRuns()
    {
        Fixture fx;
        DDayPage d(fx.services, nullptr);
        d.show();
        chooseDDay(d, "2004/3/1", "2004/3/31", "10");
        control<QLineEdit>(d, "TxtRegPlan2")->setText("Exam");
        writeFile(dayPath(fx, 2004, 3, 11), "[Exam D-20]\r\n");
        writeFile(dayPath(fx, 2004, 3, 21), "[A]\r\n[B]\r\n");
        writeFile(dayPath(fx, 2004, 3, 1), "\r\n\r\n[B] \r\n"); // a merge keeps leading empty lines
        control<QPushButton>(d, "CmdPreview2")->click();
        auto* preview = d.findChild<PlanPreview*>();
        QVERIFY(preview && preview->isVisible());
        QCOMPARE(preview->summary(0)->text(), "새로 만듦 1일, 바뀜 2일, 지움 0일, 그대로 1일");
        const DayPlanModel* reg = preview->model(0);
        QCOMPARE(reg->data(reg->index(2, 2), Qt::DisplayRole).toString(), "[A] ↵ [B]");
        QCOMPARE(reg->data(reg->index(2, 3), Qt::ToolTipRole).toString(), "[Exam D-10]\n[A]\n[B]");
        preview->tabs()->setCurrentIndex(1);
        QCOMPARE(preview->summary(1)->text(), "새로 만듦 0일, 바뀜 0일, 지움 1일, 그대로 3일"); // [A] [B] does not hold the entry
        QVERIFY(fx.boxes.shown.isEmpty());
        // Tab leaves the table rather than walking its cells.
        auto* table = preview->tabs()->currentWidget()->findChild<QTableView*>();
        table->setFocus();
        QTest::keyClick(table, Qt::Key_Tab);
        QVERIFY(!table->hasFocus());

        const DayPlan shown = reg->plan();
        preview->close();
        control<QPushButton>(d, "CmdDataInput2", 0)->click();
        QCOMPARE(shown.days.size(), 4);
        for (const DayChange& c : shown.days)
            QCOMPARE(QFileInfo::exists(c.path) ? std::optional(readFile(c.path)) : std::nullopt, c.after);
    }

    // Undo on either page takes back the newest run; its tooltip names that run.
    void undoTakesBackTheNewestRun()
    {
        Fixture fx;
        QTemporaryDir state;
        fx.services.journalFolder = state.path() + "/tunedesk/journal";
        RegularPage r(fx.services, nullptr);
        DDayPage d(fx.services, nullptr);
        auto* regularUndo = control<QPushButton>(r, "CmdUndo");
        auto* ddayUndo = control<QPushButton>(d, "CmdUndo2");
        QVERIFY(!regularUndo->isEnabled() && !ddayUndo->isEnabled());
        QCOMPARE(ddayUndo->toolTip(), "되돌릴 실행이 없습니다.");

        chooseRegular(r, "2004/3", "2004/3");
        choose(control<QComboBox>(r, "CmbMDay"), "9");
        control<QLineEdit>(r, "TxtRegPlan")->setText("Meeting");
        writeFile(dayPath(fx, 2004, 3, 9), "[Dentist]\r\n");
        control<QPushButton>(r, "CmdDataInput", 0)->click();
        QVERIFY(regularUndo->isEnabled() && ddayUndo->isEnabled());
        QVERIFY2(ddayUndo->toolTip().startsWith("되돌릴 실행: 일정 등록 [Meeting] (2004-03-01 ~ 2004-03-31, 1일), "),
                 qPrintable(ddayUndo->toolTip()));

        // Another data folder, read again as the export's dialogs do: Undo follows at once and has
        // nothing there; the run stays undoable in its own folder.
        fx.store.values.insert("DataSaveDir", fx.path("elsewhere/"));
        days::refreshDataFolder(fx.services);
        QVERIFY(!regularUndo->isEnabled());
        QCOMPARE(regularUndo->toolTip(), "되돌릴 실행이 없습니다.");
        fx.store.values.remove("DataSaveDir");
        days::refreshDataFolder(fx.services);
        QVERIFY(ddayUndo->isEnabled() && ddayUndo->toolTip().startsWith("되돌릴 실행: 일정 등록"));

        ddayUndo->click();
        QCOMPARE(readFile(dayPath(fx, 2004, 3, 9)), QByteArray("[Dentist]\r\n"));
        QCOMPARE(fx.boxes.shown.last().text, "일정 등록 [Meeting] 실행을 되돌렸습니다. 날짜 파일 1개를 이전 상태로 돌려놓았습니다.");
        QVERIFY(!regularUndo->isEnabled() && !ddayUndo->isEnabled());

        // A file in the journal folder that is no journal: named, refused, set aside.
        const QString bad = fx.services.journalFolder + "/run-000007.journal";
        writeFile(bad, "[Dentist]\r\n");
        emit days::JournalSignal::instance().changed();
        QCOMPARE(regularUndo->toolTip(), "실행 기록을 읽을 수 없습니다: " + bad);
        regularUndo->click();
        QCOMPARE(fx.boxes.shown.last().text, "실행 기록 " + bad + "을(를) 적용하지 않았습니다: 이 프로그램의 실행 기록이 아닙니다.\r"
                                                                  "날짜 파일은 하나도 바꾸지 않았고, 이 기록은 "
                                                 + bad + ".refused 로 옮겨 두었습니다.");
        QCOMPARE(readFile(dayPath(fx, 2004, 3, 9)), QByteArray("[Dentist]\r\n"));
        QVERIFY(!regularUndo->isEnabled());
    }
};

QTEST_MAIN(TestSchedulePages)
#include "tst_schedule_pages.moc"
