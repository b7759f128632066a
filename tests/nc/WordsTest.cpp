#include "nc/Words.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace quillon {
namespace {

TEST(NcWords, AddressValuesReadAsTheDecimalConversionDoes)
{
    EXPECT_DOUBLE_EQ(addressValue(".5"), 0.5);
    EXPECT_DOUBLE_EQ(addressValue(" 12"), 0.0);
    EXPECT_DOUBLE_EQ(addressValue("1-2"), 1.0);
    EXPECT_DOUBLE_EQ(addressValue("-12.5Y3"), -12.5);
    EXPECT_DOUBLE_EQ(addressValue("+3."), 3.0);
    EXPECT_DOUBLE_EQ(addressValue("--5"), 0.0);
    EXPECT_DOUBLE_EQ(addressValue("1E3"), 1.0);
    // At most 14 characters: the fifteenth digit is not part of the number.
    EXPECT_DOUBLE_EQ(addressValue("123456789012345"), 12345678901234.0);
    EXPECT_EQ(addressValueLength("1.5 X"), 3u);
    EXPECT_EQ(addressValueLength("-1-2+3.4.5.6.7.8"), 14u);
    EXPECT_EQ(decimalValue("1.2.3"), 1.2);
    EXPECT_EQ(decimalValue("."), 0.0);
    EXPECT_EQ(decimalValue(" 5"), 0.0);
    EXPECT_EQ(integerValue("71P10"), 71);
    EXPECT_EQ(integerValue("99999999999999"), 2147483647);
    EXPECT_EQ(integerValue("-99999999999999"), -2147483647 - 1);
}

// Both readers give exactly what the library's conversion gives, short numbers (read
// without it) and long ones alike; beyond a double's range too.
TEST(NcWords, NumbersReadExactlyAsTheLibraryReadsThem)
{
    const std::string huge = "1" + std::string(400, '0');
    const std::string tiny = "0." + std::string(400, '0') + "1";
    const std::vector<std::string> texts = {"0.1",
                                            "12.3456",
                                            "-99999.999",
                                            "0.000000000000000000001",
                                            "123456789012345678",
                                            "1.00000000000000000001",
                                            "9007199254740993",
                                            "7.",
                                            "007.5",
                                            "-0",
                                            huge,
                                            "-" + huge,
                                            huge + ".5",
                                            tiny,
                                            "-" + tiny};
    for (const std::string& text : texts) {
        EXPECT_EQ(decimalValue(text), std::strtod(text.c_str(), nullptr)) << text;
        EXPECT_EQ(atofValue(text), std::strtod(text.c_str(), nullptr)) << text;
    }
    EXPECT_EQ(decimalValue(huge), HUGE_VAL);
}

TEST(NcWords, AtofValuesTakeWhiteSpaceAndExponents)
{
    const std::vector<std::pair<std::string, double>> cases = {
        {"1E3", 1000.0},
        {"1.5e-2X", 0.015},
        {"1E", 1.0},
        {"1E+", 1.0},
        {"-2E+2", -200.0},
        {" \t\v\f\r\n7", 7.0},
        {"0x1F", 0.0},
        {"inf", 0.0},
        {"nan", 0.0},
        {".e5", 0.0},
        {"1E999999", HUGE_VAL},
        {"-1E999", -HUGE_VAL},
        {"1E-999", 0.0},
        {"0E99999", 0.0},
        {"123456789012345678901234E-20", 1234.56789012345678901234},
        {"2.5E0", 2.5},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(atofValue(text), value) << text;
    // Without the exponent form the E ends the number.
    EXPECT_EQ(decimalValue("1E3"), 1.0);
}

TEST(NcWords, WordsSkipCommentsAndLowerCase)
{
    std::vector<std::pair<char, std::string>> words;
    forEachWord("N10 G01(MOVE X9)x5 X1.5;Y-2 (open Z3", [&](char letter, std::string_view rest) {
        words.emplace_back(letter, std::string(rest.substr(0, addressValueLength(rest))));
        return true;
    });
    const std::vector<std::pair<char, std::string>> expected = {
        {'N', "10"}, {'G', "01"}, {'X', "1.5"}, {'Y', "-2"}};
    EXPECT_EQ(words, expected);
    // A false from the visitor stops the scan.
    int seen = 0;
    forEachWord("X1 Y2 Z3", [&](char letter, std::string_view) {
        ++seen;
        return letter != 'Y';
    });
    EXPECT_EQ(seen, 2);
}

TEST(NcCharacters, WhiteSpaceIsTheCLocalesIsspace)
{
    for (int c = -128; c < 128; ++c) {
        const char ch = static_cast<char>(c);
        EXPECT_EQ(isWhiteSpace(ch), std::isspace(static_cast<unsigned char>(ch)) != 0) << c;
    }
}

}  // namespace
}  // namespace quillon
