#pragma once

#include "golden.h"
#include "window_fixture.h"

#include <QAction>
#include <QObject>

// A linked window; the transmitter acknowledges whatever a test leaves
// unscripted, so that a test names only what matters.
struct ConfigFixture : LinkedWindowFixture {
    ConfigFixture() { startLinked(); }

    // One reading taken by the poll, then everything so far forgotten.
    void takeReading(double rx, double tx)
    {
        transmitter.setReading(rx, tx, 400, 400);
        poll();
        forget();
    }
    QStringList messages() const { return fake.dialogs.messageTexts(); }
};

class ParameterDownloadTest : public QObject {
    Q_OBJECT

private slots:
    void fileGoesOutAsItStands_data();
    void fileGoesOutAsItStands();
    void downloadStopsAtRejectionOrSilence_data();
    void downloadStopsAtRejectionOrSilence();
    void cancelledDialogKeepsTheEarlierChoice();
    void unreadableFileSendsNothing_data();
    void unreadableFileSendsNothing();
    void operationsRefuseToStart_data();
    void operationsRefuseToStart();
};

class RelayTriggerPointsTest : public QObject {
    Q_OBJECT

private slots:
    void levelsAreCheckedAndSent_data();
    void levelsAreCheckedAndSent();
    void operationEndsWithoutAMessage_data();
    void operationEndsWithoutAMessage();
    void replyOfAnotherFormKeepsTheLevelOfferedBefore();
    void failureIsReported_data();
    void failureIsReported();
};

class ParameterPrintoutTest : public QObject {
    Q_OBJECT

private slots:
    void sheetIsPrinted_data();
    void sheetIsPrinted();
    void nothingIsPrinted_data();
    void nothingIsPrinted();
    void printerOutcomeIsReported_data();
    void printerOutcomeIsReported();
    void qtPrinterSavesAPdfThatReadsBack();
};
