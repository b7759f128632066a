// "_UPDATE:" records for the detailed view's tests: the sample record of one machine in
// cycle-time mode with the fields a test cares about replaced.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "monitoring/HubDatagramSamples.h"

namespace quillon::test {

struct SampleRecord {
    std::vector<std::string> fields = fullRecordFields();

    SampleRecord(MachineSlot slot, std::string_view name, int stationKind = 0)
    {
        fields[0] = std::string(1, "0123456789abcdef"[slot.hub]);
        fields[1] = std::to_string(slot.port);
        fields[2] = std::to_string(stationKind);
        fields[15] = "0";  // no alert
        fields[19] = std::string(name);
        fields[22] = "0";  // cycle-time mode
        fields[88] = "0";  // overruns marked
    }
    // Field n as the hub numbers them, from 1.
    SampleRecord& set(int field, std::string value)
    {
        fields[static_cast<std::size_t>(field - 1)] = std::move(value);
        return *this;
    }
    std::string datagram() const { return recordDatagram(fields, fields.size()); }
};

}  // namespace quillon::test
