#include "dnc/CharacterCodes.h"

#include <array>
#include <string_view>

namespace quillon {

namespace {

constexpr std::uint8_t kNoCode = 0x7F;

struct Pairs {
    std::string_view characters;
    std::array<std::uint8_t, 11> codes;
};

// The EIA codes of the characters that have one. Receiving reads the same rows backwards,
// except where a code is shared (CR and LF both send 80; "*" and TAB both send 3E).
constexpr Pairs kSendRows[] = {
    {"0123456789", {0x20, 0x01, 0x02, 0x13, 0x04, 0x15, 0x16, 0x07, 0x08, 0x19}},
    {"ABCDEFGHI", {0x61, 0x62, 0x73, 0x64, 0x75, 0x76, 0x67, 0x68, 0x79}},
    {"JKLMNOPQR", {0x51, 0x52, 0x43, 0x54, 0x45, 0x46, 0x57, 0x58, 0x49}},
    {"STUVWXYZ", {0x32, 0x23, 0x34, 0x25, 0x26, 0x37, 0x38, 0x29}},
    {std::string_view("\0\b\t\n\r", 5), {0x00, 0x2A, 0x3E, 0x80, 0x80}},
    {"\x11\x12\x13\x14", {0x11, 0x12, 0x13, 0x14}},
    {" %()*+,-./=", {0x10, 0x0B, 0x1A, 0x4A, 0x3E, 0x70, 0x3B, 0x40, 0x6B, 0x31, 0x0B}},
    {"[]^{}", {0x1A, 0x4A, 0x7C, 0x1A, 0x4A}},
};

constexpr std::array<std::uint8_t, 256> kToEia = [] {
    std::array<std::uint8_t, 256> table{};
    table.fill(kNoCode);
    for (const Pairs& row : kSendRows) {
        for (std::size_t i = 0; i < row.characters.size(); ++i)
            table[static_cast<unsigned char>(row.characters[i])] = row.codes[i];
    }
    for (int c = 'a'; c <= 'z'; ++c)
        table[static_cast<std::size_t>(c)] = table[static_cast<std::size_t>(c - 'a' + 'A')];
    return table;
}();

struct Received {
    std::uint8_t code;
    char character;
};

// Codes 00 to 83 have entries; everything else reads as DEL.
constexpr std::array<char, 256> kFromEia = [] {
    std::array<char, 256> table{};
    table.fill(static_cast<char>(kNoCode));
    for (const Pairs& row : {kSendRows[0], kSendRows[1], kSendRows[2], kSendRows[3]}) {
        for (std::size_t i = 0; i < row.characters.size(); ++i)
            table[row.codes[i]] = row.characters[i];
    }
    constexpr Received others[] = {
        {0x00, '\0'}, {0x81, '\0'}, {0x82, '\0'},   {0x83, '\0'}, {0x80, '\n'},
        {0x2A, '\b'}, {0x3E, '\t'}, {0x03, '\xFF'}, {0x10, ' '},  {0x0B, '%'},
        {0x0E, '&'},  {0x1A, '('},  {0x4A, ')'},    {0x7A, '*'},  {0x70, '+'},
        {0x3B, ','},  {0x40, '-'},  {0x6B, '.'},    {0x31, '/'},  {0x7C, '^'},
    };
    for (const Received& entry : others)
        table[entry.code] = entry.character;
    return table;
}();

}  // namespace

std::uint8_t toEia(char character)
{
    return kToEia[static_cast<unsigned char>(character)];
}

char fromEia(std::uint8_t code)
{
    return kFromEia[code];
}

char translateForSending(CharacterCode code, char character)
{
    return code == CharacterCode::Eia ? static_cast<char>(toEia(character)) : character;
}

char translateReceived(CharacterCode code, char byte)
{
    return code == CharacterCode::Eia ? fromEia(static_cast<std::uint8_t>(byte)) : byte;
}

std::string_view endOfBlockBytes(EndOfBlock endOfBlock)
{
    switch (endOfBlock) {
    case EndOfBlock::Cr:
        return "\r";
    case EndOfBlock::CrLf:
        return "\r\n";
    case EndOfBlock::Lf:
        break;
    }
    return "\n";
}

}  // namespace quillon
