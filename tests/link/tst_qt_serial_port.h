#pragma once

#include <QObject>

// The real Qt serial port against a pseudo-terminal: the Qt side of the seam.
class QtSerialPortTest : public QObject {
    Q_OBJECT

private slots:
    void settingsTextsAreCheckedLikeTheSerialService_data();
    void settingsTextsAreCheckedLikeTheSerialService();
    void portNumberNamesTheConfiguredDevice();
    void bytesGoOutAndComeBackUnchanged();
    void portInUseOrMissingCannotBeOpened();
    void hangUpClosesThePortOnce();
};
