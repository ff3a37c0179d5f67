#include "report_page.h"

#include "certificate/calibration_report.h"
#include "shell/number_format.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace {

// The runs of one plot, told apart by colour.
const QColor runColours[] = {QColor(0, 0, 200), QColor(200, 90, 0), QColor(120, 0, 160)};

// Lays the report out from the top of the printable area down. Positions
// are given in points (1/72 inch) and drawn in the printer's own pixels, so
// fonts keep their point sizes whatever its resolution. A first pass with
// `draw` false only measures, so the page can be scaled to fit.
class ReportPage {
public:
    ReportPage(QPrinter &printer, QPainter &painter, bool draw, double zoom)
        : m_printer(printer), m_painter(painter), m_draw(draw),
          m_scale(printer.resolution() / 72.0), m_width(printer.width() / m_scale / zoom)
    {
    }

    double height() const { return m_y; }

    void title(const QString &text, const QString &certificate)
    {
        setFont(17, true);
        textAt(0, text);
        setFont(11, true);
        rightText(m_width, certificate);
        setFont(17, true);
        m_y += lineHeight() + 2;
    }

    // Two blocks of lines side by side.
    void twoColumns(const QList<ReportLine> &left, const QList<ReportLine> &right)
    {
        const double top = m_y;
        lines(left, 0, 130);
        const double bottom = m_y;
        m_y = top;
        lines(right, m_width * 0.56, m_width * 0.56 + 100);
        m_y = std::max(m_y, bottom);
    }

    void lines(const QList<ReportLine> &lines, double x, double valueX)
    {
        for (const ReportLine &line : lines) {
            setFont(9, true);
            textAt(x, line.label);
            setFont(9, false);
            textAt(valueX, elided(line.value, m_width - valueX));
            m_y += lineHeight();
        }
    }

    void heading(const QString &text)
    {
        m_y += 8;
        setFont(11, true);
        textAt(0, text);
        m_y += lineHeight();
        line(0, m_width);
        m_y += 3;
    }

    void results(const CalibrationReport &report)
    {
        // Right edges of the figures, from the left edge of the table.
        static constexpr double figures[] = {158, 200, 242, 297, 345, 378, 416};
        static constexpr double resultX = 424;
        setFont(8, true);
        textAt(0, QStringLiteral("Time"));
        textAt(40, QStringLiteral("Check or calibration"));
        const QString captions[]
            = {QStringLiteral("Gas"),       QStringLiteral("As found"), QStringLiteral("As left"),
               QStringLiteral("Found−gas"), QStringLiteral("Left−gas"), QStringLiteral("Tol."),
               QStringLiteral("U (k=2)")};
        for (int c = 0; c < 7; ++c)
            rightText(figures[c], captions[c]);
        textAt(resultX, QStringLiteral("Result"));
        m_y += lineHeight();
        for (const ReportResult &r : report.results) {
            setFont(8.5, false);
            textAt(0, r.time);
            textAt(40, r.point);
            const QString values[]
                = {r.applied,        r.asFound,   r.asLeft,     r.foundDifference,
                   r.leftDifference, r.tolerance, r.uncertainty};
            for (int c = 0; c < 7; ++c)
                rightText(figures[c], values[c]);
            setFont(8.5, true);
            textAt(resultX, r.verdict);
            m_y += lineHeight();
            setFont(7.5, false, true);
            wrapped(40, r.judgement, QColor(70, 70, 70));
            m_y += 1.5;
        }
        note(report.resultsNote);
        note(report.uncertaintyNote);
        note(report.decisionRule);
    }

    void plots(const QList<ReportPlot> &plots)
    {
        if (plots.isEmpty())
            return;
        m_y += 6;
        const double gap = 24;
        const double width = (m_width - gap) / 2;
        double bottom = m_y;
        for (qsizetype i = 0; i < plots.size(); ++i) {
            const double top = m_y;
            bottom = std::max(bottom, plot(plots[i], QRectF(i * (width + gap), top, width, 175)));
            m_y = top;
        }
        m_y = bottom;
    }

    void history(const CalibrationReport &report)
    {
        heading(report.historyHeading);
        static constexpr double figures[] = {300, 360, 420};
        if (!report.history.isEmpty()) {
            setFont(8, true);
            textAt(0, QStringLiteral("Date"));
            textAt(70, QStringLiteral("Certificate"));
            textAt(160, QStringLiteral("Check or calibration"));
            const QString captions[]
                = {QStringLiteral("Gas"), QStringLiteral("As found"), QStringLiteral("As left")};
            for (int c = 0; c < 3; ++c)
                rightText(figures[c], captions[c]);
            m_y += lineHeight();
        }
        setFont(8.5, false);
        for (const ReportHistoryRow &h : report.history) {
            textAt(0, h.date);
            textAt(70, h.certificate);
            textAt(160, h.point);
            const QString values[] = {h.applied, h.asFound, h.asLeft};
            for (int c = 0; c < 3; ++c)
                rightText(figures[c], values[c]);
            m_y += lineHeight();
        }
        note(report.historyNote);
    }

    void signatures(const QStringList &who)
    {
        m_y += 30;
        const double width = m_width / std::max<qsizetype>(1, who.size());
        setFont(8.5, false);
        for (qsizetype i = 0; i < who.size(); ++i) {
            const double x = i * width;
            line(x, x + width * 0.55);
            line(x + width * 0.62, x + width - 12);
        }
        m_y += 2;
        for (qsizetype i = 0; i < who.size(); ++i) {
            textAt(i * width, who[i] + QStringLiteral(" (signature)"));
            textAt(i * width + width * 0.62, QStringLiteral("Date"));
        }
        m_y += lineHeight();
    }

private:
    double px(double points) const { return points * m_scale; }
    double lineHeight() const
    {
        return QFontMetricsF(m_painter.font(), &m_printer).lineSpacing() / m_scale;
    }

    void setFont(double points, bool bold, bool italic = false)
    {
        QFont font(QStringLiteral("Arial"));
        font.setStyleHint(QFont::SansSerif);
        // No ligatures: "difference" stays six letters when the PDF's text is
        // copied or searched.
        font.setStyleStrategy(QFont::PreferNoShaping);
        font.setPointSizeF(points);
        font.setBold(bold);
        font.setItalic(italic);
        m_painter.setFont(font);
    }

    QString elided(const QString &text, double width) const
    {
        return QFontMetricsF(m_painter.font(), &m_printer)
            .elidedText(text, Qt::ElideRight, px(width));
    }

    void textAt(double x, const QString &text)
    {
        if (!m_draw || text.isEmpty())
            return;
        const double ascent = QFontMetricsF(m_painter.font(), &m_printer).ascent();
        m_painter.drawText(QPointF(px(x), px(m_y) + ascent), text);
    }

    void rightText(double right, const QString &text)
    {
        const QFontMetricsF metrics(m_painter.font(), &m_printer);
        if (m_draw)
            m_painter.drawText(
                QPointF(px(right) - metrics.horizontalAdvance(text), px(m_y) + metrics.ascent()),
                text);
    }

    void line(double from, double to)
    {
        if (!m_draw)
            return;
        m_painter.save();
        m_painter.setPen(QPen(Qt::black, px(0.5)));
        m_painter.drawLine(QPointF(px(from), px(m_y)), QPointF(px(to), px(m_y)));
        m_painter.restore();
    }

    // The text broken into lines at blanks within the width from `x` on.
    void wrapped(double x, const QString &text, const QColor &colour)
    {
        if (text.isEmpty())
            return;
        const QRectF area(px(x), px(m_y), px(m_width - x), px(1000));
        const QRectF used = m_painter.boundingRect(area, Qt::TextWordWrap, text);
        if (m_draw) {
            m_painter.save();
            m_painter.setPen(colour);
            m_painter.drawText(area, Qt::TextWordWrap, text);
            m_painter.restore();
        }
        m_y += used.height() / m_scale;
    }

    void note(const QString &text)
    {
        if (text.isEmpty())
            return;
        m_y += 2;
        setFont(8, false, true);
        wrapped(0, text, Qt::black);
    }

    // Returns the bottom of the plot with its labels, in points.
    double plot(const ReportPlot &p, const QRectF &area)
    {
        setFont(8, true);
        m_y = area.top();
        textAt(area.left(), p.title);
        m_y += lineHeight();
        setFont(7.5, false);
        const double label = lineHeight();
        // The legend: the applied gas, then each run in its colour.
        double x = area.left();
        const auto legend = [&](const QColor &colour, const QString &text, Qt::PenStyle style) {
            if (m_draw) {
                m_painter.save();
                m_painter.setPen(QPen(colour, px(1), style));
                m_painter.drawLine(QPointF(px(x), px(m_y + label / 2)),
                                   QPointF(px(x + 12), px(m_y + label / 2)));
                m_painter.restore();
            }
            textAt(x + 15, text);
            x += 20 + QFontMetricsF(m_painter.font(), &m_printer).horizontalAdvance(text) / m_scale;
        };
        legend(Qt::darkGreen, QStringLiteral("applied gas"), Qt::DashLine);
        for (qsizetype i = 0; i < p.runs.size(); ++i)
            legend(runColours[i % 3], p.runs[i].label, Qt::SolidLine);
        m_y += label + 3;

        const QRectF frame(area.left() + 34, m_y, area.width() - 40,
                           area.bottom() - m_y - 2.2 * label);
        double low = p.appliedGas, high = p.appliedGas, end = 0;
        for (const ReportRun &run : p.runs)
            for (const QPointF &s : run.samples) {
                low = std::min(low, s.y());
                high = std::max(high, s.y());
                end = std::max(end, s.x());
            }
        const double margin = std::max((high - low) * 0.05, 2.0);
        // The transmitter reads no negative concentration: no axis below 0 for it.
        const QList<double> ppmTicks
            = axisTicks(low >= 0 ? std::max(0.0, low - margin) : low - margin, high + margin, 6);
        low = ppmTicks.first();
        high = ppmTicks.last();
        const QList<double> secondTicks = axisTicks(0, std::max(end, 1.0), 7);
        end = secondTicks.last();
        const auto at = [&](double seconds, double ppm) {
            return QPointF(px(frame.left() + frame.width() * seconds / end),
                           px(frame.bottom() - frame.height() * (ppm - low) / (high - low)));
        };

        const int decimals = ppmTicks.size() > 1 && ppmTicks[1] - ppmTicks[0] < 1 ? 1 : 0;
        for (double t : ppmTicks) {
            m_y = frame.bottom() - frame.height() * (t - low) / (high - low) - label / 2;
            rightText(frame.left() - 3, formatFixed(t, decimals));
            tick(at(0, t), QPointF(-px(2.5), 0));
        }
        m_y = frame.bottom() + 2;
        for (double t : secondTicks) {
            const QString text = formatFixed(t, 0);
            const double width
                = QFontMetricsF(m_painter.font(), &m_printer).horizontalAdvance(text) / m_scale;
            textAt(frame.left() + frame.width() * t / end - width / 2, text);
            tick(at(t, low), QPointF(0, px(2.5)));
        }
        m_y += label;
        rightText(frame.right(), QStringLiteral("seconds"));

        if (m_draw) {
            m_painter.save();
            m_painter.setPen(QPen(Qt::black, px(0.5)));
            m_painter.drawRect(
                QRectF(px(frame.left()), px(frame.top()), px(frame.width()), px(frame.height())));
            m_painter.setPen(QPen(Qt::darkGreen, px(0.8), Qt::DashLine));
            m_painter.drawLine(at(0, p.appliedGas), at(end, p.appliedGas));
            for (qsizetype i = 0; i < p.runs.size(); ++i) {
                const QColor colour = runColours[i % 3];
                m_painter.setPen(QPen(colour, px(0.8)));
                m_painter.setBrush(colour);
                QPainterPath path;
                for (const QPointF &s : p.runs[i].samples) {
                    if (path.elementCount() == 0)
                        path.moveTo(at(s.x(), s.y()));
                    else
                        path.lineTo(at(s.x(), s.y()));
                }
                m_painter.strokePath(path, m_painter.pen());
                // Dots only while they stay apart.
                if (p.runs[i].samples.size() <= 120)
                    for (const QPointF &s : p.runs[i].samples)
                        m_painter.drawEllipse(at(s.x(), s.y()), px(1), px(1));
            }
            m_painter.restore();
        }
        return frame.bottom() + 2 * label + 4;
    }

    void tick(const QPointF &from, const QPointF &direction)
    {
        if (!m_draw)
            return;
        m_painter.save();
        m_painter.setPen(QPen(Qt::black, px(0.5)));
        m_painter.drawLine(from, from + direction);
        m_painter.restore();
    }

    QPrinter &m_printer;
    QPainter &m_painter;
    bool m_draw;
    double m_scale; // printer pixels per point
    double m_width; // of the printable area, in points
    double m_y = 0; // the top of the next line, in points
};

double layOut(ReportPage &page, const CalibrationReport &report)
{
    page.title(report.title, report.certificate);
    page.twoColumns(report.calibration, report.transmitter);
    page.lines(report.conditions, 0, 130);
    page.heading(QStringLiteral("Checks and calibrations of this session"));
    page.results(report);
    page.plots(report.plots);
    page.history(report);
    page.signatures(report.signatures);
    return page.height();
}

} // namespace

QList<double> axisTicks(double low, double high, int most)
{
    if (!(high > low) || most < 2)
        return {low, low + 1};
    const double rough = (high - low) / (most - 1);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = 10 * power;
    for (double m : {1.0, 2.0, 5.0})
        if (m * power >= rough) {
            step = m * power;
            break;
        }
    // Counted in steps, so that no sum of steps drifts off the round values.
    const auto first = qint64(std::floor(low / step + 1e-9));
    const auto last = qint64(std::ceil(high / step - 1e-9));
    QList<double> ticks;
    for (qint64 n = first; n <= last; ++n)
        ticks << n * step;
    return ticks;
}

bool paintReport(QPrinter &printer, const CalibrationReport &report)
{
    printer.setPageMargins(QMarginsF(18, 15, 18, 15), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const double available = printer.height() / (printer.resolution() / 72.0);
    ReportPage measure(printer, painter, false, 1);
    const double zoom = std::min(1.0, available / layOut(measure, report));
    painter.scale(zoom, zoom);
    ReportPage page(printer, painter, true, zoom);
    layOut(page, report);
    return painter.end() && printer.printerState() != QPrinter::Error;
}
