#include "backplot/PlotColors.h"

#include <cstdint>
#include <vector>

#include "platform/TextFile.h"
#include "platform/WorkDir.h"

namespace quillon {

namespace {

// PColors.sys lines were read 60 characters at most.
constexpr std::size_t kPlotColorLineLimit = 60;
// What tells the switch line from the background colour of the older form.
constexpr std::string_view kGradientMark = "GDI";

ColorRef colorOfLine(std::string_view line)
{
    return static_cast<ColorRef>(leadingInt32(line));
}

}  // namespace

std::array<ColorRef, kToolSlots> PlotColors::defaultSlotColors()
{
    return {
        0x0000FF,  // G00: red
        0xFF00FF, 0x00FFFF, 0xFFFF00, 0x404040, 0x008080, 0x800080, 0x000080, 0x808000,
        0x808080, 0x00FF80, 0x8000FF, 0x0080FF, 0x80FF00, 0xFF8000, 0xFF0080,
        0x000000,  // the sixteenth tool: the dialog has no button for it
    };
}

PlotColors parsePlotColors(std::string_view bytes)
{
    PlotColors colors;
    LineReader reader(bytes, kPlotColorLineLimit);
    auto line = reader.next();
    if (!line)
        return colors;
    if (line->find(kGradientMark) != std::string_view::npos) {
        colors.gradient = line->front() == '1';
        line = reader.next();
    }
    std::vector<ColorRef*> fields{&colors.background, &colors.text};
    for (ColorRef& slot : colors.slotColors)
        fields.push_back(&slot);
    for (ColorRef* field : fields) {
        if (!line)
            break;
        *field = colorOfLine(*line);
        line = reader.next();
    }
    return colors;
}

PlotColors readPlotColors(const WorkDir& workDir)
{
    const auto bytes = readFile(workDir.file(kPlotColorsFile));
    return bytes ? parsePlotColors(*bytes) : PlotColors{};
}

std::string formatPlotColors(const PlotColors& colors)
{
    auto text = [](ColorRef value) { return std::to_string(static_cast<std::int32_t>(value)); };
    std::vector<std::string> lines{colors.gradient ? "1GDI" : "0GDI", text(colors.background),
                                   text(colors.text)};
    for (const ColorRef slot : colors.slotColors)
        lines.push_back(text(slot));
    return joinLinesCrLf(lines);
}

WriteResult writePlotColors(const WorkDir& workDir, const PlotColors& colors)
{
    return replaceFileAtomically(workDir.file(kPlotColorsFile), formatPlotColors(colors));
}

}  // namespace quillon
