#pragma once

#include <QString>

// The number texts the window shows and sends. All of them use "." as the
// decimal point and no thousands separator, whatever the desktop's locale, so
// that what goes on the wire never depends on the technician's settings.

// Fixed-point text with the given number of decimals, rounded half away from
// zero on the shortest decimal form of the value (so 2.675 gives 2.68, as a
// technician reading the number expects). The patterns "0", "0.0", "0.00" and
// "0.000" are decimals 0 to 3. A value without a finite value gives "?".
QString formatFixed(double value, int decimals);

// The same format applied to a text: a text that is a number is reformatted,
// any other text passes through unchanged.
QString formatFixed(const QString &text, int decimals);

// The pattern "0": every value sent to the transmitter travels in this form.
inline QString wholeNumberText(double value)
{
    return formatFixed(value, 0);
}
inline QString wholeNumberText(const QString &text)
{
    return formatFixed(text, 0);
}

// The shortest plain decimal text that reads back as the same double: no
// trailing zeros, no leading blank ("1002", "10.5", "-0.25").
QString plainDecimalText(double value);

// Plain decimal text with one leading blank for 0 or more; a minus sign takes
// the blank's place otherwise (" 1", "-1", " 10.5"). Used where a number is
// joined into a progress text or a printed line.
QString numberText(double value);
