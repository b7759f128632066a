// A stored window rectangle as a QRect and back. The files keep right and bottom one past
// the window's last pixel, as Windows rectangles are; QRect's right and bottom are on it.
#pragma once

#include <QRect>

#include "platform/WindowRectFile.h"

namespace quillon {

inline QRect toQRect(const WindowRect& rect)
{
    return QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1));
}

inline WindowRect fromQRect(const QRect& rect)
{
    return {rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1};
}

}  // namespace quillon
