#include "core/ui/OnScreen.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace filmarch {

void keepOnScreen(QWidget* window)
{
    const QScreen* on = window->screen();
    if (!on)
        return;
    const QRect room = on->availableGeometry();
    QRect frame = window->frameGeometry();
    // The frame's borders and title bar count, as far as the window can give way.
    const QSize borders = frame.size() - window->size();
    const QSize fits = (room.size() - borders).expandedTo(window->minimumSize());
    if (window->width() > fits.width() || window->height() > fits.height()) {
        window->resize(window->size().boundedTo(fits));
        frame = window->frameGeometry();
    }
    // Right and bottom first; what is still larger than the screen keeps its top left on it.
    const int dx = std::max(std::min(0, room.right() - frame.right()), room.left() - frame.left());
    const int dy = std::max(std::min(0, room.bottom() - frame.bottom()), room.top() - frame.top());
    if (dx != 0 || dy != 0)
        window->move(window->pos() + QPoint(dx, dy));
}

} // namespace filmarch
