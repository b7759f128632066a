// The datagrams the hub sends, built from its machines. Every one is ASCII text ended by
// one NUL byte (the machine states aside, which are raw bytes before that NUL).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "hubsim/HubModel.h"
#include "platform/TextFile.h"

namespace quillon::hubsim {

inline constexpr std::string_view kMachineNamesWord = "_MCHINI:";
inline constexpr std::string_view kMachineStatesWord = "_MCHUPDATE:";
inline constexpr std::string_view kMonitorStartWord = "_INI:@";
inline constexpr std::string_view kRecordWord = "_UPDATE:";
inline constexpr std::string_view kStatusListWord = "_MON_LIST:";

// Older clients receive a datagram into 2048 bytes and put a NUL after what came (QuillonLT
// takes datagrams whole): every datagram of a full hub of 128 machines stays within this.
inline constexpr std::size_t kClientReceiveLimit = 2047;
// The displays keep a machine name in a 20-byte slot: the hub sends at most this much.
inline constexpr std::size_t kMachineNameLimit = 18;
// The fields of a machine's full record.
inline constexpr int kRecordFields = 89;
// The OEE bands of the displays, the same for every machine (percent).
inline constexpr int kOeeLowThreshold = 60;
inline constexpr int kOeeHighThreshold = 85;

// "_MCHINI:" and the 128 slot names, hub by hub, each ended by NUL (empty for a slot
// without a machine).
std::string machineNamesDatagram(const HubModel& model);
// "_MCHUPDATE:", then per slot a monitored byte and an in-cycle byte (0 or 1), then NUL.
std::string machineStatesDatagram(const HubModel& model);
// "_INI:@", the count flag ("0": this hub supplies counts), then one line per machine:
// hub (hex), port, station kind, feed-override flag and spindle-override flag. Nothing
// more: 128 lines with names would not fit one datagram.
std::string monitorStartDatagram(const HubModel& model);
// "_UPDATE:" and the 89 fields of the machine's record at the model's time.
std::string recordDatagram(const Machine& machine, std::int64_t now);
// "_MON_LIST:" hub "," port "," and the statuses a client may set, each ended by a comma.
std::string statusListDatagram(const Machine& machine);

}  // namespace quillon::hubsim
