#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The one setting kept between runs: the serial port last opened from the Com
// menu with its line settings, as the single line "COM2:9600,N,8,1" (no line
// end) in a file in the current directory.

struct RememberedPort {
    int number = 0; // the digit after "COM"; 0 when it is not a digit
    QString settings; // everything after the colon, unchanged
};

// Splits the file's text: the port digit is its fourth character, the settings
// text everything from its sixth character on.
RememberedPort parseSettingsText(const QByteArray &text);

// The file's text for an open port: "COM", the last digit of the port number,
// ":", the line settings in upper case.
QByteArray settingsText(int portNumber, const QString &settings);

// nullopt when no such file exists. A file that exists but cannot be read
// gives what could be read (possibly nothing).
std::optional<QByteArray> readSettingsFile(const QString &fileName);

// Replaces the file by one holding exactly `text`, whole or not at all: false
// when it cannot be written, and the old file, if any, is left as it was.
bool writeSettingsFile(const QString &fileName, const QByteArray &text);

void deleteSettingsFile(const QString &fileName);
