#include "frame.h"

#include <QMouseEvent>

void Frame::mouseDoubleClickEvent(QMouseEvent *event)
{
    emit doubleClicked();
    event->accept();
}
