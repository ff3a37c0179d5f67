#pragma once

#include "platform/platform.h"

#include <functional>

// The boxes of one transmitter of a bench. Sixteen transmitters must not
// bring up sixteen boxes: what a session would only tell (OK alone) goes on
// its row instead; what it asks (OK and Cancel: an undo's confirmation)
// comes up as a box that names the transmitter; files and forms are the
// bench's own boxes.
class RowDialogs : public Dialogs {
public:
    RowDialogs(Dialogs &bench, QString name, std::function<void(const QString &)> note)
        : m_bench(bench), m_name(std::move(name)), m_note(std::move(note))
    {
    }

    MessageResult message(const QString &text, MessageButtons buttons, MessageIcon icon,
                          const QString &title) override
    {
        if (buttons == MessageButtons::Ok) {
            m_note(text);
            return MessageResult::Ok;
        }
        return m_bench.message(m_name + QStringLiteral(":\r") + text, buttons, icon, title);
    }
    QString input(const QString &prompt, const QString &title, const QString &defaultText) override
    {
        return m_bench.input(m_name + QStringLiteral(":\r") + prompt, title, defaultText);
    }
    QString openFileName(const QString &title, const QString &filter,
                         const QString &fileName) override
    {
        return m_bench.openFileName(title, filter, fileName);
    }
    QString saveFileName(const QString &title, const QString &filter,
                         const QString &proposedName) override
    {
        return m_bench.saveFileName(title, filter, proposedName);
    }
    std::optional<QList<QString>> form(const QString &title,
                                       const QList<FormField> &fields) override
    {
        return m_bench.form(title, fields);
    }
    void showHelpContents(const QString &helpFile) override { m_bench.showHelpContents(helpFile); }

private:
    Dialogs &m_bench;
    QString m_name;
    std::function<void(const QString &)> m_note;
};
