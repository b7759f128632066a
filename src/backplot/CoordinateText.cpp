#include "backplot/CoordinateText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace quillon {

namespace {

constexpr std::size_t kCoordinateWidth = 8;

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};

constexpr std::uint32_t kIntegerPowersOfTen[] = {
    1, 10, 100, 1'000, 10'000, 100'000, 1'000'000, 10'000'000, 100'000'000, 1'000'000'000};

int digitCount(std::uint32_t number)
{
    int digits = 1;
    while (digits < 10 && number >= kIntegerPowersOfTen[digits])
        ++digits;
    return digits;
}

// "0000" to "9999": a plot writes millions of coordinates, most of them below 10000.
constexpr auto kFourDigits = [] {
    std::array<char, 40'000> digits{};
    for (int n = 0; n < 10'000; ++n) {
        digits[static_cast<std::size_t>(4 * n)] = static_cast<char>('0' + n / 1000);
        digits[static_cast<std::size_t>(4 * n + 1)] = static_cast<char>('0' + n / 100 % 10);
        digits[static_cast<std::size_t>(4 * n + 2)] = static_cast<char>('0' + n / 10 % 10);
        digits[static_cast<std::size_t>(4 * n + 3)] = static_cast<char>('0' + n % 10);
    }
    return digits;
}();

const char* fourDigits(std::uint32_t number)
{
    return kFourDigits.data() + 4 * static_cast<std::size_t>(number);
}

// `number` as `whole` digits, a point when `point`, and `decimals` digits, the last digit
// at end[-1].
void writeDigitsBackwards(std::uint32_t number, int whole, bool point, int decimals, char* end)
{
    for (int i = 0; i < decimals; ++i) {
        *--end = static_cast<char>('0' + number % 10);
        number /= 10;
    }
    if (point)
        *--end = '.';
    for (int i = 0; i < whole; ++i) {
        *--end = static_cast<char>('0' + number % 10);
        number /= 10;
    }
}

// The value a coordinate text reads back as: its digits as one integer over the power of
// ten of its decimals, as decimalValue computes it (eight digits at most, so exactly).
double readBackValue(std::uint64_t mantissa, int decimals, bool negative)
{
    const double value = static_cast<double>(mantissa) / kPowersOfTen[decimals];
    return negative ? -value : value;
}

// Magnitudes of a billion and more: the whole digits fill the text, so only they count.
std::size_t writeHugeCoordinate(double magnitude, bool negative, char* out, double& readBack)
{
    char whole[400];
    const auto end = std::to_chars(whole, whole + sizeof whole, std::floor(magnitude),
                                   std::chars_format::fixed, 0)
                         .ptr;
    std::size_t length = 0;
    if (negative)
        out[length++] = '-';
    const std::size_t taken =
        std::min(static_cast<std::size_t>(end - whole), kCoordinateWidth - length);
    std::uint64_t mantissa = 0;
    for (std::size_t i = 0; i < taken; ++i) {
        out[length++] = whole[i];
        mantissa = mantissa * 10 + static_cast<unsigned>(whole[i] - '0');
    }
    readBack = readBackValue(mantissa, 0, negative);
    return length;
}

}  // namespace

std::size_t writeCoordinateText(double value, char* out, double& readBack)
{
    if (!std::isfinite(value))
        value = 0.0;
    const double magnitude = std::fabs(value);
    const bool negative = value < 0;
    if (magnitude >= 1e9)
        return writeHugeCoordinate(magnitude, negative, out, readBack);
    // Rounded to nine decimals, then cut: the cut then falls on the digits the program
    // wrote (12.3456 is 12.34559999... in binary and must still read 12.3456).
    const auto scaled =
        static_cast<std::uint64_t>(static_cast<std::int64_t>(magnitude * 1e9 + 0.5));
    const auto integer = static_cast<std::uint32_t>(scaled / 1'000'000'000);
    // The first five of the nine decimals; no more are ever written.
    const auto fraction = static_cast<std::uint32_t>(scaled % 1'000'000'000 / 10'000);
    const std::size_t sign = negative ? 1 : 0;
    if (integer < 10'000) {
        // Whole words from the table, cut to length afterwards: the bytes past the text
        // are scratch room.
        out[0] = '-';
        char* at = out + sign;
        const std::uint32_t fourDecimals = fraction / 10;
        if (integer == 0) {
            *at++ = '.';
            std::memcpy(at, fourDigits(fourDecimals), 4);
            at[4] = static_cast<char>('0' + fraction % 10);
            readBack = readBackValue(fraction, 5, negative);
            return sign + 6;
        }
        // Counted without branches: coordinates jump between one, two and three digits.
        const int whole = 1 + static_cast<int>(integer >= 10) + static_cast<int>(integer >= 100) +
                          static_cast<int>(integer >= 1000);
        std::memcpy(at, fourDigits(integer) + 4 - whole, 4);
        at += whole;
        *at++ = '.';
        std::memcpy(at, fourDigits(fourDecimals), 4);
        const int decimals = std::min(4, static_cast<int>(kCoordinateWidth - sign) - whole - 1);
        const std::uint32_t kept = decimals == 4   ? fourDecimals
                                   : decimals == 3 ? fourDecimals / 10
                                                   : fourDecimals / 100;
        readBack = readBackValue(std::uint64_t{integer} * kIntegerPowersOfTen[decimals] + kept,
                                 decimals, negative);
        return sign + static_cast<std::size_t>(whole + 1 + decimals);
    }
    if (negative)
        out[0] = '-';
    // The text's digits as one number: at most eight of them.
    std::uint32_t digits = fraction;
    int whole = 0;
    int decimals = 5;
    bool point = true;
    if (integer != 0) {
        whole = digitCount(integer);
        const int room = static_cast<int>(kCoordinateWidth - sign);
        if (whole >= room) {
            // The whole digits fill the text: no point.
            digits = integer / kIntegerPowersOfTen[whole - room];
            whole = room;
            decimals = 0;
            point = false;
        } else {
            decimals = std::min(4, room - whole - 1);
            // Divisions by constants: this runs for every coordinate of a plot.
            std::uint32_t kept = 0;
            switch (decimals) {
            case 4:
                kept = fraction / 10;
                break;
            case 3:
                kept = fraction / 100;
                break;
            case 2:
                kept = fraction / 1000;
                break;
            case 1:
                kept = fraction / 10'000;
                break;
            default:
                break;
            }
            digits = integer * kIntegerPowersOfTen[decimals] + kept;
        }
    }
    const std::size_t length = sign + static_cast<std::size_t>(whole + decimals) + (point ? 1 : 0);
    writeDigitsBackwards(digits, whole, point, decimals, out + length);
    readBack = readBackValue(digits, decimals, negative);
    return length;
}

std::size_t writeCoordinateText(double value, char* out)
{
    double readBack = 0;
    return writeCoordinateText(value, out, readBack);
}

std::string coordinateText(double value)
{
    char text[kCoordinateTextRoom];
    return std::string(text, writeCoordinateText(value, text));
}

}  // namespace quillon
