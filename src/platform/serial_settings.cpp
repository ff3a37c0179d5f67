#include "serial_settings.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace {

constexpr std::array standardBauds {110,   300,   600,   1200,  2400,   4800,   9600,
                                    14400, 19200, 38400, 57600, 115200, 128000, 256000};

bool isDigits(const QString &text)
{
    return !text.isEmpty()
        && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

} // namespace

QString SerialSettings::text() const
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(baud)
        .arg(QChar::fromLatin1(parity))
        .arg(dataBits)
        .arg(stopBits);
}

std::optional<SerialSettings> parseSerialSettings(const QString &text)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != 4)
        return std::nullopt;

    SerialSettings s;
    if (!isDigits(parts[0]) || parts[0].size() > 6)
        return std::nullopt;
    s.baud = parts[0].toInt();
    if (std::find(standardBauds.begin(), standardBauds.end(), s.baud) == standardBauds.end())
        return std::nullopt;

    if (parts[1].size() != 1 || !QStringLiteral("nNeEoOmMsS").contains(parts[1][0]))
        return std::nullopt;
    s.parity = parts[1][0].toLatin1();

    if (parts[2].size() != 1 || parts[2][0] < u'5' || parts[2][0] > u'8')
        return std::nullopt;
    s.dataBits = parts[2].toInt();

    if (parts[3] != u"1" && parts[3] != u"1.5" && parts[3] != u"2")
        return std::nullopt;
    s.stopBits = parts[3];
    return s;
}
