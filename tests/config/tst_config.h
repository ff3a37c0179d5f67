#pragma once

#include <QObject>

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
    void silentTransmitterEndsTheOperation_data();
    void silentTransmitterEndsTheOperation();
    void rejectedLevelIsNotReportedAsSaved();
};

class ParameterPrintoutTest : public QObject {
    Q_OBJECT

private slots:
    void sheetIsPrinted_data();
    void sheetIsPrinted();
    void cancelledBoxPrintsNothing_data();
    void cancelledBoxPrintsNothing();
    void unansweredOrUnreadableListingPrintsNothing_data();
    void unansweredOrUnreadableListingPrintsNothing();
    void printerOutcomeIsReported_data();
    void printerOutcomeIsReported();
    void qtPrinterSavesAPdfThatReadsBack();
};
