#pragma once

#include <QGroupBox>

// A captioned frame of the window that also reports a double-click anywhere
// inside it (the status frame toggles the diagnostic readout this way).
class Frame : public QGroupBox {
    Q_OBJECT

public:
    using QGroupBox::QGroupBox;

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};
