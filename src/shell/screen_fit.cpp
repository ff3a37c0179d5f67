#include "screen_fit.h"

#include "shell/window_placement.h"

#include <QDockWidget>
#include <QEvent>
#include <QLayout>
#include <QMainWindow>
#include <QWindow>

#include <algorithm>

ScreenFit::ScreenFit(QMainWindow *window, std::function<QRect()> area, QMargins assumedFrame)
    : QObject(window), m_window(window), m_area(std::move(area)), m_assumedFrame(assumedFrame)
{
    m_window->installEventFilter(this);
    for (QDockWidget *dock : m_window->findChildren<QDockWidget *>()) {
        connect(dock, &QDockWidget::visibilityChanged, this, [this, dock](bool visible) {
            if (visible)
                dockShown(dock);
            else
                dockHidden(dock);
        });
        // A panel taken out of the window takes no room in it.
        connect(dock, &QDockWidget::topLevelChanged, this, [this, dock](bool floating) {
            if (floating)
                dockHidden(dock);
        });
    }
}

QMargins ScreenFit::frame() const
{
    const QWindow *handle = m_window->windowHandle();
    const QMargins margins = handle ? handle->frameMargins() : QMargins();
    return margins.isNull() ? m_assumedFrame : margins;
}

QSize ScreenFit::room() const
{
    const QMargins margins = frame();
    const QRect area = m_area();
    return {area.width() - margins.left() - margins.right(),
            area.height() - margins.top() - margins.bottom()};
}

void ScreenFit::centre()
{
    m_window->setGeometry(
        centredWindow(m_area(), m_window->sizeHint(), m_window->minimumSizeHint(), frame()));
}

void ScreenFit::keepInside()
{
    // Grown past the screen with a panel docked (the readout shown with the
    // line monitor open, on a small screen): the panel leaves the window.
    const QSize space = room();
    if (m_window->minimumSize().height() > space.height()
        || m_window->minimumSize().width() > space.width()) {
        for (QDockWidget *dock : m_window->findChildren<QDockWidget *>()) {
            if (dock->isVisible() && !dock->isFloating()) {
                floatOnScreen(dock, {});
                return;
            }
        }
    }
    const QRect kept = windowKeptInside(m_area(), m_window->geometry(), frame());
    if (kept != m_window->geometry())
        m_window->setGeometry(kept);
}

void ScreenFit::fitFramed()
{
    const QWindow *handle = m_window->windowHandle();
    if (m_framed || !m_window->isVisible() || !handle || handle->frameMargins().isNull())
        return;
    m_framed = true;
    QRect fitted = m_window->geometry();
    fitted.setSize(fitted.size().boundedTo(room()).expandedTo(m_window->minimumSize()));
    fitted = windowKeptInside(m_area(), fitted, frame());
    if (fitted != m_window->geometry())
        m_window->setGeometry(fitted);
}

bool ScreenFit::eventFilter(QObject *watched, QEvent *event)
{
    // A window manager that keeps the window where it was asked to be and
    // puts its frame around it moves nothing: the first exposure is the
    // first moment its frame is known for sure.
    if (watched == m_window->windowHandle()) {
        if (event->type() == QEvent::Expose)
            fitFramed();
        return false;
    }
    if (watched != m_window)
        return false;
    if (event->type() == QEvent::Show && m_window->windowHandle())
        m_window->windowHandle()->installEventFilter(this);
    if (event->type() == QEvent::Resize || event->type() == QEvent::Move) {
        // A panel that opens has made the window grow by the time it says so.
        for (QDockWidget *dock : m_window->findChildren<QDockWidget *>())
            if (dock->isHidden() || dock->isFloating())
                m_without.insert(dock, m_window->geometry());
    }
    if (event->type() == QEvent::Resize) {
        keepInside();
    } else if (event->type() == QEvent::Move) {
        // The window manager has framed the window: its title bar may be
        // taller than the one assumed, and so may its lower border, which
        // the window was placed up to. Only this once; later moves are the
        // technician's.
        fitFramed();
    }
    return false;
}

void ScreenFit::activateLayout()
{
    // The window's least size with or without the panel, at once rather
    // than when the layout next gets to it.
    m_window->layout()->invalidate();
    m_window->layout()->activate();
}

void ScreenFit::dockShown(QDockWidget *dock)
{
    if (!m_window->isVisible() || dock->isFloating() || m_grown.contains(dock))
        return;
    const QRect before = m_without.value(dock, m_window->geometry());
    activateLayout();
    const QSize space = room();
    const auto fits = [&] {
        return m_window->minimumSize().height() <= space.height()
            && m_window->minimumSize().width() <= space.width();
    };
    // Too short a screen for the panel below: beside the window, if the
    // screen is wide enough, else in a window of its own.
    if (!fits() && m_window->dockWidgetArea(dock) != Qt::RightDockWidgetArea
        && dock->isAreaAllowed(Qt::RightDockWidgetArea)) {
        m_window->addDockWidget(Qt::RightDockWidgetArea, dock);
        activateLayout();
    }
    if (!fits()) {
        floatOnScreen(dock, before);
        return;
    }
    const QSize least = m_window->minimumSize();
    const bool below
        = m_window->dockWidgetArea(dock) & (Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    const QSize wanted = before.size()
        + (below ? QSize(0, dock->sizeHint().height()) : QSize(dock->sizeHint().width(), 0));
    const QSize size = wanted.boundedTo(space.expandedTo(before.size())).expandedTo(least);
    const QRect after = windowKeptInside(m_area(), QRect(before.topLeft(), size), frame());
    m_window->setGeometry(after);
    m_grown.insert(dock, {before, after});
}

void ScreenFit::dockHidden(QDockWidget *dock)
{
    // A window that closes takes its panels with it.
    const auto grown = m_grown.constFind(dock);
    if (!m_window->isVisible() || grown == m_grown.constEnd())
        return;
    // Untouched since the panel opened: back to where it was. Moved or
    // resized by the technician: only the height the panel added goes.
    activateLayout();
    QRect back = grown->before;
    if (m_window->geometry() != grown->after) {
        back = m_window->geometry();
        back.setSize((back.size() - (grown->after.size() - grown->before.size()))
                         .expandedTo(m_window->minimumSize()));
    }
    m_grown.erase(grown);
    m_window->setGeometry(windowKeptInside(m_area(), back, frame()));
}

void ScreenFit::floatOnScreen(QDockWidget *dock, const QRect &windowBefore)
{
    // Leaving the window gives back the height the panel had added.
    dock->setFloating(true);
    if (windowBefore.isValid()) {
        activateLayout();
        m_window->setGeometry(windowKeptInside(m_area(), windowBefore, frame()));
    }
    // Along the bottom of the screen, as wide as the window, over it.
    const QRect area = m_area();
    const QRect window = m_window->geometry();
    const int height = std::min(dock->sizeHint().height(), area.height() / 2);
    const QRect panel(window.left(), area.bottom() + 1 - height, window.width(), height);
    dock->setGeometry(windowKeptInside(area, panel, assumedWindowFrame));
}
