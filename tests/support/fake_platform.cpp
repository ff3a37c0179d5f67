#include "fake_platform.h"

void FakeDialogs::open(const ShownBox &box)
{
    shown << box;
    if (whileOpen)
        whileOpen(box);
}

MessageResult FakeDialogs::message(const QString &text, MessageButtons buttons, MessageIcon icon,
                                   const QString &title)
{
    open({ShownBox::Message, text, buttons, icon, title, {}});
    if (!messageAnswers.isEmpty())
        return messageAnswers.dequeue();
    return MessageResult::Ok;
}

QString FakeDialogs::input(const QString &prompt, const QString &title, const QString &defaultText)
{
    open(
        {ShownBox::Input, prompt, MessageButtons::OkCancel, MessageIcon::None, title, defaultText});
    if (!inputAnswers.isEmpty())
        return inputAnswers.dequeue();
    return defaultText;
}

QString FakeDialogs::openFileName(const QString &title, const QString &filter,
                                  const QString &fileName)
{
    open({ShownBox::OpenFile, title, MessageButtons::OkCancel, MessageIcon::None, {}, filter});
    const QString answer = fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
    return answer.isEmpty() ? fileName : answer;
}

void FakeDialogs::showHelpContents(const QString &helpFile)
{
    open({ShownBox::Help, helpFile, MessageButtons::Ok, MessageIcon::None, {}, {}});
}

QStringList FakeDialogs::messageTexts() const
{
    QStringList texts;
    for (const ShownBox &box : shown)
        if (box.kind == ShownBox::Message)
            texts << box.text;
    return texts;
}
