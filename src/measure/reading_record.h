#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The transmitter's answer to "X": a 42-character record of four fixed-width
// fields, tabs at characters 7 and 14, and the prompt last.
struct Reading {
    double rx = 0; // reference-channel signal (field 1, characters 1 to 6)
    double tx = 0; // CO2-channel signal (field 2, characters 8 to 13)
    double ppm = 0; // instant concentration (field 3, characters 15 to 20)
    double avg = 0; // averaged concentration (field 4, characters 22 to 27)
};

// A reply of 45 characters or more holds the echo before the record: keep
// only its last 42 characters, in place. Shorter replies are kept whole.
void cutToRecord(QByteArray &reply);

// Tabs at 7 and 14 and the prompt last.
bool hasRecordShape(const QByteArray &record);

// Each field is the leading number of its six characters (as far as the
// record goes); a field without a number reads as 0.
Reading readRecord(const QByteArray &record);

// What the large display shows for a reading outside a calibration run; an
// empty optional leaves the text as it is.
struct ConcentrationDisplay {
    std::optional<QString> value;
    std::optional<QString> unit;
};
ConcentrationDisplay concentrationDisplay(const Reading &reading);
