#include "bench.h"

#include "bench/row_dialogs.h"
#include "calibration/run_texts.h"
#include "certificate/calibration_report.h"
#include "judgement/accuracy_check.h"
#include "link/command_set.h"
#include "platform/printer.h"
#include "platform/serial_port.h"
#include "platform/timer.h"

#include <map>

Bench::Bench(Dialogs &dialogs, Desktop &desktop, Clock &clock, Printer &printer, QObject *parent)
    : QObject(parent), m_dialogs(dialogs), m_desktop(desktop), m_clock(clock), m_printer(printer),
      m_boxes(dialogs, desktop)
{
    m_pollTimer = m_clock.createTimer();
    m_pollTimer->setInterval(2000);
    m_pollTimer->setTick([this] { pollAll(); });
    m_endTimer = m_clock.createTimer();
    m_endTimer->setInterval(1);
    m_endTimer->setTick([this] {
        m_endTimer->stop();
        finishIfDone();
    });
}

Bench::~Bench()
{
    close();
}

TransmitterSession &Bench::add(std::unique_ptr<SerialPort> port, const QString &device,
                               const QString &adapter)
{
    const int index = size();
    BenchRow row;
    row.device = device;
    // "ttyUSB3" for /dev/ttyUSB3, "pts/4" for /dev/pts/4; a link elsewhere
    // by its own name.
    row.name = device.startsWith(u"/dev/") ? device.mid(5) : device.section(u'/', -1);
    row.adapter = adapter;
    row.port = std::move(port);
    row.dialogs
        = std::make_unique<RowDialogs>(m_dialogs, row.name, [this, index](const QString &text) {
              m_rows[size_t(index)].note = QString(text).replace(u'\r', u' ');
              emit rowChanged(index);
          });
    row.session = std::make_unique<TransmitterSession>(
        Platform {*row.port, *row.dialogs, m_desktop, m_clock, m_printer});
    TransmitterSession &s = *row.session;
    s.setPortName(row.name);
    s.setHeldDecisions(true);
    s.setAmbient([this] { return m_ambient ? m_ambient() : GasAndAmbient {}; });
    // The bench polls every transmitter itself; a session's own timer, which
    // every reply wait starts again, has nothing to do here.
    s.Timer1->setTick([] {});
    const auto changed = [this, index] { emit rowChanged(index); };
    for (const auto signal :
         {&TransmitterSession::statusChanged, &TransmitterSession::displayChanged,
          &TransmitterSession::runProgressed, &TransmitterSession::linkChanged,
          &TransmitterSession::undoChanged})
        connect(&s, signal, this, changed);
    connect(&s, &TransmitterSession::readingArrived, this, changed);
    // Only a line that has received something is looked at again in a poll.
    connect(&s.port(), &SerialPort::readyRead, this,
            [this, index] { m_rows[size_t(index)].replyArrived = true; });
    connect(&s.port(), &SerialPort::lost, this,
            [this, index] { m_rows[size_t(index)].replyArrived = true; });
    connect(&s, &TransmitterSession::outcome, this,
            [this, index](const SessionOutcome &outcome) { noteOutcome(index, outcome); });
    connect(&s, &TransmitterSession::runStateChanged, this, &Bench::scheduleEndCheck);
    m_rows.push_back(std::move(row));
    return s;
}

void Bench::setAmbient(std::function<GasAndAmbient()> ambient)
{
    m_ambient = std::move(ambient);
}

void Bench::open()
{
    for (BenchRow &row : m_rows) {
        // Each port stands for one device, whatever its number.
        if (row.session->openPort(1, Transmitter::EndOfText))
            row.session->setStatus(QStringLiteral("Com Port is Open"), StatusColour::Black);
        else
            row.session->setStatus(QStringLiteral("The port cannot be opened"), StatusColour::Red);
    }
    m_pollTimer->start();
}

void Bench::close()
{
    m_pollTimer->stop();
    for (BenchRow &row : m_rows)
        row.session->shutDown();
}

void Bench::pollAll()
{
    // Every free transmitter is asked at once; the replies are gathered in
    // one wait that ends when all have come or at the poll's time-out. Only
    // then is each taken, in the rows' order: taking one may store a point,
    // and the time that takes must not count against another's reply.
    ++m_pollDepth;
    std::vector<int> waiting;
    for (int i = 0; i < size(); ++i) {
        if (session(i).beginPoll()) {
            waiting.push_back(i);
            m_rows[size_t(i)].replyArrived = true; // look at it at least once
        }
    }
    std::vector<std::pair<int, bool>> taken; // the row, and whether it replied
    const qint64 deadline = m_clock.steadyMilliseconds() + Transmitter::PollTimeout.count();
    for (;;) {
        for (auto i = waiting.begin(); i != waiting.end();) {
            BenchRow &row = m_rows[size_t(*i)];
            if (!std::exchange(row.replyArrived, false)) {
                ++i;
                continue;
            }
            // A reply complete at the deadline counts; a port that closed
            // under the wait can bring none.
            const bool replied = row.session->pollReplyComplete();
            if (replied || !row.session->isOpen()) {
                taken.emplace_back(*i, replied);
                i = waiting.erase(i);
            } else {
                ++i;
            }
        }
        if (waiting.empty() || m_clock.steadyMilliseconds() >= deadline)
            break;
        m_clock.waitForEvents(deadline);
    }
    for (int i : waiting)
        taken.emplace_back(i, false);
    std::sort(taken.begin(), taken.end());
    for (const auto &[i, replied] : taken)
        session(i).endPoll(replied);
    --m_pollDepth;

    // A transmitter that has answered once is asked its version, once.
    for (BenchRow &row : m_rows) {
        if (!row.versionAsked && row.session->RxValue && row.session->lineFree()
            && !row.session->calibrationRunning()) {
            row.versionAsked = true;
            row.session->askVersion();
        }
    }
    if (m_pollDepth == 0)
        if (auto handler = std::exchange(m_afterPoll, nullptr))
            handler();
}

void Bench::runWhenFree(const std::function<void()> &handler)
{
    if (m_pollDepth == 0) {
        handler();
        return;
    }
    if (m_afterPoll) {
        m_desktop.beep();
        return;
    }
    m_afterPoll = handler;
}

bool Bench::refusedWhileRunning()
{
    if (!running())
        return false;
    m_boxes.report(QStringLiteral("Not possible during calibration!"));
    return true;
}

bool Bench::includeOpenRows()
{
    bool any = false;
    for (BenchRow &row : m_rows) {
        row.included = row.session->isOpen() && !row.session->calibrationRunning();
        row.note.clear();
        row.outcome
            = row.included ? QString() : QStringLiteral("not started: the port is not open");
        any = any || row.included;
    }
    if (!any)
        m_boxes.report(QStringLiteral("No transmitter's port is open."));
    return any;
}

void Bench::begin(Operation operation)
{
    m_operation = operation;
    m_cancelled = false;
    emit operationChanged();
}

void Bench::startZero()
{
    if (refusedWhileRunning() || !includeOpenRows())
        return;
    if (!m_boxes.confirm(zeroGasQuestion(), MessageIcon::Question))
        return;
    begin(Operation::Zero);
    startEach(&TransmitterSession::beginZeroRun);
}

void Bench::startSpan()
{
    if (refusedWhileRunning() || !includeOpenRows())
        return;
    // The transmitters' spans, each with the transmitters that hold it.
    std::map<double, QList<int>> spans;
    for (int i = 0; i < size(); ++i) {
        BenchRow &row = m_rows[size_t(i)];
        if (!row.included)
            continue;
        if (row.session->prepareSpanRun()) {
            spans[row.session->TransmitterSpan.toDouble()] << i;
        } else {
            row.included = false;
            row.outcome = QStringLiteral("not started: ") + row.note;
        }
    }
    if (spans.empty()) {
        // Nothing to ask: the summary says why none could start.
        begin(Operation::Span);
        scheduleEndCheck();
        return;
    }
    QStringList held;
    for (const auto &[span, indexes] : spans) {
        const QString text = m_rows[size_t(indexes.first())].session->TransmitterSpan;
        held << (spans.size() == 1 ? text + QStringLiteral(" ppm")
                                   : text + QStringLiteral(" ppm (") + namesOf(indexes) + u')');
    }
    if (!m_boxes.confirm(spanGasQuestion(held.join(QStringLiteral(", "))), MessageIcon::Question))
        return;
    QList<int> far;
    for (int i = 0; i < size(); ++i)
        if (m_rows[size_t(i)].included && !m_rows[size_t(i)].session->spanGasNearSpan())
            far << i;
    if (!far.isEmpty()) {
        m_desktop.beep();
        if (!m_boxes.confirm(spanGasFarWarning() + QStringLiteral("\r\r") + namesOf(far),
                             MessageIcon::Question))
            return;
    }
    begin(Operation::Span);
    startEach(&TransmitterSession::beginSpanRun);
}

void Bench::startCheck(CalibrationKind kind)
{
    if (refusedWhileRunning())
        return;
    const QString corrected = m_ambient ? m_ambient().corrected : QString();
    if (const QString problem = checkGasProblem(kind, corrected); !problem.isEmpty()) {
        m_boxes.report(problem);
        return;
    }
    if (!includeOpenRows()
        || !m_boxes.confirm(checkQuestion(kind, corrected, true), MessageIcon::Question))
        return;
    begin(kind == CalibrationKind::CheckZero ? Operation::CheckZero : Operation::CheckSpan);
    startEach([kind](TransmitterSession &session) { return session.beginCheck(kind); });
}

void Bench::startEach(const std::function<bool(TransmitterSession &)> &start)
{
    for (BenchRow &row : m_rows) {
        if (!row.included)
            continue;
        row.session->NumberOfSamples = NumberOfSamples;
        if (!start(*row.session)) {
            row.included = false;
            row.outcome = QStringLiteral("not started: ") + row.note;
        }
    }
    scheduleEndCheck();
}

void Bench::cancel()
{
    if (!running())
        return;
    m_cancelled = true;
    for (BenchRow &row : m_rows)
        if (row.included && row.session->calibrationRunning())
            row.session->returnToIdle();
}

void Bench::undoZero(int index)
{
    if (!refusedWhileRunning())
        session(index).undoZeroCalibration();
}

void Bench::undoSpan(int index)
{
    if (!refusedWhileRunning())
        session(index).undoSpanCalibration();
}

void Bench::scheduleEndCheck()
{
    if (running())
        m_endTimer->start();
}

void Bench::finishIfDone()
{
    if (!running() || m_finishing)
        return;
    for (const BenchRow &row : m_rows)
        if (row.included && row.session->calibrationRunning() && !row.session->awaitingDecision())
            return;
    m_finishing = true;
    decideDoubtfulRuns();
    sumUp();
    m_finishing = false;
    m_operation = Operation::None;
    for (BenchRow &row : m_rows)
        row.included = false;
    emit operationChanged();
}

void Bench::decideDoubtfulRuns()
{
    QList<int> doubtful;
    QList<Choice> choices;
    for (int i = 0; i < size(); ++i) {
        TransmitterSession &s = session(i);
        if (!m_rows[size_t(i)].included || !s.awaitingDecision())
            continue;
        doubtful << i;
        choices << Choice {m_rows[size_t(i)].name + QStringLiteral(": ")
                               + s.runJudgement()->reasons().join(QStringLiteral("; ")),
                           false};
    }
    if (doubtful.isEmpty())
        return;
    // One question for all of them; Enter and Escape keep every one out.
    m_desktop.beep();
    const QString point = m_operation == Operation::Zero ? QStringLiteral("zero point")
                                                         : QStringLiteral("span point");
    const std::optional<QList<bool>> ticks = m_dialogs.choose(
        QStringLiteral("The runs of these transmitters are doubtful. Tick those whose %1 is to "
                       "be stored all the same: the others are refused and nothing is written "
                       "to them (Cancel refuses them all).")
            .arg(point),
        choices, MessageButtons::OkCancelSafe, applicationTitle);
    for (qsizetype k = 0; k < doubtful.size(); ++k)
        session(doubtful[k]).decideHeldRun(ticks && ticks->value(k));
}

QString Bench::operationName() const
{
    switch (m_operation) {
    case Operation::Zero:
        return QStringLiteral("Zero calibration");
    case Operation::Span:
        return QStringLiteral("Span calibration");
    case Operation::CheckZero:
        return QStringLiteral("Accuracy check with zero gas");
    case Operation::CheckSpan:
        return QStringLiteral("Accuracy check with span gas");
    case Operation::None:
        break;
    }
    return {};
}

QString Bench::namesOf(const QList<int> &indexes) const
{
    QStringList names;
    for (int i : indexes)
        names << m_rows[size_t(i)].name;
    return names.join(QStringLiteral(", "));
}

void Bench::noteOutcome(int index, const SessionOutcome &outcome)
{
    BenchRow &row = m_rows[size_t(index)];
    const TransmitterSession &s = *row.session;
    QString text = outcome.how;
    if (outcome.how == u"cancelled") {
        // A run that ended by itself ended on a fault, which the status line names.
        if (!m_cancelled && s.status().colour == StatusColour::Red)
            text = QStringLiteral("failed: ") + s.status().text;
    } else if (outcome.how == u"not stored" || outcome.how == u"undo failed") {
        text += QStringLiteral(": ")
            + (s.status().colour == StatusColour::Red ? s.status().text : row.note);
    } else if (outcome.how == u"refused") {
        text += QStringLiteral(": ")
            + (s.runJudgement() && !s.runJudgement()->passed() ? s.runJudgement()->reasonCode()
                                                               : row.note);
    } else if (!outcome.figures.isEmpty()) {
        text += QStringLiteral(" (") + outcome.figures + u')';
    } else if (s.lastCheck() && s.runJudgement() && outcome.run.isEmpty()
               && (outcome.how == u"PASS" || outcome.how == u"FAIL"
                   || outcome.how == u"not settled")) {
        text += QStringLiteral(" (as found %1 ppm)")
                    .arg(QString::number(s.runJudgement()->asFoundPpm, 'f', 1));
    }
    row.outcome = text;
    emit rowChanged(index);
}

void Bench::sumUp()
{
    QStringList lines;
    int good = 0;
    int bad = 0;
    for (const BenchRow &row : m_rows) {
        lines << row.name + QStringLiteral(": ")
                + (row.outcome.isEmpty() ? QStringLiteral("not started") : row.outcome);
        if (row.outcome.startsWith(u"stored") || row.outcome.startsWith(u"PASS"))
            ++good;
        else
            ++bad;
    }
    const bool check = m_operation == Operation::CheckZero || m_operation == Operation::CheckSpan;
    m_boxes.report(operationName()
                       + (check ? QStringLiteral(": %1 passed, %2 did not.\r\r")
                                : QStringLiteral(": %1 stored, %2 not.\r\r"))
                             .arg(good)
                             .arg(bad)
                       + lines.join(u'\r'),
                   bad > 0);
}

QList<int> Bench::certifiable() const
{
    QList<int> rows;
    for (int i = 0; i < size(); ++i)
        if (!reportedEvents(m_rows[size_t(i)].session->events()).isEmpty())
            rows << i;
    return rows;
}

ReportAnswers Bench::offeredReportAnswers() const
{
    ReportAnswers offered = Preferences(m_desktop.preferencesFile()).reportAnswers();
    offered.certificate = nextCertificateNumber(offered.certificate, m_clock.now().date().year());
    return offered;
}

void Bench::issueCertificates(const ReportAnswers &answers, const QList<QString> &serials)
{
    if (refusedWhileRunning())
        return;
    ReportAnswers each = answers;
    QString lastIssued;
    QStringList lines;
    bool failed = false;
    m_printer.beginBatch();
    for (int i : certifiable()) {
        const QString serial = serials.value(i).trimmed();
        if (serial.isEmpty())
            continue;
        TransmitterSession &s = session(i);
        each.serial = serial;
        s.askVersion();
        const PrintOutcome outcome = s.issueCertificate(each, m_printer);
        const QString name = m_rows[size_t(i)].name;
        if (outcome.result == PrintOutcome::Result::Cancelled)
            break;
        if (outcome.result == PrintOutcome::Result::Failed) {
            failed = true;
            lines << name + QStringLiteral(": ") + outcome.detail;
            continue;
        }
        lines << name + QStringLiteral(": ") + each.certificate + QStringLiteral(", ")
                + outcome.detail;
        lastIssued = each.certificate;
        each.certificate = nextCertificateNumber(each.certificate, m_clock.now().date().year());
    }
    m_printer.endBatch();
    if (!lastIssued.isEmpty()) {
        Preferences preferences(m_desktop.preferencesFile());
        ReportAnswers kept = answers;
        kept.serial.clear();
        kept.certificate = lastIssued;
        preferences.setReportAnswers(kept);
    }
    if (!lines.isEmpty())
        m_boxes.report(QStringLiteral("Calibration certificates:\r") + lines.join(u'\r'), failed);
}
