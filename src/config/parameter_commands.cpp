#include "parameter_commands.h"

#include "link/command_set.h"

QList<QByteArray> parameterCommands(const QByteArray &fileText)
{
    QByteArray text = fileText;
    for (QByteArrayView closing : {QByteArrayView(), Transmitter::Store, Transmitter::NoTest})
        text += closing.toByteArray() + "\r\n";
    QList<QByteArray> commands = text.split('\n');
    // The text ends with a line feed: what follows it is no command.
    commands.removeLast();
    return commands;
}
