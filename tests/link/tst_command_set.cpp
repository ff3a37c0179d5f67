#include "tst_command_set.h"

#include "link/command_set.h"

#include <QTest>

using namespace Transmitter;

void CommandSetTest::commandsEndInACarriageReturn()
{
    QCOMPARE(command("X"), QByteArray("X\r"));
    QCOMPARE(command("T0", QStringLiteral("12346")), QByteArray("T012346\r"));
    QCOMPARE(command("RL", QStringLiteral("-50")), QByteArray("RL-50\r"));
    QCOMPARE(command(RelayStore), QByteArray("Save\r"));
    QCOMPARE(command(Store), QByteArray("SAVE\r"));
}

void CommandSetTest::labelsStandAtFixedPositions_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("query");
    QTest::addColumn<bool>("labelled");
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("T0") << QByteArray("T0\r\nT0 = 1234\r\n>") << 0 << true << QByteArray("1234");
    QTest::newRow("T0 any first four")
        << QByteArray("abcdT0 = 12345.6xy>") << 0 << true << QByteArray("12345.6");
    QTest::newRow("T0 echo one longer")
        << QByteArray("T0 \r\nT0 = 1234\r\n>") << 0 << false << QByteArray();
    QTest::newRow("T0 lower case")
        << QByteArray("T0\r\nt0 = 1234\r\n>") << 0 << false << QByteArray();
    QTest::newRow("R0") << QByteArray("R0\r\nR0 = -20\r\n>") << 1 << true << QByteArray("-20");
    QTest::newRow("SPAN skips one")
        << QByteArray("SPAN\r\nSpan = x2000\r\n>") << 2 << true << QByteArray("2000");
    QTest::newRow("TS") << QByteArray("TS\r\nTSpan = 24828\r\n>") << 3 << true
                        << QByteArray("24828");
    QTest::newRow("RS") << QByteArray("RS\r\nRSpan = 20000\r\n>") << 4 << true
                        << QByteArray("20000");
    QTest::newRow("RH") << QByteArray("RH\r\nRelay high = 800\r\n>") << 5 << true
                        << QByteArray("800");
    QTest::newRow("RL") << QByteArray("RL\r\nRelay low = 700\r\n>") << 6 << true
                        << QByteArray("700");
    QTest::newRow("short reply") << QByteArray("T0\r\n>") << 0 << false << QByteArray();
    QTest::newRow("error reply") << QByteArray("RH\r\nERROR\r\n>") << 5 << false << QByteArray();
}

void CommandSetTest::labelsStandAtFixedPositions()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, query);
    QFETCH(bool, labelled);
    QFETCH(QByteArray, value);
    const Query queries[]
        = {ZeroT0, ZeroR0, SpanConcentration, SpanTS, SpanRS, RelayHigh, RelayLow};
    QCOMPARE(hasLabel(reply, queries[query]), labelled);
    if (labelled) {
        QCOMPARE(takeValue(reply, queries[query]), value);
        QVERIFY(!reply.endsWith('>')); // shortened in place
    }
}

void CommandSetTest::versionAndListingAreTakenFromTheirReplies()
{
    QCOMPARE(versionOf("VER\r\nSTD 2.15 x\r\n>"), QByteArray("STD 2.15"));
    QCOMPARE(versionOf("VER\r\nABC 2.15\r\n>"), QByteArray("?"));
    QCOMPARE(versionOf("VER\nSTD 2.15\r\n>"), QByteArray("?"));
    QCOMPARE(versionOf("VER\r\nSTD"), QByteArray("STD"));
    QCOMPARE(listingOf("PARAM\r\nT0 = 1\r\nR0 = 2\r\n>"), QByteArray("T0 = 1\r\nR0 = 2\r\n"));
    QCOMPARE(listingOf("PARAM\r\n>"), QByteArray());
    QCOMPARE(listingOf("PARA"), std::nullopt);
    QCOMPARE(listingOf("param\r\nT0\r\n>"), std::nullopt);
}

void CommandSetTest::errorIsRecognisedOnlyAtTheEnd()
{
    QVERIFY(endsWithError("T0x\r\nERROR\r\n>"));
    QVERIFY(endsWithError("T0x\r\nerror\r\n>"));
    QVERIFY(!endsWithError("ERROR in line\r\n>"));
    QVERIFY(!endsWithError("T0x\r\nERROR\r\n"));
    QVERIFY(!endsWithError(">"));
}
