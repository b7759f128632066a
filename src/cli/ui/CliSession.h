// The windowing session the command line's pictures are drawn in.
#pragma once

#include <QGuiApplication>

#include <memory>

namespace quillon::cli {

// Fonts and painting need a session; the shell gives no display, so none is asked for (the
// offscreen platform unless QT_QPA_PLATFORM names another). Nothing when the process has a
// session already; else the new one, which lives as long as the pointer.
std::unique_ptr<QGuiApplication> headlessSession();

}  // namespace quillon::cli
