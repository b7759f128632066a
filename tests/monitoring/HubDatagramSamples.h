// Datagrams as the hub sends them, for the tests of the monitoring feed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "monitoring/IncomingDatagrams.h"
#include "monitoring/MachineSlot.h"

namespace quillon::test {

// The 89 fields of a two-head machine's record on hub 11 (b), port 3; fields[n - 1] is
// field n.
inline std::vector<std::string> fullRecordFields()
{
    std::vector<std::string> fields = {
        "b",     "3",     "1",        "40",
        "61",    "20",    "30",       "45",
        "26",    "100",   "200",      "300",
        "400",   "7",     "8",        "1",
        "P-100", "P-200", "CYCLE ON", "LATHE 3",
        "1",     "95",    "2",        "2.5",
        "3",     "10",    "12",       "2.25",
        "1.75",  "110",   "4",        "OP20 ROUGH TURNING OF THE FLANGE",
        "250",   "3",     "50",       "60"};
    for (int status = 0; status < kStatusCount; ++status)
        fields.push_back(std::to_string(1000 + status));
    for (const char* value : {"40", "85", "90", "80", "99", "71", "91", "81", "98", "72", "5", "x",
                              "105", "30", "31", "1"})
        fields.push_back(value);
    return fields;
}

// "_UPDATE:" and the first `count` fields, comma-separated, and the NUL.
inline std::string recordDatagram(const std::vector<std::string>& fields, std::size_t count)
{
    std::string text(kRecordWord);
    for (std::size_t i = 0; i < count && i < fields.size(); ++i) {
        if (i > 0)
            text += ',';
        text += fields[i];
    }
    text += '\0';
    return text;
}

inline std::string recordDatagram(MachineSlot slot, int stationKind = 0)
{
    std::vector<std::string> fields = fullRecordFields();
    fields[0] = std::string(1, "0123456789abcdef"[slot.hub]);
    fields[1] = std::to_string(slot.port);
    fields[2] = std::to_string(stationKind);
    return recordDatagram(fields, fields.size());
}

inline std::string withNul(std::string_view text)
{
    std::string bytes(text);
    bytes += '\0';
    return bytes;
}

}  // namespace quillon::test
