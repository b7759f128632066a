// The transmission control characters of the block protocols (Fanuc DNC, MAZAK,
// HEIDENHAIN), for both ends of the line.
#pragma once

namespace quillon::control {

inline constexpr char Soh = 0x01;
inline constexpr char Stx = 0x02;
inline constexpr char Etx = 0x03;
inline constexpr char Eot = 0x04;
inline constexpr char Enq = 0x05;
inline constexpr char Ack = 0x06;
inline constexpr char Dle = 0x10;
inline constexpr char Nak = 0x15;
inline constexpr char Etb = 0x17;

}  // namespace quillon::control
