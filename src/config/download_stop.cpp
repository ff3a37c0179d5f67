#include "download_stop.h"

#include "config/parameter_commands.h"
#include "link/command_set.h"
#include "link/line_log.h"

namespace {

// The reply without the echo of its command and without its prompt: what
// the transmitter had to say, its lines joined by " / ".
QString replyText(const QByteArray &command, QByteArray reply)
{
    if (reply.endsWith(Transmitter::Prompt))
        reply.chop(1);
    QList<QByteArray> lines = reply.split('\n');
    for (QByteArray &line : lines)
        line = line.trimmed();
    if (!lines.isEmpty() && lines.front() == command.trimmed())
        lines.removeFirst();
    lines.removeAll(QByteArray());
    QStringList shown;
    for (const QByteArray &line : lines)
        shown << visibleBytes(line);
    return shown.join(QLatin1String(" / "));
}

// What the transmitter had taken of the file's `fileLines` lines when the
// download stopped at command `index`; "SAVE" is command `storeIndex`.
QString appliedText(qsizetype index, qsizetype fileLines, qsizetype storeIndex)
{
    const bool all = index >= fileLines;
    const qsizetype count = all ? fileLines : index;
    if (count == 0)
        return QStringLiteral("No line of the file was applied.");
    QString lines;
    if (count == 1)
        lines = all ? QStringLiteral("The file's one line was") : QStringLiteral("Line 1 was");
    else if (all)
        lines = QStringLiteral("All %1 lines were").arg(count);
    else if (count == 2)
        lines = QStringLiteral("Lines 1 and 2 were");
    else
        lines = QStringLiteral("Lines 1 to %1 were").arg(count);
    return lines
        + (index > storeIndex ? QStringLiteral(" applied and saved.")
                              : QStringLiteral(" applied, not saved."));
}

} // namespace

QString downloadStopText(const QByteArray &fileText, qsizetype index, const QByteArray &reply,
                         bool refused)
{
    const QList<QByteArray> commands = parameterCommands(fileText);
    const QByteArray command = commands.value(index);
    // The file's own lines come first; a file that ends with a line end (or
    // is empty) is followed by the empty line that closes it; then "SAVE"
    // and "NOTEST".
    const qsizetype storeIndex = commands.size() - 2;
    const bool closedByEmptyLine = fileText.isEmpty() || fileText.endsWith('\n');
    const qsizetype fileLines = closedByEmptyLine ? storeIndex - 1 : storeIndex;

    QString where;
    if (index < fileLines) {
        QByteArray text = command;
        if (text.endsWith(Transmitter::CarriageReturn))
            text.chop(1);
        where = QStringLiteral("line %1 \"%2\"").arg(index + 1).arg(visibleBytes(text));
    } else if (index < storeIndex) {
        where = QStringLiteral("the empty line after the last line");
    } else {
        where = QString::fromLatin1(command.trimmed());
    }

    const QString answer = replyText(command, reply);
    const auto seconds = Transmitter::DownloadLineTimeout.count() / 1000;
    QString said;
    if (refused)
        said = QStringLiteral("the transmitter refused it (\"%1\")").arg(answer);
    else if (answer.isEmpty())
        said = QStringLiteral("no answer within %1 s").arg(seconds);
    else
        said = QStringLiteral("no prompt within %1 s after \"%2\"").arg(seconds).arg(answer);
    return QStringLiteral("Download stopped at %1: %2. %3")
        .arg(where, said, appliedText(index, fileLines, storeIndex));
}
