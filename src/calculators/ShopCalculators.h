// The shop calculators of the Tools menu: bolt hole circle, right-angle triangle and
// surface speed. Each takes the texts of its dialog's fields as typed and gives either
// the message that stops it or the texts to write back.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// A result of the calculators: rounded to 5 decimals, then written with exactly 4 (the
// fifth dropped, not rounded again), "0." before the decimals of a value below 1, at most
// 16 characters: 2.5 is "2.5000", 0.05 "0.0500", -12.34567 "-12.3456".
std::string calculatorNumberText(double value);

// How many characters of each field the dialogs read.
inline constexpr std::size_t kBoltHoleFieldLimit = 19;
inline constexpr std::size_t kTriangleFieldLimit = 17;
inline constexpr std::size_t kSurfaceSpeedFieldLimit = 14;

// "Bolt hole circle": centre X and Y, radius, number of holes, first hole position in
// degrees clockwise from 12 o'clock.
struct BoltHoleFields {
    std::string x, y, radius, holes, first;
};
struct BoltHoleResult {
    std::optional<std::string> message;  // the first check that failed
    std::vector<std::string> lines;      // "X7.0710   Y7.0710", one a hole
};
BoltHoleResult boltHoleCircle(const BoltHoleFields& fields);

// "Right Angle Triangle": legs A and B, hypotenuse C, a the angle opposite A and b the
// angle opposite B, in degrees. Exactly two fields given (not both angles) give the rest.
enum class TriangleField { A, B, C, AngleA, AngleB };
inline constexpr std::size_t kTriangleFields = 5;
using TriangleTexts = std::array<std::string, kTriangleFields>;  // A, B, C, a, b
struct TriangleResult {
    std::optional<std::string> message;  // then the fields stay as typed
    TriangleTexts texts;                 // all five written back
};
TriangleResult rightAngleTriangle(const TriangleTexts& fields);

// "RPM/Diameter/Surface speed": RPM, diameter in inches, surface speed in inches per
// second and in feet per minute. Two given (not both speeds) give the rest.
inline constexpr std::size_t kSurfaceSpeedFields = 4;
using SurfaceSpeedTexts = std::array<std::string, kSurfaceSpeedFields>;  // RPM, DIA, ips, fpm
struct SurfaceSpeedResult {
    std::optional<std::string> message;
    SurfaceSpeedTexts texts;
};
SurfaceSpeedResult surfaceSpeed(const SurfaceSpeedTexts& fields);

}  // namespace quillon
