#include "TestSupport.h"

#include "days/DayEntry.h"
#include "days/DayFiles.h"
#include "days/PercentBar.h"
#include "days/PlanPreview.h"
#include "days/RunJournal.h"
#include "schedule/DDayPage.h"
#include "schedule/RegularPage.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
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

// The refusal of a character that cannot be stored, which names it.
QString notStorable(const QString& character)
{
    return QStringLiteral("입력내용의 \"") + character + QStringLiteral("\" 문자는 Daybrook 파일에 저장할 수 없습니다.");
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
        QTest::addColumn<QString>("from"); // "" chooses nothing
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("plan");
        QTest::addColumn<QString>("right");
        QTest::addColumn<QString>("message");
        const QString wrongDate = "날짜 설정 오류입니다.";
        const QChar stray(0xDC81);
        // clang-format off
        QTest::newRow("regular, To before From") << "regular" << "2004/5" << "2004/4" << "[" << "Meeting" << "]" << wrongDate;
        QTest::newRow("dday, nothing chosen") << "dday" << "" << "" << "[" << "Exam" << "]" << wrongDate;
        // An empty entry would match every day's text.
        QTest::newRow("regular, empty after trimming") << "regular" << "2004/3" << "2004/3" << " " << "  " << "" << "입력내용이 비어 있습니다.";
        QTest::newRow("dday, line break in a marker") << "dday" << "2004/3/1" << "2004/3/31" << "[" << "Exam" << "]\r"
            << "입력내용에 줄바꿈을 넣을 수 없습니다.";
        QTest::newRow("regular, not CP949") << "regular" << "2004/3" << "2004/3" << "[" << "party 🎉" << "]" << notStorable("🎉");
        QTest::newRow("dday, stray byte") << "dday" << "2004/3/1" << "2004/3/31" << QString(stray) << "Exam" << "]" << notStorable(stray);
        // clang-format on
    }
    void refusedBeforeAnythingIsWritten()
    {
        QFETCH(QString, page);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, left);
        QFETCH(QString, plan);
        QFETCH(QString, right);
        QFETCH(QString, message);
        Fixture fx;
        RegularPage r(fx.services, nullptr);
        DDayPage d(fx.services, nullptr);
        const bool regular = page == "regular";
        control<PercentBar>(r, "PrgBData")->setPercent(42.5);
        control<PercentBar>(d, "PrgBData2")->setPercent(42.5);
        writeFile(dayPath(fx, 2004, 3, 31), "[A]\n[B]\r\n");
        if (!from.isEmpty())
            regular ? chooseRegular(r, from, to) : chooseDDay(d, from, to, "1");
        choose(control<QComboBox>(r, "CmbMDay"), "31");
        using Field = std::pair<const char*, QString>;
        for (auto [name, text] : {Field{"TxtIndexL", left}, Field{"TxtRegPlan", plan}, Field{"TxtIndexR", right}})
            control<QLineEdit>(regular ? static_cast<QWidget&>(r) : d, qPrintable(name + QString(regular ? "" : "2")))
                ->setText(text);
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
        QCOMPARE(fx.fs.writes + fx.fs.removes + fx.fs.makeDirs, 0);
        QCOMPARE(control<PercentBar>(r, "PrgBData")->percent() + control<PercentBar>(d, "PrgBData2")->percent(), 85.0);
    }

    // The fifth and the last follow "All" in the list; the last Friday is taken from it.
    void registerAndRemoveOnTheRegularPage()
    {
        Fixture fx;
        RegularPage r(fx.services, nullptr);
        r.show();
        QVERIFY(QTest::qWaitForWindowExposed(&r));
        QStringList occurrences;
        for (int i = 0; i < control<QComboBox>(r, "CmbWSel")->count(); ++i)
            occurrences << control<QComboBox>(r, "CmbWSel")->itemText(i);
        QCOMPARE(occurrences, (QStringList{"1st", "2nd", "3rd", "4th", "All", "다섯째", "마지막"}));
        chooseRegular(r, "2004/3", "2004/4");
        control<QRadioButton>(r, "OptWeek")->setChecked(true);
        choose(control<QComboBox>(r, "CmbWSel"), "마지막");
        choose(control<QComboBox>(r, "CmbWDay"), "Friday");
        control<QLineEdit>(r, "TxtRegPlan")->setText("  똠양꿍 "); // extension syllables: CP949 holds them
        writeFile(dayPath(fx, 2004, 4, 30), "[Dentist]\r\n");

        click(control<QPushButton>(r, "CmdDataInput", 0)); // a click that is waiting is taken when no run is going on
        QTRY_COMPARE(fx.boxes.shown.size(), 1);
        QCOMPARE(readFile(dayPath(fx, 2004, 3, 26)), cp949("[똠양꿍]\r\n"));
        QCOMPARE(readFile(dayPath(fx, 2004, 4, 30)), cp949("[똠양꿍]\n[Dentist]\r\n"));
        for (const QString& path : {dayPath(fx, 2004, 3, 26), dayPath(fx, 2004, 4, 30)})
            QCOMPARE(QFileInfo(path).dir().entryList(QDir::Files), QStringList{QFileInfo(path).fileName()});
        QCOMPARE(control<PercentBar>(r, "PrgBData")->percent(), 100.0);
        QCOMPARE(fx.boxes.shown[0].text, "Daybrook 데이타 처리가 완료 되었습니다.");

        // A click on "remove" that arrives during a run is swallowed, not run afterwards.
        click(control<QPushButton>(r, "CmdDataInput", 1));
        r.CmdDataInput_Click(0);
        QTest::qWait(50);
        QCOMPARE(fx.boxes.shown.size(), 2);
        QCOMPARE(fx.fs.removes, 0);

        control<QPushButton>(r, "CmdDataInput", 1)->click();
        QVERIFY(!QFileInfo::exists(dayPath(fx, 2004, 3, 26)));
        QCOMPARE(readFile(dayPath(fx, 2004, 4, 30)), QByteArray("[Dentist]\r\n"));
        QCOMPARE(fx.boxes.shown.size(), 3);
    }

    // The preview lists what register and remove would do, writes nothing,
    // and the run then does just that.
    void previewShowsBothRuns()
    {
        Fixture fx;
        DDayPage d(fx.services, nullptr);
        d.show();
        chooseDDay(d, "2004/3/1", "2004/3/31", "10");
        control<QLineEdit>(d, "TxtRegPlan2")->setText("Exam");
        writeFile(dayPath(fx, 2004, 3, 11), "[Exam D-20]\r\n");
        writeFile(dayPath(fx, 2004, 3, 21), "[A]\r\n[B]\r\n");
        control<QPushButton>(d, "CmdPreview2")->click();
        auto* preview = d.findChild<PlanPreview*>();
        QVERIFY(preview && preview->isVisible());
        QCOMPARE(preview->summary(0)->text(), "새로 만듦 2일, 바뀜 1일, 지움 0일, 그대로 1일");
        const DayPlanModel* reg = preview->model(0);
        QCOMPARE(reg->rowCount(), 4);
        auto row = [](const DayPlanModel* m, int r) {
            QStringList cells;
            for (int c = 0; c < 4; ++c)
                cells << m->data(m->index(r, c), Qt::DisplayRole).toString();
            return cells;
        };
        QCOMPARE(row(reg, 0), (QStringList{"2004-03-01", "새로 만듦", "", "[Exam D-30]"}));
        QCOMPARE(row(reg, 1), (QStringList{"2004-03-11", "그대로", "", ""}));
        QCOMPARE(row(reg, 2), (QStringList{"2004-03-21", "바뀜", "[A] ↵ [B]", "[Exam D-10] ↵ [A] ↵ [B]"}));
        QCOMPARE(reg->data(reg->index(2, 3), Qt::ToolTipRole).toString(), "[Exam D-10]\n[A]\n[B]");

        preview->tabs()->setCurrentIndex(1);
        // Removing rewrites a note it does not hold the entry in by the reading rule: its lines end in LF.
        QCOMPARE(preview->summary(1)->text(), "새로 만듦 0일, 바뀜 1일, 지움 1일, 그대로 2일");
        QCOMPARE(row(preview->model(1), 1), (QStringList{"2004-03-11", "지움", "[Exam D-20]", ""}));
        QCOMPARE(fx.fs.writes + fx.fs.removes + fx.fs.makeDirs, 0);
        QVERIFY(fx.boxes.shown.isEmpty());
        const DayPlan planned = reg->plan();
        preview->close();

        control<QPushButton>(d, "CmdDataInput2", 0)->click();
        for (const DayChange& c : planned.days)
            QCOMPARE(readFile(c.path), *c.after);
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
        QCOMPARE(readFile(dayPath(fx, 2004, 3, 9)), QByteArray("[Meeting]\n[Dentist]\r\n"));
        QVERIFY(regularUndo->isEnabled() && ddayUndo->isEnabled());
        QVERIFY2(ddayUndo->toolTip().startsWith("되돌릴 실행: 일정 등록 [Meeting] (2004-03-01 ~ 2004-03-31, 1일), "),
                 qPrintable(ddayUndo->toolTip()));

        // Another data folder: the tooltip warns, the run stays undoable in its own folder.
        const QString data = fx.services.DataFolder;
        fx.services.DataFolder = fx.path("elsewhere/");
        emit days::JournalSignal::instance().changed();
        QCOMPARE(regularUndo->toolTip(), "실행 기록 " + RunJournal(fx.services.journalFolder).files().value(0)
                                             + "은(는) 다른 데이타 폴더(" + data + ")의 기록이라 되돌리지 않습니다.");
        fx.services.DataFolder = data;
        emit days::JournalSignal::instance().changed();

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
