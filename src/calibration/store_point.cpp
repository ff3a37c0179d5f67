// Writing a zero or span point into the transmitter: the two values, "SAVE"
// under the busy pointer, then "NOTEST"; and the undo that writes the
// earlier pair back.

#include "shell/main_window.h"

#include "link/command_set.h"
#include "platform/serial_port.h"
#include "shell/busy_pointer.h"
#include "shell/leading_number.h"
#include "shell/number_format.h"

#include <QAction>

namespace {

// A whole number that fits the transmitter's six-character signal fields.
bool isStorableValue(const QString &wholeNumber)
{
    if (!isNumberText(wholeNumber))
        return false;
    return Transmitter::fitsAField(LeadingNumber(wholeNumber));
}

} // namespace

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
    // A run over readings such as "9e99" gives a mean that no transmitter
    // field holds; it must not be sent, let alone saved.
    if (!isStorableValue(first) || !isStorableValue(second)) {
        setStatus(QStringLiteral("Parameters not stored"), StatusColour::Red);
        report(QStringLiteral("The new values are outside what the transmitter can hold "
                              "(-99999 to 999999).")
               + CommandTerminator + QStringLiteral("Nothing has been sent."));
        CancelButton_Click();
        return;
    }

    BusyPointer busy(m_desktop);
    const auto fail = [this] {
        setStatus(QStringLiteral("Transmitter Not Responding, Check Com and Cables"),
                  StatusColour::Red);
        CancelButton_Click();
    };
    // The transmitter answers a value or a store it refuses with "ERROR"
    // before its prompt. Going on would report a point as saved that the
    // transmitter never took.
    const auto refused = [&] {
        busy.release();
        setStatus(QStringLiteral("Parameters not stored"), StatusColour::Red);
        report(QStringLiteral("The transmitter rejected the parameters!") + CommandTerminator
               + QStringLiteral("They have not been saved."));
        CancelButton_Click();
    };
    const auto taken = [&](QByteArrayView letters, const QString &value, int timeout) {
        if (!exchange(Transmitter::command(letters, value), timeout)) {
            fail();
            return false;
        }
        if (Transmitter::endsWithError(RxBuffer)) {
            refused();
            return false;
        }
        return true;
    };

    if (!taken(firstCommand, first, Transmitter::ValueWriteTimeout)
        || !taken(secondCommand, second, Transmitter::ValueWriteTimeout))
        return;

    busy.show();
    setStatus(QStringLiteral("Saving Parameters"), StatusColour::Black);
    if (!taken(Transmitter::Store, {}, Transmitter::StoreTimeout))
        return;

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
