#include "TestSupport.h"

#include "platform/Cp949.h"
#include "platform/ProfileFile.h"

#include <QDir>
#include <QTest>

using namespace td;
using namespace td::test;

class TestProfile : public QObject {
    Q_OBJECT
private slots:
    void lookup_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected"); // default is "dflt"
        const QByteArray base("[Main]\r\nColor=255\r\n");
        // clang-format off
        QTest::newRow("case folded") << base << "MAIN" << "cOLOR" << "255";
        QTest::newRow("caller names trimmed of spaces") << base << "  Main " << " Color  " << "255";
        QTest::newRow("caller tab is part of the name") << base << "Main\t" << "Color" << "dflt";
        QTest::newRow("header trimmed, rest ignored") << QByteArray("  [ \tMain  ] words\r\nColor=1\r\n") << "Main" << "Color" << "1";
        QTest::newRow("header without bracket") << QByteArray("[Main\r\nColor=3\r\n") << "Main" << "Color" << "3";
        QTest::newRow("key and value trimmed") << QByteArray("[Main]\r\n \tColor \t=\t 4 5 \t\r\n") << "Main" << "Color" << "4 5";
        QTest::newRow("double quotes") << QByteArray("[Main]\r\nName=\" Arial \"\r\n") << "Main" << "Name" << " Arial ";
        QTest::newRow("one pair only") << QByteArray("[Main]\r\nName=\"\"x\"\"\r\n") << "Main" << "Name" << "\"x\"";
        QTest::newRow("unmatched quotes kept") << QByteArray("[Main]\r\nName=\"x'\r\n") << "Main" << "Name" << "\"x'";
        QTest::newRow("comment line") << QByteArray("[Main]\r\n  ;Color=5\r\n") << "Main" << "Color" << "dflt";
        QTest::newRow("semicolon inside value") << QByteArray("[Main]\r\nColor=5 ;note\r\n") << "Main" << "Color" << "5 ;note";
        QTest::newRow("before first header") << QByteArray("Color=7\r\n[Main]\r\n") << "Main" << "Color" << "dflt";
        QTest::newRow("first section wins") << QByteArray("[Main]\r\nA=1\r\n[main]\r\nB=3\r\n") << "MAIN" << "B" << "dflt";
        QTest::newRow("first key wins") << QByteArray("[Main]\r\nA=1\r\na=2\r\n") << "Main" << "A" << "1";
        QTest::newRow("cr only lines") << QByteArray("[Main]\rA=8\rB=9") << "Main" << "B" << "9";
        QTest::newRow("byte order mark hides the first header") << QByteArray("\xEF\xBB\xBF[Main]\r\nA=1\r\n") << "Main" << "A" << "dflt";
        // clang-format on
        // The trail byte of 똠 (8C 63) is a lower-case "c": it must not match "C".
        // clang-format off
        QTest::newRow("trail byte is not folded")
            << (cp949(QStringLiteral("[똠]")) + "\r\nA=1\r\n") << Cp949::decode("\x8C\x43") << "A" << "dflt";
        // clang-format on
    }
    void lookup()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        Fixture fx;
        writeFile(fx.path("t.ini"), file);
        ProfileFile pf(fx.fs);
        QCOMPARE(pf.read(fx.path("t.ini"), section, key, QStringLiteral("dflt")), expected);
        // One snapshot gives the same answer as a read of its own.
        ProfileDocument doc;
        QVERIFY(pf.load(fx.path("t.ini"), doc).ok);
        QCOMPARE(ProfileFile::readFrom(doc, section, key, QStringLiteral("dflt")), expected);
    }

    void bufferCut_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("bufferSize");
        QTest::addColumn<QString>("expected");
        const QString korean40 = QString(40, QChar(0xAC00));                    // 80 bytes
        const QString mixed = QStringLiteral("a") + QString(29, QChar(0xAC00)); // 59 bytes
        QTest::newRow("korean cut before a split character") << korean40 << 60 << QString(29, QChar(0xAC00));
        QTest::newRow("odd start ends exactly at 59") << mixed + QStringLiteral("나") << 60 << mixed;
        QTest::newRow("ascii 70 gives 59") << QString(70, QLatin1Char('x')) << 60 << QString(59, QLatin1Char('x'));
        QTest::newRow("buffer of one") << QStringLiteral("abc") << 1 << QString();
    }
    void bufferCut()
    {
        QFETCH(QString, value);
        QFETCH(int, bufferSize);
        QFETCH(QString, expected);
        Fixture fx;
        ProfileFile pf(fx.fs);
        QVERIFY(pf.write(fx.path("t.ini"), "S", "K", value).ok);
        QCOMPARE(pf.read(fx.path("t.ini"), "S", "K", QString(), bufferSize), expected);
        // The default goes through the same buffer.
        QCOMPARE(pf.read(fx.path("t.ini"), "S", "Missing", value, bufferSize), expected);
    }

    // Every write changes one place of the file and leaves every other byte as it was.
    void write_data()
    {
        QTest::addColumn<QByteArray>("before"); // null: no file
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        const QByteArray big("; Daybrook settings\r\nstray line\r\n[Other]\r\nSunColor=1\r\n\r\n[Main]   ; note\r\n"
                             "  SUNcolor = 255  \r\nsunColor=999\r\n; the end\r\n\tWeird line\nTail=x");
        // clang-format off
        QTest::newRow("in place, first of two") << big << "main" << "SunColor" << "16711680"
                                                << QByteArray(big).replace("  SUNcolor = 255  ", "SUNcolor=16711680");
        QTest::newRow("last line keeps its missing end") << big << "Main" << "tail" << "y" << QByteArray(big).replace("Tail=x", "Tail=y");
        QTest::newRow("after the last key, before comments and blanks")
            << QByteArray("[A]\r\nx=1\r\n; c\r\ny=2\r\n\r\n; trailing\r\n\r\n[B]\r\nz=3\r\n") << "a" << " New " << "v"
            << QByteArray("[A]\r\nx=1\r\n; c\r\ny=2\r\nNew=v\r\n\r\n; trailing\r\n\r\n[B]\r\nz=3\r\n");
        QTest::newRow("section with no keys: after its header")
            << QByteArray("[A]\r\n; c\r\n\r\n[B]\r\n") << "A" << "New" << "v" << QByteArray("[A]\r\nNew=v\r\n; c\r\n\r\n[B]\r\n");
        QTest::newRow("new key after an unended line") << QByteArray("[A]\r\nx=1") << "A" << "New" << "v"
                                                       << QByteArray("[A]\r\nx=1\r\nNew=v\r\n");
        QTest::newRow("duplicate section: the first one") << QByteArray("[A]\r\nx=1\r\n[A]\r\ny=2\r\n") << "A" << "New" << "v"
                                                          << QByteArray("[A]\r\nx=1\r\nNew=v\r\n[A]\r\ny=2\r\n");
        QTest::newRow("new section at the end") << QByteArray("[A]\r\nx=1\r\n\r\n") << " C " << "New" << "v"
                                                << QByteArray("[A]\r\nx=1\r\n\r\n[C]\r\nNew=v\r\n");
        QTest::newRow("new section after a cr-only end") << QByteArray("[A]\rx=1\r") << "C" << "New" << "v"
                                                         << QByteArray("[A]\rx=1\r[C]\r\nNew=v\r\n");
        QTest::newRow("no file: created, value as given") << QByteArray() << "S" << "K" << " v " << QByteArray("[S]\r\nK= v \r\n");
        QTest::newRow("korean, no byte order mark")
            << QByteArray() << QStringLiteral("사용자정의 1") << QStringLiteral("제목") << QStringLiteral("똠방각하 햏 Arial,10")
            << cp949(QStringLiteral("[사용자정의 1]\r\n제목=똠방각하 햏 Arial,10\r\n"));
        // clang-format on
    }
    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        Fixture fx;
        if (!before.isNull())
            writeFile(fx.path("t.ini"), before);
        ProfileFile pf(fx.fs);
        QVERIFY(pf.write(fx.path("t.ini"), section, key, value).ok);
        QCOMPARE(readFile(fx.path("t.ini")), after);
        QCOMPARE(pf.read(fx.path("t.ini"), section, key, {}, 0), value.trimmed());
    }

    void strayBytesSurviveARewrite()
    {
        Fixture fx;
        const QByteArray stray("[S]\r\nOdd=\x81\xFF\x80z\r\n");
        writeFile(fx.path("u.ini"), stray);
        ProfileFile pf(fx.fs);
        QVERIFY(pf.write(fx.path("u.ini"), "S", "Odd", pf.read(fx.path("u.ini"), "S", "Odd")).ok);
        QCOMPARE(readFile(fx.path("u.ini")), stray);
        // The default loses its trailing spaces only.
        QCOMPARE(pf.read(fx.path("none.ini"), "S", "K", QStringLiteral("  a b  ")), QStringLiteral("  a b"));
    }

    // A name or value that could not stand in the file, or would not read back, is
    // refused before anything is written.
    void refusesWhatWouldBreakTheFile_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("reasonPart");
        // clang-format off
        QTest::newRow("cr in value") << "S" << "K" << "a\rb" << "line break";
        QTest::newRow("lf in key") << "S" << "K\nX" << "v" << "line break";
        QTest::newRow("emoji in value") << "S" << "K" << QStringLiteral("파티🎉") << QStringLiteral("🎉");
        QTest::newRow("bracket in section") << "S]x" << "K" << "v" << "]";
        QTest::newRow("= in key") << "S" << "a=b" << "v" << "a=b";
        QTest::newRow("tab after the section") << "S\t" << "K" << "v" << "tab";
        QTest::newRow("tab before the key") << "S" << "\tK" << "v" << "cannot be a key";
        QTest::newRow("key line made a header") << "S" << "\t[K" << "v" << "cannot be a key";
        // clang-format on
    }
    void refusesWhatWouldBreakTheFile()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, reasonPart);
        Fixture fx;
        const QByteArray before("[S]\r\nK=old\r\n");
        writeFile(fx.path("t.ini"), before);
        ProfileFile pf(fx.fs);
        const IoStatus refused = pf.writeAll(fx.path("t.ini"), {{"S", "Other", "2"}, {section, key, value}});
        QVERIFY(!refused.ok);
        QVERIFY2(refused.reason.contains(reasonPart), qPrintable(refused.reason));
        QCOMPARE(fx.fs.writes, 0); // nothing written, not even the good pair before it
        QCOMPARE(readFile(fx.path("t.ini")), before);
    }

    void writeManyMatchesKeyByKey()
    {
        Fixture fx;
        const QByteArray start("; top\r\n[Main]\r\nA=1\r\n; keep\r\n\r\n[Other]\r\nB=2");
        writeFile(fx.path("one.ini"), start);
        writeFile(fx.path("many.ini"), start);
        const QList<QPair<QString, QString>> pairs{
            {"a", "10"}, {"New1", "x"}, {"B", "y"}, {"new1", "z"}, {"A", QStringLiteral("한글")}, {"C", ""}};
        ProfileFile pf(fx.fs);
        for (const auto& kv : pairs)
            QVERIFY(pf.write(fx.path("one.ini"), "Main", kv.first, kv.second).ok);
        const int writes = fx.fs.writes;
        QVERIFY(pf.writeMany(fx.path("many.ini"), "Main", pairs).ok);
        QCOMPARE(fx.fs.writes, writes + 1);
        QCOMPARE(readFile(fx.path("many.ini")), readFile(fx.path("one.ini")));
        QCOMPARE(readFile(fx.path("many.ini")),
                 "; top\r\n[Main]\r\nA=" + cp949(QStringLiteral("한글")) + "\r\nNew1=z\r\nB=y\r\nC=\r\n; keep\r\n\r\n[Other]\r\nB=2");
    }

    void failuresLeaveTheFileAlone()
    {
        Fixture fx;
        const QByteArray before("[S]\r\nK=old\r\n");
        writeFile(fx.path("t.ini"), before);
        ProfileFile pf(fx.fs);
        fx.fs.failWriteAt = fx.fs.writes + 1;
        const IoStatus st = pf.write(fx.path("t.ini"), "S", "K", "new");
        QVERIFY(!st.ok);
        QCOMPARE(st.path, fx.path("t.ini"));
        QCOMPARE(readFile(fx.path("t.ini")), before);
        // A file that exists but cannot be read is never replaced by a fresh one.
        fx.fs.failReadAt = fx.fs.reads + 1;
        QVERIFY(!pf.write(fx.path("t.ini"), "S", "Other", "new").ok);
        QCOMPARE(readFile(fx.path("t.ini")), before);
        QCOMPARE(pf.read(fx.path("t.ini"), "S", "K"), QStringLiteral("old"));
        // A missing folder is not made.
        QVERIFY(!pf.write(fx.path("no such folder/t.ini"), "S", "K", "v").ok);
        QVERIFY(!QDir(fx.path("no such folder")).exists());
    }
};

QTEST_GUILESS_MAIN(TestProfile)
#include "tst_profile.moc"
