#include "backplot/CycleTime.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <numbers>
#include <utility>

#include "backplot/ArcGeometry.h"
#include "editor/CLiDoc.h"
#include "nc/Words.h"

namespace quillon {

namespace {

// Arcs run slower than their programmed feed on most controls: their length counts 15%
// more.
constexpr double kArcAllowance = 1.15;
// Feeds and speeds that would stop the clock count as these instead.
constexpr double kSmallestFeed = 0.000001;
constexpr double kFeedInsteadOfNone = 0.0001;
constexpr double kSmallestSpindle = 1;
// Under G96, S is feet per minute and the program is in inches.
constexpr double kInchesPerFoot = 12;
// A move whose mean X lies on the spindle axis has no circumference: it counts as this.
constexpr double kCircumferenceOnTheAxis = 0.001;

int axisBit(int axis)
{
    return 1 << axis;
}

double clampedOr(double value, double low, double high)
{
    return std::isfinite(value) ? std::clamp(value, low, high) : low;
}

}  // namespace

CycleTimeEstimator::CycleTimeEstimator(const CycleTimeSettings& settings)
    : m_settings{
          clampedOr(settings.toolChangeSeconds, kToolChangeSecondsMin, kToolChangeSecondsMax),
          clampedOr(settings.rapidRate, kRapidRateMin, kRapidRateMax), settings.lathe}
{
}

// ---- Reading the words ----------------------------------------------------------------

void CycleTimeEstimator::applyG(int code, LineWords& words)
{
    switch (code) {
    case 0:
        m_mode = MoveMode::Rapid;
        break;
    case 1:
    case 82:
    case 83:
    case 84:
    case 92:
        m_mode = MoveMode::Feed;
        break;
    case 2:
        m_mode = MoveMode::Clockwise;
        break;
    case 3:
        m_mode = MoveMode::CounterClockwise;
        break;
    case 74:
    case 81:
        words.drilling = true;
        break;
    case 76:
        words.threading = true;
        break;
    case 94:
    case 98:
        m_perMinute = true;
        break;
    case 95:
    case 99:
        m_perMinute = false;
        break;
    case 96:
        m_constantSurfaceSpeed = true;
        break;
    case 97:
        m_constantSurfaceSpeed = false;
        m_perMinute = false;
        break;
    default:
        // G90/G91 and the planes; dwell and the rest take no time here.
        m_modal.applyG(code);
        break;
    }
}

void CycleTimeEstimator::applyWord(char letter, std::string_view afterLetter, LineWords& words)
{
    switch (letter) {
    case 'G':
        applyG(integerValue(afterLetter), words);
        break;
    case 'M':
        if (integerValue(afterLetter) == 6)
            words.toolChange = true;
        break;
    case 'T':
        words.toolChange = true;
        break;
    case 'F': {
        const double feed = addressValue(afterLetter);
        m_feed = (feed < kSmallestFeed ? kFeedInsteadOfNone : feed) / 60;
        break;
    }
    case 'S':
        m_spindle = std::max(addressValue(afterLetter), kSmallestSpindle);
        break;
    case 'X':
    case 'Y':
    case 'Z': {
        const AxisWord word = *axisWord(letter, m_modal.absolute, false);
        const double value = positionValue(word.axis, addressValue(afterLetter), m_settings.lathe);
        moveAxis(m_position, word, value);
        words.moved |= axisBit(word.axis);
        break;
    }
    case 'I':
        words.offsets[0] = positionValue(0, addressValue(afterLetter), m_settings.lathe);
        break;
    case 'J':
        words.offsets[1] = addressValue(afterLetter);
        break;
    case 'K':
        words.offsets[2] = addressValue(afterLetter);
        break;
    case 'R':
        words.radius = addressValue(afterLetter);
        break;
    default:
        break;
    }
}

// ---- The time of a move ---------------------------------------------------------------

double CycleTimeEstimator::cssRevolutions() const
{
    const double meanX = (m_previous[0] + m_position[0]) / 2;
    double circumference = 2 * std::numbers::pi * meanX;
    if (circumference == 0)
        circumference = kCircumferenceOnTheAxis;
    return m_spindle * kInchesPerFoot / circumference;
}

double CycleTimeEstimator::arcSeconds(const LineWords& words) const
{
    // One axis named in a selected plane: the other axis of the plane stays where it is
    // and the arc lies in that plane. Otherwise the axes named make the plane, so an arc
    // naming X, Y and Z (a helix) has none and takes no time.
    const Plane plane =
        std::popcount(static_cast<unsigned>(words.moved)) == 1 && m_modal.plane != Plane::None
            ? m_modal.plane
            : planeOfMask(words.moved);
    const auto axes = planeAxes(plane);
    double length = 0;
    if (axes) {
        const auto [a, b] = *axes;
        const PlanePoint start{m_previous[a], m_previous[b]};
        const PlanePoint end{m_position[a], m_position[b]};
        // The plane's first axis is X and its second Z: the mirror image of a turning
        // drawing (Z across, X up). There a lathe's G02 turns counter-clockwise, as the
        // plot draws it; the length of an arc given by I and K depends on it.
        const bool clockwise = (m_mode == MoveMode::Clockwise) != m_settings.lathe;
        const PlanePoint centre =
            std::fabs(words.radius) > kRadiusGiven
                ? arcCentreFromRadius(start, end, words.radius, clockwise)
                : PlanePoint{start.a + words.offsets[a], start.b + words.offsets[b]};
        length = arcLength(start, centre, end, clockwise) * kArcAllowance;
    }
    if (m_constantSurfaceSpeed && plane == Plane::XZ)
        return length / (m_feed * cssRevolutions());
    if (m_perMinute)
        return length / m_feed;
    return length / (m_feed * m_spindle);
}

double CycleTimeEstimator::straightSeconds(const LineWords& words) const
{
    const double length = std::hypot(m_position[0] - m_previous[0], m_position[1] - m_previous[1],
                                     m_position[2] - m_previous[2]);
    // Drilling and threading cycles feed per revolution, whatever the move mode.
    if (words.drilling || words.threading)
        return length / (m_feed * m_spindle);
    if (m_mode == MoveMode::Rapid)
        return length / (m_settings.rapidRate / 60);
    if (m_constantSurfaceSpeed)
        return length / (m_feed * cssRevolutions());
    if (m_perMinute)
        return length / m_feed;
    return length / (m_feed * m_spindle);
}

// ---- One line -------------------------------------------------------------------------

void CycleTimeEstimator::addLine(std::string_view line)
{
    if (line.size() >= kCycleTimeLineLimit)
        return;
    LineWords words;
    forEachWord(line, [&](char letter, std::string_view afterLetter) {
        applyWord(letter, afterLetter, words);
        return true;
    });
    if (words.toolChange)
        m_total += m_settings.toolChangeSeconds;
    if (words.moved == 0)
        return;
    const bool arc = m_mode == MoveMode::Clockwise || m_mode == MoveMode::CounterClockwise;
    m_total += std::fabs(arc ? arcSeconds(words) : straightSeconds(words));
    // The next move starts where this one ended, in either positioning mode.
    m_previous = m_position;
}

std::optional<double> estimateCycleTime(const CLiDoc& doc, const CycleTimeSettings& settings)
{
    if (doc.isEmpty())
        return std::nullopt;
    CycleTimeEstimator estimator(settings);
    for (std::size_t line = 0; line < doc.lineCount(); ++line)
        estimator.addLine(doc.lineText(line));
    return estimator.seconds();
}

std::string cycleTimeText(double seconds)
{
    // Whole seconds in a double: exact up to 2^53 and never overflowing beyond.
    const double whole = std::round(seconds > 0 ? seconds : 0);
    const double parts[] = {(whole - std::fmod(whole, 3600)) / 3600,
                            (std::fmod(whole, 3600) - std::fmod(whole, 60)) / 60,
                            std::fmod(whole, 60)};
    std::string text = "Cycle time: ";
    char digits[400];
    for (std::size_t i = 0; i < std::size(parts); ++i) {
        if (i > 0)
            text += ':';
        text.append(digits, std::to_chars(digits, digits + sizeof digits, parts[i],
                                          std::chars_format::fixed, 0)
                                .ptr);
    }
    return text;
}

}  // namespace quillon
