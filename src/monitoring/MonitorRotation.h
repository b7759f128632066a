// The wall-display rotation of the three monitoring views: each view stays up for its own
// number of seconds, then the next one with a time takes its place.
#pragma once

#include <optional>

#include "monitoring/HubLink.h"
#include "monitoring/MachineLists.h"

namespace quillon {

// What one tick of the rotation asks of the windows. A view to hide is always hidden before
// the one to show is shown.
struct RotationStep {
    std::optional<MonitoringView> hide;
    std::optional<MonitoringView> show;
    bool operator==(const RotationStep&) const = default;
};

class MonitorRotation {
public:
    // One main-timer tick (one second). The rotation times are read at every tick, so times
    // changed in the "Monitoring list" dialog take effect at once: a view whose time became
    // 0 leaves at once, and with every time 0 the rotation stops, hiding its view.
    RotationStep tick(const MonitorViewSettings& times);

    // The view whose turn it is; nothing while the rotation is stopped.
    std::optional<MonitoringView> current() const { return m_current; }

private:
    std::optional<MonitoringView> m_current;
    int m_remaining = 0;
};

}  // namespace quillon
