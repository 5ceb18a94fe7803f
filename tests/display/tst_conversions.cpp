#include "display/Conversions.h"

#include <QTest>

using namespace td;

using OptInt = std::optional<qint64>;
Q_DECLARE_METATYPE(OptInt)

namespace {
OptInt none() { return std::nullopt; }
OptInt some(qint64 v) { return v; }
} // namespace

class TestConversions : public QObject {
    Q_OBJECT
private slots:
    void toColour_data();
    void toColour();
    void toSmallInteger_data();
    void toSmallInteger();
    void wholePart_data();
    void wholePart();
    void fontSize_data();
    void fontSize();
    void fontFace();
    void shortenedPath_data();
    void shortenedPath();
};

void TestConversions::toColour_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<OptInt>("expected");
    QTest::newRow("plain") << "255" << some(255);
    QTest::newRow("half to even, down") << "2.5" << some(2);
    QTest::newRow("half to even, up") << "3.5" << some(4);
    QTest::newRow("above half") << "2.51" << some(3);
    QTest::newRow("exponent") << "1e3" << some(1000);
    QTest::newRow("blanks") << "  8421631 " << some(8421631);
    QTest::newRow("white") << "16777215" << some(16777215);
    QTest::newRow("beyond RGB") << "16777216" << none();
    QTest::newRow("minus one is no colour") << "-1" << none();
    QTest::newRow("system colour 4") << "-2147483644" << some(-2147483644LL);
    QTest::newRow("system colour 8") << "-2147483640" << some(-2147483640LL);
    QTest::newRow("system colour 24") << "-2147483624" << some(-2147483624LL);
    QTest::newRow("system colour 25") << "-2147483623" << none();
    QTest::newRow("below 32 bits") << "-2147483649" << none();
    QTest::newRow("above 32 bits") << "4294967296" << none();
    QTest::newRow("empty") << "" << none();
    QTest::newRow("letters") << "abc" << none();
    QTest::newRow("trailing letters") << "12px" << none();
    QTest::newRow("comma") << "1,5" << none();
    QTest::newRow("infinity") << "inf" << none();
    QTest::newRow("huge exponent") << "1e400" << none();
}

void TestConversions::toColour()
{
    QFETCH(QString, text);
    QFETCH(OptInt, expected);
    const auto got = conv::toColour(text);
    QCOMPARE(got.has_value(), expected.has_value());
    if (got)
        QCOMPARE(qint64(*got), *expected);
}

void TestConversions::toSmallInteger_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<OptInt>("expected");
    QTest::newRow("zero") << "0" << some(0);
    QTest::newRow("negative") << "-200" << some(-200);
    QTest::newRow("half to even") << "2.5" << some(2);
    QTest::newRow("negative half") << "-2.5" << some(-2);
    QTest::newRow("minus one") << "-1" << some(-1);
    QTest::newRow("exponent") << "1e3" << some(1000);
    QTest::newRow("upper edge") << "32767" << some(32767);
    QTest::newRow("out of range") << "32768" << none();
    QTest::newRow("lower edge") << "-32768" << some(-32768);
    QTest::newRow("below range") << "-32769" << none();
    QTest::newRow("empty") << "" << none();
    QTest::newRow("letters") << "abc" << none();
}

void TestConversions::toSmallInteger()
{
    QFETCH(QString, text);
    QFETCH(OptInt, expected);
    const auto got = conv::toSmallInteger(text);
    QCOMPARE(got.has_value(), expected.has_value());
    if (got)
        QCOMPARE(qint64(*got), *expected);
}

void TestConversions::wholePart_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<OptInt>("expected");
    QTest::newRow("one") << "1" << some(1);
    QTest::newRow("fraction") << "2.5" << some(2);
    QTest::newRow("just below two") << "1.999" << some(1);
    QTest::newRow("negative floors down") << "-1.5" << some(-2);
    QTest::newRow("minus one") << "-1" << some(-1);
    QTest::newRow("exponent") << "1e3" << some(1000);
    QTest::newRow("empty") << "" << none();
    QTest::newRow("letters") << "abc" << none();
}

void TestConversions::wholePart()
{
    QFETCH(QString, text);
    QFETCH(OptInt, expected);
    const auto got = conv::wholePart(text);
    QCOMPARE(got.has_value(), expected.has_value());
    if (got)
        QCOMPARE(qint64(*got), *expected);
}

void TestConversions::fontSize_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<OptInt>("size");
    QTest::newRow("whole") << "Arial,10" << some(10);
    QTest::newRow("fraction dropped") << "Arial,10.5" << some(10);
    QTest::newRow("first comma counts") << "Arial,9,12" << none();
    QTest::newRow("no comma: whole text") << "12" << some(12);
    QTest::newRow("no comma, a face") << "Arial" << none();
    QTest::newRow("empty size") << "Arial," << none();
    QTest::newRow("Korean face") << "굴림,9" << some(9);
}

void TestConversions::fontSize()
{
    QFETCH(QString, description);
    QFETCH(OptInt, size);
    const auto got = conv::wholeSizeOf(description);
    QCOMPARE(got.has_value(), size.has_value());
    if (got)
        QCOMPARE(qint64(*got), *size);
}

void TestConversions::fontFace()
{
    QCOMPARE(conv::faceOf(QStringLiteral("Arial,10")).value(), QStringLiteral("Arial"));
    QCOMPARE(conv::faceOf(QStringLiteral("굴림,9,1")).value(), QStringLiteral("굴림"));
    QCOMPARE(conv::faceOf(QStringLiteral(",10")).value(), QString());
    QVERIFY(!conv::faceOf(QStringLiteral("Arial")).has_value());
    QVERIFY(!conv::faceOf(QString()).has_value());
    QCOMPARE(conv::fontDescription(QStringLiteral("Arial"), 10), QStringLiteral("Arial,10"));
    QCOMPARE(conv::fontDescription(QStringLiteral("Arial"), double(10.5f)), QStringLiteral("Arial,10.5"));
    QCOMPARE(conv::fontDescription(QStringLiteral("Arial"), double(10.1f)), QStringLiteral("Arial,10.1"));
}

void TestConversions::shortenedPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("shown");
    const QString forty = QStringLiteral("/home/user/pictures/summer/beach0001.jpg");
    QCOMPARE(forty.size(), 40);
    QTest::newRow("40 whole") << forty << forty;
    QTest::newRow("41 shortened") << QStringLiteral("x") + forty << QStringLiteral("...") + forty;
    QTest::newRow("None") << QStringLiteral("None") << QStringLiteral("None");
    QTest::newRow("Korean 41") << QStringLiteral("가") + QString(40, QChar(u'나'))
                               << QStringLiteral("...") + QString(40, QChar(u'나'));
}

void TestConversions::shortenedPath()
{
    QFETCH(QString, path);
    QFETCH(QString, shown);
    QCOMPARE(conv::shortenedPath(path), shown);
}

QTEST_GUILESS_MAIN(TestConversions)
#include "tst_conversions.moc"
