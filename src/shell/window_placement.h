#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

// Where the window goes on the desktop. All rectangles are the desktop's
// logical pixels; `area` is the part of the screen that windows may use
// (without panels and docks), `frame` what the window manager adds around
// the window (title bar and borders), and every result is the window's own
// geometry, without that frame, as a window is placed.

// The frame assumed while the window manager has not yet said what it adds:
// a title bar as tall as the usual desktops draw one, and thin borders.
inline constexpr QMargins assumedWindowFrame {4, 32, 4, 4};

// The window as large as it would like to be (`preferred`), smaller where the
// area is smaller but never below `minimum`, and centred on the area with
// its frame: left = (area width - frame width) / 2 in single precision, as
// the window has always been centred, and the same for the top. A window
// larger than the area, even at its minimum, keeps its title bar and menus
// on the screen: its frame starts at the area's top left.
QRect centredWindow(const QRect &area, const QSize &preferred, const QSize &minimum,
                    const QMargins &frame);

// The window moved, not resized, so that its frame lies inside the area;
// where the frame is larger than the area, its top left stays inside.
QRect windowKeptInside(const QRect &area, const QRect &window, const QMargins &frame);
