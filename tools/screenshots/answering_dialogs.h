#pragma once

#include "platform/platform.h"

// Boxes for an unattended run of the window: every question is answered OK,
// every input box and form with what it offers, every file dialog is
// cancelled. What was asked goes to standard error, so a picture run can be
// followed.
class AnsweringDialogs : public Dialogs {
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
    void showHelpContents(const QString &helpFile) override;
};
