#pragma once

#include "certificate/calibration_report.h"
#include "fake_clock.h"
#include "fake_serial_port.h"
#include "platform/platform.h"
#include "platform/printer.h"

#include <QList>
#include <QMap>
#include <QQueue>
#include <QString>

#include <functional>

// One box the window showed, as the technician saw it.
struct ShownBox {
    enum Kind { Message, Input, OpenFile, SaveFile, Form, Help } kind = Message;
    QString text; // message text, input prompt, dialog title or help file
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    QString title;
    QString defaultText; // input default, file filter, proposed file name; a form's
                         // fields as "label=value" lines
};

// Boxes answered from a script. Without a scripted answer a message box gets
// OK, an input box its default text, a form what it offers and a file dialog
// Cancel.
class FakeDialogs : public Dialogs {
public:
    MessageResult message(const QString &text, MessageButtons buttons, MessageIcon icon,
                          const QString &title) override;
    QString input(const QString &prompt, const QString &title, const QString &defaultText) override;
    QString openFileName(const QString &title, const QString &filter,
                         const QString &fileName) override;
    QString saveFileName(const QString &title, const QString &filter,
                         const QString &proposedName) override;
    std::optional<QList<QString>> form(const QString &title,
                                       const QList<FormField> &fields) override;
    // Shown as a message of its text and choices, a line each.
    std::optional<QList<bool>> choose(const QString &text, const QList<Choice> &choices,
                                      MessageButtons buttons, const QString &title) override;
    void showHelpContents(const QString &helpFile) override;

    QQueue<MessageResult> messageAnswers;
    // A form's fields typed over, by label; none is Cancel.
    QQueue<std::optional<QMap<QString, QString>>> formAnswers;
    QQueue<QString> inputAnswers;
    QQueue<QList<bool>> chooseAnswers; // the ticks; none is Cancel
    QQueue<QString> fileAnswers; // an empty answer is Cancel
    QQueue<QString> saveAnswers; // likewise
    // Runs while a box is open (the window's timers go on ticking meanwhile).
    std::function<void(const ShownBox &)> whileOpen;

    QList<ShownBox> shown;
    QStringList messageTexts() const;
    const bool *busyPointer = nullptr; // the desktop's, set by FakePlatform
    int shownUnderBusyPointer = 0; // a box is never clicked under an hourglass

private:
    void open(const ShownBox &box);
};

class FakeDesktop : public Desktop {
public:
    void beep() override { ++beeps; }
    void setBusyPointer(bool busy) override
    {
        this->busy = busy;
        pointerChanges << busy;
    }
    QSize screenSize() const override { return area.size(); }
    QRect screenArea() const override { return area; }
    QString executableName() const override { return QStringLiteral("kestrin"); }
    // "appdata" in the current directory (a test's temporary one) unless set.
    QString dataFolder() const override;
    // "preferences.conf" in the current directory (a test's temporary one).
    QString preferencesFile() const override;
    void endProgram() override { ++ended; }

    int beeps = 0;
    bool busy = false;
    QRect area {0, 0, 1024, 768};
    QList<bool> pointerChanges;
    int ended = 0;
    QString dataFolderPath;
};

// The text with its control characters written out (\r, \x03), so that a
// transcript shows every byte and still reads as text.
QString visibleControls(const QString &text);

// Keeps the sheet instead of printing it: every call in words, one a line,
// so that a whole sheet compares with a golden file.
class FakePrinter : public Printer {
public:
    void beginDocument() override;
    void setPosition(int xTwips, int yTwips) override;
    void setFontName(const QString &name) override;
    void setFontSize(int points) override;
    void printLine(int column, const QString &text) override;
    PrintOutcome endDocument() override;
    PrintOutcome printReport(const CalibrationReport &report) override;

    PrintOutcome outcome; // what ending a document or printing a report answers
    QStringList calls;
    QList<CalibrationReport> reports; // every report printed
    QString sheet() const { return calls.isEmpty() ? QString() : calls.join(u'\n') + u'\n'; }

private:
    QString m_font;
    int m_size = 12;
};

struct FakePlatform {
    FakeSerialPort port;
    FakeDialogs dialogs;
    FakeDesktop desktop;
    FakeClock clock;
    FakePrinter printer;

    FakePlatform() { dialogs.busyPointer = &desktop.busy; }
    Platform platform() { return Platform {port, dialogs, desktop, clock, printer}; }
};
