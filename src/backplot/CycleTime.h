// The cycle-time estimate: how long a program runs, from the length of its moves, the
// programmed feeds and speeds, and a fixed time per tool change.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "nc/ModalState.h"

namespace quillon {

class CLiDoc;

// What the "Cycle time" dialog asks for, with its ranges.
struct CycleTimeSettings {
    double toolChangeSeconds = 0;  // average time of one tool change
    double rapidRate = 1000;       // G00 feed in units per minute
    bool lathe = false;            // X and I read as diameters
};
inline constexpr double kToolChangeSecondsMin = 0;
inline constexpr double kToolChangeSecondsMax = 100;
inline constexpr double kRapidRateMin = 1;
inline constexpr double kRapidRateMax = 10000;

// Lines this long or longer are skipped, as the line utilities leave them alone.
inline constexpr std::size_t kCycleTimeLineLimit = 4096;

// Follows a program line by line like a simplified interpreter and adds up the time of its
// moves. Every word is read with the one word scanning and address value reading.
class CycleTimeEstimator {
public:
    // Settings outside the dialog's ranges are brought into them, so that no time is
    // infinite.
    explicit CycleTimeEstimator(const CycleTimeSettings& settings);

    void addLine(std::string_view line);

    // The total so far, unrounded.
    double seconds() const { return m_total; }

private:
    enum class MoveMode { NotSet, Rapid, Feed, Clockwise, CounterClockwise };
    using Axes = Position;

    // What one line says besides the modal state.
    struct LineWords {
        int moved = 0;   // axis mask: X 1, Y 2, Z 4
        Axes offsets{};  // I, J, K
        double radius = 0;
        bool drilling = false;
        bool threading = false;
        bool toolChange = false;
    };

    void applyWord(char letter, std::string_view afterLetter, LineWords& words);
    void applyG(int code, LineWords& words);
    double arcSeconds(const LineWords& words) const;
    double straightSeconds(const LineWords& words) const;
    // Turns a minute under constant surface speed: the surface speed (feet per minute) over
    // the circumference at the mean X of the move, in inches.
    double cssRevolutions() const;

    CycleTimeSettings m_settings;
    Axes m_position{};
    Axes m_previous{};  // where the current line starts
    MoveMode m_mode = MoveMode::NotSet;
    ModalState m_modal;  // absolute, no plane before G17, G18 or G19
    bool m_perMinute = true;
    bool m_constantSurfaceSpeed = false;
    double m_feed = 1;     // F / 60: units per second, or per revolution over 60
    double m_spindle = 1;  // revolutions (or surface speed under G96) per minute
    double m_total = 0;
};

// The estimate over every line of the document, in seconds; nothing for a document
// without text.
std::optional<double> estimateCycleTime(const CLiDoc& doc, const CycleTimeSettings& settings);

// "Cycle time: H:M:S", the seconds rounded to the nearest whole one, no leading zeros
// (245 seconds are "Cycle time: 0:4:5").
std::string cycleTimeText(double seconds);

}  // namespace quillon
