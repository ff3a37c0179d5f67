// A transmitter that answers, but not as it should, on the real serial port:
// floods of garbage, a reply that never ends, bytes after the prompt, and
// "ERROR" to every command. Nothing of it may be taken for a reading, a value
// or a success, and every wait must end on time.

#include "tst_line.h"

#include "line_fixture.h"
#include "scripted_transmitter.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QRandomGenerator>
#include <QTimer>

namespace {

const QString notRespondingStatus
    = QStringLiteral("Transmitter Not Responding, Check Com and Cables");
const QString connectionOk = QStringLiteral("Serial Connection OK");
const QString zeroNotFetched = QStringLiteral("Failed to fetch current Zero parameters, try again");

// 64 KiB of noise; the same every run.
QByteArray garbage()
{
    QRandomGenerator random(7);
    QByteArray bytes(64 * 1024, Qt::Uninitialized);
    for (char &c : bytes)
        c = char(random.bounded(256));
    return bytes;
}

} // namespace

void MisbehavingTransmitterTest::garbageRepliesChangeNothing_data()
{
    QTest::addColumn<bool>("prompt"); // the garbage ends with ">"
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("poll, prompt last") << true << "poll" << connectionOk << "460" << QStringList();
    QTest::newRow("poll, no prompt")
        << false << "poll" << notRespondingStatus << "????" << QStringList();
    QTest::newRow("zero parameters")
        << true << "zero" << connectionOk << "460"
        << QStringList {"Are you ready with the zero gas?", zeroNotFetched};
}

void MisbehavingTransmitterTest::garbageRepliesChangeNothing()
{
    QFETCH(bool, prompt);
    QFETCH(QString, operation);
    QFETCH(QString, status);
    QFETCH(QString, display);
    QFETCH(QStringList, messages);

    LineFixture f;
    MainWindow &w = f.w();
    w.Timer1_Timer();
    QCOMPARE(w.ppmDisplay->text(), QStringLiteral("460"));

    const QByteArray noise = garbage() + (prompt ? ">" : "");
    const QByteArray garbled = operation == u"poll" ? "X" : "T0";
    f.transmitter.onCommand = [&](const QByteArray &command) {
        if (command == garbled)
            f.transmitter.send(noise);
        else
            f.transmitter.answerWell(command);
    };
    if (operation == u"poll")
        w.Timer1_Timer();
    else
        w.ZeroButton_Click();

    QCOMPARE(w.Status->text(), status);
    QCOMPARE(w.ppmDisplay->text(), display);
    QCOMPARE(w.RxLabel->text(), QStringLiteral("20000"));
    QCOMPARE(w.RxValue, std::optional<double>(20000));
    QCOMPARE(f.dialogs.messageTexts(), messages);
    QVERIFY(f.isIdle());
    // The zero start asked for T0 and went no further.
    QCOMPARE(f.transmitter.commands.last(), garbled);
}

void MisbehavingTransmitterTest::replyThatNeverEndsTimesOut()
{
    LineFixture f;
    MainWindow &w = f.w();
    QTimer stream;
    QObject::connect(&stream, &QTimer::timeout,
                     [&] { f.transmitter.send("0123456789abcdef\r\n"); });
    f.transmitter.onCommand = [&](const QByteArray &) { stream.start(1); };

    QElapsedTimer took;
    took.start();
    w.Timer1_Timer();
    QVERIFY2(took.elapsed() >= 450 && took.elapsed() < 1500,
             qPrintable(QString::number(took.elapsed())));
    QCOMPARE(w.Status->text(), notRespondingStatus);
    QCOMPARE(w.ppmDisplay->text(), QStringLiteral("????"));
    QVERIFY(w.RxBuffer.size() > 1000);
    QVERIFY(w.Timer1->isEnabled());

    // When the stream stops, what is left of it comes before the next reply,
    // whose end is all the poll uses.
    stream.stop();
    f.transmitter.onCommand = nullptr;
    w.Timer1_Timer();
    QCOMPARE(w.Status->text(), connectionOk);
    QCOMPARE(w.ppmDisplay->text(), QStringLiteral("460"));
}

void MisbehavingTransmitterTest::bytesAfterThePromptAreNoReply()
{
    LineFixture f;
    MainWindow &w = f.w();
    f.transmitter.avg = 1234;
    f.transmitter.onCommand = [&](const QByteArray &command) {
        f.transmitter.answerWell(command);
        f.transmitter.send("\r\n");
    };
    // The prompt is not the last character: the wait runs to its end.
    w.Timer1_Timer();
    QCOMPARE(w.Status->text(), notRespondingStatus);
    QVERIFY(!w.avgValue);

    f.transmitter.onCommand = nullptr;
    w.Timer1_Timer();
    QCOMPARE(w.Status->text(), connectionOk);
    QCOMPARE(w.avgValue, std::optional<double>(1234));
    QCOMPARE(w.ppmDisplay->text(), QStringLiteral("1230"));
}

void MisbehavingTransmitterTest::bytesAfterAQueryReplyStopTheZeroStart()
{
    LineFixture f;
    MainWindow &w = f.w();
    // A second, stray prompt after the T0 value: whether it arrives with the
    // reply or before the next one, no value may be taken from it.
    f.transmitter.onCommand = [&](const QByteArray &command) {
        f.transmitter.answerWell(command);
        if (command == "T0")
            f.transmitter.send("5\r\n>");
    };
    w.ZeroButton_Click();
    QCOMPARE(f.dialogs.messageTexts().last(), zeroNotFetched);
    QVERIFY(f.isIdle());
    for (const QByteArray &command : f.transmitter.commands)
        QVERIFY2(command.size() <= 2, command.constData());
}

void MisbehavingTransmitterTest::readingsNoFieldCanHoldAreNeverStored()
{
    LineFixture f;
    MainWindow &w = f.w();
    // Six characters can hold an exponent: a garbled line can pass the record
    // check with a signal of 9e99, and a one-sample run takes it as its mean.
    f.transmitter.tx = 9e99;
    w.NumberOfSamples = 1;
    w.ZeroButton_Click();
    f.transmitter.commands.clear();
    w.Timer1_Timer();

    QCOMPARE(w.TxValue, std::optional<double>(9e99));
    QCOMPARE(f.transmitter.commands, QList<QByteArray> {"X"});
    QCOMPARE(f.dialogs.messageTexts().last(),
             QStringLiteral("The new values are outside what the transmitter can hold (-99999 "
                            "to 999999).\rNothing has been sent."));
    QCOMPARE(w.Status->text(), QStringLiteral("Parameters not stored"));
    QVERIFY(f.isIdle());
}

void MisbehavingTransmitterTest::errorToEverythingIsNeverTakenForSuccess_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QList<QByteArray>>("sent");
    QTest::addColumn<QString>("message"); // the last box shown

    const QString rejected
        = QStringLiteral("The transmitter rejected the parameters!\rThey have not been saved.");
    QTest::newRow("poll") << "poll" << QList<QByteArray> {"X"} << QString();
    QTest::newRow("zero start") << "zero" << QList<QByteArray> {"T0"} << zeroNotFetched;
    QTest::newRow("span start") << "span" << QList<QByteArray> {"SPAN"}
                                << "Failed to fetch current Span, try again";
    QTest::newRow("zero undo") << "undo" << QList<QByteArray> {"T030000", "NOTEST"} << rejected;
    QTest::newRow("zero run end") << "zero end" << QList<QByteArray> {"X", "T030000"} << rejected;
    QTest::newRow("relay") << "relay" << QList<QByteArray> {"RH", "RL", "RH800"}
                           << "The transmitter rejected the relay settings!\rThey have not been "
                              "saved.";
    QTest::newRow("download") << "download" << QList<QByteArray> {"RH800"}
                              << "Error during sending the parameters!\rSending is aborted!";
}

void MisbehavingTransmitterTest::errorToEverythingIsNeverTakenForSuccess()
{
    QFETCH(QString, operation);
    QFETCH(QList<QByteArray>, sent);
    QFETCH(QString, message);

    LineFixture f;
    MainWindow &w = f.w();
    w.Timer1_Timer();
    QCOMPARE(w.ppmDisplay->text(), QStringLiteral("460"));
    if (operation == u"zero end") {
        // A one-sample run whose transmitter turns to "ERROR" at its end.
        w.NumberOfSamples = 1;
        w.ZeroButton_Click();
        QVERIFY(w.ZeroCalibrationRunning);
    }
    f.transmitter.commands.clear();
    f.dialogs.shown.clear();
    bool refuseAll = true;
    f.transmitter.onCommand = [&](const QByteArray &command) {
        if (refuseAll && !(operation == u"zero end" && command == "X"))
            f.transmitter.send(command + "\r\nERROR\r\n>");
        else
            f.transmitter.answerWell(command);
    };

    if (operation == u"poll") {
        w.Timer1_Timer();
        // Another form of reply: the link works, the reading stays.
        QCOMPARE(w.Status->text(), connectionOk);
        QCOMPARE(w.ppmDisplay->text(), QStringLiteral("460"));
    } else if (operation == u"zero") {
        w.ZeroButton_Click();
    } else if (operation == u"span") {
        w.NewT0 = QStringLiteral("30000");
        w.NewR0 = QStringLiteral("20000");
        w.SpanButton_Click();
    } else if (operation == u"undo") {
        w.PreviousT0 = QStringLiteral("30000");
        w.PreviousR0 = QStringLiteral("20000");
        w.menuUndoZeroCalibration->setEnabled(true);
        w.menuUndoZeroCalibration_Click();
    } else if (operation == u"zero end") {
        w.Timer1_Timer();
        QVERIFY(w.menuUndoZeroCalibration->isEnabled());
    } else if (operation == u"relay") {
        f.dialogs.inputAnswers << QStringLiteral("800") << QStringLiteral("700");
        w.menuRelayTriggerPoint_Click();
    } else if (operation == u"download") {
        const QString file = QDir::current().absoluteFilePath(QStringLiteral("p.par"));
        writeFile(file, "RH800\r\nRL700\r\n");
        f.dialogs.fileAnswers << file;
        w.menuOpenParameterFile_Click();
    }

    QCOMPARE(f.transmitter.commands, sent);
    QCOMPARE(f.dialogs.messageTexts().value(f.dialogs.messageTexts().size() - 1), message);
    QVERIFY(f.isIdle());
    QVERIFY(f.port.isOpen());
    for (const QString &text : f.dialogs.messageTexts())
        QVERIFY2(!text.contains(u"saved", Qt::CaseInsensitive) || text.contains(u"not been saved"),
                 qPrintable(text));
}
