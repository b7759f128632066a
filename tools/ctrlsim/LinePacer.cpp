#include "ctrlsim/LinePacer.h"

#include <algorithm>

namespace quillon::ctrlsim {

namespace {

// How far back a late wake-up may still send the bytes it missed. Longer than the wake-up
// delays of a loaded machine, short enough that the burst after an idle line stays a few
// characters at 9600 baud.
constexpr Duration kCatchUp = std::chrono::milliseconds(10);

}  // namespace

Duration characterTime(int baudRate, int bitsPerCharacter)
{
    using std::chrono::nanoseconds;
    return std::chrono::duration_cast<Duration>(
        nanoseconds(std::int64_t{1'000'000'000} * bitsPerCharacter / std::max(1, baudRate)));
}

LinePacer::LinePacer(int baudRate, int bitsPerCharacter)
    : m_limited(true), m_byteTime(characterTime(baudRate, bitsPerCharacter))
{
}

TimePoint LinePacer::countFrom(TimePoint now) const
{
    return std::max(m_lineFreeAt, now - kCatchUp);
}

std::size_t LinePacer::allowance(TimePoint now) const
{
    if (!m_limited)
        return kUnlimited;
    if (now < m_lineFreeAt)
        return 0;
    return 1 + static_cast<std::size_t>((now - countFrom(now)) / m_byteTime);
}

void LinePacer::moved(std::size_t count, TimePoint now)
{
    if (!m_limited || count == 0)
        return;
    m_lineFreeAt = countFrom(now) + m_byteTime * static_cast<Duration::rep>(count);
}

}  // namespace quillon::ctrlsim
