#include "dnc/CharacterCodes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace quillon {
namespace {

// The EIA table as a control's manual prints it, one row per group.
struct Row {
    std::string characters;
    std::vector<std::uint8_t> codes;
};

const std::vector<Row>& sendTable()
{
    static const std::vector<Row> rows = {
        {"0123456789", {0x20, 0x01, 0x02, 0x13, 0x04, 0x15, 0x16, 0x07, 0x08, 0x19}},
        {"ABCDEFGHI", {0x61, 0x62, 0x73, 0x64, 0x75, 0x76, 0x67, 0x68, 0x79}},
        {"JKLMNOPQR", {0x51, 0x52, 0x43, 0x54, 0x45, 0x46, 0x57, 0x58, 0x49}},
        {"STUVWXYZ", {0x32, 0x23, 0x34, 0x25, 0x26, 0x37, 0x38, 0x29}},
        {std::string("\0\b\t\n\r", 5), {0x00, 0x2A, 0x3E, 0x80, 0x80}},
        {"\x11\x12\x13\x14", {0x11, 0x12, 0x13, 0x14}},
        {" %()*+,-./=", {0x10, 0x0B, 0x1A, 0x4A, 0x3E, 0x70, 0x3B, 0x40, 0x6B, 0x31, 0x0B}},
        {"[]^{}", {0x1A, 0x4A, 0x7C, 0x1A, 0x4A}},
    };
    return rows;
}

TEST(CharacterCodes, EveryCharacterSendsItsEiaCode)
{
    int checked = 0;
    for (const Row& row : sendTable()) {
        ASSERT_EQ(row.characters.size(), row.codes.size());
        for (std::size_t i = 0; i < row.codes.size(); ++i, ++checked) {
            const char c = row.characters[i];
            EXPECT_EQ(toEia(c), row.codes[i]) << "character " << int(c);
            if (c >= 'A' && c <= 'Z') {
                EXPECT_EQ(toEia(static_cast<char>(c - 'A' + 'a')), row.codes[i]) << c;
            }
        }
    }
    EXPECT_EQ(checked, 61);
    EXPECT_EQ(toEia('g'), 0x67);
    for (const char none : {'@', '!', '#', '&', '\x7F', '\x01', '\xE4', ';'})
        EXPECT_EQ(toEia(none), 0x7F) << int(none);
    EXPECT_EQ(translateForSending(CharacterCode::Eia, 'G'), '\x67');
    EXPECT_EQ(translateForSending(CharacterCode::Iso, '@'), '@');
    EXPECT_EQ(translateForSending(CharacterCode::Bin, '\xE4'), '\xE4');
}

TEST(CharacterCodes, EveryEiaCodeReadsBackItsCharacter)
{
    // Letters and digits read back as they were sent.
    for (std::size_t r = 0; r < 4; ++r) {
        const Row& row = sendTable()[r];
        for (std::size_t i = 0; i < row.codes.size(); ++i)
            EXPECT_EQ(fromEia(row.codes[i]), row.characters[i]) << int(row.codes[i]);
    }
    const std::pair<std::uint8_t, char> others[] = {
        {0x00, '\0'}, {0x81, '\0'}, {0x82, '\0'},   {0x83, '\0'}, {0x80, '\n'},
        {0x2A, '\b'}, {0x3E, '\t'}, {0x03, '\xFF'}, {0x10, ' '},  {0x0B, '%'},
        {0x0E, '&'},  {0x1A, '('},  {0x4A, ')'},    {0x7A, '*'},  {0x70, '+'},
        {0x3B, ','},  {0x40, '-'},  {0x6B, '.'},    {0x31, '/'},  {0x7C, '^'},
    };
    for (const auto& [code, character] : others)
        EXPECT_EQ(fromEia(code), character) << int(code);
    // Codes that stand for nothing, below and above the table's end.
    for (const std::uint8_t none : {0x05, 0x11, 0x12, 0x14, 0x7F, 0x84, 0xFF})
        EXPECT_EQ(fromEia(none), '\x7F') << int(none);
    EXPECT_EQ(translateReceived(CharacterCode::Eia, '\x80'), '\n');
    EXPECT_EQ(translateReceived(CharacterCode::Iso, '\x80'), '\x80');
}

}  // namespace
}  // namespace quillon
