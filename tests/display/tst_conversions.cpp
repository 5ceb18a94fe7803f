#include "display/Conversions.h"

#include <QTest>

using namespace td;

using OptInt = std::optional<qint64>;
Q_DECLARE_METATYPE(OptInt)

namespace {
const OptInt no;
OptInt n(qint64 v) { return v; }
} // namespace

class TestConversions : public QObject {
    Q_OBJECT
private slots:
    // One stored text through the three read conversions: to colour, to small integer, whole part.
    void numbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<OptInt>("colour");
        QTest::addColumn<OptInt>("small");
        QTest::addColumn<OptInt>("whole");
        // clang-format off
        QTest::newRow("half to even, down") << "2.5" << n(2) << n(2) << n(2);
        QTest::newRow("half to even, up") << "3.5" << n(4) << n(4) << n(3);
        QTest::newRow("negative half") << "-2.5" << no << n(-2) << n(-3);
        QTest::newRow("exponent") << "1e3" << n(1000) << n(1000) << n(1000);
        QTest::newRow("white, with blanks") << "  16777215 " << n(16777215) << no << n(16777215);
        QTest::newRow("beyond RGB") << "16777216" << no << no << n(16777216);
        QTest::newRow("small beyond") << "32768" << n(32768) << no << n(32768);
        QTest::newRow("small below") << "-32769" << no << no << n(-32769);
        QTest::newRow("system colour 24") << "-2147483624" << n(-2147483624LL) << no << n(-2147483624LL);
        QTest::newRow("system colour 25") << "-2147483623" << no << no << n(-2147483623LL);
        QTest::newRow("above 32 bits") << "4294967296" << no << no << n(4294967296LL);
        QTest::newRow("empty") << "" << no << no << no;
        QTest::newRow("comma") << "1,5" << no << no << no;
        QTest::newRow("huge exponent") << "1e400" << no << no << no;
        // clang-format on
    }

    void numbers()
    {
        QFETCH(QString, text);
        QFETCH(OptInt, colour);
        QFETCH(OptInt, small);
        QFETCH(OptInt, whole);
        QCOMPARE(OptInt(conv::toColour(text)), colour);
        QCOMPARE(OptInt(conv::toSmallInteger(text)), small);
        QCOMPARE(OptInt(conv::wholePart(text)), whole);
    }

    void fontDescription()
    {
        QCOMPARE(conv::fontDescription(QStringLiteral("Arial"), 10), QStringLiteral("Arial,10"));
        QCOMPARE(conv::fontDescription(QStringLiteral("Arial"), double(10.1f)), QStringLiteral("Arial,10.1"));
    }
};

QTEST_GUILESS_MAIN(TestConversions)
#include "tst_conversions.moc"
