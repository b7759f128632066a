// The datagrams this program sends to the hub: a word, the client's identity and, for the
// requests about one machine, its hub and port. Each is ASCII text ended by one NUL byte.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "monitoring/MachineSlot.h"

namespace quillon {

// The words, each with the comma that joins it to the identity.
inline constexpr std::string_view kMachineViewWord = "MCH_VIEW,";
inline constexpr std::string_view kMachineUpdateWord = "_MCHUPDATE,";
inline constexpr std::string_view kMachineDisconnectWord = "MCH_DISCONNECT,";
inline constexpr std::string_view kRemoteViewWord = "REMOTE_VIEW,";
inline constexpr std::string_view kRecordRequestWord = "_UPDATE,";
inline constexpr std::string_view kRemoteDisconnectWord = "REMOTE_DISCONNECT,";
inline constexpr std::string_view kStatusListRequestWord = "_GETMON_LIST,";
inline constexpr std::string_view kSetStatusWord = "_SETMON_STATUS,";

// The status whose change carries a new part number and cycle times.
inline constexpr std::string_view kSetupStatus = "SETUP";

// Pieces per cycle are 1 to 100 wherever they are sent or received.
inline constexpr int kMinPiecesPerCycle = 1;
inline constexpr int kMaxPiecesPerCycle = 100;
int limitPiecesPerCycle(long long pieces);

// The hub knows a subscriber by its local address written as a signed decimal.
std::string clientIdentity(std::int32_t localAddress);

// word + identity, and the NUL.
std::string wordDatagram(std::string_view word, std::int32_t localAddress);

// word + identity + "," + hub in lower-case hexadecimal + "," + port in decimal, and the NUL.
std::string machineRequestDatagram(std::string_view word, std::int32_t localAddress,
                                   MachineSlot slot);

// A status other than "SETUP" picked for a machine.
std::string setStatusDatagram(std::int32_t localAddress, MachineSlot slot,
                              std::string_view status);

// A confirmed SETUP: the new part number(s), cycle times in whole seconds and pieces per
// cycle of each station.
struct SetupChange {
    std::string partNumber1;
    bool twoStations = false;
    // Sent for two stations only; a single-station machine sends one blank in its place.
    std::string partNumber2;
    int minCycle1 = 0;
    int maxCycle1 = 0;
    int minCycle2 = 0;
    int maxCycle2 = 0;
    int pieces1 = 1;
    int pieces2 = 1;
};
std::string setupDatagram(std::int32_t localAddress, MachineSlot slot, const SetupChange& change);

}  // namespace quillon
