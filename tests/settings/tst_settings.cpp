#include "TestSupport.h"
#include "settings/Resets.h"

#include <QSettings>
#include <QTest>

using namespace td;
using namespace td::test;

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void questions_data();
    void questions();
    void configurationReset_data();
    void configurationReset();
    void positionReset_data();
    void positionReset();
    void positionResetRefusedIsReported();
    void configurationResetKeepsOtherSections();
};

void TestSettings::questions_data()
{
    QTest::addColumn<bool>("korean");
    QTest::addColumn<bool>("position");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("configuration, Korean") << true << false << QStringLiteral("Daybrook 초기화")
        << QStringLiteral("Daybrook 환경설정값을 초기화(저장값 삭제)합니다!!!\r[Daybrook의 실행중 오류발생시 사용하기 바랍니다]");
    QTest::newRow("configuration, English") << false << false << QStringLiteral("Daybrook Configuration Reset")
        << QStringLiteral("Daybrook configuration value is initialized(All Value is Deleted)!\r"
                          "[Use This Function when Daybrook has error while execution]");
    QTest::newRow("position, Korean") << true << true << QStringLiteral("Daybrook 위치 초기화")
        << QStringLiteral("Daybrook 위치저장값을 초기화합니다!!!\r[Daybrook의 위치를 초기화 합니다]");
    QTest::newRow("position, English") << false << true << QStringLiteral("Daybrook Position Correction")
        << QStringLiteral("Position value of Daybrook is Reset !!!\r[Daybrook Position Initialize]");
}

void TestSettings::questions()
{
    QFETCH(bool, korean);
    QFETCH(bool, position);
    QFETCH(QString, title);
    QFETCH(QString, text);
    Fixture f;
    if (position)
        resetPosition(f.store, f.boxes, korean);
    else
        resetConfiguration(f.store, f.boxes, korean);
    QCOMPARE(f.boxes.shown.size(), 1);
    const Message& m = f.boxes.shown.first();
    QCOMPARE(m.title, title);
    QCOMPARE(m.text, text);
    QVERIFY(!m.text.contains(QLatin1Char('\n')));
    QCOMPARE(m.text.count(QLatin1Char('\r')), 1);
    QCOMPARE(m.icon, MsgIcon::None);
    QCOMPARE(m.buttons, MsgButtons::OkCancel);
    QCOMPARE(m.defaultButton, MsgAnswer::Ok);
}

void TestSettings::configurationReset_data()
{
    QTest::addColumn<MsgAnswer>("answer");
    QTest::addColumn<bool>("removed");
    QTest::newRow("OK") << MsgAnswer::Ok << true;
    QTest::newRow("Cancel") << MsgAnswer::Cancel << false;
}

void TestSettings::configurationReset()
{
    QFETCH(MsgAnswer, answer);
    QFETCH(bool, removed);
    Fixture f;
    f.store.values = {{QStringLiteral("FDay Color"), QStringLiteral("255")}, {QStringLiteral("Startup Left"), QStringLiteral("7")}};
    f.boxes.answers.push_back(answer);
    const ResetResult r = resetConfiguration(f.store, f.boxes, true);
    QCOMPARE(r, removed ? ResetResult::Done : ResetResult::Declined);
    QCOMPARE(f.store.values.isEmpty(), removed);
    QCOMPARE(f.store.get(QStringLiteral("FDay Color"), QStringLiteral("dflt")), removed ? QStringLiteral("dflt") : QStringLiteral("255"));
    QCOMPARE(f.boxes.shown.size(), 1);   // nothing is shown after the question
}

void TestSettings::positionReset_data()
{
    QTest::addColumn<MsgAnswer>("answer");
    QTest::addColumn<bool>("existedBefore");
    QTest::addColumn<QString>("left");
    QTest::newRow("OK, keys missing") << MsgAnswer::Ok << false << QStringLiteral("100");
    QTest::newRow("OK, keys present") << MsgAnswer::Ok << true << QStringLiteral("100");
    QTest::newRow("Cancel") << MsgAnswer::Cancel << true << QStringLiteral("-3000");
    QTest::newRow("Cancel, keys missing") << MsgAnswer::Cancel << false << QStringLiteral("none");
}

void TestSettings::positionReset()
{
    QFETCH(MsgAnswer, answer);
    QFETCH(bool, existedBefore);
    QFETCH(QString, left);
    Fixture f;
    f.store.values.insert(QStringLiteral("FDay Color"), QStringLiteral("255"));
    if (existedBefore) {
        f.store.values.insert(QStringLiteral("Startup Left"), QStringLiteral("-3000"));
        f.store.values.insert(QStringLiteral("Startup Top"), QStringLiteral("-3000"));
    }
    f.boxes.answers.push_back(answer);
    resetPosition(f.store, f.boxes, false);
    QCOMPARE(f.store.get(QStringLiteral("Startup Left"), QStringLiteral("none")), left);
    QCOMPARE(f.store.get(QStringLiteral("Startup Top"), QStringLiteral("none")), left);
    QCOMPARE(f.store.values.value(QStringLiteral("FDay Color")), QStringLiteral("255"));
    QCOMPARE(f.boxes.shown.size(), 1);
}

void TestSettings::positionResetRefusedIsReported()
{
    Fixture f;
    f.store.failSaves = true;
    QCOMPARE(resetPosition(f.store, f.boxes, true), ResetResult::Failed);
    QCOMPARE(f.boxes.shown.size(), 2);
    QVERIFY(f.boxes.shown[1].text.contains(QStringLiteral("Startup Left")));
    QVERIFY(f.boxes.shown[1].text.contains(QStringLiteral("Startup Top")));
}

void TestSettings::configurationResetKeepsOtherSections()
{
    Fixture f;
    const QString path = f.path(QStringLiteral("Daybrook/Daybrook.conf"));
    {
        QtSettingsStore store(path);
        store.save(QStringLiteral("FDay Color"), QStringLiteral("255"));
        store.save(QStringLiteral("WeekViewFont"), QStringLiteral("굴림"));
        QSettings other(path, QSettings::IniFormat);
        other.setValue(QStringLiteral("Other/Kept"), QStringLiteral("yes"));
    }
    QtSettingsStore store(path);
    f.boxes.answers.push_back(MsgAnswer::Ok);
    QCOMPARE(resetConfiguration(store, f.boxes, true), ResetResult::Done);
    QCOMPARE(store.get(QStringLiteral("FDay Color"), QStringLiteral("d")), QStringLiteral("d"));
    QCOMPARE(store.get(QStringLiteral("WeekViewFont"), QStringLiteral("d")), QStringLiteral("d"));
    QSettings check(path, QSettings::IniFormat);
    QCOMPARE(check.value(QStringLiteral("Other/Kept")).toString(), QStringLiteral("yes"));
    // A second reset on a section that is already gone asks again and ends quietly.
    f.boxes.answers.push_back(MsgAnswer::Ok);
    QCOMPARE(resetConfiguration(store, f.boxes, true), ResetResult::Done);
    QCOMPARE(f.boxes.shown.size(), 2);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
