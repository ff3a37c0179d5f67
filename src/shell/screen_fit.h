#pragma once

#include "shell/window_placement.h"

#include <QHash>
#include <QObject>
#include <QRect>

#include <functional>

class QDockWidget;
class QMainWindow;

// Keeps the main window, title bar and frame included, on the part of the
// desktop that windows may use. It centres the window at start-up, smaller
// than it would like on a small screen; moves it back inside whenever it
// grows (the diagnostic readout, a panel that opens); and lets a docked
// panel that opens add its own height as far as the screen has room, giving
// that height back when the panel closes, so the window is as tall as before.
// A screen too short for the window with a panel below it has the panel
// beside the window, and one too small for that too, in a window of its own
// along the bottom of the screen.
class ScreenFit : public QObject {
    Q_OBJECT

public:
    // `area`: the desktop's usable part, asked afresh each time (a panel or
    // a second screen may have come and gone). `assumedFrame`: what the
    // window manager is taken to add until it has said.
    ScreenFit(QMainWindow *window, std::function<QRect()> area,
              QMargins assumedFrame = assumedWindowFrame);

    void centre();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The window manager's frame once it has said what it adds, until then
    // the one assumed.
    QMargins frame() const;
    // What the area leaves for the window inside its frame.
    QSize room() const;
    void keepInside();
    // Once the window manager has framed the window: shorter or narrower
    // where its real frame leaves less room than the one assumed, and inside.
    void fitFramed();
    void activateLayout();
    void dockShown(QDockWidget *dock);
    void dockHidden(QDockWidget *dock);
    // A panel the window has no room for on this screen opens as a window of
    // its own; `windowBefore`, if valid, is the window's geometry to go back to.
    void floatOnScreen(QDockWidget *dock, const QRect &windowBefore);

    QMainWindow *m_window;
    std::function<QRect()> m_area;
    QMargins m_assumedFrame;
    bool m_framed = false; // placed again once the real frame was known
    struct Grown {
        QRect before; // the window's geometry before the panel opened
        QRect after; // and as the panel's opening left it
    };
    QHash<QDockWidget *, Grown> m_grown;
    QHash<QDockWidget *, QRect> m_without; // the window's last geometry without the panel
};
