#include "backplot/NcWords.h"

#include <charconv>
#include <climits>
#include <cmath>

#include "platform/TextFile.h"

namespace quillon {

namespace {

constexpr std::size_t kAddressValueLimit = 14;
constexpr std::size_t kCoordinateWidth = 8;

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
    double value = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
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
    const long long value = leadingInteger(text);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

std::string coordinateText(double value)
{
    if (!std::isfinite(value))
        value = 0.0;
    // Nine decimals, rounded, then cut: the cut then falls on the digits the program wrote
    // (12.3456 is 12.34559999... in binary and must still read 12.3456).
    char digits[400];
    const auto end = std::to_chars(digits, digits + sizeof digits, std::fabs(value),
                                   std::chars_format::fixed, 9)
                         .ptr;
    const std::string_view text(digits, static_cast<std::size_t>(end - digits));
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = text.substr(point + 1);
    std::string result;
    if (value < 0)
        result += '-';
    const bool belowOne = whole == "0";
    if (!belowOne)
        result += whole;
    if (result.size() >= kCoordinateWidth)
        return result.substr(0, kCoordinateWidth);
    result += '.';
    const std::size_t decimals = belowOne ? 5 : 4;
    for (std::size_t i = 0; i < decimals && result.size() < kCoordinateWidth; ++i)
        result += fraction[i];
    return result;
}

}  // namespace quillon
