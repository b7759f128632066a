// The main timer's guard against a clock that reports nonsense: a reading of 9999 seconds
// since 1970 or less is taken as a failed clock, and the last plausible time stands in.
#pragma once

#include <cstdint>
#include <optional>

namespace quillon {

class Clock;

class TimeGuard {
public:
    static constexpr std::int64_t kImplausible = 9999;

    // At start-up: the clock is read twice; when both readings are implausible the
    // computer's time is broken ("Computer time issue") and nothing is returned.
    static std::optional<TimeGuard> start(const Clock& clock);

    // A tick: a plausible reading updates the guard; otherwise its last value is used.
    std::int64_t now(const Clock& clock);

private:
    explicit TimeGuard(std::int64_t last) : m_last(last) {}

    std::int64_t m_last;
};

}  // namespace quillon
