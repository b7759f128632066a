// How many stations a machine of the hub runs: the hub's files and datagrams give it as a
// digit 0..2.
#pragma once

#include <optional>
#include <string_view>

namespace quillon {

enum class StationKind {
    Single = 0,
    TwoHeads = 1,
    TwoPallets = 2,
    // Any other digit. Kept apart so that a stray value never indexes a table of the
    // known kinds.
    Unknown,
};

// The kind a digit names, Unknown for anything else.
constexpr StationKind stationKindOfDigit(char digit)
{
    switch (digit) {
    case '0':
        return StationKind::Single;
    case '1':
        return StationKind::TwoHeads;
    case '2':
        return StationKind::TwoPallets;
    default:
        return StationKind::Unknown;
    }
}

}  // namespace quillon
