#pragma once

#include <QObject>

class VanishingTransmitterTest : public QObject {
    Q_OBJECT

private slots:
    void pulledAdapterEndsTheOperationCleanly_data();
    void pulledAdapterEndsTheOperationCleanly();
    void simulatorUnpluggedDuringARunAndPluggedInAgain();
};

class MisbehavingTransmitterTest : public QObject {
    Q_OBJECT

private slots:
    void garbageRepliesChangeNothing_data();
    void garbageRepliesChangeNothing();
    void replyThatNeverEndsTimesOut();
    void bytesAfterThePromptAreNoReply();
    void bytesAfterAQueryReplyStopTheZeroStart();
    void readingsNoFieldCanHoldAreNeverStored();
    void errorToEverythingIsNeverTakenForSuccess_data();
    void errorToEverythingIsNeverTakenForSuccess();
};
