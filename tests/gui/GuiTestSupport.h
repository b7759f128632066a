// Helpers of the widget tests: screenshots for review and driving modal dialogs.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace quillon::test {

// Saves the widget as <name>.png in $QUILLON_SCREENSHOT_DIR when that is set, so that a
// developer can look at every dialog the tests open.
inline void saveScreenshot(QWidget& widget, const QString& name)
{
    const QString folder = qEnvironmentVariable("QUILLON_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    QApplication::processEvents();
    widget.grab().save(QDir(folder).filePath(name + ".png"));
}

// Runs the action on the next modal dialog that opens, once the event loop turns.
template <typename Dialog>
void onNextDialog(std::function<void(Dialog&)> action)
{
    QTimer::singleShot(0, [action] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog)
            action(*dialog);
        else if (auto* modal = QApplication::activeModalWidget())
            modal->close();
    });
}

}  // namespace quillon::test
