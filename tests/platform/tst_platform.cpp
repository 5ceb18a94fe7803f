#include "TestSupport.h"

#include "platform/CommonDialog.h"
#include "platform/Cp949.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"

#include <QFile>
#include <QTest>

using namespace td;
using namespace td::test;

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    void cp949RoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii") << QStringLiteral("Arial,10") << QByteArray("Arial,10");
        QTest::newRow("hangul") << QStringLiteral("가") << QByteArray("\xB0\xA1");
        // Extension syllables exist only in the Windows code page.
        QTest::newRow("extension syllable") << QStringLiteral("똠") << QByteArray("\x8C\x63");
        QTest::newRow("mixed") << QStringLiteral("설정 1(어두운배경, 수직표시)")
                               << QByteArray("\xBC\xB3\xC1\xA4 1(\xBE\xEE\xB5\xCE\xBF\xEE\xB9\xE8\xB0\xE6, "
                                             "\xBC\xF6\xC1\xF7\xC7\xA5\xBD\xC3)");
        QTest::newRow("nul kept") << QString(QChar(0)) << QByteArray(1, '\0');
    }
    void cp949RoundTrip()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        const Cp949::Encoded e = Cp949::encode(text);
        QVERIFY(e.ok());
        QCOMPARE(e.bytes, bytes);
        bool clean = false;
        QCOMPARE(Cp949::decode(bytes, &clean), text);
        QVERIFY(clean);
    }

    void cp949RefusesWhatItCannotHold_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("bad");
        QTest::newRow("emoji") << QStringLiteral("a😀b") << QStringLiteral("😀");
        QTest::newRow("thai") << QStringLiteral("xก") << QStringLiteral("ก");
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QString(QChar(0xD800));
    }
    void cp949RefusesWhatItCannotHold()
    {
        QFETCH(QString, text);
        QFETCH(QString, bad);
        const Cp949::Encoded e = Cp949::encode(text);
        QVERIFY(!e.ok());
        QCOMPARE(e.badCharacter, bad);
        QVERIFY(e.bytes.isEmpty());   // never a "?" in its place
    }

    void cp949KeepsStrayBytes()
    {
        // A lone lead byte, an invalid pair and a high byte at the end survive a round trip.
        const QByteArray raw("ok\x81\xFF\x80\xB0\xA1\xC8", 8);
        bool clean = true;
        const QString text = Cp949::decode(raw, &clean);
        QVERIFY(!clean);
        QVERIFY(text.startsWith(QStringLiteral("ok")));
        QVERIFY(text.contains(QStringLiteral("가")));
        QCOMPARE(Cp949::encode(text).bytes, raw);
    }

    void splitCrLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::newRow("crlf") << QByteArray("A\r\nB\r\n") << QList<QByteArray>{"A", "B"};
        QTest::newRow("lone lf stays") << QByteArray("A\nB\r\n") << QList<QByteArray>{"A\nB"};
        QTest::newRow("cr only") << QByteArray("A\rB") << QList<QByteArray>{"A", "B"};
        QTest::newRow("empty lines") << QByteArray("\r\n\r\nA\r\n") << QList<QByteArray>{"", "", "A"};
        QTest::newRow("empty file") << QByteArray() << QList<QByteArray>{};
        QTest::newRow("no final line end") << QByteArray("A\r\nB") << QList<QByteArray>{"A", "B"};
    }
    void splitCrLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<QByteArray>, lines);
        QCOMPARE(td::splitCrLines(bytes), lines);
    }

    void atomicWriteReplacesWholeFile_data()
    {
        QTest::addColumn<int>("durability");
        QTest::newRow("synced") << int(Durability::Synced);
        QTest::newRow("deferred") << int(Durability::Deferred);
    }
    void atomicWriteReplacesWholeFile()
    {
        QFETCH(int, durability);
        Fixture fx;
        const QString p = fx.path(QStringLiteral("f.txt"));
        writeFile(p, QByteArray(1000, 'x'));
        QVERIFY(fx.fs.writeAtomic(p, "short", Durability(durability)).ok);
        QCOMPARE(readFile(p), QByteArray("short"));
        // No temporary file left behind.
        QCOMPARE(QDir(fx.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void writeIntoMissingFolderFailsWithPath()
    {
        Fixture fx;
        const QString p = fx.path(QStringLiteral("nofolder/f.txt"));
        for (Durability d : {Durability::Synced, Durability::Deferred}) {
            const IoStatus st = fx.fs.writeAtomic(p, "x", d);
            QVERIFY(!st.ok);
            QCOMPARE(st.path, p);
            QVERIFY(!st.reason.isEmpty());
        }
    }

    void makeDirCreatesOneLevelOnly()
    {
        Fixture fx;
        QVERIFY(fx.fs.makeDir(fx.path(QStringLiteral("a"))).ok);
        QVERIFY(fx.fs.makeDir(fx.path(QStringLiteral("a"))).ok);   // existing: fine
        QVERIFY(!fx.fs.makeDir(fx.path(QStringLiteral("b/c"))).ok);
        QVERIFY(!QFileInfo::exists(fx.path(QStringLiteral("b"))));
    }

    void fileExistsIsExactAndSkipsHidden()
    {
        Fixture fx;
        writeFile(fx.path(QStringLiteral("2004_3.5")), "x");
        writeFile(fx.path(QStringLiteral(".hidden")), "x");
        QVERIFY(fx.fs.fileExists(fx.path(QStringLiteral("2004_3.5"))));
        QVERIFY(!fx.fs.fileExists(fx.path(QStringLiteral("2004_3.50"))));
        QVERIFY(!fx.fs.fileExists(fx.path(QStringLiteral(".hidden"))));
        QVERIFY(!fx.fs.fileExists(fx.dir.path()));   // a folder is not a file
        QVERIFY(!fx.fs.remove(fx.path(QStringLiteral("missing"))).ok);
    }

    void messageTextKeepsLoneCr()
    {
        QCOMPARE(displayText(QStringLiteral("a\rb")), QStringLiteral("a\nb"));
        QCOMPARE(displayText(QStringLiteral("a\r\nb")), QStringLiteral("a\nb"));
    }

    void commonDialogFilter_data()
    {
        QTest::addColumn<QString>("common");
        QTest::addColumn<QString>("qt");
        QTest::newRow("pictures") << QStringLiteral("Supported Picture Files(*.jpg,*.bmp,*.gif)|*.jpg;*.bmp;*.gif|")
                                  << QStringLiteral("Supported Picture Files(*.jpg,*.bmp,*.gif) (*.jpg *.bmp *.gif)");
        QTest::newRow("two") << QStringLiteral("A|*.a|B|*.b|") << QStringLiteral("A (*.a);;B (*.b)");
        QTest::newRow("empty") << QString() << QString();
    }
    void commonDialogFilter()
    {
        QFETCH(QString, common);
        QFETCH(QString, qt);
        QCOMPARE(qtFilterFromCommon(common), qt);
    }

};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
