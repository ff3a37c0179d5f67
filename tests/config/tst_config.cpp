// The configuration operations of a session: a parameter file sent line by
// line, the relay's trigger points, and the printed parameter sheet.

#include "config/parameter_file_preview.h"
#include "golden.h"

namespace {

const QString sentAndSaved = QStringLiteral("Parameters sent and saved into the transmitter");
const QString aborted = QStringLiteral("Error during sending the parameters!\rSending is aborted!");
const QString cannotRead = QStringLiteral("Can Not Read Parameters From Transmitter");
const QString dateAndTime = QStringLiteral("Date 2026-12-06 Time 14:05");

// A session on a transmitter with a parameter listing; what it tells the
// line monitor and the trend about the relay levels is kept.
struct ConfigFixture : SessionFixture {
    QString notes; // among the line's traffic
    QString relayLevels; // as the trend would draw them
    ConfigFixture()
    {
        transmitter.answerRaw("PARAM",
                              {{"PARAM\r\nT0 = 30000\r\nR0 = 20000\r\nRelay high = 800\r\n>"}});
        QObject::connect(&s, &TransmitterSession::lineNote,
                         [this](const QString &t) { notes += t; });
        QObject::connect(&s, &TransmitterSession::relayLevelsChanged,
                         [this](std::optional<double> on, std::optional<double> off) {
                             relayLevels = on && off ? QStringLiteral("%1/%2").arg(*on).arg(*off)
                                                     : QStringLiteral("none");
                         });
    }
    void download(const QByteArray &content)
    {
        fake.dialogs.fileAnswers << writeParameterFile(content);
        s.downloadParameterFile();
    }
    // Keeps the date and time offered, types the type and serial number.
    void print(const QString &typeAndSerial = QStringLiteral("GMT222 / A1234567"))
    {
        fake.dialogs.inputAnswers << dateAndTime << typeAndSerial;
        s.printParameters();
    }
};

} // namespace

class ConfigTest : public QObject {
    Q_OBJECT

private slots:
    void downloadSendsTheFileAndSaysWhereItStopped_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArrayList>("script"); // a command and its reply; none: silence
        QTest::addColumn<QString>("wire"); // a golden file, or the bytes
        QTest::addColumn<QString>("where"); // in the message area; empty: nothing stopped
        const auto row = [](const char *name, const QByteArray &file, const QByteArrayList &script,
                            const char *wire, const QString &where = {}) {
            QTest::newRow(name) << file << script << QString(wire) << where;
        };
        row("CR LF", "RH800\r\nRL700\r\n", {}, "download_crlf.wire");
        row("last line without line end", "RH800\r\nRL700", {}, "download_no_final_line_end.wire");
        row("blank line and blanks kept", " RH800 \r\n\r\nRL700\r\n", {},
            "download_blank_line.wire");
        row("empty file", "", {}, "download_empty_file.wire");
        // Without a carriage return the transmitter never sees the end of the
        // command and does not answer.
        row("line feeds only", "RH800\nRL700\n", {}, "download_lf_only.wire",
            "Download stopped at line 1 \"RH800\": no answer within 5 s. No line of the file "
            "was applied.");
        const QByteArray three("RH800\r\nRL700\r\nT0\r\n");
        const char *all = "RH800\rRL700\rT0\r\rSAVE\rNOTEST\rRH\rRL\r";
        row("third line refused", three, {"T0", ScriptedTransmitter::frame("T0", "ERROR")},
            "RH800\rRL700\rT0\rRH\rRL\r",
            "Download stopped at line 3 \"T0\": the transmitter refused it (\"ERROR\"). "
            "Lines 1 and 2 were applied, not saved.");
        row("first line refused: nothing to ask", three, {"RH800", "RH800\r\nerror\r\n>"},
            "RH800\r",
            "Download stopped at line 1 \"RH800\": the transmitter refused it (\"error\"). No line "
            "of the file was applied.");
        row("NOTEST not answered", three, {"NOTEST", ""}, all,
            "Download stopped at NOTEST: no answer within 5 s. All 3 lines were applied and "
            "saved.");
        row("ERROR elsewhere goes on", three, {"RL700", "RL700\r\nERROR: none\r\nok\r\n>"}, all);
        row("relay levels not told after it", three, {"RL", ""}, all);
    }
    void downloadSendsTheFileAndSaysWhereItStopped()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArrayList, script);
        QFETCH(QString, wire);
        QFETCH(QString, where);
        ConfigFixture f;
        f.transmitter.answer("RH", "Relay high = 950");
        if (!script.isEmpty())
            f.script(script[0], script[1]);
        f.download(file);
        if (wire.endsWith(u".wire"))
            COMPARE_GOLDEN(f.fake.port.written, wire);
        else
            QCOMPARE(f.fake.port.written, wire.toLatin1());
        QCOMPARE(f.fake.dialogs.shown[1].text, file + "\rPlease Confirm To Send The Parameters?");
        QCOMPARE(f.fake.dialogs.shown[1].title, QDir::current().absoluteFilePath("p.par"));
        // The trend's relay levels are the ones the transmitter reports after
        // lines were applied; none when it does not say.
        QCOMPARE(f.relayLevels,
                 !f.fake.port.written.endsWith("RL\r") ? QString()
                     : script.value(0) == "RL"         ? QStringLiteral("none")
                                                       : QStringLiteral("950/700"));
        // Where it stopped: in the message area and the line monitor; the box
        // and the status line as they always were.
        QCOMPARE(f.told, where.isEmpty() ? QStringList() : QStringList(where));
        QCOMPARE(f.notes, where);
        const bool refused = !where.isEmpty() && !script.value(1).isEmpty();
        QCOMPARE(f.messages().mid(1),
                 where.isEmpty() ? QStringList {sentAndSaved}
                     : refused   ? QStringList {aborted}
                                 : QStringList());
        QCOMPARE(f.status(),
                 where.isEmpty() ? sentAndSaved + "|black"
                     : refused   ? QStringLiteral("Sending Parameters to the transmitter|blue")
                                 : QStringLiteral("Transmitter Is Not Responding!|red"));
        QCOMPARE(f.fake.desktop.beeps, where.isEmpty() ? 0 : 1);
        QCOMPARE(f.fake.desktop.pointerChanges, (QList<bool> {true, false}));
    }

    void fileDialogKeepsItsChoiceAndShowsWhatItSends()
    {
        ConfigFixture f;
        f.fake.dialogs.messageAnswers << MessageResult::Cancel;
        f.download("RH800\r\n");
        // The file is gone since; the dialog's Cancel gives back the file before.
        const QString file = QDir::current().absoluteFilePath("p.par");
        QFile::remove(file);
        f.s.downloadParameterFile();
        QCOMPARE(f.messages().last(), "The parameter file cannot be read:\r" + file);
        QVERIFY(f.fake.port.written.isEmpty());

        // The box shows UTF-8 as UTF-8, anything else as Latin-1, control
        // bytes as marks, and a long file cut short; the file goes out byte
        // for byte.
        const QString zurich = QString::fromUtf8("; Zürich 5 °C\r\n");
        QCOMPARE(parameterFilePreview(zurich.toUtf8()), zurich);
        QCOMPARE(parameterFilePreview(zurich.toLatin1()), zurich);
        QByteArray huge("RH8\0"
                        "00\r\n",
                        8);
        for (int i = 0; i < 160; ++i)
            huge += "RH" + QByteArray::number(i).rightJustified(65532, '0') + "\r\n";
        f.download(huge);
        const QStringList shown
            = f.fake.dialogs.shown.at(f.fake.dialogs.shown.size() - 2).text.split(u'\n');
        QCOMPARE(shown.size(), previewLines + 1);
        QCOMPARE(shown[0], QString::fromUtf8("RH8\uFFFD00\r"));
        QVERIFY(shown[1].startsWith(u"RH00000") && shown[1].size() == previewLineLength + 1);
        QCOMPARE(shown.last(),
                 "\u2026 and 131 more lines not shown\rPlease Confirm To Send The "
                 "Parameters?");
        QCOMPARE(f.fake.port.written,
                 QByteArray(huge + "\r\nSAVE\r\nNOTEST\r\nRH\r\nRL\r\n").replace('\n', ""));
    }

    void relayLevelsAreCheckedAndSent_data()
    {
        // The answers typed, the defaults the boxes offered, and the commands
        // sent after the two queries.
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("offered");
        QTest::addColumn<QByteArrayList>("sent");
        QTest::addColumn<QString>("refusal"); // of the first pair, if asked again
        const QStringList levels {"800", "700"};
        const auto row
            = [&](const char *name, const QStringList &answers, const QStringList &offered,
                  const QByteArrayList &sent, const QString &refusal = {}) {
                  QTest::newRow(name) << answers << offered << sent << refusal;
              };
        row("510 above 500 passes", {"510", "500 ppm"}, levels, {"RH510", "RL500"});
        row("509.9 above 500 is asked again", {"509.9", "500", "520", "500"},
            levels + QStringList {"509.9", "500"}, {"RH520", "RL500"},
            "Relay ON level must be at least 10 ppm higher than OFF level");
        // 6.1 - 10 misses -3.9 in binary by 4e-16.
        row("exactly 10 apart with decimals", {"6.1", "-3.9"}, levels, {"RH6", "RL-4"});
        row("halves away from zero, negative OFF", {"500.5", "-499.5"}, levels,
            {"RH501", "RL-500"});
        row("a level no field holds is asked again", {"1e300", "500", "800", "500"},
            levels + QStringList {"1e+300", "500"}, {"RH800", "RL500"},
            "The relay levels must lie between -99999 and 999999 ppm.");
        row("ON not a number ends it", {"ppm"}, {"800"}, {});
        row("OFF 0 ends it", {"600", "0.0"}, levels, {});
    }

    void relayLevelsAreCheckedAndSent()
    {
        QFETCH(QStringList, answers);
        QFETCH(QStringList, offered);
        QFETCH(QByteArrayList, sent);
        QFETCH(QString, refusal);
        ConfigFixture f;
        f.fake.dialogs.inputAnswers.append(answers);
        f.s.setRelayTriggerPoints();
        QStringList defaults;
        for (const ShownBox &box : f.fake.dialogs.shown)
            if (box.kind == ShownBox::Input)
                defaults << box.defaultText;
        QCOMPARE(defaults, offered);
        QCOMPARE(f.transmitter.commands,
                 QByteArrayList({"RH", "RL"}) + sent + QByteArrayList(sent.size() / 2, "Save"));
        if (sent.isEmpty()) {
            QVERIFY(f.messages().isEmpty() && f.fake.desktop.beeps == 0);
            return;
        }
        const QString confirmation
            = QStringLiteral("Relay ON Level:  %1\rRelay OFF Level: %2\r\rPlease Confirm")
                  .arg(sent[0].mid(2), sent[1].mid(2));
        const QString saved = QStringLiteral("Relay Trigger Point set and saved");
        QCOMPARE(f.messages(),
                 (refusal.isEmpty() ? QStringList() : QStringList {refusal})
                     + QStringList({confirmation, saved}));
        QCOMPARE(f.fake.dialogs.shown[f.fake.dialogs.shown.size() - 2].title, u"Realy Settings");
        QCOMPARE(f.status(), saved + "|black");
        QCOMPARE(f.fake.desktop.pointerChanges, (QList<bool> {true, false}));
        // Drawn as the transmitter holds them.
        QCOMPARE(
            f.relayLevels,
            QString::fromLatin1(sent[sent.size() - 2].mid(2) + '/' + sent[sent.size() - 1].mid(2)));
    }

    void relayFailureIsReported_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("reply"); // empty: silence
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("status");
        QTest::newRow("Save silent") << QByteArray("Save") << QByteArray()
                                     << "Transmitter Is Not Responding, Check Com And Cables"
                                     << "Saving Relay Settings";
        QTest::newRow("level rejected")
            << QByteArray("RL-50") << ScriptedTransmitter::frame("RL-50", "ERROR")
            << "The transmitter rejected the relay settings!\rThey have not been saved."
            << "Com Port is Open";
    }

    void relayFailureIsReported()
    {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, reply);
        QFETCH(QString, message);
        QFETCH(QString, status);
        ConfigFixture f;
        f.script(command, reply);
        f.fake.dialogs.inputAnswers << QStringLiteral("710") << QStringLiteral("-50");
        f.s.setRelayTriggerPoints();
        QCOMPARE(f.transmitter.commands.last(), command);
        QCOMPARE(f.messages().last(), message);
        QCOMPARE(f.fake.desktop.beeps, 1);
        QVERIFY(!f.fake.desktop.busy);
        QCOMPARE(f.s.status().text, status);
    }

    void sheetIsPrinted_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("golden"); // empty: nothing printed
        QTest::newRow("normal listing") << QByteArray() << QByteArray() << "sheet_normal.txt";
        QTest::newRow("last line without line end")
            << QByteArray("PARAM") << QByteArray("PARAM\r\nT0 = 30000\r\nR0 = 20000>")
            << "sheet_no_final_line_end.txt";
        QTest::newRow("empty listing")
            << QByteArray("PARAM") << QByteArray("PARAM\r\n>") << "sheet_empty_listing.txt";
        QTest::newRow("version not STD") << QByteArray("VER") << QByteArray("VER\r\nABC 2.15\r\n>")
                                         << "sheet_unknown_version.txt";
        QTest::newRow("PARAM without its echo")
            << QByteArray("PARAM") << QByteArray("param\r\nT0 = 1\r\n>") << "";
        QTest::newRow("PARAM silent") << QByteArray("PARAM") << QByteArray() << "";
    }

    void sheetIsPrinted()
    {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, reply);
        QFETCH(QString, golden);
        ConfigFixture f;
        f.readings({400}, 21000, 3050.5);
        f.forget();
        if (!command.isEmpty())
            f.script(command, reply);
        f.print();
        QCOMPARE(f.fake.dialogs.shown[0].defaultText, dateAndTime);
        QCOMPARE(f.fake.dialogs.shown[1].defaultText, QString());
        QVERIFY(!f.fake.desktop.busy);
        if (golden.isEmpty()) {
            QVERIFY(f.fake.printer.calls.isEmpty());
            QCOMPARE(f.messages(),
                     QStringList {reply.isEmpty()
                                      ? "Transmitter Not Responding, Check Com And Cables"
                                      : cannotRead});
            QCOMPARE(f.status(), QStringLiteral("Printing|blue"));
            return;
        }
        COMPARE_GOLDEN(f.fake.printer.sheet().toLatin1(), golden);
        QCOMPARE(f.status(), QStringLiteral("Printing Completed|blue"));
        const bool complete = reply.isEmpty() || (reply.endsWith("\r\n>") && reply.size() > 9);
        QCOMPARE(f.messages(), complete ? QStringList() : QStringList {cannotRead});
        // The type and serial number belong to one sheet: the next box is empty.
        f.print(QString());
        QCOMPARE(f.fake.dialogs.shown.last().defaultText, QString());
        QVERIFY(f.s.TransmitterTypeAndSerial.isEmpty());
        // A sheet the printer could not make is a failure.
        f.fake.printer.outcome = {PrintOutcome::Result::Failed, {}};
        f.print();
        QCOMPARE(f.status(), QStringLiteral("Printing Failed|red"));
    }
};

QTEST_MAIN(ConfigTest)
#include "tst_config.moc"
