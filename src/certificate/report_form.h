#pragma once

#include "platform/platform.h"

#include <QDate>
#include <QList>
#include <QString>

#include <utility>

// What the technician fills in for a calibration report, in one form.
struct ReportAnswers {
    QString laboratory; // the company or laboratory that calibrated
    QString technician;
    QString certificate; // "KC-2026-0001"
    QString type, serial; // of the transmitter
    QString zeroGas; // "N2 5.0, lot 4711"
    QString zeroGasUncertainty; // "1 ppm"; may be empty
    QString spanGasLot; // the cylinder or lot
    QString spanGasCertified; // ppm, as its certificate gives it
    QString spanGasUncertainty; // "2 %", "20 ppm", as its certificate states it (k = 2)
    QString intervalMonths; // until the next calibration
};

// The form's fields, offering `offered`, and the answers read back from it in
// the same order.
QList<FormField> reportForm(const ReportAnswers &offered);
ReportAnswers reportAnswers(const QList<QString> &texts);
// Why the answers cannot make a report, in a sentence; empty when they can.
QString reportAnswersProblem(const ReportAnswers &answers);

// The certificate number to offer after `last`: the same prefix and year with
// the count one up, the count from 1 in a new year ("KC-2026-0041" gives
// "KC-2026-0042", and "KC-2027-0001" in 2027); a number that only ends in
// digits counts them up; "KC-<year>-0001" when there is nothing to go on.
QString nextCertificateNumber(const QString &last, int year);

// The one entry that the parameter sheet keeps for both, split for the
// report's two fields: "K-33 ICB / 0712345" at its last slash, otherwise at
// its last blank; a single word is taken as the serial number.
std::pair<QString, QString> splitTypeAndSerial(const QString &typeAndSerial);

// "<type>-<serial>-YYYY-MM-DD.pdf", with what a file name cannot hold on
// any system (and blanks) replaced by "_".
QString reportFileName(const QString &type, const QString &serial, const QDate &date);
