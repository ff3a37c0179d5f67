#pragma once

#include <QString>

struct CalibrationReport;

// What became of a print document once it was ended.
struct PrintOutcome {
    enum class Result {
        Printed, // handed to the printer
        Saved, // written to a file; `detail` is its name
        Cancelled, // the technician declined to choose a file: nothing was made
        Failed, // `detail` says why, in words for the technician
    };
    Result result = Result::Printed;
    QString detail;
};

// A printer that takes one document of text lines, as the parameter sheet
// needs it. Positions are in twips (1/1440 inch) from the top left of the
// printable area. The document goes out only when it is ended.
class Printer {
public:
    virtual ~Printer() = default;

    // Starts a new, empty document: 12-point text, position at the top left.
    virtual void beginDocument() = 0;
    virtual void setPosition(int xTwips, int yTwips) = 0;
    virtual void setFontName(const QString &name) = 0;
    virtual void setFontSize(int points) = 0;
    // Prints `text` on the current line, starting at `column` (1 is the left
    // edge of the printable area, one column is the average character width of
    // the current font), and moves one line height of that font down.
    virtual void printLine(int column, const QString &text) = 0;
    // Sends the document on its way; reports the outcome exactly once.
    virtual PrintOutcome endDocument() = 0;

    // Prints the calibration report as one page of its own, with its plots;
    // a document begun with the calls above is not touched.
    virtual PrintOutcome printReport(const CalibrationReport &report) = 0;

    // Reports printed one after another, one per transmitter of a bench:
    // where they are saved as files, only the first asks where, and the
    // others go beside it under their own names.
    virtual void beginBatch() { }
    virtual void endBatch() { }
};
