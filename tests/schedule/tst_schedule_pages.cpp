#include "TestSupport.h"

#include "i18n/LanguageApplier.h"
#include "i18n/LanguageFile.h"
#include "schedule/DDayPage.h"
#include "schedule/DayEntry.h"
#include "schedule/DayFiles.h"
#include "schedule/PercentBar.h"
#include "schedule/RegularPage.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>

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
    if (!step.isEmpty())
        choose(p.CmbMDay2, step);
}

QString dayPath(const Fixture& fx, int y, int m, int d)
{
    return DayFiles::dayFile(fx.services.DataFolder, QDate(y, m, d));
}

QStringList itemsOf(const QComboBox* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

QStringList range(int first, int last)
{
    QStringList out;
    for (int n = first; n <= last; ++n)
        out << QString::number(n);
    return out;
}

void click(QWidget* button)
{
    const QPointF at = QRectF(button->rect()).center();
    QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonPress, at, button->mapToGlobal(at),
                                                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonRelease, at, button->mapToGlobal(at),
                                                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
}

// What the window looked like when the run's message box came up.
class SnapshotBoxes : public IMessageBoxes {
public:
    std::function<void()> atShow;
    QList<Message> shown;
    MsgAnswer show(const Message& m) override
    {
        shown << m;
        if (atShow)
            atShow();
        return MsgAnswer::Ok;
    }
};

// Counts the paints of a progress bar, and what it showed when painted.
class PaintCounter : public QObject {
public:
    int paints = 0;
    QList<double> percents;
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) {
            ++paints;
            percents << static_cast<PercentBar*>(o)->percent();
        }
        return false;
    }
};

} // namespace

class TestSchedulePages : public QObject {
    Q_OBJECT
private slots:
    void controlsAndTags_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<int>("index");
        const QList<std::tuple<const char*, const char*, int>> regular{
            {"Label15", "1300", -1}, {"Label21", "1301", -1}, {"Label23", "1302", -1}, {"Label18", "1303", -1},
            {"Label19", "1304", -1}, {"Frame10", "1305", -1}, {"OptMonth", "1306", -1}, {"OptWeek", "1307", -1},
            {"Label4", "1308", -1}, {"CmdBasic", "1309", -1}, {"CmdDataInput(0)", "1310", 0},
            {"CmdDataInput(1)", "1311", 1}, {"CmbPYear(3)", "", 3}, {"CmbPmonth(3)", "", 3}, {"CmbPYear(2)", "", 2},
            {"CmbPmonth(2)", "", 2}, {"CmbMDay", "", -1}, {"CmbWSel", "", -1}, {"CmbWDay", "", -1},
            {"TxtIndexL", "", -1}, {"TxtRegPlan", "", -1}, {"TxtIndexR", "", -1}, {"PrgBData", "", -1}};
        const QList<std::tuple<const char*, const char*, int>> dday{
            {"Label29", "1700", -1}, {"Label32", "1301", -1}, {"Label34", "1302", -1}, {"Label31", "1303", -1},
            {"Label28", "1304", -1}, {"Frame15", "1705", -1}, {"Label37", "1706", -1}, {"Label38", "1706", -1},
            {"Label39", "1707", -1}, {"Label16", "1708", -1}, {"CmdBasic2", "1709", -1},
            {"CmdDataInput2(0)", "1710", 0}, {"CmdDataInput2(1)", "1711", 1}, {"CmbPYear(5)", "", 5},
            {"CmbPmonth(5)", "", 5}, {"CmbPDay(5)", "", 5}, {"CmbPYear(4)", "", 4}, {"CmbPmonth(4)", "", 4},
            {"CmbPDay(4)", "", 4}, {"CmbMDay2", "", -1}, {"TxtIndexL2", "", -1}, {"TxtRegPlan2", "", -1},
            {"TxtIndexR2", "", -1}, {"PrgBData2", "", -1}};
        for (auto [name, tag, index] : regular)
            QTest::addRow("regular %s", name) << "regular" << name << tag << index;
        for (auto [name, tag, index] : dday)
            QTest::addRow("dday %s", name) << "dday" << name << tag << index;
    }
    void controlsAndTags()
    {
        QFETCH(QString, page);
        QFETCH(QString, name);
        QFETCH(QString, tag);
        QFETCH(int, index);
        Fixture fx;
        std::unique_ptr<QWidget> w;
        if (page == "regular")
            w = std::make_unique<RegularPage>(fx.services, nullptr);
        else
            w = std::make_unique<DDayPage>(fx.services, nullptr);
        QCOMPARE(w->size(), QSize(540, 400));
        const auto found = w->findChildren<QWidget*>(name);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0]->property("tag").toString(), tag);
        QCOMPARE(found[0]->property("index").isValid() ? found[0]->property("index").toInt() : -1, index);
    }

    void designContents()
    {
        Fixture fx;   // today is 6 December 2026
        RegularPage r(fx.services, nullptr);
        DDayPage d(fx.services, nullptr);
        const QStringList years = range(2000, 2036);
        for (QComboBox* list : {r.CmbPYear[3], r.CmbPYear[2], d.CmbPYear[5], d.CmbPYear[4]})
            QCOMPARE(itemsOf(list), years);
        for (QComboBox* list : {r.CmbPmonth[3], r.CmbPmonth[2], d.CmbPmonth[5], d.CmbPmonth[4]})
            QCOMPARE(itemsOf(list), range(1, 12));
        for (QComboBox* list : {r.CmbMDay, d.CmbPDay[5], d.CmbPDay[4], d.CmbMDay2})
            QCOMPARE(itemsOf(list), range(1, 31));
        QCOMPARE(itemsOf(r.CmbWSel), (QStringList{"1st", "2nd", "3rd", "4th", "All"}));
        QCOMPARE(itemsOf(r.CmbWDay),
                 (QStringList{"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"}));
        for (QComboBox* list : r.findChildren<QComboBox*>() + d.findChildren<QComboBox*>())
            QCOMPARE(list->currentIndex(), -1);   // nothing chosen when the window opens
        QVERIFY(r.OptMonth->isChecked());
        QVERIFY(!r.OptWeek->isChecked());
        QCOMPARE(r.TxtIndexL->text(), "[");
        QCOMPARE(r.TxtRegPlan->text(), "");
        QCOMPARE(r.TxtIndexR->text(), "]");
        QCOMPARE(d.TxtIndexL2->text(), "[");
        QCOMPARE(d.TxtRegPlan2->text(), "");
        QCOMPARE(d.TxtIndexR2->text(), "]");
        QCOMPARE(d.Label39->text(), "D-xxx");
        QCOMPARE(d.Label16->text(), "일 단위로");
        QCOMPARE(r.PrgBData->percent(), 0.0);

        // Choosing the other rule clears the first.
        r.OptWeek->click();
        QVERIFY(!r.OptMonth->isChecked());
    }

    void yearListFollowsToday()
    {
        Fixture fx;
        fx.services.today = [] { return QDate(2031, 1, 1); };
        RegularPage r(fx.services, nullptr);
        QCOMPARE(r.CmbPYear[3]->itemText(0), "2000");
        QCOMPARE(r.CmbPYear[3]->itemText(r.CmbPYear[3]->count() - 1), "2041");
    }

    void captionsFitTheLanguageFile()
    {
        Fixture fx;
        fx.installLanguageFile();
        LanguageFile lng(fx.fs, fx.boxes, fx.dir.path(), "Korean");
        RegularPage r(fx.services, nullptr);
        DDayPage d(fx.services, nullptr);
        for (QWidget* page : {static_cast<QWidget*>(&r), static_cast<QWidget*>(&d)}) {
            ApplyLngFile(page, "tuneKorean.lng", lng, true);
            page->show();
            QVERIFY(QTest::qWaitForWindowExposed(page));
        }
        QCOMPARE(r.CmdDataInput[0]->text(), "일정 등록");
        QCOMPARE(r.CmdDataInput[1]->text(), "일정 삭제");
        // Five-digit tooltip keys keep the separating space (text from the 6th character).
        QCOMPARE(r.CmdDataInput[0]->toolTip(), " 선택한 날마다 일정을 씁니다");
        QCOMPARE(r.CmdBasic->text(), "기본값");
        QCOMPARE(r.Label15->text(), "기간");
        QCOMPARE(r.TxtIndexL->text(), "[");   // text fields without a key keep their text
        QCOMPARE(d.CmdDataInput2[1]->text(), "D-Day 삭제");
        QCOMPARE(d.CmdDataInput2[1]->toolTip(), " D-Day 일정을 지웁니다");
        QCOMPARE(d.Label29->text(), "D-Day 기간");
        QCOMPARE(d.Label39->text(), "D-xxx");
        QVERIFY(fx.boxes.shown.isEmpty());

        // Every control lies inside its page, shows its whole caption and overlaps no other.
        for (QWidget* page : {static_cast<QWidget*>(&r), static_cast<QWidget*>(&d)}) {
            QList<QWidget*> controls;
            for (QWidget* w : page->findChildren<QWidget*>()) {
                if (!w->isVisible() || w->parentWidget() == nullptr)
                    continue;
                if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
                    qobject_cast<QLineEdit*>(w) || qobject_cast<QProgressBar*>(w))
                    controls << w;
            }
            for (QWidget* w : controls) {
                const QRect rect(w->mapTo(page, QPoint(0, 0)), w->size());
                QVERIFY2(page->rect().contains(rect), qPrintable(w->objectName()));
                if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w))
                    QVERIFY2(w->width() >= w->minimumSizeHint().width(), qPrintable(w->objectName()));
                for (QWidget* other : controls) {
                    if (other == w || w->isAncestorOf(other) || other->isAncestorOf(w))
                        continue;
                    const QRect o(other->mapTo(page, QPoint(0, 0)), other->size());
                    QVERIFY2(!rect.intersects(o), qPrintable(w->objectName() + " / " + other->objectName()));
                }
            }
        }
    }

    void wrongDate_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        const QString ko = "날짜 설정 오류입니다.", en = "Wrong Date Setting.";
        QTest::newRow("regular, To before From") << "Korean" << ko << "regular" << "2004/5" << "2004/4";
        QTest::newRow("regular, English") << "English" << en << "regular" << "2004/5" << "2004/4";
        QTest::newRow("regular, nothing chosen") << "Korean" << ko << "regular" << "" << "";
        QTest::newRow("dday, target equals start") << "Korean" << ko << "dday" << "2004/3/1" << "2004/3/1";
        QTest::newRow("dday, target before start") << "English" << en << "dday" << "2004/3/2" << "2004/3/1";
        QTest::newRow("dday, 31 April") << "Korean" << ko << "dday" << "2004/4/31" << "2004/5/31";
        QTest::newRow("dday, nothing chosen") << "Korean" << ko << "dday" << "" << "";
    }
    void wrongDate()
    {
        QFETCH(QString, language);
        QFETCH(QString, text);
        QFETCH(QString, page);
        QFETCH(QString, from);
        QFETCH(QString, to);
        Fixture fx(language);
        RegularPage r(fx.services, nullptr);
        DDayPage d(fx.services, nullptr);
        r.PrgBData->setPercent(42.5);
        d.PrgBData2->setPercent(42.5);
        if (page == "regular") {
            if (!from.isEmpty())
                chooseRegular(r, from, to);
            choose(r.CmbMDay, "1");
            r.TxtRegPlan->setText("Meeting");
            r.CmdDataInput[0]->click();
        } else {
            if (!from.isEmpty())
                chooseDDay(d, from, to, "1");
            d.TxtRegPlan2->setText("Exam");
            d.CmdDataInput2[0]->click();
        }
        QCOMPARE(fx.boxes.shown.size(), 1);
        QCOMPARE(fx.boxes.shown[0].text, text);
        QCOMPARE(fx.boxes.shown[0].title, "Tunedesk");
        QCOMPARE(fx.boxes.shown[0].icon, MsgIcon::Information);
        QCOMPARE(fx.boxes.shown[0].buttons, MsgButtons::Ok);
        QCOMPARE(r.PrgBData->percent(), 42.5);
        QCOMPARE(d.PrgBData2->percent(), 42.5);
        QCOMPARE(fx.fs.writes + fx.fs.makeDirs, 0);
    }

    void registerAndRemoveOnTheRegularPage()
    {
        Fixture fx;
        RegularPage r(fx.services, nullptr);
        chooseRegular(r, "2004/3", "2004/4");
        r.OptWeek->setChecked(true);
        choose(r.CmbWSel, "2nd");
        choose(r.CmbWDay, "Tuesday");
        r.TxtRegPlan->setText("  Meeting ");
        writeFile(dayPath(fx, 2004, 4, 13), "[Dentist]\r\n");

        r.CmdDataInput[0]->click();
        QCOMPARE(readFile(dayPath(fx, 2004, 3, 9)), QByteArray("[Meeting]\r\n"));
        QCOMPARE(readFile(dayPath(fx, 2004, 4, 13)), QByteArray("[Meeting]\n[Dentist]\r\n"));
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

    void noMatchingDayStillCompletes()
    {
        Fixture fx("English");
        RegularPage r(fx.services, nullptr);
        chooseRegular(r, "2004/4", "2004/4");
        choose(r.CmbMDay, "31");
        r.TxtRegPlan->setText("Meeting");
        r.CmdDataInput[0]->click();
        QCOMPARE(fx.boxes.shown.size(), 1);
        QCOMPARE(fx.boxes.shown[0].text, "Daybrook Data Processing is completed.");
        QCOMPARE(r.PrgBData->percent(), 100.0);
        QCOMPARE(fx.fs.writes, 0);
    }

    void countdownOnTheDDayPage()
    {
        Fixture fx;
        DDayPage d(fx.services, nullptr);
        chooseDDay(d, "2004/3/1", "2004/3/31", "10");
        d.TxtRegPlan2->setText("Exam");
        writeFile(dayPath(fx, 2004, 3, 21), "[Trip]\r\n");
        d.CmdDataInput2[0]->click();
        QCOMPARE(readFile(dayPath(fx, 2004, 3, 1)), QByteArray("[Exam D-30]\r\n"));
        QCOMPARE(readFile(dayPath(fx, 2004, 3, 11)), QByteArray("[Exam D-20]\r\n"));
        QCOMPARE(readFile(dayPath(fx, 2004, 3, 21)), QByteArray("[Exam D-10]\n[Trip]\r\n"));
        QCOMPARE(readFile(dayPath(fx, 2004, 3, 31)), QByteArray("[Exam D-0]\r\n"));
        QVERIFY(!QFileInfo::exists(dayPath(fx, 2004, 3, 2)));
        QCOMPARE(d.PrgBData2->percent(), 100.0);
        QCOMPARE(fx.boxes.shown.size(), 1);
        QCOMPARE(fx.boxes.shown[0].text, "Daybrook 데이타 처리가 완료 되었습니다.");

        d.CmdDataInput2[1]->click();
        for (int day : {1, 11, 31})
            QVERIFY(!QFileInfo::exists(dayPath(fx, 2004, 3, day)));
        QCOMPARE(readFile(dayPath(fx, 2004, 3, 21)), QByteArray("[Trip]\r\n"));
        QCOMPARE(fx.boxes.shown.size(), 2);
    }

    void markersBackToDesign()
    {
        Fixture fx;
        RegularPage r(fx.services, nullptr);
        DDayPage d(fx.services, nullptr);
        for (QLineEdit* e : {r.TxtIndexL, r.TxtIndexR, d.TxtIndexL2, d.TxtIndexR2})
            e->setText("<<");
        r.CmdBasic->click();
        d.CmdBasic2->click();
        QCOMPARE(r.TxtIndexL->text() + r.TxtIndexR->text(), "[]");
        QCOMPARE(d.TxtIndexL2->text() + d.TxtIndexR2->text(), "[]");
    }

    void refusedEntries_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("plan");
        QTest::addColumn<QString>("right");
        QTest::addColumn<int>("problem");
        using P = DayEntry::Problem;
        QTest::newRow("regular, empty after trimming") << "regular" << " " << "  " << "" << int(P::Empty);
        QTest::newRow("regular, line break") << "regular" << "[" << "a\nb" << "]" << int(P::LineBreak);
        QTest::newRow("regular, not CP949") << "regular" << "[" << "🎉" << "]" << int(P::NotStorable);
        QTest::newRow("dday, line break in a marker") << "dday" << "[" << "Exam" << "]\r" << int(P::LineBreak);
        QTest::newRow("dday, not CP949") << "dday" << "ก" << "Exam" << "]" << int(P::NotStorable);
    }
    void refusedEntries()
    {
        QFETCH(QString, page);
        QFETCH(QString, left);
        QFETCH(QString, plan);
        QFETCH(QString, right);
        QFETCH(int, problem);
        Fixture fx;
        RegularPage r(fx.services, nullptr);
        DDayPage d(fx.services, nullptr);
        // Both remove and register refuse; a day holding text is untouched.
        writeFile(dayPath(fx, 2004, 3, 31), "[A]\n[B]\r\n");
        for (int index : {1, 0}) {
            if (page == "regular") {
                chooseRegular(r, "2004/3", "2004/3");
                choose(r.CmbMDay, "31");
                r.TxtIndexL->setText(left);
                r.TxtRegPlan->setText(plan);
                r.TxtIndexR->setText(right);
                r.CmdDataInput_Click(index);
            } else {
                chooseDDay(d, "2004/3/1", "2004/3/31", "1");
                d.TxtIndexL2->setText(left);
                d.TxtRegPlan2->setText(plan);
                d.TxtIndexR2->setText(right);
                d.CmdDataInput2_Click(index);
            }
        }
        QCOMPARE(fx.boxes.shown.size(), 2);
        const DayEntry::Check check = DayEntry::check(left, plan, right, DayEntry::regular(left, plan, right));
        QCOMPARE(int(check.problem), problem);
        QCOMPARE(fx.boxes.shown[0].text, ScheduleMessages::refused(true, check));
        QCOMPARE(fx.boxes.shown[0].title, "Tunedesk");
        QCOMPARE(fx.boxes.shown[0].icon, MsgIcon::Information);
        QCOMPARE(readFile(dayPath(fx, 2004, 3, 31)), QByteArray("[A]\n[B]\r\n"));
        QCOMPARE(fx.fs.writes + fx.fs.removes + fx.fs.makeDirs, 0);
        QCOMPARE(r.PrgBData->percent() + d.PrgBData2->percent(), 0.0);
    }

    void failuresAreReported_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("Korean") << "Korean";
        QTest::newRow("English") << "English";
    }
    void failuresAreReported()
    {
        QFETCH(QString, language);
        Fixture fx(language);
        // "DataSaveDir" names a folder that is not there.
        fx.services.DataFolder = fx.path("gone/");
        DDayPage d(fx.services, nullptr);
        chooseDDay(d, "2004/2/28", "2004/3/1", "1");
        d.TxtRegPlan2->setText("Exam");
        d.CmdDataInput2[0]->click();
        QCOMPARE(fx.boxes.shown.size(), 1);
        const bool korean = language == "Korean";
        QCOMPARE(fx.boxes.shown[0].text, ScheduleMessages::failed(korean, 3, fx.path("gone/2004_2")));
        QVERIFY(fx.boxes.shown[0].text != ScheduleMessages::completed(korean));
        QCOMPARE(fx.boxes.shown[0].title, "Tunedesk");
        QCOMPARE(fx.boxes.shown[0].icon, MsgIcon::Information);
        QCOMPARE(d.PrgBData2->percent(), 100.0);

        // A read-only month folder: the other month is still done.
        fx.services.DataFolder = fx.services.programFolder + "/";
        QDir().mkpath(fx.path("2004_2"));
        fx.fs.failPathPart = "2004_2/";
        d.CmdDataInput2[0]->click();
        QCOMPARE(fx.boxes.shown.size(), 2);
        QCOMPARE(fx.boxes.shown[1].text, ScheduleMessages::failed(korean, 2, dayPath(fx, 2004, 2, 28)));
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
        PaintCounter counter;
        d.PrgBData2->installEventFilter(&counter);
        int paintsAtShow = -1, flushesAtShow = -1;
        double percentAtShow = -1;
        boxes.atShow = [&] {
            paintsAtShow = counter.paints;
            flushesAtShow = fx.fs.flushes;
            percentAtShow = d.PrgBData2->percent();
        };
        chooseDDay(d, "2004/1/1", "2004/3/31", "1");
        d.TxtRegPlan2->setText("Exam");

        // A click that is waiting is taken as usual when no run is going on ...
        click(d.CmdDataInput2[0]);
        QTRY_COMPARE(boxes.shown.size(), 1);
        QVERIFY(QFileInfo::exists(dayPath(fx, 2004, 3, 31)));
        QVERIFY(paintsAtShow > 0);   // the bar was painted before the message
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
    }

    void windowEventsAreHandledDuringALongRun()
    {
        Fixture fx;
        RegularPage r(fx.services, nullptr);
        r.show();
        QVERIFY(QTest::qWaitForWindowExposed(&r));
        // A timer stands in for the window system's paint requests: it only
        // fires while the run lets pending events through.
        QList<double> seen;
        QTimer ticker;
        ticker.setInterval(0);
        connect(&ticker, &QTimer::timeout, [&] { seen << r.PrgBData->percent(); });
        chooseRegular(r, "2000/1", "2009/12");
        r.OptWeek->setChecked(true);
        choose(r.CmbWSel, "All");
        choose(r.CmbWDay, "Sunday");
        r.TxtRegPlan->setText("Church");
        ticker.start();
        r.CmdDataInput[0]->click();
        ticker.stop();
        QCOMPARE(fx.boxes.shown.size(), 1);
        QCOMPARE(fx.boxes.shown[0].text, ScheduleMessages::completed(true));
        QVERIFY(QFileInfo::exists(dayPath(fx, 2009, 12, 27)));   // the last of 522 Sundays
        const bool midway = std::any_of(seen.begin(), seen.end(), [](double p) { return p > 0 && p < 100; });
        QVERIFY2(midway, qPrintable(QString::number(seen.size()) + " ticks"));
    }
};

QTEST_MAIN(TestSchedulePages)
#include "tst_schedule_pages.moc"
