#include "qt_platform.h"

#include "qt_timer.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <cstdlib>

namespace {

// Message texts break lines with a carriage return; Qt's labels want "\n".
QString displayText(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

} // namespace

MessageResult QtDialogs::message(const QString &text, MessageButtons buttons, MessageIcon icon,
                                 const QString &title)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(title);
    box.setText(displayText(text));
    box.setTextFormat(Qt::PlainText);
    switch (icon) {
    case MessageIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MessageIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MessageIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    if (buttons != MessageButtons::Ok) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(buttons == MessageButtons::OkCancelSafe ? QMessageBox::Cancel
                                                                      : QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    box.exec();
    return box.clickedButton() == box.button(QMessageBox::Ok) ? MessageResult::Ok
                                                              : MessageResult::Cancel;
}

QString QtDialogs::input(const QString &prompt, const QString &title, const QString &defaultText)
{
    QInputDialog dialog(m_parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(displayText(prompt));
    dialog.setTextValue(defaultText);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.textValue();
}

void setUpApplication()
{
    QApplication::setApplicationName(QStringLiteral("kestrin"));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("kestrin"));
}

QString qtFileFilter(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        // "*.*" means every file, also those without an extension.
        if (patterns == u"*.*")
            patterns = QStringLiteral("*");
        entries << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return entries.join(QLatin1String(";;"));
}

namespace {

// Qt's own dialog, showing each filter by its name alone: the names already
// carry their patterns ("Parameters(*.par)"), which Qt would repeat.
void prepareFileDialog(QFileDialog &dialog, const QString &filter)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilter(qtFileFilter(filter));
}

} // namespace

QString QtDialogs::openFileName(const QString &title, const QString &filter,
                                const QString &fileName)
{
    QFileDialog dialog(m_parent, title);
    prepareFileDialog(dialog, filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (!fileName.isEmpty()) {
        dialog.setDirectory(QFileInfo(fileName).absolutePath());
        dialog.selectFile(QFileInfo(fileName).fileName());
    }
    const QStringList chosen = dialog.exec() == QDialog::Accepted ? dialog.selectedFiles()
                                                                   : QStringList();
    return chosen.isEmpty() ? fileName : chosen.constFirst();
}

QString QtDialogs::saveFileName(const QString &title, const QString &filter,
                                const QString &proposedName)
{
    const QFileInfo proposed(proposedName);
    QFileDialog dialog(m_parent, title, proposed.absolutePath());
    prepareFileDialog(dialog, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(proposed.suffix());
    dialog.selectFile(proposed.fileName());
    // The dialog can open in the middle of an operation that shows the busy
    // pointer; choosing a file wants the arrow.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    QApplication::restoreOverrideCursor();
    const QStringList chosen = dialog.selectedFiles();
    return accepted && !chosen.isEmpty() ? chosen.constFirst() : QString();
}

void QtDialogs::showHelpContents(const QString &helpFile)
{
    const QFileInfo info(helpFile);
    if (info.exists() && QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath())))
        return;
    // The help viewer's own report, as any help viewer gives for a missing file.
    QMessageBox::warning(m_parent, QStringLiteral("Help"),
                         QStringLiteral("Cannot open the help file %1.").arg(helpFile));
}

void QtDesktop::beep()
{
    QApplication::beep();
}

void QtDesktop::setBusyPointer(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

QSize QtDesktop::screenSize() const
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        return screen->availableGeometry().size();
    return {};
}

QRect QtDesktop::screenArea() const
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        return screen->availableGeometry();
    return {};
}

QString QtDesktop::executableName() const
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

QString QtDesktop::dataFolder() const
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString QtDesktop::preferencesFile() const
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(QStringLiteral("preferences.conf"));
}

void QtDesktop::endProgram()
{
    // Exit ends the program at once, without closing the window first; nothing
    // is kept in memory that would need saving.
    std::fflush(nullptr);
    std::_Exit(0);
}

QtClock::QtClock()
{
    m_steady.start();
}

QDateTime QtClock::now() const
{
    return QDateTime::currentDateTime();
}

qint64 QtClock::steadyMilliseconds() const
{
    return m_steady.elapsed();
}

std::unique_ptr<Timer> QtClock::createTimer()
{
    return std::make_unique<QtTimer>();
}

void QtClock::waitForEvents(qint64 deadline)
{
    const qint64 remaining = deadline - steadyMilliseconds();
    if (remaining <= 0) {
        QCoreApplication::processEvents();
        return;
    }
    // The wake-up timer guarantees that the sleep ends at the deadline even if
    // nothing else happens; arriving bytes, ticks and clicks end it earlier.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(int(remaining));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
