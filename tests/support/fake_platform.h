#pragma once

#include "fake_clock.h"
#include "fake_serial_port.h"
#include "platform/platform.h"

#include <QList>
#include <QQueue>
#include <QString>

#include <functional>

// One box the window showed, as the technician saw it.
struct ShownBox {
    enum Kind { Message, Input, OpenFile, Help } kind = Message;
    QString text; // message text, input prompt, dialog title or help file
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    QString title;
    QString defaultText; // input default, file filter
};

// Boxes answered from a script. Without a scripted answer a message box gets
// OK, an input box its default text and a file dialog Cancel.
class FakeDialogs : public Dialogs {
public:
    MessageResult message(const QString &text, MessageButtons buttons, MessageIcon icon,
                          const QString &title) override;
    QString input(const QString &prompt, const QString &title, const QString &defaultText) override;
    QString openFileName(const QString &title, const QString &filter,
                         const QString &fileName) override;
    void showHelpContents(const QString &helpFile) override;

    QQueue<MessageResult> messageAnswers;
    QQueue<QString> inputAnswers;
    QQueue<QString> fileAnswers; // an empty answer is Cancel
    // Runs while a box is open (the window's timers go on ticking meanwhile).
    std::function<void(const ShownBox &)> whileOpen;

    QList<ShownBox> shown;
    QStringList messageTexts() const;

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
    QSize screenSize() const override { return {1024, 768}; }
    QString executableName() const override { return QStringLiteral("kestrin"); }
    void endProgram() override { ++ended; }

    int beeps = 0;
    bool busy = false;
    QList<bool> pointerChanges;
    int ended = 0;
};

struct FakePlatform {
    FakeSerialPort port;
    FakeDialogs dialogs;
    FakeDesktop desktop;
    FakeClock clock;

    Platform platform() { return Platform {port, dialogs, desktop, clock}; }
};
