// The relay's ON and OFF levels: the 10 ppm rule, the numbers on the wire, and
// every way the operation ends.

#include "tst_config.h"

namespace {

const QString tooClose
    = QStringLiteral("Relay ON level must be at least 10 ppm higher than OFF level");
const QString outOfRange
    = QStringLiteral("The relay levels must lie between -99999 and 999999 ppm.");
const QString saved = QStringLiteral("Relay Trigger Point set and saved");

// A transmitter with an ON level of 800 and an OFF level of 700.
struct RelayFixture : ConfigFixture {
    RelayFixture()
    {
        script("RH", ScriptedTransmitter::frame("RH", "Relay high = 800"));
        script("RL", ScriptedTransmitter::frame("RL", "Relay low = 700"));
    }
    void setLevels(const QStringList &answers)
    {
        fake.dialogs.inputAnswers.append(answers);
        w().menuRelayTriggerPoint->trigger();
    }
    QStringList offered() const
    {
        QStringList defaults;
        for (const ShownBox &box : fake.dialogs.shown)
            if (box.kind == ShownBox::Input)
                defaults << box.defaultText;
        return defaults;
    }
};

} // namespace

void RelayTriggerPointsTest::levelsAreCheckedAndSent_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("offered");
    QTest::addColumn<QString>("refusal"); // of the first pair, if asked again
    QTest::addColumn<QString>("on");
    QTest::addColumn<QString>("off");

    const QStringList levels {"800", "700"};
    QTest::newRow("510 above 500 passes") << QStringList {"510", "500"} << levels << ""
                                          << "510"
                                          << "500";
    QTest::newRow("509.9 above 500 is asked again")
        << QStringList {"509.9", "500", "520", "500"} << levels + QStringList {"509.9", "500"}
        << tooClose << "520"
        << "500";
    QTest::newRow("exactly 10 apart with decimals")
        << QStringList {"510.1", "500.1"} << levels << ""
        << "510"
        << "500";
    QTest::newRow("halves away from zero, negative OFF")
        << QStringList {"500.5", "-499.5"} << levels << ""
        << "501"
        << "-500";
    QTest::newRow("499.4 down, ppm after the number")
        << QStringList {"499.4", "400 ppm"} << levels << ""
        << "499"
        << "400";
    QTest::newRow("a level no field holds is asked again")
        << QStringList {"1e300", "500", "800", "500"} << levels + QStringList {"1e+300", "500"}
        << outOfRange << "800"
        << "500";
}

void RelayTriggerPointsTest::levelsAreCheckedAndSent()
{
    QFETCH(QStringList, answers);
    QFETCH(QStringList, offered);
    QFETCH(QString, refusal);
    QFETCH(QString, on);
    QFETCH(QString, off);
    RelayFixture f;
    f.setLevels(answers);

    QCOMPARE(f.offered(), offered);
    QCOMPARE(f.transmitter.commands,
             (QList<QByteArray> {"RH", "RL", "RH" + on.toLatin1(), "RL" + off.toLatin1(), "Save"}));
    QStringList messages {
        QStringLiteral("Relay ON Level:  %1\rRelay OFF Level: %2\r\rPlease Confirm").arg(on, off),
        saved};
    if (!refusal.isEmpty())
        messages.prepend(refusal);
    QCOMPARE(f.messages(), messages);
    QCOMPARE(f.fake.dialogs.shown[f.fake.dialogs.shown.size() - 2].title, u"Realy Settings");
    QCOMPARE(f.w().Status->text(), saved);
    QCOMPARE(statusColour(f.w().Status), int(StatusColour::Black));
    QCOMPARE(f.fake.desktop.pointerChanges, (QList<bool> {true, false}));
}

void RelayTriggerPointsTest::operationEndsWithoutAMessage_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("ON letters") << QStringList {"ppm"} << true;
    QTest::newRow("ON 0") << QStringList {"0"} << true;
    QTest::newRow("ON cancelled") << QStringList {""} << true;
    QTest::newRow("OFF 0") << QStringList {"600", "0.0"} << true;
    QTest::newRow("confirmation cancelled") << QStringList {"600", "500"} << false;
}

void RelayTriggerPointsTest::operationEndsWithoutAMessage()
{
    QFETCH(QStringList, answers);
    QFETCH(bool, confirmed);
    RelayFixture f;
    f.fake.dialogs.messageAnswers << (confirmed ? MessageResult::Ok : MessageResult::Cancel);
    f.setLevels(answers);

    QCOMPARE(f.transmitter.commands, (QList<QByteArray> {"RH", "RL"}));
    QCOMPARE(f.messages().size(), confirmed ? 0 : 1);
    QCOMPARE(f.fake.desktop.beeps, 0);
}

void RelayTriggerPointsTest::replyOfAnotherFormKeepsTheLevelOfferedBefore()
{
    RelayFixture f;
    f.script("RL", ScriptedTransmitter::frame("RL", "ERROR"));
    f.setLevels({"900", "850"});
    f.script("RH", ScriptedTransmitter::frame("RH", "Relay  high = 800"));
    f.setLevels({"", ""});
    QCOMPARE(f.offered(), (QStringList {"800", "", "900"}));
}

void RelayTriggerPointsTest::failureIsReported_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply"); // empty: silence
    QTest::addColumn<QList<QByteArray>>("commands");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("status");

    const QString notResponding
        = QStringLiteral("Transmitter Is Not Responding, Check Com And Cables");
    QTest::newRow("RH silent") << QByteArray("RH") << QByteArray() << QList<QByteArray> {"RH"}
                               << notResponding << "Com Port is Open";
    QTest::newRow("Save silent") << QByteArray("Save") << QByteArray()
                                 << QList<QByteArray> {"RH", "RL", "RH710", "RL-50", "Save"}
                                 << notResponding << "Saving Relay Settings";
    QTest::newRow("level rejected")
        << QByteArray("RL-50") << ScriptedTransmitter::frame("RL-50", "ERROR")
        << QList<QByteArray> {"RH", "RL", "RH710", "RL-50"}
        << "The transmitter rejected the relay settings!\rThey have not been saved."
        << "Com Port is Open";
}

void RelayTriggerPointsTest::failureIsReported()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    QFETCH(QList<QByteArray>, commands);
    QFETCH(QString, message);
    QFETCH(QString, status);
    RelayFixture f;
    f.script(command, reply);
    f.setLevels({"710", "-50"});

    QCOMPARE(f.transmitter.commands, commands);
    QCOMPARE(f.messages().last(), message);
    QCOMPARE(f.fake.desktop.beeps, 1);
    QVERIFY(!f.fake.desktop.busy);
    QCOMPARE(f.w().Status->text(), status);
}
