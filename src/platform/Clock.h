// The clock the core reads time from, so that tests can fix it.
#pragma once

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
