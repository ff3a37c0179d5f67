#include "fake_platform.h"

#include <QDir>

QString FakeDesktop::preferencesFile() const
{
    return QDir::current().absoluteFilePath(QStringLiteral("preferences.conf"));
}

QString FakeDesktop::dataFolder() const
{
    return dataFolderPath.isEmpty() ? QDir::current().absoluteFilePath(QStringLiteral("appdata"))
                                    : dataFolderPath;
}

void FakeDialogs::open(const ShownBox &box)
{
    shown << box;
    shownUnderBusyPointer += busyPointer && *busyPointer;
    if (whileOpen)
        whileOpen(box);
}

MessageResult FakeDialogs::message(const QString &text, MessageButtons buttons, MessageIcon icon,
                                   const QString &title)
{
    open({ShownBox::Message, text, buttons, icon, title, {}});
    return messageAnswers.isEmpty() ? MessageResult::Ok : messageAnswers.dequeue();
}

QString FakeDialogs::input(const QString &prompt, const QString &title, const QString &defaultText)
{
    open(
        {ShownBox::Input, prompt, MessageButtons::OkCancel, MessageIcon::None, title, defaultText});
    return inputAnswers.isEmpty() ? defaultText : inputAnswers.dequeue();
}

QString FakeDialogs::openFileName(const QString &title, const QString &filter,
                                  const QString &fileName)
{
    open({ShownBox::OpenFile, title, MessageButtons::OkCancel, MessageIcon::None, {}, filter});
    const QString answer = fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
    return answer.isEmpty() ? fileName : answer;
}

QString FakeDialogs::saveFileName(const QString &title, const QString &,
                                  const QString &proposedName)
{
    open(
        {ShownBox::SaveFile, title, MessageButtons::OkCancel, MessageIcon::None, {}, proposedName});
    return saveAnswers.isEmpty() ? QString() : saveAnswers.dequeue();
}

std::optional<QList<QString>> FakeDialogs::form(const QString &title,
                                                const QList<FormField> &fields)
{
    QStringList offered;
    for (const FormField &field : fields)
        offered << field.label + u'=' + field.value;
    const QString shownFields = offered.join(u'\n');
    open({ShownBox::Form, title, MessageButtons::OkCancel, MessageIcon::None, {}, shownFields});
    const auto typed = formAnswers.isEmpty() ? QMap<QString, QString>() : formAnswers.dequeue();
    if (!typed)
        return std::nullopt;
    QList<QString> texts;
    for (const FormField &field : fields)
        texts << typed->value(field.label, field.value);
    return texts;
}

std::optional<QList<bool>> FakeDialogs::choose(const QString &text, const QList<Choice> &choices,
                                               MessageButtons buttons, const QString &title)
{
    QStringList lines {text};
    for (const Choice &choice : choices)
        lines << choice.text;
    open({ShownBox::Message, lines.join(u'\n'), buttons, MessageIcon::Question, title, {}});
    return chooseAnswers.isEmpty() ? std::nullopt : std::optional(chooseAnswers.dequeue());
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

QString visibleControls(const QString &text)
{
    QString shown;
    for (QChar c : text)
        shown += c == u'\r' ? QStringLiteral("\\r")
            : c == u'\n'    ? QStringLiteral("\\n")
            : c.unicode() >= 0x20 && c.unicode() != 0x7f
            ? QString(c)
            : QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'));
    return shown;
}

void FakePrinter::beginDocument()
{
    m_font.clear();
    m_size = 12;
    calls << QStringLiteral("begin");
}

void FakePrinter::setPosition(int xTwips, int yTwips)
{
    calls << QStringLiteral("position %1 %2").arg(xTwips).arg(yTwips);
}

void FakePrinter::setFontName(const QString &name)
{
    m_font = name;
    calls << QStringLiteral("font %1").arg(name);
}

void FakePrinter::setFontSize(int points)
{
    m_size = points;
    calls << QStringLiteral("size %1").arg(points);
}

void FakePrinter::printLine(int column, const QString &text)
{
    calls << QStringLiteral("line %1 %2 column %3 \"%4\"")
                 .arg(m_font)
                 .arg(m_size)
                 .arg(column)
                 .arg(visibleControls(text));
}

PrintOutcome FakePrinter::endDocument()
{
    calls << QStringLiteral("end");
    return outcome;
}

PrintOutcome FakePrinter::printReport(const CalibrationReport &report)
{
    reports << report;
    return outcome;
}
