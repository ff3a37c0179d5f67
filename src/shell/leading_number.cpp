#include "leading_number.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace {

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

char16_t code(QChar c)
{
    return c.unicode();
}

char16_t code(char c)
{
    return char16_t(uchar(c));
}

enum class Blanks { Skipped, Ending };

// The one grammar of a decimal number in this program: optional sign,
// digits, "." and more digits (at least one digit in all), and an exponent
// that belongs to the number only when digits follow it. Collects the
// number's characters into plain ASCII and says where it ended. With blanks
// skipped, blanks anywhere in the number are ignored (a typed "1 013");
// otherwise a blank ends it.
struct Scanned {
    std::string chars; // empty when the text does not begin with a number
    qsizetype end = 0;
};

template<typename Text> Scanned scanNumber(const Text &text, Blanks blanks)
{
    Scanned out;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto at = [&](qsizetype k) { return code(text[k]); };
    auto skipBlanks = [&](qsizetype &k) {
        while (blanks == Blanks::Skipped && k < n && isBlank(at(k)))
            ++k;
    };
    auto digitsAt = [&](qsizetype &k, std::string &into) {
        bool any = false;
        for (skipBlanks(k); k < n && isDigit(at(k)); ++k, skipBlanks(k)) {
            into += char(at(k));
            any = true;
        }
        return any;
    };

    skipBlanks(i);
    std::string number;
    if (i < n && (at(i) == u'+' || at(i) == u'-')) {
        if (at(i) == u'-')
            number += '-';
        ++i;
    }
    bool digits = digitsAt(i, number);
    if (i < n && at(i) == u'.') {
        number += '.';
        ++i;
        digits = digitsAt(i, number) || digits;
    }
    if (!digits)
        return {};

    if (i < n && (at(i) == u'e' || at(i) == u'E')) {
        std::string exponent = "e";
        qsizetype j = i + 1;
        skipBlanks(j);
        if (j < n && (at(j) == u'+' || at(j) == u'-'))
            exponent += char(at(j++));
        if (digitsAt(j, exponent)) {
            number += exponent;
            i = j;
        }
    }
    return {number, i};
}

// Underflow reads as 0, as it should; so does overflow, so that a typed
// "1e999" is no usable number rather than an infinity.
double readChars(const std::string &chars)
{
    if (chars.empty())
        return 0.0;
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(chars.data(), chars.data() + chars.size(), value);
    if (ec != std::errc() || ptr == chars.data() || !std::isfinite(value))
        return 0.0;
    return value;
}

} // namespace

double LeadingNumber(QStringView text)
{
    return readChars(scanNumber(text, Blanks::Skipped).chars);
}

double LeadingNumber(QByteArrayView text)
{
    return readChars(scanNumber(text, Blanks::Skipped).chars);
}

bool isNumberText(QStringView text)
{
    const QStringView t = text.trimmed();
    const Scanned scanned = scanNumber(t, Blanks::Ending);
    if (scanned.chars.empty() || scanned.end != t.size())
        return false;
    // A number too large for a double is no number the program can use; one
    // too small reads as 0 and rightly so. strtod tells the two apart (an
    // overflow gives infinity), and the C locale keeps its decimal point.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return !std::isinf(strtod_l(scanned.chars.c_str(), nullptr, cLocale));
}
