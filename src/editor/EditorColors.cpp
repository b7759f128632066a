#include "editor/EditorColors.h"

#include <vector>

#include "platform/TextFile.h"
#include "platform/WorkDir.h"

namespace quillon {

namespace {

// EColors.sys lines were read into a 50-byte buffer.
constexpr std::size_t kColorLineLimit = 49;

}  // namespace

std::array<ColorRef, kEditorColorCount> EditorColors::defaults()
{
    return {
        0x00FF00,  // Comment
        0x00FF00,  // Block number
        0x0000FF,  // M code
        0xA00000,  // G code
        0x808040,  // F code
        0x400080,  // X / I
        0x000040,  // Y / J
        0xA00000,  // Z / K
        0xFF0080,  // T code
        0x0000A0,  // Rest
        0x000000,  // Foreground
        0xECFFF1,  // Background
        0xDFBFFF,  // Left margin
    };
}

ColorRef EditorColors::colorFor(ColorRole role) const
{
    if (!colorsOn)
        return (*this)[EditorColor::Foreground];
    switch (role) {
    case ColorRole::Foreground:
        break;
    case ColorRole::Comment:
        return (*this)[EditorColor::Comment];
    case ColorRole::BlockNumber:
        return (*this)[EditorColor::BlockNumber];
    case ColorRole::MCode:
        return (*this)[EditorColor::MCode];
    case ColorRole::GCode:
        return (*this)[EditorColor::GCode];
    case ColorRole::FCode:
        return (*this)[EditorColor::FCode];
    case ColorRole::XI:
        return (*this)[EditorColor::XI];
    case ColorRole::YJ:
        return (*this)[EditorColor::YJ];
    case ColorRole::ZK:
        return (*this)[EditorColor::ZK];
    case ColorRole::TCode:
        return (*this)[EditorColor::TCode];
    }
    return (*this)[EditorColor::Foreground];
}

EditorColors parseEditorColors(std::string_view bytes)
{
    EditorColors colors;
    LineReader reader(bytes, kColorLineLimit);
    const auto first = reader.next();
    if (!first)
        return colors;
    colors.colorsOn = leadingInteger(*first) != 0;
    for (auto& value : colors.values) {
        const auto line = reader.next();
        if (!line)
            break;
        value = static_cast<ColorRef>(leadingInt32(*line));
    }
    return colors;
}

EditorColors readEditorColors(const WorkDir& workDir)
{
    const auto bytes = readFile(workDir.file(kEditorColorsFile));
    return bytes ? parseEditorColors(*bytes) : EditorColors{};
}

std::string formatEditorColors(const EditorColors& colors)
{
    std::vector<std::string> lines{colors.colorsOn ? "1" : "0"};
    for (const ColorRef value : colors.values)
        lines.push_back(std::to_string(static_cast<std::int32_t>(value)));
    return joinLinesCrLf(lines);
}

WriteResult writeEditorColors(const WorkDir& workDir, const EditorColors& colors)
{
    return replaceFileAtomically(workDir.file(kEditorColorsFile), formatEditorColors(colors));
}

}  // namespace quillon
