// Sending a parameter file to the transmitter, line by line, and making it
// store what it received.

#include "session/transmitter_session.h"

#include "config/download_stop.h"
#include "config/parameter_commands.h"
#include "config/parameter_file_preview.h"
#include "link/command_set.h"
#include "platform/busy_pointer.h"
#include "platform/serial_port.h"

#include <QFile>

#include <optional>

namespace {

// The whole file, byte for byte; nothing when it cannot be opened or read.
std::optional<QByteArray> readWholeFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return text;
}

} // namespace

void TransmitterSession::downloadParameterFile()
{
    if (refusedDuringCalibration())
        return;
    if (!m_port.isOpen()) {
        m_boxes.report(QStringLiteral("Com Port Not Open"));
        return;
    }
    m_parameterFileName = m_dialogs.openFileName(
        QStringLiteral("Open Parameter File"),
        QStringLiteral("Parameters(*.par)|*.par|All files(*.*)|*.*"), m_parameterFileName);
    if (m_parameterFileName.isEmpty())
        return;
    // A file that cannot be read must not pass for an empty one: the
    // technician would be told that the parameters were sent and saved when
    // only "SAVE" and "NOTEST" went out.
    const std::optional<QByteArray> fileText = readWholeFile(m_parameterFileName);
    if (!fileText) {
        m_boxes.report(QStringLiteral("The parameter file cannot be read:\r")
                       + m_parameterFileName);
        return;
    }
    if (!m_boxes.confirm(parameterFilePreview(*fileText)
                             + QStringLiteral("\rPlease Confirm To Send The Parameters?"),
                         MessageIcon::None, m_parameterFileName))
        return;

    BusyPointer busy(m_desktop);
    busy.show();
    setStatus(QStringLiteral("Sending Parameters to the transmitter"), StatusColour::Blue);
    qsizetype line = 0;
    // The box and the status line say only that the sending stopped; the
    // status bar and the line monitor say where, and what had been applied.
    const auto tellWhere = [&](bool refused) {
        const QString where = downloadStopText(*fileText, line, RxBuffer, refused);
        emit notice(where);
        emit lineNote(where);
    };
    const LinkFailure failure {
        [&] {
            tellWhere(false);
            m_desktop.beep();
            setStatus(QStringLiteral("Transmitter Is Not Responding!"), StatusColour::Red);
        },
        [&] {
            tellWhere(true);
            busy.release();
            m_desktop.beep();
            m_dialogs.message(QStringLiteral("Error during sending the parameters!\r"
                                             "Sending is aborted!"),
                              MessageButtons::Ok, MessageIcon::Critical, applicationTitle);
        },
    };
    const QList<QByteArray> commands = parameterCommands(*fileText);
    for (; line < commands.size(); ++line) {
        if (!sendOrFail(commands[line], Transmitter::DownloadLineTimeout, failure)) {
            busy.release();
            // What the lines before the stop did to the relay levels is
            // the transmitter's to say.
            if (line > 0)
                readRelayLevels();
            return;
        }
    }
    // The file may have set the relay levels; the trend draws the ones the
    // transmitter now holds.
    readRelayLevels();
    busy.release();
    const QString done = QStringLiteral("Parameters sent and saved into the transmitter");
    setStatus(done, StatusColour::Black);
    m_boxes.report(done, false);
}
