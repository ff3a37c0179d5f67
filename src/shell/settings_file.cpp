#include "settings_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

RememberedPort parseSettingsText(const QByteArray &text)
{
    RememberedPort port;
    if (text.size() >= 4 && text[3] >= '0' && text[3] <= '9')
        port.number = text[3] - '0';
    if (text.size() > 5)
        port.settings = QString::fromLatin1(text.mid(5));
    return port;
}

QByteArray settingsText(int portNumber, const QString &settings)
{
    const QByteArray number = QByteArray::number(portNumber);
    return "COM" + number.right(1) + ":" + settings.toUpper().toLatin1();
}

std::optional<QByteArray> readSettingsFile(const QString &fileName)
{
    // Only a regular file counts, as with a directory lookup for a file.
    if (!QFileInfo(fileName).isFile())
        return std::nullopt;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

bool writeSettingsFile(const QString &fileName, const QByteArray &text)
{
    // Written beside and renamed over the old file: a crash or a full disk
    // part-way leaves the old port, never an empty file that would make the
    // next start ask for a port again.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // A short write (a full disk) shows only in the flush, and commit() would
    // put the short file in place all the same.
    if (file.write(text) != text.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void deleteSettingsFile(const QString &fileName)
{
    if (QFileInfo(fileName).isFile())
        QFile::remove(fileName);
}
