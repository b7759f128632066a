// The editor's colours and their file EColors.sys: colours on, then 13 colours as decimal
// COLORREF values (0x00BBGGRR), one per line.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "editor/Tokenizer.h"
#include "platform/AtomicFile.h"
#include "platform/ColorRef.h"

namespace quillon {

class WorkDir;

// The colours in file order (lines 2 to 14).
enum class EditorColor : std::uint8_t {
    Comment,
    BlockNumber,
    MCode,
    GCode,
    FCode,
    XI,
    YJ,
    ZK,
    TCode,
    Rest,
    Foreground,
    Background,
    LeftMargin,
};
inline constexpr std::size_t kEditorColorCount = 13;

struct EditorColors {
    bool colorsOn = true;
    std::array<ColorRef, kEditorColorCount> values = defaults();

    ColorRef operator[](EditorColor color) const
    {
        return values[static_cast<std::size_t>(color)];
    }
    ColorRef& operator[](EditorColor color) { return values[static_cast<std::size_t>(color)]; }
    // The colour a token of the role is drawn in (the foreground with colours off).
    ColorRef colorFor(ColorRole role) const;
    bool operator==(const EditorColors&) const = default;

    static std::array<ColorRef, kEditorColorCount> defaults();
};

inline constexpr std::string_view kEditorColorsFile = "EColors.sys";

// Reads over the defaults and stops at the first missing line; each line is read with
// the file's 50-byte buffer and taken as atoi does.
EditorColors parseEditorColors(std::string_view bytes);
EditorColors readEditorColors(const WorkDir& workDir);

std::string formatEditorColors(const EditorColors& colors);
WriteResult writeEditorColors(const WorkDir& workDir, const EditorColors& colors);

}  // namespace quillon
