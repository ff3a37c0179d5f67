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

// Collects the characters of the leading number into plain ASCII, dropping the
// blanks between them, so that std::from_chars can read it without a locale.
template<typename Text> std::string leadingNumberChars(const Text &text)
{
    std::string out;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto at = [&](qsizetype k) { return code(text[k]); };
    auto skipBlanks = [&] {
        while (i < n && isBlank(at(i)))
            ++i;
    };

    skipBlanks();
    if (i < n && (at(i) == u'+' || at(i) == u'-')) {
        if (at(i) == u'-')
            out += '-';
        ++i;
    }
    bool digits = false;
    for (skipBlanks(); i < n && isDigit(at(i)); ++i, skipBlanks()) {
        out += char(at(i));
        digits = true;
    }
    if (i < n && at(i) == u'.') {
        out += '.';
        for (++i, skipBlanks(); i < n && isDigit(at(i)); ++i, skipBlanks()) {
            out += char(at(i));
            digits = true;
        }
    }
    if (!digits)
        return {};

    if (i < n && (at(i) == u'e' || at(i) == u'E')) {
        // The exponent belongs to the number only when digits follow it.
        std::string exponent = "e";
        qsizetype j = i + 1;
        while (j < n && isBlank(at(j)))
            ++j;
        if (j < n && (at(j) == u'+' || at(j) == u'-')) {
            exponent += char(at(j));
            ++j;
        }
        bool exponentDigits = false;
        for (; j < n; ++j) {
            if (isDigit(at(j))) {
                exponent += char(at(j));
                exponentDigits = true;
            } else if (!isBlank(at(j))) {
                break;
            }
        }
        if (exponentDigits)
            out += exponent;
    }
    return out;
}

double readChars(const std::string &chars)
{
    if (chars.empty())
        return 0.0;
    double value = 0.0;
    const char *first = chars.data();
    const char *last = chars.data() + chars.size();
    // from_chars does not take "-.5" style text apart from its sign handling,
    // which it does; it rejects a lone "." and a leading "+" (never produced).
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec == std::errc::result_out_of_range) {
        // Underflow reads as 0 (as it should); overflow reads as 0 too, so a
        // typed "1e999" is "no usable number" rather than an infinity, and
        // isNumberText() does not count it as a number.
        return 0.0;
    }
    if (ec != std::errc() || ptr == first || !std::isfinite(value))
        return 0.0;
    return value;
}

} // namespace

double LeadingNumber(QStringView text)
{
    return readChars(leadingNumberChars(text));
}

double LeadingNumber(QByteArrayView text)
{
    return readChars(leadingNumberChars(text));
}

bool isNumberText(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return false;
    qsizetype i = 0;
    const qsizetype n = t.size();
    if (t[i] == u'+' || t[i] == u'-')
        ++i;
    bool digits = false;
    while (i < n && isDigit(t[i].unicode())) {
        ++i;
        digits = true;
    }
    if (i < n && t[i] == u'.') {
        ++i;
        while (i < n && isDigit(t[i].unicode())) {
            ++i;
            digits = true;
        }
    }
    if (!digits)
        return false;
    if (i < n && (t[i] == u'e' || t[i] == u'E')) {
        ++i;
        if (i < n && (t[i] == u'+' || t[i] == u'-'))
            ++i;
        bool exponentDigits = false;
        while (i < n && isDigit(t[i].unicode())) {
            ++i;
            exponentDigits = true;
        }
        if (!exponentDigits)
            return false;
    }
    if (i != n)
        return false;
    // A number too large for a double is no number the program can use; one
    // too small reads as 0 and rightly so. strtod tells the two apart (an
    // overflow gives infinity), and the C locale keeps its decimal point.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return !std::isinf(strtod_l(t.toLatin1().constData(), nullptr, cLocale));
}
