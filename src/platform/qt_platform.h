#pragma once

#include "platform.h"

#include <QElapsedTimer>
#include <QPointer>

// The Qt side of the seam, for the program.

class QtDialogs : public Dialogs {
public:
    void setParentWidget(QWidget *parent) { m_parent = parent; }

    MessageResult message(const QString &text, MessageButtons buttons, MessageIcon icon,
                          const QString &title) override;
    QString input(const QString &prompt, const QString &title, const QString &defaultText) override;
    QString openFileName(const QString &title, const QString &filter,
                         const QString &fileName) override;
    QString saveFileName(const QString &title, const QString &filter,
                         const QString &proposedName) override;
    std::optional<QList<QString>> form(const QString &title,
                                       const QList<FormField> &fields) override;
    std::optional<QList<bool>> choose(const QString &text, const QList<Choice> &choices,
                                      MessageButtons buttons, const QString &title) override;
    void showHelpContents(const QString &helpFile) override;

private:
    QPointer<QWidget> m_parent;
};

class QtDesktop : public Desktop {
public:
    void beep() override;
    void setBusyPointer(bool busy) override;
    QSize screenSize() const override;
    QRect screenArea() const override;
    QString executableName() const override;
    QString dataFolder() const override;
    QString preferencesFile() const override;
    void endProgram() override;

private:
    bool m_busy = false;
};

class QtClock : public Clock {
public:
    QtClock();

    QDateTime now() const override;
    qint64 steadyMilliseconds() const override;
    std::unique_ptr<Timer> createTimer() override;
    void waitForEvents(qint64 deadline) override;

private:
    QElapsedTimer m_steady;
};

// The application's names as the desktop sees them. No display name: the
// window system would append it to every title, and each box must show
// exactly the title it is given.
void setUpApplication();

// Converts "Name|pattern|Name|pattern" into Qt's "Name (pattern);;Name (pattern)".
QString qtFileFilter(const QString &filter);
