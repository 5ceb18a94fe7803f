#include "TestSupport.h"

#include "platform/Cp949.h"
#include "platform/ProfileFile.h"

#include <QDir>
#include <QFile>
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
        QTest::addColumn<QString>("expected");   // default is "dflt"

        const QByteArray base("[Main]\r\nColor=255\r\n");
        QTest::newRow("exact") << base << "Main" << "Color" << "255";
        QTest::newRow("section case") << base << "MAIN" << "Color" << "255";
        QTest::newRow("key case") << base << "Main" << "cOLOR" << "255";
        QTest::newRow("caller names trimmed of spaces") << base << "  Main " << " Color  " << "255";
        QTest::newRow("caller tab is part of the name") << base << "Main\t" << "Color" << "dflt";
        QTest::newRow("header trimmed") << QByteArray("  [ \tMain  ]\r\nColor=1\r\n") << "Main" << "Color" << "1";
        QTest::newRow("header rest ignored") << QByteArray("[Main] trailing words\r\nColor=2\r\n") << "Main" << "Color" << "2";
        QTest::newRow("header without bracket") << QByteArray("[Main\r\nColor=3\r\n") << "Main" << "Color" << "3";
        QTest::newRow("key and value trimmed") << QByteArray("[Main]\r\n \tColor \t=\t 4 5 \t\r\n") << "Main" << "Color" << "4 5";
        QTest::newRow("more = in value") << QByteArray("[Main]\r\nColor=a=b\r\n") << "Main" << "Color" << "a=b";
        QTest::newRow("double quotes") << QByteArray("[Main]\r\nName=\" Arial \"\r\n") << "Main" << "Name" << " Arial ";
        QTest::newRow("single quotes") << QByteArray("[Main]\r\nName='x'\r\n") << "Main" << "Name" << "x";
        QTest::newRow("one pair only") << QByteArray("[Main]\r\nName=\"\"x\"\"\r\n") << "Main" << "Name" << "\"x\"";
        QTest::newRow("unmatched quotes kept") << QByteArray("[Main]\r\nName=\"x'\r\n") << "Main" << "Name" << "\"x'";
        QTest::newRow("lone quote kept") << QByteArray("[Main]\r\nName=\"\r\n") << "Main" << "Name" << "\"";
        QTest::newRow("comment line") << QByteArray("[Main]\r\n  ;Color=5\r\n") << "Main" << "Color" << "dflt";
        QTest::newRow("semicolon inside value") << QByteArray("[Main]\r\nColor=5 ;note\r\n") << "Main" << "Color" << "5 ;note";
        QTest::newRow("hash is a key") << QByteArray("[Main]\r\n#Color=6\r\n") << "Main" << "#Color" << "6";
        QTest::newRow("line without =") << QByteArray("[Main]\r\nColor\r\n") << "Main" << "Color" << "dflt";
        QTest::newRow("before first header") << QByteArray("Color=7\r\n[Main]\r\n") << "Main" << "Color" << "dflt";
        QTest::newRow("first section wins")
            << QByteArray("[Main]\r\nA=1\r\n[main]\r\nA=2\r\nB=3\r\n") << "MAIN" << "B" << "dflt";
        QTest::newRow("first key wins") << QByteArray("[Main]\r\nA=1\r\na=2\r\n") << "Main" << "A" << "1";
        QTest::newRow("empty value") << QByteArray("[Main]\r\nA=\r\n") << "Main" << "A" << "";
        QTest::newRow("cr only lines") << QByteArray("[Main]\rA=8\rB=9") << "Main" << "B" << "9";
        QTest::newRow("lf only lines") << QByteArray("[Main]\nA=8\nB=10\n") << "Main" << "B" << "10";
        QTest::newRow("byte order mark hides the first header")
            << QByteArray("\xEF\xBB\xBF[Main]\r\nA=1\r\n") << "Main" << "A" << "dflt";
        QTest::newRow("missing section") << base << "Other" << "Color" << "dflt";
        QTest::newRow("missing key") << base << "Main" << "Other" << "dflt";
        // The trail byte of 똠 (8C 63) is a lower-case "c": it must not match "C".
        QTest::newRow("trail byte is not folded")
            << (cp949(QStringLiteral("[똠]")) + "\r\nA=1\r\n") << Cp949::decode("\x8C\x43") << "A" << "dflt";
        QTest::newRow("korean section")
            << (cp949(QStringLiteral("[사용자정의 1]\r\n글꼴=굴림,9\r\n"))) << QStringLiteral("사용자정의 1")
            << QStringLiteral("글꼴") << QStringLiteral("굴림,9");
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

    void defaultLosesTrailingSpacesOnly()
    {
        Fixture fx;
        ProfileFile pf(fx.fs);
        QCOMPARE(pf.read(fx.path("none.ini"), "S", "K", QStringLiteral("  a b  ")), QStringLiteral("  a b"));
        QCOMPARE(pf.read(fx.path("none.ini"), "S", "K"), QString());
        QCOMPARE(pf.read(fx.path("no folder/none.ini"), "S", "K", "x"), QStringLiteral("x"));
    }

    void bufferCut_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("bufferSize");
        QTest::addColumn<QString>("expected");
        const QString korean40 = QString(40, QChar(0xAC00));       // 가 x 40 = 80 bytes
        const QString mixed = QStringLiteral("a") + QString(29, QChar(0xAC00));   // 59 bytes
        QTest::newRow("korean cut before a split character") << korean40 << 60 << QString(29, QChar(0xAC00));
        QTest::newRow("odd start ends exactly at 59") << mixed + QStringLiteral("나") << 60 << mixed;
        QTest::newRow("ascii 70 gives 59") << QString(70, QLatin1Char('x')) << 60 << QString(59, QLatin1Char('x'));
        QTest::newRow("59 ascii whole") << QString(59, QLatin1Char('y')) << 60 << QString(59, QLatin1Char('y'));
        QTest::newRow("whole when unlimited") << korean40 << 0 << korean40;
        QTest::newRow("buffer of one") << QStringLiteral("abc") << 1 << QString();
        QTest::newRow("extension syllables") << QString(31, QChar(0xB620)) << 60 << QString(29, QChar(0xB620));
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

    void rewriteInPlaceKeepsEveryOtherByte()
    {
        Fixture fx;
        const QByteArray before("; Daybrook settings\r\n"
                                "stray line\r\n"
                                "[Other]\r\n"
                                "SunColor=1\r\n"
                                "\r\n"
                                "[Main]   ; note\r\n"
                                "  SUNcolor = 255  \r\n"
                                "sunColor=999\r\n"
                                "; the end\r\n"
                                "\tWeird line\n"
                                "Tail=x");
        writeFile(fx.path("t.ini"), before);
        ProfileFile pf(fx.fs);
        QVERIFY(pf.write(fx.path("t.ini"), "main", "SunColor", "16711680").ok);
        const QByteArray after("; Daybrook settings\r\n"
                               "stray line\r\n"
                               "[Other]\r\n"
                               "SunColor=1\r\n"
                               "\r\n"
                               "[Main]   ; note\r\n"
                               "SUNcolor=16711680\r\n"
                               "sunColor=999\r\n"
                               "; the end\r\n"
                               "\tWeird line\n"
                               "Tail=x");
        QCOMPARE(readFile(fx.path("t.ini")), after);
        // The last line keeps its missing line end when it is the one rewritten.
        QVERIFY(pf.write(fx.path("t.ini"), "Main", "tail", "y").ok);
        QCOMPARE(readFile(fx.path("t.ini")), QByteArray(after).replace("Tail=x", "Tail=y"));
    }

    void newKeyAndSectionPlacement_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("after the last key, before comments and blanks")
            << QByteArray("[A]\r\nx=1\r\n; c\r\ny=2\r\n\r\n; trailing\r\n\r\n[B]\r\nz=3\r\n") << "a"
            << QByteArray("[A]\r\nx=1\r\n; c\r\ny=2\r\nNew=v\r\n\r\n; trailing\r\n\r\n[B]\r\nz=3\r\n");
        QTest::newRow("section with no keys: after its header")
            << QByteArray("[A]\r\n; c\r\n\r\n[B]\r\n") << "A"
            << QByteArray("[A]\r\nNew=v\r\n; c\r\n\r\n[B]\r\n");
        QTest::newRow("last line without line end")
            << QByteArray("[A]\r\nx=1") << "A" << QByteArray("[A]\r\nx=1\r\nNew=v\r\n");
        QTest::newRow("duplicate section: the first one")
            << QByteArray("[A]\r\nx=1\r\n[A]\r\ny=2\r\n") << "A" << QByteArray("[A]\r\nx=1\r\nNew=v\r\n[A]\r\ny=2\r\n");
        QTest::newRow("new section at the end")
            << QByteArray("[A]\r\nx=1\r\n\r\n") << " C " << QByteArray("[A]\r\nx=1\r\n\r\n[C]\r\nNew=v\r\n");
        QTest::newRow("new section after a file without final line end")
            << QByteArray("[A]\r\nx=1") << "C" << QByteArray("[A]\r\nx=1\r\n[C]\r\nNew=v\r\n");
        QTest::newRow("new section after a cr-only end")
            << QByteArray("[A]\rx=1\r") << "C" << QByteArray("[A]\rx=1\r[C]\r\nNew=v\r\n");
        QTest::newRow("empty file") << QByteArray() << "C" << QByteArray("[C]\r\nNew=v\r\n");
        QTest::newRow("only lines before any header")
            << QByteArray("; hello") << "C" << QByteArray("; hello\r\n[C]\r\nNew=v\r\n");
    }
    void newKeyAndSectionPlacement()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QByteArray, after);
        Fixture fx;
        writeFile(fx.path("t.ini"), before);
        ProfileFile pf(fx.fs);
        QVERIFY(pf.write(fx.path("t.ini"), section, " New ", "v").ok);
        QCOMPARE(readFile(fx.path("t.ini")), after);
    }

    void missingFileIsCreatedMissingFolderIsNot()
    {
        Fixture fx;
        ProfileFile pf(fx.fs);
        QCOMPARE(pf.read(fx.path("t.ini"), "S", "K", "d"), QStringLiteral("d"));
        QVERIFY(pf.write(fx.path("t.ini"), "S", "K", " v ").ok);
        QCOMPARE(readFile(fx.path("t.ini")), QByteArray("[S]\r\nK= v \r\n"));
        QCOMPARE(pf.read(fx.path("t.ini"), "S", "K"), QStringLiteral("v"));   // read back trimmed

        const IoStatus st = pf.write(fx.path("no such folder/t.ini"), "S", "K", "v");
        QVERIFY(!st.ok);
        QVERIFY(!QDir(fx.path("no such folder")).exists());
    }

    void cp949RoundTrip()
    {
        Fixture fx;
        ProfileFile pf(fx.fs);
        const QString section = QStringLiteral("사용자정의 1");
        const QString key = QStringLiteral("제목");
        const QString value = QStringLiteral("똠방각하 햏 Arial,10");
        QVERIFY(pf.write(fx.path("t.ini"), section, key, value).ok);
        const QByteArray bytes = readFile(fx.path("t.ini"));
        QCOMPARE(bytes, cp949("[" + section + "]") + "\r\n" + cp949(key + "=" + value) + "\r\n");
        QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
        QCOMPARE(pf.read(fx.path("t.ini"), section, key, {}, 0), value);

        // Stray bytes of a foreign file survive a rewrite of another key.
        const QByteArray stray("[S]\r\nOdd=\x81\xFF\x80z\r\n");
        writeFile(fx.path("u.ini"), stray);
        const QString odd = pf.read(fx.path("u.ini"), "S", "Odd");
        QVERIFY(pf.write(fx.path("u.ini"), "S", "Odd", odd).ok);
        QCOMPARE(readFile(fx.path("u.ini")), stray);
    }

    void refusesWhatWouldBreakTheFile_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("reasonPart");
        QTest::newRow("cr in value") << "S" << "K" << "a\rb" << "line break";
        QTest::newRow("lf in value") << "S" << "K" << "a\nb" << "line break";
        QTest::newRow("lf in key") << "S" << "K\nX" << "v" << "line break";
        QTest::newRow("cr in section") << "S\r" << "K" << "v" << "line break";
        QTest::newRow("emoji in value") << "S" << "K" << QStringLiteral("파티🎉") << QStringLiteral("🎉");
        QTest::newRow("thai in key") << "S" << QStringLiteral("กK") << "v" << QStringLiteral("ก");
        QTest::newRow("bracket in section") << "S]x" << "K" << "v" << "]";
        QTest::newRow("= in key") << "S" << "a=b" << "v" << "a=b";
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
        const IoStatus st = pf.writeMany(fx.path("t.ini"), "S", {{"Fine", "1"}});
        QVERIFY(st.ok);
        const QByteArray good = readFile(fx.path("t.ini"));
        const int writes = fx.fs.writes;
        const IoStatus refused = pf.writeAll(fx.path("t.ini"), {{"S", "Other", "2"}, {section, key, value}});
        QVERIFY(!refused.ok);
        QVERIFY2(refused.reason.contains(reasonPart), qPrintable(refused.reason));
        QCOMPARE(fx.fs.writes, writes);   // nothing written, not even the good pair before it
        QCOMPARE(readFile(fx.path("t.ini")), good);
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
                 QByteArray("; top\r\n[Main]\r\nA=") + cp949(QStringLiteral("한글"))
                     + "\r\nNew1=z\r\nB=y\r\nC=\r\n; keep\r\n\r\n[Other]\r\nB=2");
    }

    void failuresLeaveTheFileAlone()
    {
        Fixture fx;
        const QByteArray before("[S]\r\nK=old\r\n");
        writeFile(fx.path("t.ini"), before);
        ProfileFile pf(fx.fs);

        fx.fs.failWriteAt = fx.fs.writes + 1;
        IoStatus st = pf.write(fx.path("t.ini"), "S", "K", "new");
        QVERIFY(!st.ok);
        QCOMPARE(st.path, fx.path("t.ini"));
        QCOMPARE(readFile(fx.path("t.ini")), before);

        // A file that exists but cannot be read is never replaced by a fresh one.
        fx.fs.failReadAt = fx.fs.reads + 1;
        st = pf.write(fx.path("t.ini"), "S", "Other", "new");
        QVERIFY(!st.ok);
        QCOMPARE(readFile(fx.path("t.ini")), before);
        QCOMPARE(pf.read(fx.path("t.ini"), "S", "K"), QStringLiteral("old"));
    }
};

QTEST_GUILESS_MAIN(TestProfile)
#include "tst_profile.moc"
