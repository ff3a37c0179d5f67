// The replies to "VER" and "PARAM" and the parameter sheet built from them:
// the version taken, the listing cut into printed lines.

#include "config/parameter_sheet.h"
#include "fuzz_check.h"
#include "link/command_set.h"

#include <QByteArray>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray reply(reinterpret_cast<const char *>(data), qsizetype(size));

    const QByteArray version = Transmitter::versionOf(reply);
    FUZZ_CHECK(version == "?" || (version.startsWith("STD") && version.size() <= 8));

    const std::optional<QByteArray> listing = Transmitter::listingOf(reply);
    FUZZ_CHECK(listing.has_value() == reply.startsWith("PARAM"));
    if (!listing)
        return 0;
    FUZZ_CHECK(listing->size() == qMax<qsizetype>(0, reply.size() - 8));

    const ParameterSheet sheet
        = parameterSheet({QStringLiteral("Date 2026-12-06 Time 14:05"), QStringLiteral("K-1 0042"),
                          QString::fromLatin1(version), 20000.0, 30000.0},
                         *listing);
    // Eleven heading lines, then one printed line per line end of the
    // listing; whatever follows the last line end is not printed and makes
    // the listing incomplete.
    const qsizetype lineEnds = listing->count('\n');
    FUZZ_CHECK(sheet.lines.size() == 11 + lineEnds);
    FUZZ_CHECK(sheet.listingComplete == (!listing->isEmpty() && listing->endsWith('\n')));
    // Each printed line is its listing line without the line end.
    const QList<QByteArray> lines = listing->split('\n');
    for (qsizetype i = 11; i < sheet.lines.size(); ++i) {
        QByteArray line = lines[i - 11];
        if (line.endsWith('\r'))
            line.chop(1);
        FUZZ_CHECK(sheet.lines[i].text == QString::fromLatin1(line));
        FUZZ_CHECK(sheet.lines[i].column == 12);
    }
    return 0;
}
