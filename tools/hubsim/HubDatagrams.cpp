#include "hubsim/HubDatagrams.h"

#include <algorithm>

#include "hubsim/ShiftRecorder.h"

namespace quillon::hubsim {

namespace {

char hexDigit(int value)
{
    return "0123456789abcdef"[value & 0xF];
}

// Fields given as "seconds ago"; a time in the future (none should be) reads as now.
std::string secondsAgo(std::int64_t time, std::int64_t now)
{
    return std::to_string(std::max<std::int64_t>(0, now - time));
}

// The record's text fields end at the next comma: a comma inside one would shift every
// field after it, so it is sent as a blank.
std::string textField(std::string_view text)
{
    std::string field(text);
    std::replace(field.begin(), field.end(), ',', ' ');
    return field;
}

}  // namespace

std::string machineNamesDatagram(const HubModel& model)
{
    std::string datagram(kMachineNamesWord);
    for (int index = 0; index < kMachineSlots; ++index) {
        if (const Machine* machine = model.machine(MachineSlot::ofIndex(index)))
            datagram += machine->name.substr(0, kMachineNameLimit);
        datagram += '\0';
    }
    return datagram;
}

std::string machineStatesDatagram(const HubModel& model)
{
    std::string datagram(kMachineStatesWord);
    for (int index = 0; index < kMachineSlots; ++index) {
        const Machine* machine = model.machine(MachineSlot::ofIndex(index));
        datagram += static_cast<char>(machine ? 1 : 0);
        datagram += static_cast<char>(machine && machine->inCycle() ? 1 : 0);
    }
    datagram += '\0';
    return datagram;
}

std::string monitorStartDatagram(const HubModel& model)
{
    std::string datagram(kMonitorStartWord);
    datagram += '0';
    for (const Machine& m : model.machines()) {
        datagram += hexDigit(m.slot.hub);
        datagram += ',' + std::to_string(m.slot.port) + ',' +
                    std::to_string(static_cast<int>(m.kind)) + ',' +
                    (m.reportsFeedOverride ? "1" : "0") + ',' +
                    (m.reportsSpindleOverride ? "1" : "0") + '\n';
    }
    datagram += '\0';
    return datagram;
}

std::string recordDatagram(const Machine& m, std::int64_t now)
{
    const Station& s1 = m.stations[0];
    const Station& s2 = m.stations[1];
    const Efficiency e1 = m.efficiency(0, now);
    const Efficiency e2 = m.efficiency(1, now);
    // Cycles (for a machine in rate mode strokes) a minute, whole numbers; the displays show
    // them for a machine in rate mode only.
    const auto rate = [&m](const Station& s) {
        if (m.rateMode)
            return std::to_string(strokeRateOf(s));
        return std::to_string(s.idealCycle() > 0 ? std::max(1, 60 / s.idealCycle()) : 0);
    };
    const auto lastRate = [&m](const Station& s) {
        if (m.rateMode)
            return std::to_string(s.lastCycle > 0 ? strokeRateOf(s) : 0);
        return std::to_string(s.lastCycle > 0 ? 60 / s.lastCycle : 0);
    };
    const auto number = [](auto value) { return std::to_string(value); };
    std::vector<std::string> fields = {
        std::string(1, hexDigit(m.slot.hub)),                      // 1
        number(m.slot.port),                                       // 2
        number(static_cast<int>(m.kind)),                          // 3
        number(s1.minCycle),                                       // 4
        number(s1.maxCycle),                                       // 5
        number(s2.minCycle),                                       // 6
        number(s2.maxCycle),                                       // 7
        number(s1.lastCycle),                                      // 8
        number(s2.lastCycle),                                      // 9
        secondsAgo(s1.cycleStart, now),                            // 10
        secondsAgo(s2.cycleStart, now),                            // 11
        secondsAgo(s1.jobStart, now),                              // 12
        secondsAgo(s2.jobStart, now),                              // 13
        number(s1.goodCount),                                      // 14
        number(s2.goodCount),                                      // 15
        m.alert ? "1" : "0",                                       // 16
        textField(s1.partNumber),                                  // 17
        textField(s2.partNumber),                                  // 18
        std::string(statusName(m.status)),                         // 19
        textField(m.name),                                         // 20
        m.minutesUnit ? "1" : "0",                                 // 21
        number(m.reportsFeedOverride ? s1.feedOverride : 0),       // 22
        m.rateMode ? "2" : "1",                                    // 23: rate or cycle-time mode
        rate(s1),                                                  // 24
        rate(s2),                                                  // 25
        "81",                                                      // 26: rate tolerances
        "81",                                                      // 27
        m.inCycle() ? rate(s1) : "0",                              // 28
        lastRate(s1),                                              // 29
        number(m.reportsSpindleOverride ? m.spindleOverride : 0),  // 30
        number(m.slot.index()),                                    // 31
        textField(m.operation),                                    // 32
        number(s1.piecesPerCycle),                                 // 33
        number(s2.piecesPerCycle),                                 // 34
        secondsAgo(m.statusStart, now),                            // 35
        secondsAgo(m.statusStart, now),                            // 36
    };
    for (const std::int64_t seconds : m.statusSeconds)  // 37..73
        fields.push_back(number(seconds));
    fields.push_back(number(kOeeLowThreshold));   // 74
    fields.push_back(number(kOeeHighThreshold));  // 75
    for (const Efficiency& e : {e1, e2}) {        // 76..83
        fields.push_back(number(e.availability));
        fields.push_back(number(e.performance));
        fields.push_back(number(e.quality));
        fields.push_back(number(e.oee));
    }
    fields.push_back("0");  // 84, 85: nothing the clients read
    fields.push_back("0");
    fields.push_back(number(m.reportsFeedOverride ? s2.feedOverride : 0));  // 86
    fields.push_back(number(s1.totalCount));                                // 87
    fields.push_back(number(s2.totalCount));                                // 88
    fields.push_back("0");  // 89: an overrun is worth highlighting

    std::string datagram(kRecordWord);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            datagram += ',';
        datagram += fields[i];
    }
    datagram += '\0';
    return datagram;
}

std::string statusListDatagram(const Machine& machine)
{
    std::string datagram(kStatusListWord);
    datagram += std::to_string(machine.slot.hub) + ',' + std::to_string(machine.slot.port) + ',';
    for (const std::string_view status : HubModel::settableStatuses())
        datagram += std::string(status) + ',';
    datagram += '\0';
    return datagram;
}

}  // namespace quillon::hubsim
