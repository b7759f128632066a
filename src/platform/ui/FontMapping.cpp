#include "platform/ui/FontMapping.h"

#include <QFontDatabase>

#include <algorithm>
#include <cmath>

#include "platform/ui/Latin1.h"

namespace quillon {

namespace {

constexpr std::uint8_t kFixedPitchBit = 0x01;  // low bits of pitch-and-family
constexpr std::int32_t kDontCareWeight = 0;
constexpr double kTenthsPerPoint = 10.0;

}  // namespace

QFont toQFont(const LogFont& font)
{
    const QString face = fromBytes(font.faceName);
    const bool fixedPitch = (font.pitchAndFamily & kFixedPitchBit) != 0;
    QFont result = QFontDatabase::hasFamily(face)
                       ? QFont(face)
                       : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (font.height > 0)
        result.setPointSizeF(font.height / kTenthsPerPoint);
    const int weight =
        font.weight == kDontCareWeight ? QFont::Normal : std::clamp(font.weight, 1, 1000);
    result.setWeight(static_cast<QFont::Weight>(weight));
    result.setItalic(font.italic != 0);
    result.setUnderline(font.underline != 0);
    result.setStrikeOut(font.strikeOut != 0);
    if (fixedPitch) {
        result.setFixedPitch(true);
        result.setStyleHint(QFont::TypeWriter);
    }
    return result;
}

LogFont fromQFont(const QFont& chosen, const LogFont& previous)
{
    LogFont font = previous;
    font.faceName = toBytes(chosen.family()).substr(0, kFaceNameLimit);
    font.height = static_cast<std::int32_t>(std::lround(chosen.pointSizeF() * kTenthsPerPoint));
    font.weight = chosen.weight();
    font.italic = chosen.italic() ? 1 : 0;
    font.underline = chosen.underline() ? 1 : 0;
    font.strikeOut = chosen.strikeOut() ? 1 : 0;
    return font;
}

}  // namespace quillon
