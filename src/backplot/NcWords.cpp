#include "backplot/NcWords.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>

#include "platform/TextFile.h"

namespace quillon {

namespace {

constexpr std::size_t kAddressValueLimit = 14;
constexpr std::size_t kCoordinateWidth = 8;

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

double decimalValue(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || !(isDigit(text.front()) || text.front() == '.'))
        return 0.0;
    // Most numbers in a program have few digits: as an integer over a power of ten both
    // are exact doubles, and their quotient is the correctly rounded value, as the
    // library's conversion gives it. Longer ones go to the library.
    const char* at = text.data();
    const char* const end = at + text.size();
    std::uint64_t mantissa = 0;
    int digits = 0;
    while (at != end && isDigit(*at)) {
        mantissa = mantissa * 10 + static_cast<unsigned>(*at++ - '0');
        ++digits;
    }
    int decimals = 0;
    if (at != end && *at == '.') {
        ++at;
        while (at != end && isDigit(*at)) {
            mantissa = mantissa * 10 + static_cast<unsigned>(*at++ - '0');
            ++decimals;
        }
    }
    double value = 0.0;
    // Nineteen digits cannot overflow; 2^53 is where doubles stop holding every integer.
    if (digits + decimals <= 19 && decimals <= 22 && mantissa <= (std::uint64_t{1} << 53)) {
        value = static_cast<double>(mantissa) / kPowersOfTen[decimals];
    } else {
        std::from_chars(text.data(), text.data() + text.size(), value,
                        std::chars_format::fixed);
    }
    return negative ? -value : value;
}

std::size_t addressValueLength(std::string_view afterLetter)
{
    std::size_t length = 0;
    while (length < afterLetter.size() && length < kAddressValueLimit) {
        const char c = afterLetter[length];
        if (!isDigit(c) && c != '+' && c != '-' && c != '.')
            break;
        ++length;
    }
    return length;
}

double addressValue(std::string_view afterLetter)
{
    return decimalValue(afterLetter.substr(0, addressValueLength(afterLetter)));
}

int integerValue(std::string_view text)
{
    // G01, T5: a few digits right after the letter, read without the general rules.
    std::size_t digits = 0;
    int quick = 0;
    while (digits < text.size() && digits < 9 && isDigit(text[digits]))
        quick = quick * 10 + (text[digits++] - '0');
    if (digits > 0 && (digits == text.size() || !isDigit(text[digits])))
        return quick;
    const long long value = leadingInteger(text);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

namespace {

// Magnitudes of a billion and more: the whole digits fill the text, so only they count.
std::size_t writeHugeCoordinate(double magnitude, bool negative, char* out)
{
    char whole[400];
    const auto end = std::to_chars(whole, whole + sizeof whole, std::floor(magnitude),
                                   std::chars_format::fixed, 0)
                         .ptr;
    std::size_t length = 0;
    if (negative)
        out[length++] = '-';
    const std::size_t taken = std::min(static_cast<std::size_t>(end - whole),
                                       kCoordinateWidth - length);
    std::copy_n(whole, taken, out + length);
    return length + taken;
}

}  // namespace

std::size_t writeCoordinateText(double value, char* out)
{
    if (!std::isfinite(value))
        value = 0.0;
    const double magnitude = std::fabs(value);
    if (magnitude >= 1e9)
        return writeHugeCoordinate(magnitude, value < 0, out);
    // Rounded to nine decimals, then cut: the cut then falls on the digits the program
    // wrote (12.3456 is 12.34559999... in binary and must still read 12.3456).
    const auto scaled = static_cast<std::uint64_t>(magnitude * 1e9 + 0.5);
    auto integer = static_cast<std::uint32_t>(scaled / 1'000'000'000);
    // The first five of the nine decimals; no more are ever written.
    auto decimals = static_cast<std::uint32_t>(scaled % 1'000'000'000 / 10'000);
    std::size_t length = 0;
    if (value < 0)
        out[length++] = '-';
    if (integer != 0) {
        char reversed[10];
        std::size_t digits = 0;
        do {
            reversed[digits++] = static_cast<char>('0' + integer % 10);
            integer /= 10;
        } while (integer != 0);
        while (digits > 0 && length < kCoordinateWidth)
            out[length++] = reversed[--digits];
        if (length >= kCoordinateWidth)
            return kCoordinateWidth;
    }
    const bool belowOne = scaled < 1'000'000'000;
    out[length++] = '.';
    char fraction[5];
    for (int i = 4; i >= 0; --i) {
        fraction[i] = static_cast<char>('0' + decimals % 10);
        decimals /= 10;
    }
    const std::size_t wanted = belowOne ? 5 : 4;
    for (std::size_t i = 0; i < wanted && length < kCoordinateWidth; ++i)
        out[length++] = fraction[i];
    return length;
}

std::string coordinateText(double value)
{
    char text[kCoordinateTextLimit];
    return std::string(text, writeCoordinateText(value, text));
}

}  // namespace quillon
