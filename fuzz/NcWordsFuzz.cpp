// Feeds arbitrary text to the NC word reading and to the word utilities. The decimal
// readers must give exactly what the C library's strtod gives for the texts both read
// alike; Modify and Rotate must finish, and Rotate must keep the line's length.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "editor/Compare.h"
#include "nc/Words.h"
#include "utilities/LineTools.h"

namespace {

// The part of `text` that decimalValue reads: a sign, digits, a point, digits.
std::string plainNumber(std::string_view text)
{
    std::size_t end = 0;
    if (end < text.size() && (text[end] == '+' || text[end] == '-'))
        ++end;
    while (end < text.size() && quillon::isDigit(text[end]))
        ++end;
    if (end < text.size() && text[end] == '.')
        ++end;
    while (end < text.size() && quillon::isDigit(text[end]))
        ++end;
    return std::string(text.substr(0, end));
}

// Whether strtod could read something atofValue leaves alone: hexadecimal numbers,
// "inf" and "nan".
bool holdsLibraryOnlyForms(std::string_view text)
{
    return text.find_first_of("xXiInN") != std::string_view::npos;
}

bool sameValue(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::uint8_t mode = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string terminated(text.substr(0, text.find('\0')));

    const std::string plain = plainNumber(terminated);
    if (!sameValue(quillon::decimalValue(terminated), std::strtod(plain.c_str(), nullptr)))
        std::abort();
    if (!holdsLibraryOnlyForms(terminated) &&
        !sameValue(quillon::atofValue(terminated), std::strtod(terminated.c_str(), nullptr)))
        std::abort();
    quillon::addressValue(text);
    quillon::integerValue(text);

    quillon::ModifySettings modify;
    modify.address = std::string(1, static_cast<char>('A' + mode % 26));
    modify.value = mode;
    modify.operation = static_cast<quillon::ModifySettings::Operation>(mode / 26 % 3);
    modify.decimals = static_cast<quillon::ModifySettings::Decimals>(mode / 78 % 3);
    quillon::modifyLine(text, modify);
    if (quillon::rotateLine(text, {}).size() != text.size())
        std::abort();
    quillon::normalizeLine(text, quillon::CompareMode::Smart);
    return 0;
}
