#include "number_format.h"

#include "leading_number.h"

#include <array>
#include <charconv>
#include <cmath>
#include <string>

namespace {

// Shortest round-trip digits of |value| in fixed notation, for example
// "1012.8686508" or "0.0000125".
std::string shortestFixed(double magnitude)
{
    std::array<char, 400> buffer {};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                      std::chars_format::fixed);
    return std::string(buffer.data(), result.ptr);
}

// Rounds a non-negative decimal text half away from zero to `decimals` places.
std::string roundDecimalText(const std::string &text, int decimals)
{
    const auto point = text.find('.');
    std::string whole = point == std::string::npos ? text : text.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : text.substr(point + 1);

    const bool roundUp = fraction.size() > size_t(decimals) && fraction[size_t(decimals)] >= '5';
    fraction.resize(size_t(decimals), '0');

    std::string digits = whole + fraction;
    if (roundUp) {
        int i = int(digits.size()) - 1;
        for (; i >= 0; --i) {
            if (digits[size_t(i)] == '9') {
                digits[size_t(i)] = '0';
            } else {
                ++digits[size_t(i)];
                break;
            }
        }
        if (i < 0)
            digits.insert(digits.begin(), '1');
    }
    const size_t wholeLength = digits.size() - size_t(decimals);
    std::string out = digits.substr(0, wholeLength);
    if (decimals > 0)
        out += '.' + digits.substr(wholeLength);
    return out;
}

bool isAllZero(const std::string &text)
{
    return text.find_first_not_of("0.") == std::string::npos;
}

} // namespace

QString formatFixed(double value, int decimals)
{
    if (!std::isfinite(value))
        return QStringLiteral("?");
    const std::string rounded = roundDecimalText(shortestFixed(std::fabs(value)), decimals);
    // A value that rounds to zero is shown without a sign, as "0" and not "-0".
    const bool negative = value < 0 && !isAllZero(rounded);
    return QString::fromLatin1((negative ? "-" : "") + rounded);
}

QString formatFixed(const QString &text, int decimals)
{
    if (!isNumberText(text))
        return text;
    return formatFixed(LeadingNumber(text), decimals);
}

QString plainDecimalText(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("?");
    if (value == 0)
        return QStringLiteral("0");
    std::array<char, 400> buffer {};
    const double magnitude = std::fabs(value);
    // Fixed notation for everything a reading or an entry can sensibly hold;
    // scientific beyond, so that a pasted 1e300 does not become 301 digits.
    const auto format = (magnitude >= 1e15 || magnitude < 1e-6) ? std::chars_format::scientific
                                                                : std::chars_format::fixed;
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, format);
    return QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
}

QString numberText(double value)
{
    const QString text = plainDecimalText(value);
    return text.startsWith(u'-') ? text : u' ' + text;
}
