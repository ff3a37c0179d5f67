// The relay's ON and OFF levels: the 10 ppm rule, the numbers on the wire, and
// every way the operation ends.

#include "tst_config.h"

#include "config_fixture.h"

#include <QAction>
#include <QLabel>

namespace {

const QString tooClose
    = QStringLiteral("Relay ON level must be at least 10 ppm higher than OFF level");
const QString outOfRange
    = QStringLiteral("The relay levels must lie between -99999 and 999999 ppm.");
const QString notResponding = QStringLiteral("Transmitter Is Not Responding, Check Com And Cables");

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
    QTest::addColumn<QList<QByteArray>>("written");
    QTest::addColumn<QString>("confirmation");

    QTest::newRow("510 above 500 passes")
        << QStringList {"510", "500"} << QStringList {"800", "700"}
        << QList<QByteArray> {"RH510", "RL500"}
        << "Relay ON Level:  510\rRelay OFF Level: 500\r\rPlease Confirm";
    QTest::newRow("509.9 above 500 is asked again")
        << QStringList {"509.9", "500", "520", "500"} << QStringList {"800", "700", "509.9", "500"}
        << QList<QByteArray> {"RH520", "RL500"}
        << "Relay ON Level:  520\rRelay OFF Level: 500\r\rPlease Confirm";
    QTest::newRow("halves away from zero, negative OFF")
        << QStringList {"500.5", "-499.5"} << QStringList {"800", "700"}
        << QList<QByteArray> {"RH501", "RL-500"}
        << "Relay ON Level:  501\rRelay OFF Level: -500\r\rPlease Confirm";
    QTest::newRow("499.4 down, ppm after the number")
        << QStringList {"499.4", "400 ppm"} << QStringList {"800", "700"}
        << QList<QByteArray> {"RH499", "RL400"}
        << "Relay ON Level:  499\rRelay OFF Level: 400\r\rPlease Confirm";
    QTest::newRow("a level no field holds is asked again")
        << QStringList {"1e300", "500", "800", "500"} << QStringList {"800", "700", "1e+300", "500"}
        << QList<QByteArray> {"RH800", "RL500"}
        << "Relay ON Level:  800\rRelay OFF Level: 500\r\rPlease Confirm";
    QTest::newRow("exactly 10 apart with decimals")
        << QStringList {"510.1", "500.1"} << QStringList {"800", "700"}
        << QList<QByteArray> {"RH510", "RL500"}
        << "Relay ON Level:  510\rRelay OFF Level: 500\r\rPlease Confirm";
}

void RelayTriggerPointsTest::levelsAreCheckedAndSent()
{
    QFETCH(QStringList, answers);
    QFETCH(QStringList, offered);
    QFETCH(QList<QByteArray>, written);
    QFETCH(QString, confirmation);
    RelayFixture f;
    f.setLevels(answers);

    QCOMPARE(f.offered(), offered);
    QCOMPARE(f.transmitter.commands, (QList<QByteArray> {"RH", "RL"} + written << "Save"));
    const QString done = QStringLiteral("Relay Trigger Point set and saved");
    // Levels asked for a second time were refused the first time: for being
    // too close, or for lying outside what the transmitter holds.
    const QString refusal = answers.first().startsWith(u"1e") ? outOfRange : tooClose;
    const QStringList expected = answers.size() > 2 ? QStringList {refusal, confirmation, done}
                                                    : QStringList {confirmation, done};
    QCOMPARE(f.messages(), expected);
    const ShownBox confirm = f.fake.dialogs.shown[f.fake.dialogs.shown.size() - 2];
    QCOMPARE(confirm.title, QStringLiteral("Realy Settings"));
    QCOMPARE(confirm.buttons, MessageButtons::OkCancel);
    QCOMPARE(f.w().Status->text(), done);
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

void RelayTriggerPointsTest::silentTransmitterEndsTheOperation_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QList<QByteArray>>("commands");
    QTest::addColumn<QString>("status");

    QTest::newRow("RH") << QByteArray("RH") << QList<QByteArray> {"RH"} << "Com Port is Open";
    QTest::newRow("Save") << QByteArray("Save")
                          << QList<QByteArray> {"RH", "RL", "RH710", "RL700", "Save"}
                          << "Saving Relay Settings";
}

void RelayTriggerPointsTest::silentTransmitterEndsTheOperation()
{
    QFETCH(QByteArray, command);
    QFETCH(QList<QByteArray>, commands);
    QFETCH(QString, status);
    RelayFixture f;
    f.script(command, {});
    f.setLevels({"710", "700"});

    QCOMPARE(f.transmitter.commands, commands);
    QCOMPARE(f.messages().last(), notResponding);
    QCOMPARE(f.fake.desktop.beeps, 1);
    QVERIFY(!f.fake.desktop.busy);
    QCOMPARE(f.w().Status->text(), status);
    if (command == "Save")
        QCOMPARE(statusColour(f.w().Status), int(StatusColour::Blue));
}

void RelayTriggerPointsTest::rejectedLevelIsNotReportedAsSaved()
{
    RelayFixture f;
    f.script("RL-50", ScriptedTransmitter::frame("RL-50", "ERROR"));
    f.setLevels({"710", "-50"});

    QCOMPARE(f.transmitter.commands, (QList<QByteArray> {"RH", "RL", "RH710", "RL-50"}));
    QCOMPARE(
        f.messages().last(),
        QStringLiteral("The transmitter rejected the relay settings!\rThey have not been saved."));
    QCOMPARE(f.fake.desktop.beeps, 1);
    QVERIFY(f.w().Status->text() != QStringLiteral("Relay Trigger Point set and saved"));
}
