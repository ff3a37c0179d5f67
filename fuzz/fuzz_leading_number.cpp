// Typed entries and reply fields are read with LeadingNumber, and every value
// the program shows or sends is one of the number formats. What is read must
// always be a finite number, and what is written must read back as the value
// it stands for.

#include "fuzz_check.h"
#include "shell/leading_number.h"
#include "shell/number_format.h"

#include <QByteArray>
#include <QString>

#include <cmath>
#include <cstring>

namespace {

void checkReading(const QByteArray &bytes)
{
    const double fromBytes = LeadingNumber(QByteArrayView(bytes));
    FUZZ_CHECK(std::isfinite(fromBytes));
    // A reply is read byte by byte and an entry as text: the same characters
    // must give the same number either way.
    FUZZ_CHECK(LeadingNumber(QString::fromLatin1(bytes)) == fromBytes);

    const QString typed = QString::fromUtf8(bytes);
    const double fromText = LeadingNumber(typed);
    FUZZ_CHECK(std::isfinite(fromText));
    if (isNumberText(typed)) {
        // A number text is reformatted by the display formats; the result
        // must again be a number text near the value.
        for (int decimals = 0; decimals <= 3; ++decimals) {
            const QString shown = formatFixed(typed, decimals);
            FUZZ_CHECK(isNumberText(shown));
            const double back = LeadingNumber(shown);
            FUZZ_CHECK(std::fabs(back - fromText)
                           <= 0.5 * std::pow(10.0, -decimals) + std::fabs(fromText) * 1e-15
                       || std::fabs(fromText) >= 1e300);
        }
    }
}

void checkWriting(double value)
{
    if (!std::isfinite(value)) {
        FUZZ_CHECK(formatFixed(value, 0) == QStringLiteral("?"));
        return;
    }
    // Labels, progress texts and stored calibration values hold the shortest
    // text of a double: it must read back as exactly that double. Subnormal
    // numbers are read as 0 on purpose; no reading or entry produces one.
    if (std::fpclassify(value) != FP_SUBNORMAL) {
        FUZZ_CHECK(LeadingNumber(plainDecimalText(value)) == value);
        FUZZ_CHECK(LeadingNumber(numberText(value)) == value);
    }
    FUZZ_CHECK(isNumberText(plainDecimalText(value)));

    // A whole number sent to the transmitter reads back as the value rounded
    // half away from zero.
    const QString whole = wholeNumberText(value);
    FUZZ_CHECK(isNumberText(whole));
    FUZZ_CHECK(!whole.contains(u'.') && !whole.contains(u'e') && !whole.contains(u' '));
    if (std::fabs(value) < 0x1p52)
        FUZZ_CHECK(LeadingNumber(whole) == std::round(value));

    for (int decimals = 1; decimals <= 3; ++decimals) {
        const QString shown = formatFixed(value, decimals);
        const qsizetype point = shown.indexOf(u'.');
        FUZZ_CHECK(point > 0 && shown.size() - point - 1 == decimals);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    checkReading(bytes);
    // The same bytes as a double, so every bit pattern is formatted too.
    if (size >= sizeof(double)) {
        double value;
        std::memcpy(&value, data, sizeof value);
        checkWriting(value);
    }
    checkWriting(LeadingNumber(QByteArrayView(bytes)));
    return 0;
}
