#include "line_monitor.h"

#include <QAction>
#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QVBoxLayout>

#include <algorithm>

LineMonitor::LineMonitor(QWidget *parent) : QDockWidget(QStringLiteral("Line Monitor"), parent)
{
    setObjectName(QStringLiteral("lineMonitor"));
    toggleViewAction()->setObjectName(QStringLiteral("lineMonitorAction"));
    toggleViewAction()->setText(QStringLiteral("Line &Monitor"));
    toggleViewAction()->setToolTip(
        QStringLiteral("Show every command and reply on the serial line (Ctrl+L)"));
    toggleViewAction()->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));

    auto *panel = new QWidget(this);
    m_view = new QPlainTextEdit(panel);
    m_view->setObjectName(QStringLiteral("lineMonitorView"));
    m_view->setReadOnly(true);
    // A caret shows where the focus is, and lets the keyboard select a part
    // of the log to copy.
    m_view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_view->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // One block per entry, so the view drops its oldest lines with the log.
    m_view->setMaximumBlockCount(int(m_log.capacity()));
    m_view->setPlaceholderText(
        QStringLiteral("Commands (->) and replies (<-) appear here as they pass the line."));

    auto *copy = new QPushButton(QStringLiteral("Copy All"), panel);
    copy->setObjectName(QStringLiteral("lineMonitorCopy"));
    copy->setToolTip(QStringLiteral("Copy the whole log to the clipboard"));
    auto *clearButton = new QPushButton(QStringLiteral("Clear"), panel);
    clearButton->setObjectName(QStringLiteral("lineMonitorClear"));
    connect(copy, &QPushButton::clicked, this, &LineMonitor::copyAll);
    connect(clearButton, &QPushButton::clicked, this, &LineMonitor::clear);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(copy);
    buttons->addWidget(clearButton);
    buttons->addStretch();
    auto *layout = new QHBoxLayout(panel);
    layout->setContentsMargins(6, 2, 6, 6);
    layout->addWidget(m_view, 1);
    layout->addLayout(buttons);
    setWidget(panel);
    setAllowedAreas(Qt::BottomDockWidgetArea | Qt::RightDockWidgetArea);
}

void LineMonitor::record(LineDirection direction, QByteArrayView bytes, const QDateTime &time)
{
    const LineLog::Change change = m_log.record(direction, bytes, time);
    // A hidden panel only keeps the log; it shows it whole when it opens.
    if (!isVisible()) {
        m_stale = true;
        return;
    }
    QScrollBar *scroll = m_view->verticalScrollBar();
    const bool following = scroll->value() == scroll->maximum();

    const auto &entries = m_log.entries();
    const std::size_t added = std::min(change.added, entries.size());
    if (change.extended && added < entries.size()) {
        // The newest shown line is the entry just before the new ones.
        const LineEntry &grown = entries[entries.size() - added - 1];
        QTextCursor cursor(m_view->document()->lastBlock());
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.insertText(LineLog::lineText(grown));
    }
    for (std::size_t i = entries.size() - added; i < entries.size(); ++i)
        m_view->appendPlainText(LineLog::lineText(entries[i]));

    if (following)
        scroll->setValue(scroll->maximum());
}

void LineMonitor::note(const QString &text, const QDateTime &time)
{
    record(LineDirection::Note, text.toUtf8(), time);
}

void LineMonitor::showEvent(QShowEvent *event)
{
    QDockWidget::showEvent(event);
    if (!std::exchange(m_stale, false))
        return;
    QStringList lines;
    for (const LineEntry &entry : m_log.entries())
        lines << LineLog::lineText(entry);
    m_view->setPlainText(lines.join(u'\n'));
    m_view->verticalScrollBar()->setValue(m_view->verticalScrollBar()->maximum());
}

QString LineMonitor::shownText() const
{
    return m_view->toPlainText();
}

void LineMonitor::copyAll()
{
    QGuiApplication::clipboard()->setText(m_log.text());
}

void LineMonitor::clear()
{
    m_stale = false;
    m_log.clear();
    m_view->clear();
}
