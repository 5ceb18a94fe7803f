#include "TestSupport.h"
#include "settings/Resets.h"
#include "settings/SettingsJournal.h"

#include <QFileInfo>
#include <QSettings>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

using namespace td;
using namespace td::test;

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    // Each reset in each language, with each answer: the exact question, and what the answer does.
    void resets_data()
    {
        QTest::addColumn<bool>("position");
        QTest::addColumn<bool>("korean");
        QTest::addColumn<MsgAnswer>("answer");
        QTest::addColumn<QStringList>("question"); // title and text
        // clang-format off
        QTest::newRow("configuration, Korean, OK") << false << true << MsgAnswer::Ok << QStringList{"Daybrook 초기화",
            "Daybrook 환경설정값을 초기화(저장값 삭제)합니다!!!\r[Daybrook의 실행중 오류발생시 사용하기 바랍니다]"};
        QTest::newRow("configuration, English, Cancel") << false << false << MsgAnswer::Cancel
            << QStringList{"Daybrook Configuration Reset", "Daybrook configuration value is initialized(All Value is Deleted)!\r"
                                                           "[Use This Function when Daybrook has error while execution]"};
        QTest::newRow("position, Korean, Cancel") << true << true << MsgAnswer::Cancel << QStringList{"Daybrook 위치 초기화",
            "Daybrook 위치저장값을 초기화합니다!!!\r[Daybrook의 위치를 초기화 합니다]"};
        QTest::newRow("position, English, OK") << true << false << MsgAnswer::Ok << QStringList{"Daybrook Position Correction",
            "Position value of Daybrook is Reset !!!\r[Daybrook Position Initialize]"};
        // clang-format on
    }

    void resets()
    {
        QFETCH(bool, position);
        QFETCH(bool, korean);
        QFETCH(MsgAnswer, answer);
        QFETCH(QStringList, question);
        Fixture f;
        const QMap<QString, QString> before = {{"FDay Color", "255"}, {"Startup Left", "-3000"}, {"Startup Top", "-3000"}};
        f.store.values = before;
        f.boxes.answers.push_back(answer);
        const ResetResult r = position ? resetPosition(f.store, f.boxes, korean) : resetConfiguration(f.store, f.boxes, korean);
        QCOMPARE(f.boxes.shown.size(), 1); // nothing is shown after the question
        const Message& m = f.boxes.shown.first();
        QCOMPARE(m.title, question[0]);
        QCOMPARE(m.text, question[1]);
        QCOMPARE(m.icon, MsgIcon::None);
        QCOMPARE(m.buttons, MsgButtons::OkCancel);
        QCOMPARE(m.defaultButton, MsgAnswer::Ok);
        QCOMPARE(r, answer == MsgAnswer::Ok ? ResetResult::Done : ResetResult::Declined);
        QMap<QString, QString> after = before;
        if (answer == MsgAnswer::Ok && position)
            after["Startup Left"] = after["Startup Top"] = QStringLiteral("100");
        else if (answer == MsgAnswer::Ok)
            after.clear();
        QCOMPARE(f.store.values, after);
    }

    // Values another program wrote by hand read as their text, and what the store
    // saves reads back as saved.
    void storeValuesReadAsText()
    {
        Fixture f;
        const QString path = f.path(QStringLiteral("Daybrook.conf"));
        writeFile(path, "[General]\r\nDaybrook%20BG=elsewhere\r\n[Options]\r\nFDay%20Color=255\r\n"
                        "Daybrook%20BG=/사진/a, b;c.jpg\r\nWeekViewFont=\"a, b\"\r\n");
        QtSettingsStore store(path);
        QCOMPARE(store.get(QStringLiteral("Daybrook BG"), QString()), QStringLiteral("/사진/a, b;c.jpg"));
        QCOMPARE(store.get(QStringLiteral("WeekViewFont"), QString()), QStringLiteral("a, b"));
        QCOMPARE(store.get(QStringLiteral("Startup Left"), QStringLiteral("<missing>")), QStringLiteral("<missing>"));
        const QString saved = QStringLiteral(" @x \"q\" \\ x\t, y;z ");
        QVERIFY(store.save(QStringLiteral("DataSaveDir"), saved));
        QCOMPARE(store.get(QStringLiteral("DataSaveDir"), QString()), saved);
    }

    // Each store is judged by its own write: a reset the disk refuses is reported,
    // an earlier failure or a malformed line elsewhere in the file does not fail
    // the stores that reach the disk, and a reset keeps the other sections.
    void eachStoreJudgedOnItsOwn()
    {
        Fixture f;
        const QString path = f.path(QStringLiteral("Daybrook/Daybrook.conf"));
        QtSettingsStore store(path);
        writeFile(f.path(QStringLiteral("Daybrook")), "a file where the folder belongs");
        QCOMPARE(resetPosition(store, f.boxes, true), ResetResult::Failed); // OK is the default answer
        QCOMPARE(f.boxes.shown.size(), 2);
        QVERIFY(f.boxes.shown[1].text.contains(QStringLiteral("Startup Left")));
        QVERIFY(f.boxes.shown[1].text.contains(QStringLiteral("Startup Top")));
        QVERIFY(QFile::remove(f.path(QStringLiteral("Daybrook"))));
        QVERIFY(store.save(QStringLiteral("DataSaveDir"), QStringLiteral("/plans")));
        QVERIFY(readFile(path).contains("DataSaveDir=/plans"));

        const QByteArray malformedFile("[Other\nx=1\n[Kept]\nKey=yes\n[Options]\nDataSaveDir=/old\n");
        writeFile(path, malformedFile);
        QtSettingsStore malformed(path);
        QVERIFY(malformed.save(QStringLiteral("DataSaveDir"), QStringLiteral("/plans")));
        QVERIFY(readFile(path).contains("DataSaveDir=/plans"));
        writeFile(path, malformedFile);
        QCOMPARE(resetConfiguration(malformed, f.boxes, true), ResetResult::Done);
        QVERIFY(!readFile(path).contains("DataSaveDir"));
        QCOMPARE(QSettings(path, QSettings::IniFormat).value(QStringLiteral("Kept/Key")).toString(), QStringLiteral("yes"));
        writeFile(path, "[Other\nx=1\n");
        QVERIFY(malformed.removeSection()); // nothing to remove is no failure
    }

    // OK-like stores and both resets, each journaled before it writes, are undone newest first,
    // byte for byte, ten deep, never while the journal's lock is held. A reset's question names what goes and that it can come back; a file
    // edited since is left and named; a damaged journal is refused and set aside.
    void settingsWritesAreUndone()
    {
        Fixture f;
        QTemporaryDir state;
        const QString ini = f.path("Daybrook.ini"), conf = f.path("conf/Daybrook.conf"), holidays = f.path("Holiday.dat");
        QtSettingsStore store(conf);
        SettingsJournal journal(f.fs, state.path());
        auto files = [&] {
            QMap<QString, QByteArray> m;
            for (const QString& p : {ini, conf, holidays})
                m.insert(p, QFileInfo::exists(p) ? readFile(p) : QByteArray("absent"));
            return m;
        };
        writeFile(ini, "[Default]\r\nSunColor=255\r\n");
        QVERIFY(store.save("DataSaveDir", "/data/notes/"));
        QList<QMap<QString, QByteArray>> states;
        for (int i = 0; i < 12; ++i) {
            states << files();
            if (i % 3 == 0) {
                QVERIFY(journal.begin("ok", {ini, conf, holidays}).ok);
                writeFile(ini, "[Default]\r\nSunColor=" + QByteArray::number(i) + "\r\n");
                writeFile(holidays, QByteArray::number(i) + "\r\n1/1(S)[New year]\r\n");
                QVERIFY(store.save("FDay Color", QString::number(i)));
                journal.finish();
            } else {
                const auto r = i % 3 == 1 ? resetConfiguration(store, f.boxes, true, &journal)
                                          : resetPosition(store, f.boxes, true, &journal);
                QCOMPARE(r, ResetResult::Done);
            }
        }
        QCOMPARE(f.boxes.shown[0].text,
                 QStringLiteral("Daybrook 환경설정값을 초기화(저장값 삭제)합니다!!!\r[Daybrook의 실행중 오류발생시 사용하기 바랍니다]\r"
                                "지울 값: 설정 저장소의 Options 값 2개 전부 (화면 설정, 주간보기, 창 위치, 데이타 폴더 DataSaveDir = \"/data/notes/\")\r"
                                "기타설정의 \"설정 되돌리기\"로 되돌릴 수 있습니다."));
        QCOMPARE(f.boxes.shown[1].text, QStringLiteral("Daybrook 위치저장값을 초기화합니다!!!\r[Daybrook의 위치를 초기화 합니다]\r"
                                                       "바뀔 값: Startup Left = 없음, Startup Top = 없음 → 100, 100\r"
                                                       "기타설정의 \"설정 되돌리기\"로 되돌릴 수 있습니다."));
        QCOMPARE(journal.files().size(), 10);
        {
            // Another copy's run or undo holding the journal's lock: nothing is touched, the journal stays.
            QProcess holder;
            holder.start(QStringLiteral("/usr/bin/python3"),
                         {QStringLiteral("-c"),
                          QStringLiteral("import fcntl, sys, time; f = open(sys.argv[1], 'a'); fcntl.flock(f, fcntl.LOCK_EX); time.sleep(60)"),
                          state.path() + QStringLiteral("/lock")});
            QVERIFY(holder.waitForStarted());
            QTRY_VERIFY(!JournalLock(state.path()).held());
            const auto killHolder = qScopeGuard([&] {
                holder.kill();
                holder.waitForFinished();
            });
            const auto now = files();
            const SettingsUndo busy = journal.undoLast();
            QVERIFY(busy.status == SettingsUndo::Status::Busy && busy.busy.reason.contains(QStringLiteral("in use")));
            QCOMPARE(files(), now);
            QCOMPARE(journal.files().size(), 10);
        }
        for (int i = 11; i >= 2; --i) {
            const SettingsUndo u = journal.undoLast();
            QVERIFY(u.status == SettingsUndo::Status::Done && u.changedSince.isEmpty() && u.failed.isEmpty());
            QCOMPARE(files(), states[i]);
        }
        QCOMPARE(int(journal.undoLast().status), int(SettingsUndo::Status::NothingToUndo));

        // Edited since the write: left alone and named; the rest is put back.
        QVERIFY(journal.begin("store-now", {ini, conf}).ok);
        writeFile(ini, "[Default]\r\nSunColor=1\r\n");
        QVERIFY(store.save("FDay Color", "1"));
        journal.finish();
        writeFile(ini, "[Default]\r\nSunColor=by hand\r\n");
        QMap<QString, QByteArray> expected = states[2];
        expected[ini] = "[Default]\r\nSunColor=by hand\r\n";
        SettingsUndo u = journal.undoLast();
        QCOMPARE(u.changedSince, QStringList{ini});
        QCOMPARE(u.restored, QStringList{conf});
        QCOMPARE(files(), expected);

        // A journal with one byte changed is refused; nothing is touched.
        QCOMPARE(resetPosition(store, f.boxes, false, &journal), ResetResult::Done);
        const QString file = journal.files().value(0);
        QByteArray bytes = readFile(file);
        bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 1);
        writeFile(file, bytes);
        expected = files();
        // The rename aside failing is told, not reported as done.
        f.fs.failRenameAt = f.fs.renames + 1;
        u = journal.undoLast();
        QVERIFY(SettingsMessages::undone(true, u).endsWith(file + ".refused 로 옮기지 못했습니다 (injected rename failure)."));
        QCOMPARE(files(), expected);
        u = journal.undoLast();
        QVERIFY(u.status == SettingsUndo::Status::Refused && u.problem == JournalProblem::Damaged);
        QCOMPARE(files(), expected);
        QCOMPARE(readFile(file + ".refused"), bytes);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
