#include "ctrlsim/InputBuffer.h"

#include <algorithm>
#include <cstdint>

namespace quillon::ctrlsim {

namespace {

using std::chrono::nanoseconds;

constexpr std::int64_t kNanosPerSecond = 1'000'000'000;

// The time `count` bytes take at `rate` bytes per second, rounded up.
nanoseconds executionTime(std::size_t count, std::size_t rate)
{
    const auto bytes = static_cast<std::int64_t>(count);
    const auto perSecond = static_cast<std::int64_t>(rate);
    return nanoseconds((bytes * kNanosPerSecond + perSecond - 1) / perSecond);
}

}  // namespace

InputBufferSettings InputBufferSettings::withDefaultMarks(std::size_t capacity,
                                                          std::optional<std::size_t> consumeRate)
{
    InputBufferSettings settings;
    settings.capacity = capacity;
    settings.consumeRate = consumeRate;
    settings.highWater = capacity - capacity / 4;
    settings.lowWater = capacity / 4;
    return settings;
}

InputBuffer::InputBuffer(const InputBufferSettings& settings) : m_settings(settings) {}

void InputBuffer::advance(TimePoint now)
{
    if (!m_settings.consumeRate) {
        m_fill = 0;
        return;
    }
    if (m_fill == 0 || now <= m_drainingSince) {
        if (m_fill == 0)
            m_drainingSince = now;  // an empty buffer saves up no execution for later
        return;
    }
    const std::size_t rate = *m_settings.consumeRate;
    const auto elapsed = std::chrono::duration_cast<nanoseconds>(now - m_drainingSince);
    if (elapsed >= executionTime(m_fill, rate)) {
        m_fill = 0;
        m_drainingSince = now;
        return;
    }
    // elapsed < fill / rate, so elapsed * rate < fill * 1e9 <= 2^30 * 1e9: no overflow.
    const auto executed = static_cast<std::size_t>(
        elapsed.count() * static_cast<std::int64_t>(rate) / kNanosPerSecond);
    m_fill -= executed;
    // Keep the part of a byte already under way for the next call.
    m_drainingSince += std::chrono::duration_cast<Duration>(nanoseconds(
        static_cast<std::int64_t>(executed) * kNanosPerSecond / static_cast<std::int64_t>(rate)));
}

void InputBuffer::put(std::size_t count, TimePoint now)
{
    advance(now);
    if (!m_settings.consumeRate)
        return;
    if (m_fill == 0)
        m_drainingSince = now;
    m_fill = std::min(m_settings.capacity, m_fill + count);
}

std::optional<TimePoint> InputBuffer::whenFillIs(std::size_t level, TimePoint now) const
{
    if (m_fill <= level)
        return now;
    if (!m_settings.consumeRate)
        return std::nullopt;
    return m_drainingSince + std::chrono::duration_cast<Duration>(
                                 executionTime(m_fill - level, *m_settings.consumeRate));
}

}  // namespace quillon::ctrlsim
