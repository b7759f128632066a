// The main frame's places for the four live monitoring windows: at most one of each kind,
// shown again when it exists, created through the factory registered for its kind otherwise.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

#include "monitoring/ui/MonitorEnvironment.h"

namespace quillon {

class MonitorDisplays : public QObject {
    Q_OBJECT
public:
    // Makes a window of one kind: a top-level window with Qt::WA_DeleteOnClose that
    // registers itself with the link. nullptr: it could not be made.
    using Factory = std::function<QWidget*(const MonitorEnvironment&, QWidget* owner)>;
    // True when there is a link to the hub; otherwise it has told the user so.
    using LinkCheck = std::function<bool()>;
    // The environment of a new window; asked for only after a passed link check.
    using EnvironmentSource = std::function<MonitorEnvironment()>;

    // owner: the main frame, whose client area gives new windows their first place.
    MonitorDisplays(QWidget& owner, LinkCheck linkCheck, EnvironmentSource environment,
                    Notifier& notifier, QObject* parent = nullptr);

    void registerFactory(MonitorDisplay kind, Factory factory);
    bool hasFactory(MonitorDisplay kind) const;

    // The remote menu's commands: shows the window of the kind, creating it when there is
    // none. Nothing without a link ("No Ethernet communications") or without a factory.
    void open(MonitorDisplay kind);
    // Hides the window of the kind, when there is one; it stays alive and registered.
    void hide(MonitorDisplay kind);
    // The exit: every window closes as the user would close it, saving its place and
    // leaving the link.
    void closeAll();
    // The window of the kind while it lives.
    QWidget* window(MonitorDisplay kind) const;

    // Where a new window stands before its own position file is read: over the top-left
    // quarter of the owner's client area, in screen coordinates.
    QRect firstPlace() const;

    // What is said when a window of the kind cannot be made.
    static const char* failureText(MonitorDisplay kind);

signals:
    void windowCreated(quillon::MonitorDisplay kind, QWidget* window);

private:
    static constexpr std::size_t kKinds = 4;

    QWidget& m_owner;
    LinkCheck m_linkCheck;
    EnvironmentSource m_environment;
    Notifier& m_notifier;
    std::array<Factory, kKinds> m_factories;
    // QPointer forgets a window as soon as it is destroyed (closing deletes them).
    std::array<QPointer<QWidget>, kKinds> m_windows;
};

// Registers the factories of the four live windows.
void registerMonitorWindows(MonitorDisplays& displays);

}  // namespace quillon
