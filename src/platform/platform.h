#pragma once

#include <QDateTime>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

#include <memory>
#include <optional>

class Printer;
class SerialPort;
class Timer;
class QWidget;

// Everything the window needs from outside the process goes through these
// small interfaces: the program gets Qt implementations, the tests fakes that
// script the technician's answers and keep a clock of their own.

// OkCancelSafe: Cancel is the default, so that Enter does not agree to
// something doubtful.
enum class MessageButtons { Ok, OkCancel, OkCancelSafe };
enum class MessageIcon { None, Question, Critical };
enum class MessageResult { Ok, Cancel };

// One line of a choice: its text and whether it is ticked as the box opens.
struct Choice {
    QString text;
    bool ticked = false;
};

// One line of a form: its label and the text it offers.
struct FormField {
    QString label;
    QString value;
};

// Boxes that talk to the technician. A carriage return in a text starts a new
// line. A box without a title of its own shows the application's title.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Closing the box counts as Cancel.
    virtual MessageResult message(const QString &text, MessageButtons buttons, MessageIcon icon,
                                  const QString &title)
        = 0;
    // The text in the box when OK is pressed, the empty text on Cancel.
    virtual QString input(const QString &prompt, const QString &title, const QString &defaultText)
        = 0;
    // The file chosen in an Open dialog. `filter` is "Name|pattern|Name|pattern";
    // `fileName` is what the dialog starts with. Cancel gives `fileName` back
    // unchanged, as a dialog that keeps its last name does.
    virtual QString openFileName(const QString &title, const QString &filter,
                                 const QString &fileName)
        = 0;
    // The file name chosen in a Save dialog that proposes `proposedName`, or
    // the empty text on Cancel. `filter` as for openFileName.
    virtual QString saveFileName(const QString &title, const QString &filter,
                                 const QString &proposedName)
        = 0;
    // A form of labelled text fields in one box, each offering its value:
    // the texts in the fields' order when OK is pressed, none on Cancel.
    virtual std::optional<QList<QString>> form(const QString &title, const QList<FormField> &fields)
        = 0;
    // A question with a tick box for each choice and OK and Cancel (Cancel the
    // default with OkCancelSafe): the ticks when OK is pressed, none on Cancel.
    virtual std::optional<QList<bool>> choose(const QString &text, const QList<Choice> &choices,
                                              MessageButtons buttons, const QString &title)
    {
        Q_UNUSED(text);
        Q_UNUSED(choices);
        Q_UNUSED(buttons);
        Q_UNUSED(title);
        return std::nullopt;
    }
    // Opens the help file on its contents page; whether it exists is the
    // viewer's business.
    virtual void showHelpContents(const QString &helpFile) = 0;
};

// The desktop around the window.
class Desktop {
public:
    virtual ~Desktop() = default;

    virtual void beep() = 0;
    // Busy (hourglass) or normal mouse pointer over the window.
    virtual void setBusyPointer(bool busy) = 0;
    virtual QSize screenSize() const = 0;
    // The part of the screen that windows may use (no panels), where it lies.
    virtual QRect screenArea() const { return {QPoint(0, 0), screenSize()}; }
    // File name of the running executable, without directory and extension.
    virtual QString executableName() const = 0;
    // The folder where the program keeps the technician's data (the record
    // of calibrations); it may not exist yet.
    virtual QString dataFolder() const = 0;
    // The file of the technician's preferences beyond the remembered port
    // (tolerances, the laboratory's name): an INI file for QSettings.
    virtual QString preferencesFile() const = 0;
    // Ends the program at once; the operating system releases the port.
    virtual void endProgram() = 0;
};

// Time, timers and the event loop.
class Clock {
public:
    virtual ~Clock() = default;

    virtual QDateTime now() const = 0;
    // Milliseconds on a steady clock, for deadlines.
    virtual qint64 steadyMilliseconds() const = 0;
    virtual std::unique_ptr<Timer> createTimer() = 0;
    // Handles the pending window events (timer ticks, clicks, arriving bytes);
    // if there are none, sleeps until one comes or until `deadline` (steady
    // milliseconds), whichever is first. Never spins.
    virtual void waitForEvents(qint64 deadline) = 0;
};

struct Platform {
    SerialPort &port;
    Dialogs &dialogs;
    Desktop &desktop;
    Clock &clock;
    Printer &printer;
};
