// The clock the core reads time from, so that tests can fix it.
#pragma once

#include <chrono>
#include <cstdint>

namespace quillon {

class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since 1970-01-01 00:00 UTC.
    virtual std::int64_t now() const = 0;
};

class SystemClock final : public Clock {
public:
    std::int64_t now() const override;
};

// A clock that stands still until told otherwise.
class FixedClock final : public Clock {
public:
    explicit FixedClock(std::int64_t seconds) : m_seconds(seconds) {}
    std::int64_t now() const override { return m_seconds; }
    void set(std::int64_t seconds) { m_seconds = seconds; }
    void advance(std::int64_t seconds) { m_seconds += seconds; }

private:
    std::int64_t m_seconds;
};

}  // namespace quillon

namespace quillon {

// The clock intervals are measured on (how long output has not moved, what a line can have
// sent by now), so that tests can move it by hand.
class SteadyClock {
public:
    virtual ~SteadyClock() = default;
    virtual std::chrono::steady_clock::time_point now() const = 0;
};

class SystemSteadyClock final : public SteadyClock {
public:
    std::chrono::steady_clock::time_point now() const override
    {
        return std::chrono::steady_clock::now();
    }
};

// A steady clock that moves only when told.
class ManualSteadyClock final : public SteadyClock {
public:
    std::chrono::steady_clock::time_point now() const override { return m_now; }
    void advance(std::chrono::steady_clock::duration by) { m_now += by; }

private:
    std::chrono::steady_clock::time_point m_now{};
};

}  // namespace quillon
