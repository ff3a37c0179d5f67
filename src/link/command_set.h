#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <chrono>
#include <optional>

// Everything the tool sends to the transmitter and expects back, in one place.
//
// Every command ends with a carriage return. The transmitter answers with the
// echo of the command (without its carriage return), CR LF, the reply text if
// there is any (lines ended by CR LF), and the prompt ">" as the very last
// character. So the reply text of an L-character command begins at character
// L + 3; positions here count from 1, as the transmitter's manual does.
namespace Transmitter {

constexpr char Prompt = '>';
constexpr char CarriageReturn = '\r';
constexpr char EndOfText = '\x03'; // sent once after opening the port at start-up
constexpr char Backspace = '\b'; // sent once after choosing a port from the menu

// Time-outs of the reply wait.
using std::chrono::milliseconds;
constexpr milliseconds PollTimeout {500}; // "X"
constexpr milliseconds ValueWriteTimeout {500}; // "T0", "R0", "TS", "RS" with a value
constexpr milliseconds QueryTimeout {1000}; // every query of a single value
constexpr milliseconds RelayWriteTimeout {1000}; // "RH", "RL" with a value
constexpr milliseconds NoTestTimeout {1000}; // "NOTEST"
constexpr milliseconds StoreTimeout {5000}; // "SAVE", "Save"
constexpr milliseconds DownloadLineTimeout {5000}; // each line of a parameter file
constexpr milliseconds ListingTimeout {5000}; // "VER", "PARAM"

inline constexpr QByteArrayView Reading = "X";
inline constexpr QByteArrayView Store = "SAVE";
inline constexpr QByteArrayView RelayStore = "Save"; // the relay levels are stored in mixed case
inline constexpr QByteArrayView NoTest = "NOTEST";
inline constexpr QByteArrayView Version = "VER";
inline constexpr QByteArrayView Parameters = "PARAM";

// The transmitter's values travel in six-character fields: a value outside
// these bounds is none it can hold, and is never sent.
constexpr double SmallestValue = -99999;
constexpr double LargestValue = 999999;
inline bool fitsAField(double value)
{
    return value >= SmallestValue && value <= LargestValue;
}

// A query whose reply is a label followed by a value ("T0 = 30000").
struct Query {
    QByteArrayView command;
    QByteArrayView label;
    int labelPosition; // where the label stands in the reply
    int valuePosition; // where the value begins
};

inline constexpr Query ZeroT0 {"T0", "T0 = ", 5, 10};
inline constexpr Query ZeroR0 {"R0", "R0 = ", 5, 10};
// One character stands between the span's label and its value.
inline constexpr Query SpanConcentration {"SPAN", "Span = ", 7, 15};
inline constexpr Query SpanTS {"TS", "TSpan = ", 5, 13};
inline constexpr Query SpanRS {"RS", "RSpan = ", 5, 13};
inline constexpr Query RelayHigh {"RH", "Relay high = ", 5, 18};
inline constexpr Query RelayLow {"RL", "Relay low = ", 5, 17};

// The command letters, then the value written directly after them (a whole
// number in the tool's use), then the carriage return: "T012346\r".
QByteArray command(QByteArrayView letters, const QString &value = {});

// The label test at its fixed position, exact and case-sensitive.
bool hasLabel(const QByteArray &reply, const Query &query);

// Drops the reply's last three characters (CR, LF, prompt) in place and
// returns everything from the value's position to the end.
QByteArray takeValue(QByteArray &reply, const Query &query);

// The software version: the 8 characters after "VER" CR LF when they begin
// with "STD", otherwise "?".
QByteArray versionOf(const QByteArray &reply);

// The parameter listing: the reply after "PARAM" CR LF without the final
// prompt; nothing when the reply does not begin with the echo "PARAM".
std::optional<QByteArray> listingOf(const QByteArray &reply);

// The transmitter's refusal: the reply ends with "ERROR" CR LF ">", in any case.
bool endsWithError(const QByteArray &reply);

} // namespace Transmitter
