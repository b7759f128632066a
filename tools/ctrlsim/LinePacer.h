// Makes bytes move no faster than a serial line of a given speed moves them, so that a
// transfer through a pseudo-terminal takes as long as it would on the machine.
//
// One pacer per direction. A character on an asynchronous line takes a start bit, its data
// bits, the parity bit if any and its stop bits: ten bit times for 8N1 and 7E1, eleven for
// 7E2, so a line of BAUD carries BAUD / 10 or BAUD / 11 bytes per second.
#pragma once

#include <cstddef>
#include <limits>

#include "ctrlsim/ControlSession.h"

namespace quillon::ctrlsim {

inline constexpr int kBitsPerCharacter = 10;  // 8N1, 7E1

// The time one character takes on a line of the speed.
Duration characterTime(int baudRate, int bitsPerCharacter = kBitsPerCharacter);

class LinePacer {
public:
    // No limit: everything may move at once.
    LinePacer() = default;
    explicit LinePacer(int baudRate, int bitsPerCharacter = kBitsPerCharacter);

    bool limited() const { return m_limited; }

    // The line's framing changed (the other side set up its port): characters take this
    // long from now on.
    void setCharacterTime(Duration time) { m_byteTime = time; }

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
