#pragma once

#include <QObject>

class SettingsFileTest : public QObject {
    Q_OBJECT

private slots:
    void textNamesPortAndSettings_data();
    void textNamesPortAndSettings();
    void writtenTextKeepsLastDigitAndUpperCase();
    void fileIsWrittenExactlyAndDeleted();
    void directoryInPlaceIsNoSettingsFile();
};
