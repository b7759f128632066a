// Makes bytes move no faster than a serial line of a given speed moves them, so that a
// transfer through a pseudo-terminal takes as long as it would on the machine.
//
// One pacer per direction. A character on an asynchronous line takes ten bit times (start
// bit, eight data bits, stop bit; seven bits with parity come to the same), so a line of
// BAUD carries BAUD / 10 bytes per second.
#pragma once

#include <cstddef>
#include <limits>

#include "ctrlsim/ControlSession.h"

namespace quillon::ctrlsim {

inline constexpr int kBitsPerCharacter = 10;

// The time one character takes on a line of the speed.
Duration characterTime(int baudRate);

class LinePacer {
public:
    // No limit: everything may move at once.
    LinePacer() = default;
    explicit LinePacer(int baudRate);

    bool limited() const { return m_limited; }

    // How many bytes may move now.
    std::size_t allowance(TimePoint now) const;
    // Books bytes that moved.
    void moved(std::size_t count, TimePoint now);
    // When the next byte may move, for a caller that got no allowance.
    TimePoint nextAllowed() const { return m_lineFreeAt; }

private:
    // The moment from which bytes are counted: the end of the last byte, but no more than a
    // short catch-up time back, so that a late wake-up does not slow the line down while a
    // line that stood idle does not save up a burst.
    TimePoint countFrom(TimePoint now) const;

    bool m_limited = false;
    Duration m_byteTime{};
    TimePoint m_lineFreeAt{};
};

inline constexpr std::size_t kUnlimited = std::numeric_limits<std::size_t>::max();

}  // namespace quillon::ctrlsim
