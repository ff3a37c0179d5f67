#include "window_placement.h"

#include <algorithm>

namespace {

// Left or top of a frame of `length` within [start, start + available): the
// far edge pulled in first, the near edge last, so the near edge wins.
int inside(int position, int length, int start, int available)
{
    return std::max(start, std::min(position, start + available - length));
}

QRect frameOf(const QRect &window, const QMargins &frame)
{
    return window.marginsAdded(frame);
}

QRect windowIn(const QRect &frameRect, const QMargins &frame)
{
    return frameRect.marginsRemoved(frame);
}

} // namespace

QRect centredWindow(const QRect &area, const QSize &preferred, const QSize &minimum,
                    const QMargins &frame)
{
    const QSize room(area.width() - frame.left() - frame.right(),
                     area.height() - frame.top() - frame.bottom());
    const QSize size = preferred.boundedTo(room).expandedTo(minimum);
    const QSize outer = size.grownBy(frame);
    const QRect centred(area.left() + int((area.width() - outer.width()) / 2.0f),
                        area.top() + int((area.height() - outer.height()) / 2.0f), outer.width(),
                        outer.height());
    return windowKeptInside(area, windowIn(centred, frame), frame);
}

QRect windowKeptInside(const QRect &area, const QRect &window, const QMargins &frame)
{
    QRect outer = frameOf(window, frame);
    outer.moveTo(inside(outer.left(), outer.width(), area.left(), area.width()),
                 inside(outer.top(), outer.height(), area.top(), area.height()));
    return windowIn(outer, frame);
}
