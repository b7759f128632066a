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

// Faces of a Windows installation's font files and the free faces installed with the
// program that stand in for them. The Liberation faces have the same character widths as
// the ones they replace, so a printout breaks its pages where the Windows one did; the
// rest have no metric twin and take the fixed face that is always installed.
struct FaceSubstitute {
    const char* windowsFace;
    const char* installedFace;
};
constexpr FaceSubstitute kSubstitutes[] = {
    {"Courier New", "Liberation Mono"},
    {"Courier", "Liberation Mono"},
    {"Arial", "Liberation Sans"},
    {"Helvetica", "Liberation Sans"},
    {"Times New Roman", "Liberation Serif"},
    {"Consolas", "DejaVu Sans Mono"},
    {"Lucida Console", "DejaVu Sans Mono"},
    {"Fixedsys", "DejaVu Sans Mono"},
    {"Terminal", "DejaVu Sans Mono"},
};

// The stored face when this system has it, else its stand-in, else the system's fixed
// font.
QFont fontForFace(const QString& face)
{
    if (QFontDatabase::hasFamily(face))
        return QFont(face);
    for (const auto& substitute : kSubstitutes) {
        if (face.compare(QLatin1String(substitute.windowsFace), Qt::CaseInsensitive) == 0 &&
            QFontDatabase::hasFamily(QLatin1String(substitute.installedFace)))
            return QFont(QLatin1String(substitute.installedFace));
    }
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

}  // namespace

QFont toQFont(const LogFont& font)
{
    const QString face = fromBytes(font.faceName);
    const bool fixedPitch = (font.pitchAndFamily & kFixedPitchBit) != 0;
    QFont result = fontForFace(face);
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
