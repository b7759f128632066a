#include "app/FontSettings.h"

#include "platform/TextFile.h"

namespace quillon {

namespace {

constexpr std::size_t kNumericFields = 13;

// Field order of the record, as it stands in the file.
std::array<std::int32_t*, 5> wideFields(LogFont& font)
{
    return {&font.height, &font.width, &font.escapement, &font.orientation, &font.weight};
}

std::array<std::uint8_t*, 8> byteFields(LogFont& font)
{
    return {&font.italic,       &font.underline,     &font.strikeOut, &font.charSet,
            &font.outPrecision, &font.clipPrecision, &font.quality,   &font.pitchAndFamily};
}

LogFont makeFont(std::string face, std::int32_t height, std::int32_t weight, std::uint8_t charSet,
                 std::uint8_t clipPrecision, std::uint8_t quality)
{
    LogFont font;
    font.faceName = std::move(face);
    font.height = height;
    font.weight = weight;
    font.charSet = charSet;
    font.clipPrecision = clipPrecision;
    font.quality = quality;
    font.pitchAndFamily = 49;  // fixed pitch, modern family
    return font;
}

}  // namespace

std::array<LogFont, kFontRoleCount> FontSet::defaults()
{
    return {makeFont("Consolas", 140, 400, 3, 2, 1), makeFont("Courier New", 100, 0, 1, 0, 0),
            makeFont("Courier New", 100, 0, 1, 0, 0)};
}

void parseFonts(std::string_view bytes, FontSet& fonts)
{
    LineReader reader(bytes);
    for (auto& target : fonts.fonts) {
        LogFont font = target;
        std::array<std::string_view, kNumericFields> numbers;
        for (auto& number : numbers) {
            const auto line = reader.next();
            if (!line)
                return;
            number = *line;
        }
        std::size_t field = 0;
        for (auto* wide : wideFields(font))
            *wide = leadingInt32(numbers[field++]);
        for (auto* byte : byteFields(font))
            *byte = static_cast<std::uint8_t>(leadingInteger(numbers[field++]));
        const auto face = reader.next();
        if (face)
            font.faceName = std::string(face->substr(0, kFaceNameLimit));
        target = font;
        if (!face || !reader.next())  // the separator line
            return;
    }
}

void readFontsFile(const std::string& path, FontSet& fonts)
{
    if (const auto bytes = readFile(path))
        parseFonts(*bytes, fonts);
}

std::string formatFonts(const FontSet& fonts)
{
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < fonts.fonts.size(); ++i) {
        LogFont font = fonts.fonts[i];
        if (i > 0)
            lines.emplace_back();
        for (const auto* wide : wideFields(font))
            lines.push_back(std::to_string(*wide));
        for (const auto* byte : byteFields(font))
            lines.push_back(std::to_string(*byte));
        lines.push_back(font.faceName);
    }
    return joinLinesCrLf(lines);
}

WriteResult writeFontsFile(const std::string& path, const FontSet& fonts)
{
    return replaceFileAtomically(path, formatFonts(fonts));
}

}  // namespace quillon
