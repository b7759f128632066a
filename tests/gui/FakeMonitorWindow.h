// A stand-in for a live monitoring window, for the tests of the code that opens them: a
// top-level window deleted when closed that remembers the environment it was given.
#pragma once

#include <QRect>
#include <QWidget>

#include <optional>
#include <string>

#include "monitoring/ui/MonitorDisplays.h"

namespace quillon::test {

class FakeMonitorWindow final : public QWidget {
public:
    // placed: the window takes this place while it is made, as one restored from its
    // position file would.
    FakeMonitorWindow(const MonitorEnvironment& env, QWidget* owner,
                      std::optional<QRect> placed = std::nullopt)
        : QWidget(owner, Qt::Window), hubDirectory(env.hubDirectory), statuses(&env.statuses)
    {
        setAttribute(Qt::WA_DeleteOnClose);
        if (placed)
            setGeometry(*placed);
    }

    std::string hubDirectory;
    const StatusTable* statuses;
};

// A factory that counts the windows it made and keeps the last one.
struct FakeWindowFactory {
    int made = 0;
    FakeMonitorWindow* last = nullptr;
    std::optional<QRect> placed;

    MonitorDisplays::Factory factory()
    {
        return [this](const MonitorEnvironment& env, QWidget* owner) {
            ++made;
            last = new FakeMonitorWindow(env, owner, placed);
            return last;
        };
    }
};

}  // namespace quillon::test
