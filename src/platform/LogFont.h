// The Windows logical-font record, field by field as C2Fonts.sys stores it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quillon {

struct LogFont {
    std::int32_t height = 0;  // tenths of a point
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    std::string faceName;  // at most kFaceNameLimit characters

    bool operator==(const LogFont&) const = default;
};

// The record's face name field holds 32 bytes with the terminating zero.
inline constexpr std::size_t kFaceNameLimit = 31;

}  // namespace quillon
