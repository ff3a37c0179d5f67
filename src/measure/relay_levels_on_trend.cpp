// The relay levels on the trend: drawn once the transmitter has reported them
// or the technician has stored new ones.

#include "shell/main_window.h"

#include "measure/trend_view.h"
#include "shell/leading_number.h"

void MainWindow::showRelayLevels()
{
    const auto level = [](const QString &text) -> std::optional<double> {
        if (text.isEmpty())
            return std::nullopt;
        return LeadingNumber(text);
    };
    m_trendView->setRelayLevels(level(RelayOnLevel), level(RelayOffLevel));
}
