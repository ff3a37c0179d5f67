// The reply to "X", whatever the line delivers: the record check, the four
// fields and what the large display shows for them.

#include "fuzz_check.h"
#include "measure/reading_record.h"
#include "shell/leading_number.h"

#include <QByteArray>

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray reply(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype received = reply.size();
    cutToRecord(reply);
    // Only the record's end survives a long reply; a short one is kept whole.
    FUZZ_CHECK(received >= 45 ? reply.size() == 42 : reply.size() == received);

    if (!hasRecordShape(reply))
        return 0;
    FUZZ_CHECK(reply[6] == '\t' && reply[13] == '\t' && reply.back() == '>');

    // A record that passes the check always gives four finite fields, each
    // read from its own six characters only.
    const Reading reading = readRecord(reply);
    for (double field : {reading.rx, reading.tx, reading.ppm, reading.avg})
        FUZZ_CHECK(std::isfinite(field));
    FUZZ_CHECK(reading.rx == LeadingNumber(QByteArrayView(reply).first(6)));
    FUZZ_CHECK(reading.tx == LeadingNumber(QByteArrayView(reply).sliced(7, 6)));

    const ConcentrationDisplay display = concentrationDisplay(reading);
    if (display.value) {
        FUZZ_CHECK(!display.value->isEmpty());
        FUZZ_CHECK(!display.value->contains(u'?'));
    }
    if (reading.tx > 0)
        FUZZ_CHECK(display.value && display.unit);
    return 0;
}
