// A settings file's COLORREF as a QColor and back.
#pragma once

#include <QColor>

#include "platform/ColorRef.h"

namespace quillon {

// The high byte of the value is not a colour and is ignored.
inline QColor toQColor(ColorRef value)
{
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

// The alpha channel is dropped.
inline ColorRef toColorRef(const QColor& color)
{
    return colorRef(color.red(), color.green(), color.blue());
}

}  // namespace quillon
