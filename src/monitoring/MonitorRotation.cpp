#include "monitoring/MonitorRotation.h"

#include <algorithm>
#include <array>

namespace quillon {

namespace {

constexpr std::array kOrder = {MonitoringView::Detailed, MonitoringView::Graph,
                               MonitoringView::TimeLine};

int secondsOf(MonitoringView view, const MonitorViewSettings& times)
{
    switch (view) {
    case MonitoringView::Detailed:
        return times.detailedRotation;
    case MonitoringView::Graph:
        return times.graphRotation;
    case MonitoringView::TimeLine:
        return times.timelineRotation;
    }
    return 0;
}

// The first view after `after` (from the detailed view when there is none) that has a
// time; `after` itself comes last, so a view alone in the rotation follows itself.
std::optional<MonitoringView> nextView(std::optional<MonitoringView> after,
                                       const MonitorViewSettings& times)
{
    const std::size_t start = after ? static_cast<std::size_t>(*after) + 1 : 0;
    for (std::size_t i = 0; i < kOrder.size(); ++i) {
        const MonitoringView view = kOrder[(start + i) % kOrder.size()];
        if (secondsOf(view, times) > 0)
            return view;
    }
    return std::nullopt;
}

}  // namespace

RotationStep MonitorRotation::tick(const MonitorViewSettings& times)
{
    if (m_current) {
        // A shortened time shortens the turn under way too.
        m_remaining = std::min(m_remaining, secondsOf(*m_current, times));
        if (--m_remaining > 0)
            return {};
    }
    RotationStep step;
    const std::optional<MonitoringView> next = nextView(m_current, times);
    // A view that follows itself stays up: hiding it for no time would only make it flicker.
    if (m_current && m_current != next)
        step.hide = m_current;
    step.show = next;
    m_current = next;
    m_remaining = next ? secondsOf(*next, times) : 0;
    return step;
}

}  // namespace quillon
