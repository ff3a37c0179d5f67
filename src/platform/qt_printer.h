#pragma once

#include "printer.h"

#include <functional>
#include <variant>
#include <vector>

class Clock;
class Dialogs;
class QPrinter;

// The system's default printer. Where the system has none, the document is
// saved as a PDF in a file the technician chooses.
//
// The document is kept until it is ended and drawn in one go then, so that a
// file dialog comes up only when there is a whole sheet to save.
class QtPrinter : public Printer {
public:
    QtPrinter(Dialogs &dialogs, Clock &clock);

    void beginDocument() override;
    void setPosition(int xTwips, int yTwips) override;
    void setFontName(const QString &name) override;
    void setFontSize(int points) override;
    void printLine(int column, const QString &text) override;
    PrintOutcome endDocument() override;
    PrintOutcome printReport(const CalibrationReport &report) override;
    void beginBatch() override { m_batch = Batch::FirstAsks; }
    void endBatch() override { m_batch = Batch::None; }

private:
    struct Position {
        int x, y;
    };
    struct FontName {
        QString name;
    };
    struct FontSize {
        int points;
    };
    struct Line {
        int column;
        QString text;
    };
    using Step = std::variant<Position, FontName, FontSize, Line>;

    // What one kind of document is called, in the dialog and in its file name.
    struct DocumentNames {
        QString document; // "Transmitter Parameters"
        QString what; // "Parameter Sheet"
        QString fileName; // proposed for its PDF: "parameters-2026-12-06.pdf"
    };
    using Render = std::function<bool(QPrinter &)>;
    PrintOutcome print(const DocumentNames &names, const Render &render);
    PrintOutcome saveAsPdf(const DocumentNames &names, const Render &render);
    static bool render(QPrinter &printer, const std::vector<Step> &steps);

    Dialogs &m_dialogs;
    Clock &m_clock;
    std::vector<Step> m_steps;
    QString m_pdfDirectory; // where the last PDF went
    enum class Batch { None, FirstAsks, BesideTheFirst } m_batch = Batch::None;
};
