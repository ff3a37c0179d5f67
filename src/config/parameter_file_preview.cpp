#include "parameter_file_preview.h"

#include <QStringDecoder>

namespace {

QString decoded(const QByteArray &bytes)
{
    // A byte-order mark goes out with the first line: it is shown, not hidden.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

// A line as shown: cut to its first characters, never between the two
// halves of a character outside the basic plane.
QString shownLine(QStringView line)
{
    QString shown;
    if (line.size() > previewLineLength) {
        qsizetype length = previewLineLength;
        if (line[length - 1].isHighSurrogate())
            --length;
        shown = line.first(length).toString() + QChar(0x2026);
    } else {
        shown = line.toString();
    }
    for (QChar &c : shown) {
        const bool lineBreakOrTab = c == u'\t' || c == u'\r';
        if ((c.category() == QChar::Other_Control && !lineBreakOrTab) || c == u'\uFEFF')
            c = QChar::ReplacementCharacter;
    }
    return shown;
}

} // namespace

QString parameterFilePreview(const QByteArray &fileText)
{
    const QString text = decoded(fileText);
    // Lines are counted as the transmitter gets them: cut at line feeds.
    QString preview;
    qsizetype start = 0;
    for (int lines = 0; start < text.size() && lines < previewLines; ++lines) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        preview += shownLine(QStringView(text).sliced(start, end - start));
        if (end < text.size())
            preview += u'\n';
        start = end + 1;
    }
    if (start < text.size()) {
        const QStringView rest = QStringView(text).sliced(start);
        const qsizetype more = rest.count(u'\n') + (rest.endsWith(u'\n') ? 0 : 1);
        preview += QStringLiteral("\u2026 and %1 more lines not shown").arg(more);
    }
    return preview;
}
