#include "transmitter_session.h"

#include "record/calibration_journal.h"
#include "link/recording_port.h"
#include "platform/timer.h"

#include <QDir>

TransmitterSession::TransmitterSession(const Platform &platform, QObject *parent)
    : QObject(parent), m_lineTap(std::make_unique<RecordingSerialPort>(platform.port)),
      m_port(*m_lineTap), m_dialogs(platform.dialogs), m_desktop(platform.desktop),
      m_clock(platform.clock), m_printer(platform.printer),
      m_boxes(platform.dialogs, platform.desktop)
{
    Timer1 = m_clock.createTimer();
    Timer1->setInterval(2000);
    Timer1->setTick([this] { Timer1_Timer(); });
    TimeOutTimer = m_clock.createTimer();
    TimeOutTimer->setInterval(1000);
    TimeOutTimer->setTick([this] { TimeOutTimer_Timer(); });

    // Trying to open a missing device costs next to nothing; once a second
    // finds the adapter again about as soon as the system has set it up.
    m_reopenTimer = m_clock.createTimer();
    m_reopenTimer->setInterval(1000);
    m_reopenTimer->setTick([this] { reopenLostPort(); });
    connect(&m_port, &SerialPort::lost, this, &TransmitterSession::onPortLost);
}

TransmitterSession::~TransmitterSession() = default;

void TransmitterSession::setStatus(const QString &text, StatusColour colour)
{
    m_status = {text, colour};
    emit statusChanged();
}

void TransmitterSession::setDisplay(const QString &value)
{
    m_displayValue = value;
    emit displayChanged();
}

void TransmitterSession::setDisplayUnit(const QString &unit)
{
    m_displayUnit = unit;
    emit displayChanged();
}

bool TransmitterSession::refusedDuringCalibration()
{
    if (!calibrationRunning())
        return false;
    m_boxes.report(QStringLiteral("Not possible during calibration!"));
    return true;
}

Preferences TransmitterSession::preferences() const
{
    return Preferences(m_desktop.preferencesFile());
}

CalibrationJournal &TransmitterSession::journal()
{
    // Made at its first row: the start-up has no use for it.
    if (!m_journal) {
        const QString folder = m_desktop.dataFolder();
        m_journal = std::make_unique<CalibrationJournal>(
            folder.isEmpty() ? QString() : QDir(folder).filePath(recordFileName));
    }
    return *m_journal;
}
