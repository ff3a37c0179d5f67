#include "transmitter_history.h"

#include "judgement/as_left.h"
#include "record/calibration_record.h"
#include "shell/number_format.h"

#include <QHash>

#include <algorithm>

namespace {

// The record's columns that the history reads.
enum Column {
    EventColumn = 0,
    RowColumn = 1,
    TimeColumn = 2,
    KindColumn = 6,
    OutcomeColumn = 7,
    AppliedColumn = 11,
    AsFoundColumn = 28,
    FirstAsLeftColumn = 29,
    ToleranceColumn = 34,
    LastColumn = 35, // of a certificate row
    CountedColumn = 36, // of an as-left row, in records started since it was added
};
constexpr int asLeftColumns = 5;

// A value in the certificate's last column cannot hold the separators.
QString plain(QString text)
{
    return text.replace(u';', u',').replace(u'=', u'-').trimmed();
}

// The certificate's transmitter and events from its last column.
struct Certified {
    QString serial;
    QList<int> events;
};

Certified certifiedIn(const QString &field)
{
    Certified c;
    for (const QString &part : field.split(u';')) {
        const QString key = part.section(u'=', 0, 0).trimmed();
        const QString value = part.section(u'=', 1).trimmed();
        if (key == u"serial") {
            c.serial = value;
        } else if (key == u"events") {
            for (const QString &n : value.split(u' ', Qt::SkipEmptyParts))
                if (bool ok = false; n.toInt(&ok) > 0 && ok)
                    c.events << n.toInt();
        }
    }
    return c;
}

// The readings an as-left row counts: as it says, or, in a row from before it
// said so, as the rule finds them from the figures the record kept (no noise,
// so only the floor tells a new gas).
AsLeftSpan countedIn(const QStringList &asLeft, const QStringList &calibration,
                     const QList<double> &readings)
{
    if (asLeft.size() > CountedColumn) {
        const QString text = asLeft[CountedColumn];
        const int first = text.section(u'-', 0, 0).toInt();
        const int last = text.contains(u'-') ? text.section(u'-', 1).toInt() : first;
        if (first < 1 || last < first)
            return {};
        return {first - 1, last - first + 1};
    }
    AsLeftFigures figures;
    figures.appliedPpm = calibration[AppliedColumn].toDouble();
    bool ok = false;
    figures.tolerancePpm = calibration.value(ToleranceColumn).toDouble(&ok);
    if (!ok)
        figures.tolerancePpm = toleranceAt({}, figures.appliedPpm);
    figures.correctionPpm = calibration[AsFoundColumn].toDouble() - figures.appliedPpm;
    return countedAsLeft(readings, figures);
}

QString asLeftMean(const QStringList &asLeft, const QStringList &calibration)
{
    QList<double> readings;
    for (int i = FirstAsLeftColumn; i < FirstAsLeftColumn + asLeftColumns; ++i) {
        bool ok = false;
        const double value = asLeft.value(i).toDouble(&ok);
        if (!ok)
            break;
        readings << value;
    }
    const AsLeftSpan span = countedIn(asLeft, calibration, readings);
    const QList<double> counted = readings.mid(span.first, span.count);
    if (counted.isEmpty())
        return {};
    double sum = 0;
    for (double reading : counted)
        sum += reading;
    return formatFixed(sum / double(counted.size()), 1);
}

} // namespace

QString certificateRow(const Certificate &c, int rowNumber)
{
    QStringList events;
    for (int n : c.events)
        events << QString::number(n);
    QStringList fields {QString::number(rowNumber),
                        QStringLiteral("certificate"),
                        isoTimeWithOffset(c.time),
                        c.port,
                        c.device,
                        c.version,
                        QStringLiteral("certificate"),
                        c.number};
    while (fields.size() < LastColumn)
        fields << QString();
    fields << QStringLiteral("type=%1; serial=%2; events=%3")
                  .arg(plain(c.type), plain(c.serial), events.join(u' '));
    for (QString &field : fields)
        field = csvField(field);
    return fields.join(u',');
}

QList<QStringList> parseCsv(const QString &text)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    bool rowHasText = false;
    const auto endRow = [&] {
        if (rowHasText || !row.isEmpty())
            rows << (row << field);
        row = {};
        field.clear();
        rowHasText = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c != u'"')
                field += c;
            else if (i + 1 < text.size() && text[i + 1] == u'"')
                field += text[++i];
            else
                quoted = false;
        } else if (c == u'"') {
            quoted = rowHasText = true;
        } else if (c == u',') {
            row << std::exchange(field, {});
        } else if (c == u'\n') {
            endRow();
        } else if (c != u'\r') {
            field += c;
            rowHasText = true;
        }
    }
    endRow();
    return rows;
}

QList<HistoryEntry> transmitterHistory(const QString &record, const QString &serial,
                                       const QList<int> &excluding)
{
    const QString wanted = plain(serial);
    if (wanted.isEmpty())
        return {};
    QHash<int, QStringList> calibrations, asLeft;
    QList<std::pair<QString, Certified>> certificates;
    for (const QStringList &fields : parseCsv(record)) {
        if (fields.size() <= AsFoundColumn)
            continue;
        const int number = fields[EventColumn].toInt();
        const QString &row = fields[RowColumn];
        if (row == u"calibration")
            calibrations.insert(number, fields);
        else if (row == u"as left")
            asLeft.insert(number, fields);
        else if (row == u"certificate")
            certificates.append({fields[OutcomeColumn], certifiedIn(fields.value(LastColumn))});
    }

    QList<int> seen = excluding;
    QList<HistoryEntry> history;
    for (const auto &[certificate, certified] : certificates) {
        if (certified.serial.compare(wanted, Qt::CaseInsensitive) != 0)
            continue;
        for (int number : certified.events) {
            if (seen.contains(number) || !calibrations.contains(number))
                continue;
            seen << number;
            const QStringList &f = calibrations[number];
            HistoryEntry e {QDateTime::fromString(f[TimeColumn], Qt::ISODate),
                            certificate,
                            f[KindColumn],
                            f[AppliedColumn],
                            f[AsFoundColumn],
                            {}};
            if (f[KindColumn].startsWith(u"check"))
                e.asLeft = e.asFound;
            else if (asLeft.contains(number))
                e.asLeft = asLeftMean(asLeft[number], f);
            history << e;
        }
    }
    std::stable_sort(history.begin(), history.end(),
                     [](const HistoryEntry &a, const HistoryEntry &b) { return a.time < b.time; });
    return history;
}
