#include "answering_dialogs.h"

#include <QDebug>

namespace {

QString oneLine(QString text)
{
    return text.replace(u'\r', u' ');
}

} // namespace

MessageResult AnsweringDialogs::message(const QString &text, MessageButtons, MessageIcon,
                                        const QString &)
{
    qInfo().noquote() << "box:" << oneLine(text) << "-> OK";
    return MessageResult::Ok;
}

QString AnsweringDialogs::input(const QString &prompt, const QString &, const QString &defaultText)
{
    qInfo().noquote() << "input:" << oneLine(prompt) << "->" << defaultText;
    return defaultText;
}

QString AnsweringDialogs::openFileName(const QString &, const QString &, const QString &fileName)
{
    return fileName;
}

QString AnsweringDialogs::saveFileName(const QString &, const QString &, const QString &)
{
    return {};
}

std::optional<QList<QString>> AnsweringDialogs::form(const QString &title,
                                                     const QList<FormField> &fields)
{
    QList<QString> texts;
    for (const FormField &field : fields)
        texts << field.value;
    qInfo().noquote() << "form:" << title << "->" << texts.join(QStringLiteral(" | "));
    return texts;
}

void AnsweringDialogs::showHelpContents(const QString &) { }
