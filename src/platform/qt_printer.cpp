#include "qt_printer.h"

#include "platform.h"
#include "report_page.h"

#include "certificate/calibration_report.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

namespace {

QFont fontNamed(QFont font, const QString &name)
{
    font.setFamily(name);
    // Where Courier itself is not installed, a fixed-pitch font still keeps
    // the transmitter's listing in its columns.
    font.setStyleHint(name.compare(u"courier", Qt::CaseInsensitive) == 0 ? QFont::TypeWriter
                                                                         : QFont::AnyStyle);
    return font;
}

} // namespace

QtPrinter::QtPrinter(Dialogs &dialogs, Clock &clock)
    : m_dialogs(dialogs), m_clock(clock),
      m_pdfDirectory(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
{
    if (m_pdfDirectory.isEmpty() || !QFileInfo(m_pdfDirectory).isDir())
        m_pdfDirectory = QDir::homePath();
}

void QtPrinter::beginDocument()
{
    m_steps.clear();
}

void QtPrinter::setPosition(int xTwips, int yTwips)
{
    m_steps.emplace_back(Position {xTwips, yTwips});
}

void QtPrinter::setFontName(const QString &name)
{
    m_steps.emplace_back(FontName {name});
}

void QtPrinter::setFontSize(int points)
{
    m_steps.emplace_back(FontSize {points});
}

void QtPrinter::printLine(int column, const QString &text)
{
    m_steps.emplace_back(Line {column, text});
}

PrintOutcome QtPrinter::endDocument()
{
    const std::vector<Step> steps = std::exchange(m_steps, {});
    return print({QStringLiteral("Transmitter Parameters"), QStringLiteral("Parameter Sheet"),
                  QStringLiteral("parameters-%1.pdf").arg(m_clock.now().toString(u"yyyy-MM-dd"))},
                 [&steps](QPrinter &printer) { return render(printer, steps); });
}

PrintOutcome QtPrinter::printReport(const CalibrationReport &report)
{
    return print({report.title, QStringLiteral("Calibration Report"), report.fileName},
                 [&report](QPrinter &printer) { return paintReport(printer, report); });
}

PrintOutcome QtPrinter::print(const DocumentNames &names, const Render &render)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return saveAsPdf(names, render);

    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(names.document);
    if (!render(printer))
        return {PrintOutcome::Result::Failed,
                QStringLiteral("The printer %1 could not print the %2.")
                    .arg(info.printerName(), names.what.toLower())};
    return {PrintOutcome::Result::Printed, info.printerName()};
}

PrintOutcome QtPrinter::saveAsPdf(const DocumentNames &names, const Render &render)
{
    const QString proposed = QDir(m_pdfDirectory).filePath(names.fileName);
    const QString fileName = m_batch == Batch::BesideTheFirst
        ? proposed
        : m_dialogs.saveFileName(QStringLiteral("Save %1 as PDF").arg(names.what),
                                 QStringLiteral("PDF files(*.pdf)|*.pdf"), proposed);
    if (fileName.isEmpty())
        return {PrintOutcome::Result::Cancelled, {}};
    m_pdfDirectory = QFileInfo(fileName).absolutePath();
    if (m_batch == Batch::FirstAsks)
        m_batch = Batch::BesideTheFirst;

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    printer.setDocName(names.document);
    if (!render(printer))
        return {PrintOutcome::Result::Failed,
                QStringLiteral("The file %1 could not be written.").arg(fileName)};
    return {PrintOutcome::Result::Saved, fileName};
}

bool QtPrinter::render(QPrinter &printer, const std::vector<Step> &steps)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const double pixelsPerTwip = printer.resolution() / 1440.0;
    QFont font = fontNamed(QFont(), QStringLiteral("Arial"));
    font.setPointSize(12);
    QPointF position;
    double top = 0; // where a new page starts
    bool ok = true;

    for (const Step &step : steps) {
        if (const auto *p = std::get_if<Position>(&step)) {
            position = QPointF(p->x * pixelsPerTwip, p->y * pixelsPerTwip);
            top = position.y();
        } else if (const auto *f = std::get_if<FontName>(&step)) {
            font = fontNamed(font, f->name);
        } else if (const auto *s = std::get_if<FontSize>(&step)) {
            font.setPointSize(s->points);
        } else if (const auto *line = std::get_if<Line>(&step)) {
            const QFontMetricsF metrics(font, &printer);
            // A sheet longer than the page goes on at the top of the next one.
            if (position.y() > top && position.y() + metrics.lineSpacing() > printer.height()) {
                ok = ok && printer.newPage();
                position.setY(top);
            }
            painter.setFont(font);
            const double x = line->column >= 1 ? (line->column - 1) * metrics.averageCharWidth()
                                               : position.x();
            painter.drawText(QPointF(x, position.y() + metrics.ascent()), line->text);
            position.setY(position.y() + metrics.lineSpacing());
        }
    }
    ok = painter.end() && ok;
    return ok && printer.printerState() != QPrinter::Error;
}
