// The input buffer of a control that executes a program while it is being read in (DNC
// drip-feed): bytes go in as they arrive and leave at the rate the control executes them.
//
//   capacity ┬──────────────  full: the control takes nothing more from the line
//            │
//   high     ┼──────────────  reached: a control with XON/XOFF sends XOFF (DC3)
//            │   fill
//   low      ┼──────────────  fallen to after an XOFF: it sends XON (DC1)
//            │
//          0 ┴──────────────
#pragma once

#include <cstddef>
#include <optional>

#include "ctrlsim/ControlSession.h"

namespace quillon::ctrlsim {

struct InputBufferSettings {
    std::size_t capacity = 256;
    // Bytes executed per second; nothing: as fast as they come, the buffer never fills.
    std::optional<std::size_t> consumeRate;
    std::size_t highWater = 192;
    std::size_t lowWater = 64;

    // The marks at three quarters and one quarter of the capacity. Three quarters leaves a
    // quarter of the buffer for what the other side still sends after the XOFF (its
    // driver's queue, bytes on the wire); one quarter sends the XON early enough that the
    // control does not run dry while the other side starts again.
    static InputBufferSettings withDefaultMarks(std::size_t capacity,
                                                std::optional<std::size_t> consumeRate);
};

// Upper bounds of the options, so that the drain arithmetic stays inside 64 bits.
inline constexpr std::size_t kMaxBufferCapacity = std::size_t{1} << 30;
inline constexpr std::size_t kMaxConsumeRate = 1'000'000'000;

class InputBuffer {
public:
    explicit InputBuffer(const InputBufferSettings& settings);

    const InputBufferSettings& settings() const { return m_settings; }

    // Lets the control execute what it could since the last call.
    void advance(TimePoint now);
    // Bytes that came in; more than room() counts as a full buffer.
    void put(std::size_t count, TimePoint now);

    std::size_t fill() const { return m_fill; }
    std::size_t room() const { return m_settings.capacity - m_fill; }

    // When the fill will have fallen to `level` with nothing more put in; nothing when it
    // never will.
    std::optional<TimePoint> whenFillIs(std::size_t level, TimePoint now) const;

private:
    InputBufferSettings m_settings;
    std::size_t m_fill = 0;
    // The bytes in the buffer have been executing since this moment.
    TimePoint m_drainingSince{};
};

}  // namespace quillon::ctrlsim
