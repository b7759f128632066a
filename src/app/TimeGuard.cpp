#include "app/TimeGuard.h"

#include "platform/Clock.h"

namespace quillon {

std::optional<TimeGuard> TimeGuard::start(const Clock& clock)
{
    for (int reading = 0; reading < 2; ++reading) {
        const std::int64_t now = clock.now();
        if (now > kImplausible)
            return TimeGuard(now);
    }
    return std::nullopt;
}

std::int64_t TimeGuard::now(const Clock& clock)
{
    const std::int64_t reading = clock.now();
    if (reading > kImplausible)
        m_last = reading;
    return m_last;
}

}  // namespace quillon
