// A parameter file, any bytes: the commands it makes and the text the
// confirmation box shows for it. Every byte of the file must go out, in order
// and unchanged, followed by "SAVE" and "NOTEST"; the box must stay small
// whatever the file holds.

#include "config/parameter_commands.h"
#include "config/parameter_file_preview.h"
#include "fuzz_check.h"

#include <QByteArray>
#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray file(reinterpret_cast<const char *>(data), qsizetype(size));

    const QList<QByteArray> commands = parameterCommands(file);
    FUZZ_CHECK(commands.size() == file.count('\n') + 3);
    FUZZ_CHECK(commands.last() == "NOTEST\r" && commands[commands.size() - 2] == "SAVE\r");
    QByteArray sent;
    for (const QByteArray &command : commands) {
        FUZZ_CHECK(!command.contains('\n'));
        sent += command + '\n';
    }
    FUZZ_CHECK(sent == file + "\r\nSAVE\r\nNOTEST\r\n");

    const QString preview = parameterFilePreview(file);
    FUZZ_CHECK(preview.count(u'\n') <= previewLines);
    qsizetype longest = 0;
    for (QStringView line : QStringView(preview).split(u'\n'))
        longest = qMax(longest, line.size());
    FUZZ_CHECK(longest <= previewLineLength + 40);
    for (QChar c : preview)
        FUZZ_CHECK(c.category() != QChar::Other_Control || c == u'\t' || c == u'\r' || c == u'\n');

    // A short text file is shown exactly as it stands.
    const QString utf8 = QString::fromUtf8(file);
    bool plain = file.count('\n') < previewLines && utf8.toUtf8() == file;
    for (QStringView line : QStringView(utf8).split(u'\n'))
        plain = plain && line.size() <= previewLineLength;
    for (QChar c : utf8)
        plain = plain
            && (c.category() != QChar::Other_Control || c == u'\t' || c == u'\r' || c == u'\n')
            && c != u'\uFEFF';
    if (plain)
        FUZZ_CHECK(preview == utf8);
    return 0;
}
