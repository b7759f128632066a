#include "backplot/PlotStepper.h"

#include "backplot/PlotModel.h"

namespace quillon {

void PlotStepper::restart()
{
    m_position = 0;
    m_running = false;
    m_stopAfterTick = false;
    m_finished = false;
}

void PlotStepper::toggleRunning()
{
    if (m_finished)
        return;
    m_running = !m_running;
    m_stopAfterTick = false;
}

void PlotStepper::next()
{
    if (m_finished || m_running)
        return;
    m_running = true;
    m_stopAfterTick = true;
}

void PlotStepper::stop()
{
    m_running = false;
    m_stopAfterTick = false;
}

void PlotStepper::slower()
{
    if (m_speed > kSlowest)
        --m_speed;
}

void PlotStepper::faster()
{
    if (m_speed < kFastest)
        ++m_speed;
}

StepTick PlotStepper::tick(PlotModel& model)
{
    StepTick result;
    if (!due())
        return result;
    const std::size_t end = model.pointCount();
    const auto& points = model.build().points;
    auto shown = [&](std::size_t i) { return model.shows(points[i].slot); };

    while (m_position < end && result.taken < static_cast<std::size_t>(m_speed)) {
        if (model.append(m_position))
            ++result.taken;
        ++m_position;
    }
    // Passed over now rather than at the next tick, so that the editor is sent to the
    // point that will be drawn next.
    while (m_position < end && !shown(m_position))
        ++m_position;

    if (m_position < end) {
        result.followLine = points[m_position].line + 1;
    } else {
        m_finished = true;
        m_running = false;
        result.finished = true;
    }
    if (m_stopAfterTick) {
        m_running = false;
        m_stopAfterTick = false;
    }
    return result;
}

}  // namespace quillon
