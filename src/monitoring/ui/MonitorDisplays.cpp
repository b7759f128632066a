#include "monitoring/ui/MonitorDisplays.h"

#include <QMainWindow>

#include <new>

#include "platform/Notifier.h"

namespace quillon {

namespace {

std::size_t indexOf(MonitorDisplay kind)
{
    return static_cast<std::size_t>(kind);
}

}  // namespace

MonitorDisplays::MonitorDisplays(QWidget& owner, LinkCheck linkCheck,
                                 EnvironmentSource environment, Notifier& notifier,
                                 QObject* parent)
    : QObject(parent),
      m_owner(owner),
      m_linkCheck(std::move(linkCheck)),
      m_environment(std::move(environment)),
      m_notifier(notifier)
{
}

void MonitorDisplays::registerFactory(MonitorDisplay kind, Factory factory)
{
    m_factories[indexOf(kind)] = std::move(factory);
}

bool MonitorDisplays::hasFactory(MonitorDisplay kind) const
{
    return static_cast<bool>(m_factories[indexOf(kind)]);
}

const char* MonitorDisplays::failureText(MonitorDisplay kind)
{
    switch (kind) {
    case MonitorDisplay::Machines:
        return "Could not create Machine Display Window";
    case MonitorDisplay::Detailed:
        return "Could not create Monitoring Display Detailed Window";
    case MonitorDisplay::Graph:
        return "Could not create Monitoring Display Graph Window";
    case MonitorDisplay::TimeLine:
        return "Could not create Monitoring Display TimeLine Window";
    }
    return "";
}

QRect MonitorDisplays::firstPlace() const
{
    // The client area of a main window is its central widget (the MDI area), below the
    // menu and the toolbar and beside the docked windows.
    const auto* frame = qobject_cast<const QMainWindow*>(&m_owner);
    const QWidget* client = frame && frame->centralWidget() ? frame->centralWidget() : &m_owner;
    const QPoint topLeft = client->mapToGlobal(QPoint(0, 0));
    return {topLeft, QSize(client->width() / 2 - 1, client->height() / 2 - 1)};
}

void MonitorDisplays::open(MonitorDisplay kind)
{
    if (!m_linkCheck())
        return;
    QPointer<QWidget>& place = m_windows[indexOf(kind)];
    if (place) {
        if (place->isMinimized())
            place->showNormal();
        else
            place->show();
        place->raise();
        place->activateWindow();
        return;
    }
    const Factory& factory = m_factories[indexOf(kind)];
    if (!factory)
        return;
    QWidget* window = nullptr;
    try {
        window = factory(m_environment(), &m_owner);
    } catch (const std::bad_alloc&) {
        m_notifier.message("Out of memory");
        return;
    }
    if (!window) {
        m_notifier.message(failureText(kind));
        return;
    }
    // A window that took its place from its position file while it was made keeps it; the
    // others start over the quarter and read their file when they are first shown.
    if (!window->testAttribute(Qt::WA_Moved) && !window->testAttribute(Qt::WA_Resized))
        window->setGeometry(firstPlace());
    place = window;
    emit windowCreated(kind, window);
    window->show();
    window->raise();
    window->activateWindow();
}

void MonitorDisplays::hide(MonitorDisplay kind)
{
    if (QWidget* window = m_windows[indexOf(kind)])
        window->hide();
}

void MonitorDisplays::closeAll()
{
    for (QPointer<QWidget>& window : m_windows) {
        if (window)
            window->close();
    }
}

QWidget* MonitorDisplays::window(MonitorDisplay kind) const
{
    return m_windows[indexOf(kind)];
}

}  // namespace quillon
