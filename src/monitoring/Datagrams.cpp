#include "monitoring/Datagrams.h"

#include <algorithm>
#include <charconv>

#include "platform/Ipv4Address.h"

namespace quillon {

namespace {

void appendHex(std::string& text, int value)
{
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, value, 16);
    text.append(digits, result.ptr);
}

// A typed text goes into one comma-separated field: a comma would shift every later field
// at the hub and a NUL would end the datagram early, so neither is sent.
void appendField(std::string& text, std::string_view field)
{
    for (const char c : field) {
        if (c != ',' && c != '\0')
            text += c;
    }
}

std::string withMachine(std::string_view word, std::int32_t localAddress, MachineSlot slot)
{
    std::string text(word);
    text += clientIdentity(localAddress);
    text += ',';
    appendHex(text, slot.hub);
    text += ',';
    text += std::to_string(slot.port);
    return text;
}

std::string ended(std::string text)
{
    text += '\0';
    return text;
}

}  // namespace

int limitPiecesPerCycle(long long pieces)
{
    return static_cast<int>(std::clamp<long long>(pieces, kMinPiecesPerCycle, kMaxPiecesPerCycle));
}

std::string clientIdentity(std::int32_t localAddress)
{
    return ipv4ToSignedDecimal(localAddress);
}

std::string wordDatagram(std::string_view word, std::int32_t localAddress)
{
    std::string text(word);
    text += clientIdentity(localAddress);
    return ended(std::move(text));
}

std::string machineRequestDatagram(std::string_view word, std::int32_t localAddress,
                                   MachineSlot slot)
{
    return ended(withMachine(word, localAddress, slot));
}

std::string setStatusDatagram(std::int32_t localAddress, MachineSlot slot, std::string_view status)
{
    std::string text = withMachine(kSetStatusWord, localAddress, slot);
    text += ',';
    appendField(text, status);
    return ended(std::move(text));
}

std::string setupDatagram(std::int32_t localAddress, MachineSlot slot, const SetupChange& change)
{
    std::string text = withMachine(kSetStatusWord, localAddress, slot);
    text += ',';
    text += kSetupStatus;
    text += ',';
    appendField(text, change.partNumber1);
    for (const int seconds :
         {change.minCycle1, change.maxCycle1, change.minCycle2, change.maxCycle2}) {
        text += ',';
        text += std::to_string(seconds);
    }
    text += ',';
    if (change.twoStations)
        appendField(text, change.partNumber2);
    else
        text += ' ';
    text += ',';
    text += std::to_string(limitPiecesPerCycle(change.pieces1));
    text += ',';
    text += std::to_string(limitPiecesPerCycle(change.pieces2));
    text += ',';
    return ended(std::move(text));
}

}  // namespace quillon
