// The hub's clock: real time run faster (or slower) by a speed factor, so that a shift
// can be watched in minutes.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/Clock.h"

namespace quillon::hubsim {

class SimulatedTime {
public:
    // Simulated time starts at `start` (seconds since 1970), or at the real time of
    // construction.
    SimulatedTime(const Clock& realClock, double speed, std::optional<std::int64_t> start = {})
        : m_clock(realClock),
          m_realOrigin(realClock.now()),
          m_origin(start.value_or(m_realOrigin)),
          m_speed(speed)
    {
    }

    std::int64_t now() const
    {
        return m_origin + static_cast<std::int64_t>(
                              static_cast<double>(m_clock.now() - m_realOrigin) * m_speed);
    }
    std::int64_t origin() const { return m_origin; }

private:
    const Clock& m_clock;
    std::int64_t m_realOrigin;
    std::int64_t m_origin;
    double m_speed;
};

}  // namespace quillon::hubsim
