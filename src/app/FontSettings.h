// The three fonts of the program and their file C2Fonts.sys.
//
// Each font is kept as the Windows logical-font record it was stored as, field by field,
// so a file from a Windows installation reads and writes back unchanged. The height
// holds the size in tenths of a point (140 = 14 pt); the UI turns the record into a
// QFont when it draws.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/AtomicFile.h"
#include "platform/LogFont.h"

namespace quillon {

enum class FontRole { Editor = 0, Printer = 1, PortWindows = 2 };
inline constexpr std::size_t kFontRoleCount = 3;

struct FontSet {
    std::array<LogFont, kFontRoleCount> fonts = defaults();

    LogFont& operator[](FontRole role) { return fonts[static_cast<std::size_t>(role)]; }
    const LogFont& operator[](FontRole role) const
    {
        return fonts[static_cast<std::size_t>(role)];
    }
    bool operator==(const FontSet&) const = default;

    static std::array<LogFont, kFontRoleCount> defaults();
};

inline constexpr std::string_view kFontsFile = "C2Fonts.sys";

// Reads C2Fonts.sys over the fonts given. A font is taken over only when its 13 numeric
// lines are there; reading stops at the first missing line and keeps what was taken.
void parseFonts(std::string_view bytes, FontSet& fonts);
void readFontsFile(const std::string& path, FontSet& fonts);

// The 44 lines: 14 per font, an empty line between two fonts.
std::string formatFonts(const FontSet& fonts);
WriteResult writeFontsFile(const std::string& path, const FontSet& fonts);

}  // namespace quillon
