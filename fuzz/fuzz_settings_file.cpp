// The settings file as it may be found on disk (hand-edited, truncated, any
// bytes), and the serial settings text in it. Whatever the serial service
// accepts must be written back in a form that the next start reads the same.

#include "fuzz_check.h"
#include "platform/serial_settings.h"
#include "shell/settings_file.h"

#include <QByteArray>
#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray file(reinterpret_cast<const char *>(data), qsizetype(size));
    const RememberedPort remembered = parseSettingsText(file);
    FUZZ_CHECK(remembered.number >= 0 && remembered.number <= 9);
    FUZZ_CHECK(remembered.settings.size() == qMax<qsizetype>(0, file.size() - 5));

    const std::optional<SerialSettings> settings = parseSerialSettings(remembered.settings);
    if (!settings)
        return 0;
    FUZZ_CHECK(settings->dataBits >= 5 && settings->dataBits <= 8);
    FUZZ_CHECK(settings->baud >= 110 && settings->baud <= 256000);

    // What the service reports reads back as the same settings ...
    const std::optional<SerialSettings> again = parseSerialSettings(settings->text());
    FUZZ_CHECK(again && *again == *settings);

    // ... and the file written for it after a port choice, too.
    const int port = remembered.number == 0 ? 1 : remembered.number;
    const QByteArray written = settingsText(port, settings->text());
    FUZZ_CHECK(written.size() == 5 + settings->text().size());
    const RememberedPort reread = parseSettingsText(written);
    FUZZ_CHECK(reread.number == port);
    const std::optional<SerialSettings> fromFile = parseSerialSettings(reread.settings);
    FUZZ_CHECK(fromFile && fromFile->baud == settings->baud
               && fromFile->dataBits == settings->dataBits
               && fromFile->stopBits == settings->stopBits);
    return 0;
}
