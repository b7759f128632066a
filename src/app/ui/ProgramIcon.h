// The program's identity on the desktop: its icon and the id of its desktop entry.
#pragma once

#include <QIcon>

namespace quillon {

// The id the desktop entry, the icon, the MIME package and the metainfo are installed
// under (resources/desktop). Handed to Qt so that a Wayland compositor or a task bar ties
// the windows to the entry.
inline constexpr char kDesktopEntryId[] = "org.quillonlt.QuillonLT";

// The icon of the icon theme when the desktop has one under the entry's id (an installed
// program, or a theme that restyles it), else the SVG built into the program, so a program
// run from the build folder has its icon too.
QIcon programIcon();

}  // namespace quillon
