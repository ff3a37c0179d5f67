#pragma once

#include "platform/platform.h"

#include <QString>

// The window's title as its boxes show it.
inline const QString applicationTitle = QStringLiteral("Kestrin");

// The two boxes every operation uses: a report with the OK button, no icon and
// the application's title, after the beep that precedes an error; and an
// OK/Cancel question.
class Boxes {
public:
    Boxes(Dialogs &dialogs, Desktop &desktop) : m_dialogs(dialogs), m_desktop(desktop) { }

    void report(const QString &text, bool beepFirst = true)
    {
        if (beepFirst)
            m_desktop.beep();
        m_dialogs.message(text, MessageButtons::Ok, MessageIcon::None, applicationTitle);
    }
    // True when the technician pressed OK.
    bool confirm(const QString &text, MessageIcon icon = MessageIcon::None,
                 const QString &title = applicationTitle)
    {
        return m_dialogs.message(text, MessageButtons::OkCancel, icon, title) == MessageResult::Ok;
    }

private:
    Dialogs &m_dialogs;
    Desktop &m_desktop;
};
