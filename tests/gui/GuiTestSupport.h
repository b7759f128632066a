// Helpers of the widget tests: screenshots for review and driving modal dialogs.
#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

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

// The child of the given kind showing this text (a button's or an action's text, "&"
// included); nullptr when there is none.
template <typename T>
T* findByText(const QObject& root, const QString& text)
{
    for (auto* child : root.findChildren<T*>()) {
        if (child->text() == text)
            return child;
    }
    return nullptr;
}

// The radio button with this text inside the group box with this title.
inline QRadioButton* radioIn(const QWidget& root, const QString& group, const QString& text)
{
    for (auto* box : root.findChildren<QGroupBox*>()) {
        if (box->title() == group)
            return findByText<QRadioButton>(*box, text);
    }
    return nullptr;
}

inline QLineEdit* edit(const QWidget& root, const QString& objectName)
{
    return root.findChild<QLineEdit*>(objectName);
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

// Runs the action on the modal dialog of that kind as soon as one opens (within the time):
// for dialogs that something else opens later.
template <typename Dialog>
void whenDialogOpens(std::function<void(Dialog&)> action, int timeoutMs = 10000)
{
    auto* timer = new QTimer;
    auto waited = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, waited, action, timeoutMs] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            timer->deleteLater();
            timer->stop();
            action(*dialog);
        } else if ((*waited += timer->interval()) > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

}  // namespace quillon::test
