#include "reading_record.h"

#include "shell/leading_number.h"
#include "shell/number_format.h"

#include <cmath>

namespace {

constexpr qsizetype recordLength = 42;

double field(const QByteArray &record, qsizetype position)
{
    return LeadingNumber(record.mid(position - 1, 6));
}

} // namespace

void cutToRecord(QByteArray &reply)
{
    if (reply.size() >= recordLength + 3)
        reply = reply.right(recordLength);
}

bool hasRecordShape(const QByteArray &record)
{
    return record.size() >= 14 && record[6] == '\t' && record[13] == '\t' && record.back() == '>';
}

Reading readRecord(const QByteArray &record)
{
    return {field(record, 1), field(record, 8), field(record, 15), field(record, 22)};
}

ConcentrationDisplay concentrationDisplay(const Reading &reading)
{
    if (reading.tx > 0) {
        // Steps of 10 ppm below 1 %, percent by volume with two decimals above.
        if (reading.avg < 10000)
            return {plainDecimalText(10 * std::round(reading.avg / 10)), QStringLiteral("ppm")};
        return {formatFixed(reading.avg / 10000, 2), QStringLiteral("%")};
    }
    // No CO2 signal: no IR light at all, or light but no measurement.
    if (reading.rx == 0)
        return {QStringLiteral("...."), std::nullopt};
    if (reading.rx > 0)
        return {QStringLiteral("----"), std::nullopt};
    return {};
}
