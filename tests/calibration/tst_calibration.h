#pragma once

#include <QObject>

class CalibrationRunTest : public QObject {
    Q_OBJECT

private slots:
    void runEndsAtTheNumberOfSamples_data();
    void runEndsAtTheNumberOfSamples();
    void loweringTheNumberDuringARunEndsItAtTheNextSample();
    void badRepliesDuringARun();
    void cancelEndsTheRunAtOnceAndStoresNothing();
    void silentTransmitterCancelsTheRun();
};

class ZeroCalibrationTest : public QObject {
    Q_OBJECT

private slots:
    void wholeZeroCalibrationAndItsUndo();
    void startNeedsBothZeroParameters_data();
    void startNeedsBothZeroParameters();
    void cancelInTheQuestionSendsNothing();
    void startingARunLeavesTheEntriesAlone();
    void storeStopsAtTheFirstFailure_data();
    void storeStopsAtTheFirstFailure();
    void undoWritesBackThePreviousPoint_data();
    void undoWritesBackThePreviousPoint();
    void refusedWithoutSending_data();
    void refusedWithoutSending();
};

class SpanCalibrationTest : public QObject {
    Q_OBJECT

private slots:
    void wholeSpanCalibrationAndItsUndo();
    void spanPointFromTheRun_data();
    void spanPointFromTheRun();
    void tenPercentWarning_data();
    void tenPercentWarning();
    void unusableValuesStoreNothing_data();
    void unusableValuesStoreNothing();
    void computeSpanTS_data();
    void computeSpanTS();
};

class CalibrationOnSimulatorTest : public QObject {
    Q_OBJECT

private slots:
    void zeroAndSpanCalibrationCorrectTheReading();
};
