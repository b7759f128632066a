#include "nc/Words.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <system_error>

#include "platform/TextFile.h"

namespace quillon {

namespace {

// An address value is read from at most this many characters: the control's word width.
constexpr std::size_t kAddressValueLimit = 14;
// Digits of G01, T5 and the like read without the general integer rules.
constexpr std::size_t kQuickIntegerDigits = 9;

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

enum class Form { Plain, WithExponent };

// The power of ten of the first significant digit of [digits, end) plus one (12.5 gives 2,
// 0.05 gives -1): whether a number the library finds out of range is too large or too
// small.
long leadingPowerOfTen(const char* at, const char* const end)
{
    long power = 0;
    bool significant = false;
    for (; at != end && isDigit(*at); ++at) {
        significant = significant || *at != '0';
        power += significant ? 1 : 0;
    }
    if (at != end && *at == '.') {
        for (++at; at != end && isDigit(*at) && !significant; ++at) {
            significant = *at != '0';
            power -= significant ? 0 : 1;
        }
    }
    return power;
}

// The exponent at `at` ("e" or "E", a sign, digits) when it has digits; `at` is moved past
// it then. Clamped far beyond any double so that it cannot overflow.
long readExponent(const char*& at, const char* const end)
{
    if (at == end || (*at != 'e' && *at != 'E'))
        return 0;
    const char* digits = at + 1;
    const bool negative = digits != end && *digits == '-';
    if (digits != end && (*digits == '+' || *digits == '-'))
        ++digits;
    if (digits == end || !isDigit(*digits))
        return 0;
    constexpr long kBeyondAnyDouble = 100000;
    long exponent = 0;
    for (; digits != end && isDigit(*digits); ++digits)
        exponent = std::min(exponent * 10 + (*digits - '0'), kBeyondAnyDouble);
    at = digits;
    return negative ? -exponent : exponent;
}

// ---- The one decimal reader ---------------------------------------------------------

// The value of the number at the start of [at, end).
double leadingDecimal(const char* at, const char* const end, Form form)
{
    if (form == Form::WithExponent) {
        while (at != end && isWhiteSpace(*at))
            ++at;
    }
    bool negative = false;
    if (at != end && (*at == '+' || *at == '-')) {
        negative = *at == '-';
        ++at;
    }
    const char* const digitsStart = at;
    // Most numbers in a program have few digits: as an integer over a power of ten both
    // are exact doubles, and their quotient is the correctly rounded value, as the
    // library's conversion gives it. Longer ones go to the library.
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
    if (digits + decimals == 0)
        return 0.0;
    const long exponent = form == Form::WithExponent ? readExponent(at, end) : 0;
    double value = 0.0;
    // Nineteen digits cannot overflow; 2^53 is where doubles stop holding every integer.
    if (exponent == 0 && digits + decimals <= 19 && decimals <= 22 &&
        mantissa <= (std::uint64_t{1} << 53)) {
        value = static_cast<double>(mantissa) / kPowersOfTen[decimals];
    } else {
        const auto result =
            std::from_chars(digitsStart, at, value,
                            exponent == 0 ? std::chars_format::fixed : std::chars_format::general);
        if (result.ec == std::errc::result_out_of_range)
            value = leadingPowerOfTen(digitsStart, at) + exponent > 0 ? HUGE_VAL : 0.0;
    }
    return negative ? -value : value;
}

}  // namespace

double decimalValue(std::string_view text)
{
    return leadingDecimal(text.data(), text.data() + text.size(), Form::Plain);
}

double atofValue(std::string_view text)
{
    return leadingDecimal(text.data(), text.data() + text.size(), Form::WithExponent);
}

std::size_t addressValueLength(std::string_view afterLetter)
{
    std::size_t length = 0;
    while (length < afterLetter.size() && length < kAddressValueLimit &&
           isNumberCharacter(afterLetter[length]))
        ++length;
    return length;
}

double addressValue(std::string_view afterLetter)
{
    // The number ends where decimalValue stops reading within the characters taken, so
    // one scan does for both.
    const std::size_t taken = std::min(afterLetter.size(), kAddressValueLimit);
    return leadingDecimal(afterLetter.data(), afterLetter.data() + taken, Form::Plain);
}

int integerValue(std::string_view text)
{
    // G01, T5: a few digits right after the letter, read without the general rules.
    std::size_t digits = 0;
    int quick = 0;
    while (digits < text.size() && digits < kQuickIntegerDigits && isDigit(text[digits]))
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

}  // namespace quillon
