// The technician's record of calibrations: the window gathers what each
// store, refusal and undo was about and appends it to the record file.

#include "shell/main_window.h"

#include "platform/serial_port.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>

namespace {

constexpr qsizetype asLeftReadings = 5;

} // namespace

void MainWindow::recordCalibration(CalibrationKind kind, const QString &beforeT,
                                   const QString &beforeR, const QString &afterT,
                                   const QString &afterR)
{
    CalibrationEvent e;
    e.time = m_clock.now();
    const int port = m_port.commPort();
    if (port > 0) {
        e.port = QStringLiteral("COM%1").arg(port);
        e.device = m_port.deviceName(port);
    }
    e.version = m_transmitterVersion;
    e.kind = kind;
    e.result = m_storeResult;
    if (kind == CalibrationKind::Zero || kind == CalibrationKind::Span) {
        e.samples = SampleCount;
        e.stability = m_runStability;
        e.trace = m_runTrace;
    }
    e.spanGas = SpanGasConcentration->text();
    e.corrected = CorrectedConcentration->text();
    e.temperatureShown = TemperatureText->text();
    e.temperatureUnit = TemperatureLabel->text();
    e.temperatureCelsius = Temperature;
    e.pressureShown = PressureText->text();
    e.pressureUnit = PressureLabel->text();
    e.pressureHectopascal = Pressure;
    e.beforeT = beforeT;
    e.beforeR = beforeR;
    e.afterT = afterT;
    e.afterR = afterR;

    // Numbers go on from the record's last one, so an "as left" row finds its
    // event even across sessions.
    const QString folder = m_desktop.dataFolder();
    if (m_lastEventNumber < 0)
        m_lastEventNumber
            = folder.isEmpty() ? 0 : lastEventNumber(QDir(folder).filePath(recordFileName));
    e.number = ++m_lastEventNumber;
    m_calibrations << e;
    writeRecordLine(calibrationRow(e));
    forgetSupersededCalibrations();

    if (m_asLeft.open && m_asLeft.event < 0 && e.result.outcome == StoreResult::Outcome::Stored) {
        m_asLeft.event = m_calibrations.size() - 1;
        m_calibrations.last().asLeft = m_asLeft.readings;
        // The readings may all have come behind the store's box.
        if (m_asLeft.readings.size() >= asLeftReadings)
            finishAsLeft();
    }
}

void MainWindow::forgetSupersededCalibrations()
{
    // The report and the undo need each kind's latest calibration and the
    // undos after it; older ones are in the record file, not in memory, so a
    // window left open for weeks does not grow.
    for (const CalibrationKind kind : {CalibrationKind::Zero, CalibrationKind::Span}) {
        const CalibrationKind undo
            = kind == CalibrationKind::Zero ? CalibrationKind::UndoZero : CalibrationKind::UndoSpan;
        qsizetype latest = -1;
        for (qsizetype i = 0; i < m_calibrations.size(); ++i)
            if (m_calibrations[i].kind == kind)
                latest = i;
        for (qsizetype i = latest - 1; i >= 0; --i) {
            if (m_calibrations[i].kind != kind && m_calibrations[i].kind != undo)
                continue;
            m_calibrations.removeAt(i);
            if (m_asLeft.event == i)
                m_asLeft.event = -1;
            else if (m_asLeft.event > i)
                --m_asLeft.event;
        }
    }
}

void MainWindow::noteAsLeftReading(double ppm)
{
    if (!m_asLeft.open || m_asLeft.readings.size() >= asLeftReadings)
        return;
    m_asLeft.readings << ppm;
    m_asLeft.time = m_clock.now();
    if (m_asLeft.event < 0)
        return;
    m_calibrations[m_asLeft.event].asLeft = m_asLeft.readings;
    if (m_asLeft.readings.size() >= asLeftReadings)
        finishAsLeft();
}

void MainWindow::finishAsLeft()
{
    const AsLeft taken = std::exchange(m_asLeft, {});
    if (taken.event < 0 || taken.readings.isEmpty())
        return;
    CalibrationEvent &e = m_calibrations[taken.event];
    e.asLeft = taken.readings;
    e.asLeftTime = taken.time;
    writeRecordLine(asLeftRow(e));
}

void MainWindow::writeRecordLine(const QString &line)
{
    const QString folder = m_desktop.dataFolder();
    const QString path = folder.isEmpty() ? QString() : QDir(folder).filePath(recordFileName);
    if ((!path.isEmpty() && appendToRecord(path, line)) || m_recordFailed)
        return;
    // Once, and out of the calibration's way: the calibration itself went on.
    m_recordFailed = true;
    statusBar()->showMessage(QStringLiteral("The calibration record could not be written to %1")
                                 .arg(path.isEmpty() ? QStringLiteral("the application-data folder")
                                                     : QDir::toNativeSeparators(path)));
}
