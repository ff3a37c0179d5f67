#include "settings_file.h"

#include <QFile>
#include <QFileInfo>

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
    deleteSettingsFile(fileName);
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool written = file.write(text) == text.size();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

void deleteSettingsFile(const QString &fileName)
{
    if (QFileInfo(fileName).isFile())
        QFile::remove(fileName);
}
