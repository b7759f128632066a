// The stored logical-font records turned into QFonts and back.
#pragma once

#include <QFont>

#include "platform/LogFont.h"

namespace quillon {

// Face, size (height in tenths of a point), weight, italic, underline, strike-out and the
// fixed-pitch bit. A Windows face this system lacks takes its installed stand-in (Liberation
// Mono for Courier New, ...); any other missing face falls back to the system's fixed font.
QFont toQFont(const LogFont& font);

// The chosen QFont over the record it replaces: the fields a QFont has are taken, the
// others (character set, precisions, quality, family bits) stay as they were.
LogFont fromQFont(const QFont& chosen, const LogFont& previous);

}  // namespace quillon
