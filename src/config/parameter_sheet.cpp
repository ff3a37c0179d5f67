#include "parameter_sheet.h"

#include "shell/number_format.h"

namespace {

const QString headingFont = QStringLiteral("ARIAL");
const QString listingFont = QStringLiteral("COURIER");
constexpr int headingColumn = 15;
constexpr int listingColumn = 12;

QString signalText(std::optional<double> value)
{
    return value ? numberText(*value) : QString();
}

} // namespace

QString dateAndTimeText(const QDateTime &now)
{
    return QStringLiteral("Date ") + now.toString(u"yyyy-MM-dd") + QStringLiteral(" Time ")
        + now.toString(u"HH:mm");
}

ParameterSheet parameterSheet(const SheetFacts &facts, const QByteArray &listing)
{
    ParameterSheet sheet;
    const auto heading = [&](const QString &text) {
        sheet.lines << SheetLine {headingFont, headingColumn, text};
    };
    const auto body = [&](const QString &text) {
        sheet.lines << SheetLine {listingFont, listingColumn, text};
    };
    heading(QStringLiteral("Transmitter Parameters"));
    heading(facts.dateAndTime);
    heading({});
    heading(QStringLiteral("Transmitter Type and Serial Number: ") + facts.typeAndSerial);
    heading(QStringLiteral("Transmitter SW-version: ") + facts.version);
    heading({});
    heading({});
    body(QStringLiteral("Last RefX = ") + signalText(facts.refX));
    body(QStringLiteral("Last CO2X = ") + signalText(facts.co2X));
    body({});
    body({});

    qsizetype start = 0;
    do {
        const qsizetype end = listing.indexOf('\n', start);
        if (end < 0) {
            sheet.listingComplete = false;
            break;
        }
        QByteArray line = listing.mid(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        body(QString::fromLatin1(line));
        start = end + 1;
    } while (start < listing.size());
    return sheet;
}
