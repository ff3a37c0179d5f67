// Writing a zero or span point into the transmitter: the two values, "SAVE"
// under the busy pointer, then "NOTEST"; and the undo that writes the
// earlier pair back.

#include "shell/main_window.h"

#include "link/command_set.h"
#include "platform/serial_port.h"
#include "shell/busy_pointer.h"
#include "shell/number_format.h"

#include <QAction>

void MainWindow::storePoint(QByteArrayView firstCommand, QString &first,
                            QByteArrayView secondCommand, QString &second,
                            const QString &doneMessage)
{
    if (!m_port.isOpen()) {
        report(QStringLiteral("Com port not open"));
        return;
    }
    first = wholeNumberText(first);
    second = wholeNumberText(second);

    BusyPointer busy(m_desktop);
    const auto fail = [this] {
        setStatus(QStringLiteral("Transmitter Not Responding, Check Com and Cables"),
                  StatusColour::Red);
        CancelButton_Click();
    };

    if (!exchange(Transmitter::command(firstCommand, first), Transmitter::ValueWriteTimeout)
        || !exchange(Transmitter::command(secondCommand, second), Transmitter::ValueWriteTimeout))
        return fail();

    busy.show();
    setStatus(QStringLiteral("Saving Parameters"), StatusColour::Black);
    if (!exchange(Transmitter::command(Transmitter::Store), Transmitter::StoreTimeout))
        return fail();

    setStatus(QStringLiteral("Saving OK"), StatusColour::Blue);
    if (!exchange(Transmitter::command(Transmitter::NoTest), Transmitter::NoTestTimeout))
        return fail();

    // The normal pointer comes back before the box, so the technician does
    // not click OK under an hourglass.
    busy.release();
    report(doneMessage, false);
}

void MainWindow::undoPoint(const QString &question, QAction *undoItem,
                           const std::function<void()> &store)
{
    if (!m_port.isOpen()) {
        report(QStringLiteral("Com Port is not open!"));
        return;
    }
    if (!confirm(question, MessageIcon::Question))
        return;
    store();
    // One undo per run, whatever the store achieved.
    undoItem->setEnabled(false);
    if (!exchange(Transmitter::command(Transmitter::NoTest), Transmitter::NoTestTimeout))
        setStatus(QStringLiteral("Transmitter Not Responding, Check Com and Cables"),
                  StatusColour::Red);
}
