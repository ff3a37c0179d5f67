#pragma once

#include <QByteArrayView>
#include <QStringView>

// Reads a number the way the transmitter tool has always read typed entries and
// reply fields: the longest leading part that forms a decimal number (optional
// sign, digits, "." as the decimal point, optional exponent), with blanks
// anywhere in it ignored. A text that does not begin with a number reads as 0,
// and so does a number too large for a double: callers never see inf or NaN.
double LeadingNumber(QStringView text);
double LeadingNumber(QByteArrayView text);

// True when the whole text, apart from surrounding white space, is one decimal
// number. This is the test that decides whether a value is reformatted or
// passed through unchanged by the display formats.
bool isNumberText(QStringView text);
