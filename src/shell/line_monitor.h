#pragma once

#include "link/line_log.h"

#include <QDockWidget>

class QPlainTextEdit;

// The line monitor: a panel listing every command and reply with its time,
// the control characters written out. It keeps a bounded log, follows the
// newest line while scrolled to the bottom, and copies the whole log to the
// clipboard for a report.
class LineMonitor : public QDockWidget {
    Q_OBJECT

public:
    explicit LineMonitor(QWidget *parent = nullptr);

    void record(LineDirection direction, QByteArrayView bytes, const QDateTime &time);
    // A line of the program's own among the traffic ("-- Download stopped ...").
    void note(const QString &text, const QDateTime &time);
    const LineLog &log() const { return m_log; }
    // The lines as the panel shows them.
    QString shownText() const;

    void copyAll();
    void clear();

protected:
    void showEvent(QShowEvent *event) override;

private:
    LineLog m_log;
    bool m_stale = false; // the log has grown while the panel was hidden
    QPlainTextEdit *m_view = nullptr;
};
