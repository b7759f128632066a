// The plot windows of a program's window, wired to its editor panes.
#pragma once

class QWidget;

namespace quillon {

class CChildFrame;
class PlotWindows;
class QuillonApplication;

// The frame's plot windows, made on first use; they live as long as the frame. owner: the
// main frame, which the plot windows stay in front of.
PlotWindows& plotWindowsOf(CChildFrame& frame, QuillonApplication& app, QWidget* owner);

}  // namespace quillon
