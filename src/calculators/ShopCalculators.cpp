#include "calculators/ShopCalculators.h"

#include <charconv>
#include <cmath>
#include <numbers>

#include "platform/TextFile.h"

namespace quillon {

namespace {

constexpr std::size_t kNumberTextLimit = 16;
// Every coordinate is moved this far away from zero before it is written, so that a value
// a rounding error below a digit boundary still reads as the digit (7.07106781 stays
// 7.0710, and a hole on an axis never reads -0.0000).
constexpr double kAwayFromZero = 0.0000001;
constexpr double kSmallestRadius = 0.01;
constexpr long long kFewestHoles = 2;
constexpr long long kMostHoles = 360;
constexpr double kFullTurn = 360;
constexpr double kSmallestSide = 0.0001;
constexpr double kSmallestAngle = 0.001;
constexpr double kSmallestSpeedValue = 0.001;
constexpr double kRightAngle = 90;

// The text of a field as the dialog reads it: at most `limit` characters.
std::string_view cut(std::string_view text, std::size_t limit)
{
    return text.substr(0, limit);
}

bool isBlank(std::string_view text)
{
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

// C's decimal conversion (atof) of a field: leading blanks, a sign, digits with a point
// and an exponent; whatever follows is ignored, a text without a number is 0. Nothing for
// an empty field: it was not given. Never the locale's decimal point.
std::optional<double> fieldValue(std::string_view text, std::size_t limit)
{
    text = cut(text, limit);
    if (isBlank(text))
        return std::nullopt;
    text.remove_prefix(text.find_first_not_of(" \t"));
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    // "inf", "nan" and numbers beyond doubles are no measure: read as 0, they meet the
    // smallest-value checks instead of running through the arithmetic.
    if (error != std::errc() || !std::isfinite(value))
        value = 0;
    (void)end;
    return negative ? -value : value;
}

double radians(double degrees)
{
    return degrees * std::numbers::pi / 180;
}

double degrees(double radians)
{
    return radians * 180 / std::numbers::pi;
}

double awayFromZero(double value)
{
    if (value > 0)
        return value + kAwayFromZero;
    if (value < 0)
        return value - kAwayFromZero;
    return value;
}

// Two decimals of a number text: "52.3598" becomes "52.35".
std::string twoDecimals(std::string text)
{
    const std::size_t point = text.find('.');
    if (point != std::string::npos && text.size() > point + 3)
        text.resize(point + 3);
    return text;
}

}  // namespace

std::string calculatorNumberText(double value)
{
    // Rounded to five decimals, then the fifth dropped.
    char text[400];
    const auto [end, error] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 5);
    if (error != std::errc() || !std::isfinite(value))
        return "0.0000";
    std::string written(text, end - 1);
    if (written.size() > kNumberTextLimit)
        written.resize(kNumberTextLimit);
    return written;
}

BoltHoleResult boltHoleCircle(const BoltHoleFields& fields)
{
    const auto fail = [](const char* message) { return BoltHoleResult{message, {}}; };
    const auto x = fieldValue(fields.x, kBoltHoleFieldLimit);
    if (!x)
        return fail("Specify X centerpoint");
    const auto y = fieldValue(fields.y, kBoltHoleFieldLimit);
    if (!y)
        return fail("Specify Y centerpoint");
    const auto radius = fieldValue(fields.radius, kBoltHoleFieldLimit);
    if (!radius)
        return fail("Specify radius");
    if (*radius < kSmallestRadius)
        return fail("Radius is too small");
    const std::string_view holesText = cut(fields.holes, kBoltHoleFieldLimit);
    if (isBlank(holesText))
        return fail("Specify number of holes");
    const long long holes = leadingInteger(holesText);
    if (holes < kFewestHoles)
        return fail("Number of holes is too small");
    if (holes > kMostHoles)
        return fail("Number of holes are too large");
    const auto first = fieldValue(fields.first, kBoltHoleFieldLimit);
    if (!first)
        return fail("Specify first hole position");
    if (*first < -kFullTurn)
        return fail("First hole position is too small");
    if (*first > kFullTurn)
        return fail("First hole position is too large");

    BoltHoleResult result;
    for (long long hole = 0; hole < holes; ++hole) {
        // Clockwise from 12 o'clock: X on the sine, Y on the cosine.
        const double angle =
            static_cast<double>(hole) * 2 * std::numbers::pi / static_cast<double>(holes) +
            radians(*first);
        const double holeX = awayFromZero(*x + *radius * std::sin(angle));
        const double holeY = awayFromZero(*y + *radius * std::cos(angle));
        result.lines.push_back("X" + calculatorNumberText(holeX) + "   Y" +
                               calculatorNumberText(holeY));
    }
    return result;
}

TriangleResult rightAngleTriangle(const TriangleTexts& fields)
{
    constexpr const char* kTooSmall[kTriangleFields] = {
        "Too small 'A' value", "Too small 'B' value", "Too small 'C' value", "Too small 'a' value",
        "Too small 'b' value"};
    TriangleResult result{std::nullopt, fields};
    std::array<double, kTriangleFields> value{};
    int given = 0;
    int count = 0;
    for (std::size_t field = 0; field < kTriangleFields; ++field) {
        const auto read = fieldValue(fields[field], kTriangleFieldLimit);
        if (!read)
            continue;
        const double smallest = field < 3 ? kSmallestSide : kSmallestAngle;
        if (*read < smallest) {
            result.message = kTooSmall[field];
            return result;
        }
        value[field] = *read;
        given |= 1 << field;
        ++count;
    }
    double& A = value[0];
    double& B = value[1];
    double& C = value[2];
    double& a = value[3];  // radians once read
    double& b = value[4];
    a = radians(a);
    b = radians(b);
    // An acute angle of a right triangle stays below 90 degrees.
    const bool anglesPossible = a < radians(kRightAngle) && b < radians(kRightAngle);
    switch (given) {
    case 1 | 2:
        C = std::sqrt(A * A + B * B);
        a = std::atan(A / B);
        b = std::atan(B / A);
        break;
    case 1 | 4:
        B = std::sqrt(C * C - A * A);
        a = std::atan(A / B);
        b = std::atan(B / A);
        break;
    case 2 | 4:
        A = std::sqrt(C * C - B * B);
        a = std::atan(A / B);
        b = std::atan(B / A);
        break;
    case 1 | 8:
        C = A / std::sin(a);
        B = std::sqrt(C * C - A * A);
        b = std::atan(B / A);
        break;
    case 1 | 16:
        a = radians(kRightAngle) - b;
        C = A / std::cos(b);
        B = std::sqrt(C * C - A * A);
        break;
    case 2 | 8:
        b = radians(kRightAngle) - a;
        C = B / std::cos(a);
        A = std::sqrt(C * C - B * B);
        break;
    case 2 | 16:
        a = radians(kRightAngle) - b;
        C = B / std::sin(b);
        A = std::sqrt(C * C - B * B);
        break;
    case 4 | 8:
        b = radians(kRightAngle) - a;
        A = C * std::sin(a);
        B = std::sqrt(C * C - A * A);
        break;
    case 4 | 16:
        a = radians(kRightAngle) - b;
        A = C * std::cos(b);
        B = std::sqrt(C * C - A * A);
        break;
    case 8 | 16:
        result.message = "Undefined triangle";
        return result;
    default:
        result.message = count < 2 ? "Too few data" : "Too many data";
        return result;
    }
    // A leg as long as the hypotenuse, or an angle of 90 degrees or more, has no triangle.
    bool possible = anglesPossible;
    for (const double side : {A, B, C, a, b})
        possible = possible && std::isfinite(side) && side > 0;
    if (!possible) {
        result.message = "Impossible triangle";
        return result;
    }
    a = degrees(a);
    b = degrees(b);
    for (std::size_t field = 0; field < kTriangleFields; ++field)
        result.texts[field] = calculatorNumberText(value[field]);
    return result;
}

SurfaceSpeedResult surfaceSpeed(const SurfaceSpeedTexts& fields)
{
    enum { Rpm, Dia, InchPerSecond, FeetPerMinute };
    constexpr const char* kTooSmall[kSurfaceSpeedFields] = {
        "Too small RPM value", "Too small DIA value", "Too small Surface Speed value",
        "Too small Surface Speed value"};
    SurfaceSpeedResult result{std::nullopt, fields};
    std::array<double, kSurfaceSpeedFields> value{};
    int given = 0;
    for (std::size_t field = 0; field < kSurfaceSpeedFields; ++field) {
        const auto read = fieldValue(fields[field], kSurfaceSpeedFieldLimit);
        if (!read)
            continue;
        if (*read < kSmallestSpeedValue) {
            result.message = kTooSmall[field];
            return result;
        }
        value[field] = *read;
        given |= 1 << field;
    }
    double& rpm = value[Rpm];
    double& dia = value[Dia];
    double& ips = value[InchPerSecond];
    double& fpm = value[FeetPerMinute];
    const double pi = std::numbers::pi;
    switch (given) {
    case 1 | 2:
        ips = pi * dia * rpm / 60;
        fpm = pi * dia * rpm / 12;
        break;
    case 1 | 4:
        dia = ips * 60 / (rpm * pi);
        fpm = rpm * dia * pi / 12;
        break;
    case 1 | 8:
        dia = fpm * 12 / (rpm * pi);
        ips = rpm * dia * pi / 60;
        break;
    case 2 | 4:
        rpm = ips * 60 / (dia * pi);
        fpm = dia * rpm * pi / 12;
        break;
    case 2 | 8:
        rpm = fpm * 12 / (dia * pi);
        ips = dia * rpm * pi / 60;
        break;
    default:
        result.message = "Incorrect data";
        return result;
    }
    // The computed fields only; RPM and the speeds to two decimals, the diameter to four.
    if ((given & (1 << Rpm)) == 0)
        result.texts[Rpm] = twoDecimals(calculatorNumberText(rpm));
    if ((given & (1 << Dia)) == 0)
        result.texts[Dia] = calculatorNumberText(dia);
    if ((given & (1 << InchPerSecond)) == 0)
        result.texts[InchPerSecond] = twoDecimals(calculatorNumberText(ips));
    if ((given & (1 << FeetPerMinute)) == 0)
        result.texts[FeetPerMinute] = twoDecimals(calculatorNumberText(fpm));
    return result;
}

}  // namespace quillon
