#include "report_form.h"

#include <QRegularExpression>

QList<FormField> reportForm(const ReportAnswers &a)
{
    return {
        {QStringLiteral("Company or laboratory"), a.laboratory},
        {QStringLiteral("Technician"), a.technician},
        {QStringLiteral("Certificate number"), a.certificate},
        {QStringLiteral("Transmitter type"), a.type},
        {QStringLiteral("Serial number"), a.serial},
        {QStringLiteral("Zero gas (kind, lot)"), a.zeroGas},
        {QStringLiteral("Zero gas uncertainty (ppm)"), a.zeroGasUncertainty},
        {QStringLiteral("Span gas cylinder or lot"), a.spanGasLot},
        {QStringLiteral("Span gas certified (ppm)"), a.spanGasCertified},
        {QStringLiteral("Span gas uncertainty (% or ppm)"), a.spanGasUncertainty},
        {QStringLiteral("Next calibration in (months)"), a.intervalMonths},
    };
}

ReportAnswers reportAnswers(const QList<QString> &texts)
{
    const auto at = [&texts](qsizetype i) { return texts.value(i).trimmed(); };
    return {at(0), at(1), at(2), at(3), at(4), at(5), at(6), at(7), at(8), at(9), at(10)};
}

QString reportAnswersProblem(const ReportAnswers &a)
{
    if (a.type.isEmpty() || a.serial.isEmpty())
        return QStringLiteral("The report needs the transmitter's type and serial number.");
    if (a.certificate.isEmpty())
        return QStringLiteral("The report needs a certificate number.");
    bool ok = false;
    const int months = a.intervalMonths.toInt(&ok);
    if (!ok || months < 1 || months > 120)
        return QStringLiteral("The next calibration is due in 1 to 120 months.");
    return {};
}

QString nextCertificateNumber(const QString &last, int year)
{
    const auto counted = [](qlonglong n, qsizetype width) {
        return QStringLiteral("%1").arg(n, int(std::max<qsizetype>(width, 4)), 10, QChar(u'0'));
    };
    static const QRegularExpression yearly(QStringLiteral(R"(^(.*\D)(\d{4})-(\d+)$)"));
    static const QRegularExpression counting(QStringLiteral(R"(^(.*?)(\d+)$)"));
    const QString trimmed = last.trimmed();
    if (const auto m = yearly.match(trimmed); m.hasMatch()) {
        const bool sameYear = m.captured(2).toInt() == year;
        return m.captured(1) + QString::number(year) + u'-'
            + counted(sameYear ? m.captured(3).toLongLong() + 1 : 1, m.capturedLength(3));
    }
    if (const auto m = counting.match(trimmed); m.hasMatch())
        return m.captured(1) + counted(m.captured(2).toLongLong() + 1, m.capturedLength(2));
    return QStringLiteral("KC-%1-0001").arg(year);
}

std::pair<QString, QString> splitTypeAndSerial(const QString &typeAndSerial)
{
    const QString text = typeAndSerial.trimmed();
    qsizetype cut = text.lastIndexOf(u'/');
    if (cut < 0)
        cut = text.lastIndexOf(u' ');
    if (cut < 0)
        return {QString(), text};
    return {text.left(cut).trimmed(), text.mid(cut + 1).trimmed()};
}

QString reportFileName(const QString &type, const QString &serial, const QDate &date)
{
    static const QRegularExpression unsafe(QStringLiteral(R"([\\/:*?"<>|\s\x00-\x1f]+)"));
    const auto safe
        = [](QString text) { return text.trimmed().replace(unsafe, QStringLiteral("_")); };
    return QStringLiteral("%1-%2-%3.pdf")
        .arg(safe(type), safe(serial), date.toString(u"yyyy-MM-dd"));
}
