#include "TestSupport.h"

#include "schedule/DDayPage.h"
#include "schedule/DayEntry.h"
#include "schedule/DayFiles.h"
#include "schedule/PercentBar.h"
#include "schedule/RegularPage.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
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
    choose(p.CmbPYear[3], from.section('/', 0, 0));
    choose(p.CmbPmonth[3], from.section('/', 1, 1));
    choose(p.CmbPYear[2], to.section('/', 0, 0));
    choose(p.CmbPmonth[2], to.section('/', 1, 1));
}

void chooseDDay(DDayPage& p, const QString& start, const QString& target, const QString& step)
{
    for (auto [index, date] : {std::pair{5, start}, std::pair{4, target}}) {
        choose(p.CmbPYear[index], date.section('/', 0, 0));
        choose(p.CmbPmonth[index], date.section('/', 1, 1));
        choose(p.CmbPDay[index], date.section('/', 2, 2));
    }
    choose(p.CmbMDay2, step);
}

QString dayPath(const Fixture& fx, int y, int m, int d)
{
    return DayFiles::dayFile(fx.services.DataFolder, QDate(y, m, d));
}

// The refusal, which names the character that cannot be stored.
QString refusal(const QString& left, const QString& plan, const QString& right)
{
    const auto check = DayEntry::check(left, plan, right, DayEntry::regular(left, plan, right));
    const QString text = ScheduleMessages::refused(true, check);
    return check.ok() || !text.contains(check.character) ? QString() : text;
}

void click(QWidget* button)
{
    const QPointF at = QRectF(button->rect()).center();
    for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(button, new QMouseEvent(type, at, button->mapToGlobal(at), Qt::LeftButton,
                                                            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                                            Qt::NoModifier));
}

// Notes the state of the run when its message box comes up.
class SnapshotBoxes : public IMessageBoxes {
public:
    std::function<void()> atShow;
    QList<Message> shown;
    MsgAnswer show(const Message& m) override
    {
        shown << m;
        atShow();
        return MsgAnswer::Ok;
    }
};

} // namespace

class TestSchedulePages : public QObject {
    Q_OBJECT
private slots:
    void yearListsRunTenYearsPastToday()
    {
        Fixture fx;
        fx.services.today = [] { return QDate(2031, 1, 1); };
        RegularPage r(fx.services, nullptr);
        DDayPage d(fx.services, nullptr);
        for (QComboBox* list : {r.CmbPYear[3], r.CmbPYear[2], d.CmbPYear[5], d.CmbPYear[4]}) {
            QCOMPARE(list->count(), 2041 - 2000 + 1);
            for (int i = 0; i < list->count(); ++i)
                QCOMPARE(list->itemText(i), QString::number(2000 + i));
        }
    }

    // Wrong dates and entries that cannot be stored: a message, and no day file touched.
    void refusedBeforeAnythingIsWritten_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("from");   // "" chooses nothing
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("plan");
        QTest::addColumn<QString>("right");
        QTest::addColumn<QString>("message");
        const QString wrongDate = "날짜 설정 오류입니다.";
        QTest::newRow("regular, To before From") << "regular" << "2004/5" << "2004/4" << "[" << "Meeting" << "]"
                                                 << wrongDate;
        QTest::newRow("dday, nothing chosen") << "dday" << "" << "" << "[" << "Exam" << "]" << wrongDate;
        // An empty entry would match every day's text.
        QTest::newRow("regular, empty after trimming") << "regular" << "2004/3" << "2004/3" << " " << "  " << ""
                                                       << refusal(" ", "  ", "");
        QTest::newRow("regular, line break") << "regular" << "2004/3" << "2004/3" << "[" << "a\nb" << "]"
                                             << refusal("[", "a\nb", "]");
        QTest::newRow("dday, line break in a marker") << "dday" << "2004/3/1" << "2004/3/31" << "[" << "Exam" << "]\r"
                                                      << refusal("[", "Exam", "]\r");
        QTest::newRow("regular, not CP949") << "regular" << "2004/3" << "2004/3" << "[" << "party 🎉" << "]"
                                            << refusal("[", "party 🎉", "]");
        QTest::newRow("dday, stray byte") << "dday" << "2004/3/1" << "2004/3/31" << QString(QChar(0xDC81)) << "Exam"
                                          << "]" << refusal(QString(QChar(0xDC81)), "Exam", "]");
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
        r.PrgBData->setPercent(42.5);
        d.PrgBData2->setPercent(42.5);
        writeFile(dayPath(fx, 2004, 3, 31), "[A]\n[B]\r\n");
        if (page == "regular") {
            if (!from.isEmpty())
                chooseRegular(r, from, to);
            choose(r.CmbMDay, "31");
            r.TxtIndexL->setText(left);
            r.TxtRegPlan->setText(plan);
            r.TxtIndexR->setText(right);
        } else {
            if (!from.isEmpty())
                chooseDDay(d, from, to, "1");
            d.TxtIndexL2->setText(left);
            d.TxtRegPlan2->setText(plan);
            d.TxtIndexR2->setText(right);
        }
        // Both remove and register refuse.
        for (int index : {1, 0})
            page == "regular" ? r.CmdDataInput_Click(index) : d.CmdDataInput2_Click(index);
        QCOMPARE(fx.boxes.shown.size(), 2);
        for (const Message& m : fx.boxes.shown) {
            QCOMPARE(m.text, message);
            QCOMPARE(m.title, "Tunedesk");
            QCOMPARE(m.icon, MsgIcon::Information);
        }
        QCOMPARE(readFile(dayPath(fx, 2004, 3, 31)), QByteArray("[A]\n[B]\r\n"));
        QCOMPARE(fx.fs.writes + fx.fs.removes + fx.fs.makeDirs, 0);
        QCOMPARE(r.PrgBData->percent(), 42.5);
        QCOMPARE(d.PrgBData2->percent(), 42.5);
    }

    void registerAndRemoveOnTheRegularPage()
    {
        Fixture fx;
        RegularPage r(fx.services, nullptr);
        chooseRegular(r, "2004/3", "2004/4");
        r.OptWeek->setChecked(true);
        choose(r.CmbWSel, "2nd");
        choose(r.CmbWDay, "Tuesday");
        r.TxtRegPlan->setText("  똠양꿍 ");   // extension syllables: CP949 holds them
        writeFile(dayPath(fx, 2004, 4, 13), "[Dentist]\r\n");

        r.CmdDataInput[0]->click();
        QCOMPARE(readFile(dayPath(fx, 2004, 3, 9)), cp949("[똠양꿍]\r\n"));
        QCOMPARE(readFile(dayPath(fx, 2004, 4, 13)), cp949("[똠양꿍]\n[Dentist]\r\n"));
        QVERIFY(!QFileInfo::exists(dayPath(fx, 2004, 3, 2)));
        QCOMPARE(r.PrgBData->percent(), 100.0);
        QCOMPARE(fx.boxes.shown.size(), 1);
        QCOMPARE(fx.boxes.shown[0].text, "Daybrook 데이타 처리가 완료 되었습니다.");
        QCOMPARE(fx.boxes.shown[0].title, "Tunedesk");
        QCOMPARE(fx.boxes.shown[0].icon, MsgIcon::Information);
        QCOMPARE(fx.fs.flushes, 1);

        r.CmdDataInput[1]->click();
        QVERIFY(!QFileInfo::exists(dayPath(fx, 2004, 3, 9)));
        QCOMPARE(readFile(dayPath(fx, 2004, 4, 13)), QByteArray("[Dentist]\r\n"));
        QVERIFY(QFileInfo(fx.services.DataFolder + "2004_3").isDir());
        QCOMPARE(fx.boxes.shown.size(), 2);
        QCOMPARE(fx.boxes.shown[1].text, "Daybrook 데이타 처리가 완료 되었습니다.");
    }

    void failuresAreReported()
    {
        Fixture fx;
        // "DataSaveDir" names a folder that is not there.
        fx.services.DataFolder = fx.path("gone/");
        DDayPage d(fx.services, nullptr);
        chooseDDay(d, "2004/2/28", "2004/3/1", "1");
        d.TxtRegPlan2->setText("Exam");
        d.CmdDataInput2[0]->click();
        QCOMPARE(fx.boxes.shown.size(), 1);
        const QString text = fx.boxes.shown[0].text;
        QCOMPARE(text, ScheduleMessages::failed(true, 3, fx.path("gone/2004_2")));
        QVERIFY(text.contains("3") && text.contains(fx.path("gone/2004_2")));
        QVERIFY(text != ScheduleMessages::completed(true));
        QCOMPARE(fx.boxes.shown[0].title, "Tunedesk");
        QCOMPARE(d.PrgBData2->percent(), 100.0);

        // A read-only month folder: the other month is still done.
        fx.services.DataFolder = fx.services.programFolder + "/";
        QDir().mkpath(fx.path("2004_2"));
        fx.fs.failPathPart = "2004_2/";
        d.CmdDataInput2[0]->click();
        QCOMPARE(fx.boxes.shown.size(), 2);
        QCOMPARE(fx.boxes.shown[1].text, ScheduleMessages::failed(true, 2, dayPath(fx, 2004, 2, 28)));
        QCOMPARE(readFile(dayPath(fx, 2004, 3, 1)), QByteArray("[Exam D-0]\r\n"));
    }

    void windowStaysPaintedAndDeaf()
    {
        Fixture fx;
        SnapshotBoxes boxes;
        Services services{fx.fs, fx.store, boxes, fx.dialog, fx.dir.path()};
        services.DataFolder = fx.services.DataFolder;
        services.today = fx.services.today;
        DDayPage d(services, nullptr);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        int flushesAtShow = -1;
        double percentAtShow = -1;
        boxes.atShow = [&] {
            flushesAtShow = fx.fs.flushes;
            percentAtShow = d.PrgBData2->percent();
        };
        chooseDDay(d, "2004/1/1", "2004/3/31", "10");
        d.TxtRegPlan2->setText("Exam");

        // A click that is waiting is taken as usual when no run is going on ...
        click(d.CmdDataInput2[0]);
        QTRY_COMPARE(boxes.shown.size(), 1);
        QCOMPARE(readFile(dayPath(fx, 2004, 3, 21)), QByteArray("[Exam D-10]\r\n"));
        QVERIFY(!QFileInfo::exists(dayPath(fx, 2004, 3, 22)));
        QCOMPARE(percentAtShow, 100.0);
        QCOMPARE(flushesAtShow, 1);   // the run was flushed before the message

        // ... but a click on "remove" that arrives during a run is swallowed, not run afterwards.
        click(d.CmdDataInput2[1]);
        d.CmdDataInput2_Click(0);
        QCoreApplication::processEvents();
        QTest::qWait(50);
        QCOMPARE(boxes.shown.size(), 2);
        QCOMPARE(readFile(dayPath(fx, 2004, 3, 31)), QByteArray("[Exam D-0]\r\n"));
        QCOMPARE(fx.fs.removes, 0);

        d.CmdDataInput2_Click(1);
        QVERIFY(!QFileInfo::exists(dayPath(fx, 2004, 3, 31)));
        QVERIFY(!QFileInfo::exists(dayPath(fx, 2004, 3, 21)));
    }
};

QTEST_MAIN(TestSchedulePages)
#include "tst_schedule_pages.moc"
