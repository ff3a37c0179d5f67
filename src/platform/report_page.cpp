#include "report_page.h"

#include "calibration/calibration_report.h"
#include "shell/number_format.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>

#include <algorithm>

namespace {

// Lays the report out from the top of the printable area down. Positions
// are given in points (1/72 inch) and drawn in the printer's own pixels, so
// fonts keep their point sizes whatever its resolution.
class ReportPage {
public:
    ReportPage(QPrinter &printer, QPainter &painter)
        : m_printer(printer), m_painter(painter), m_scale(printer.resolution() / 72.0),
          m_width(printer.width() / m_scale)
    {
    }

    void title(const QString &text)
    {
        setFont(18, true);
        textAt(0, text);
        m_y += lineHeight() + 4;
    }

    void heading(const QString &text)
    {
        m_y += 10;
        setFont(12, true);
        textAt(0, text);
        m_y += lineHeight();
        m_painter.drawLine(QPointF(0, px(m_y)), QPointF(px(m_width), px(m_y)));
        m_y += 4;
    }

    void lines(const QList<ReportLine> &lines, double valueColumn)
    {
        for (const ReportLine &line : lines) {
            setFont(9.5, false);
            textAt(0, line.label);
            textAt(valueColumn, line.value);
            m_y += lineHeight();
        }
    }

    // The readings against the applied gas on the left, the run's plot on
    // the right, side by side.
    void checksAndPlot(const ReportSection &section)
    {
        m_y += 6;
        const double top = m_y;
        setFont(9.5, true);
        rightText(215, QStringLiteral("ppm"));
        rightText(285, QStringLiteral("difference"));
        m_y += lineHeight();
        setFont(9.5, false);
        for (const ReportCheck &check : section.checks) {
            textAt(0, check.label);
            rightText(215, check.reading);
            rightText(285, check.difference);
            m_y += lineHeight();
        }
        const double bottom = plot(section, QRectF(300, top, m_width - 300, 140));
        m_y = std::max(m_y, bottom);
    }

private:
    double px(double points) const { return points * m_scale; }
    double lineHeight() const
    {
        return QFontMetricsF(m_painter.font(), &m_printer).lineSpacing() / m_scale;
    }

    void setFont(double points, bool bold)
    {
        QFont font(QStringLiteral("Arial"));
        font.setStyleHint(QFont::SansSerif);
        // No ligatures: "difference" stays six letters when the PDF's text is
        // copied or searched.
        font.setStyleStrategy(QFont::PreferNoShaping);
        font.setPointSizeF(points);
        font.setBold(bold);
        m_painter.setFont(font);
    }

    void textAt(double x, const QString &text)
    {
        const double ascent = QFontMetricsF(m_painter.font(), &m_printer).ascent();
        m_painter.drawText(QPointF(px(x), px(m_y) + ascent), text);
    }

    void rightText(double right, const QString &text)
    {
        const QFontMetricsF metrics(m_painter.font(), &m_printer);
        m_painter.drawText(
            QPointF(px(right) - metrics.horizontalAdvance(text), px(m_y) + metrics.ascent()), text);
    }

    // Returns the bottom of the plot with its labels, in points.
    double plot(const ReportSection &section, const QRectF &area)
    {
        setFont(8, false);
        const double label = lineHeight();
        const QRectF frame(area.left() + 40, area.top() + label, area.width() - 40,
                           area.height() - 2 * label);
        double low = section.appliedGas, high = section.appliedGas, end = 0;
        for (const QPointF &p : section.samples) {
            low = std::min(low, p.y());
            high = std::max(high, p.y());
            end = std::max(end, p.x());
        }
        const double margin = std::max((high - low) * 0.1, 1.0);
        low -= margin;
        high += margin;
        end = std::max(end, 1.0);
        const auto at = [&](double seconds, double ppm) {
            return QPointF(px(frame.left() + frame.width() * seconds / end),
                           px(frame.bottom() - frame.height() * (ppm - low) / (high - low)));
        };

        m_y = area.top();
        textAt(frame.left(), QStringLiteral("Concentration during the run (ppm)"));
        m_y = frame.top() - label / 2;
        rightText(frame.left() - 4, formatFixed(high, 0));
        m_y = frame.bottom() - label / 2;
        rightText(frame.left() - 4, formatFixed(low, 0));
        m_y = frame.bottom() + 2;
        textAt(frame.left(), QStringLiteral("0 s"));
        rightText(frame.right(), formatFixed(end, 0) + QStringLiteral(" s"));
        m_painter.save();
        m_painter.setPen(Qt::darkGreen);
        textAt(frame.center().x() - 25, QStringLiteral("- - applied gas"));
        m_painter.restore();

        m_painter.save();
        m_painter.setPen(QPen(Qt::black, px(0.5)));
        m_painter.drawRect(
            QRectF(px(frame.left()), px(frame.top()), px(frame.width()), px(frame.height())));
        m_painter.setPen(QPen(Qt::darkGreen, px(0.8), Qt::DashLine));
        m_painter.drawLine(at(0, section.appliedGas), at(end, section.appliedGas));
        m_painter.setPen(QPen(QColor(0, 0, 200), px(0.8)));
        QPainterPath path;
        for (const QPointF &p : section.samples) {
            if (path.elementCount() == 0)
                path.moveTo(at(p.x(), p.y()));
            else
                path.lineTo(at(p.x(), p.y()));
        }
        m_painter.drawPath(path);
        m_painter.setBrush(QColor(0, 0, 200));
        // Dots only while they stay apart.
        if (section.samples.size() <= 200)
            for (const QPointF &p : section.samples)
                m_painter.drawEllipse(at(p.x(), p.y()), px(1.2), px(1.2));
        m_painter.restore();
        return frame.bottom() + label + 2;
    }

    QPrinter &m_printer;
    QPainter &m_painter;
    double m_scale; // printer pixels per point
    double m_width; // of the printable area, in points
    double m_y = 0; // the top of the next line, in points
};

} // namespace

bool paintReport(QPrinter &printer, const CalibrationReport &report)
{
    printer.setPageMargins(QMarginsF(18, 15, 18, 15), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    ReportPage page(printer, painter);
    page.title(report.title);
    page.lines(report.header, 190);
    for (const ReportSection &section : report.sections) {
        page.heading(section.heading);
        page.lines(section.lines, 130);
        page.checksAndPlot(section);
    }
    return painter.end() && printer.printerState() != QPrinter::Error;
}
