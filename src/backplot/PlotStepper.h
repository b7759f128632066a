// "Step by Step": a plot window puts its points into the chart a few at a time, on a
// timer, while the editor follows the line being drawn.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace quillon {

class PlotModel;

// What one tick did.
struct StepTick {
    std::size_t taken = 0;  // points of the shown slots taken from the list
    // The 1-based program line of the next point to be drawn, for the editor to go to;
    // nothing once the list is done.
    std::optional<int> followLine;
    bool finished = false;  // the list is done: the run is over until a rebuild
};

// The run's state: where in the point list it is, whether the timer's ticks draw, and how
// many points a tick takes. The window wires its menu items and timer to it.
class PlotStepper {
public:
    static constexpr int kSlowest = 1;
    static constexpr int kFastest = 10;

    // A new run from the first point, stopped (each build in step mode). The speed stays.
    void restart();

    // "&Start" / "&Stop": nothing once finished.
    void toggleRunning();
    // "&Next": the next tick draws and then stops; only while stopped.
    void next();
    // A setting changed: the run stops where it is.
    void stop();
    // "<<" and ">>".
    void slower();
    void faster();

    // Whether the timer's tick should draw.
    bool due() const { return m_running && !m_finished; }
    // Takes up to `speed` points of the shown slots from the list position on (points of
    // other slots are passed over without counting) and puts them into the model.
    // Nothing when not due.
    StepTick tick(PlotModel& model);

    bool running() const { return m_running; }
    bool finished() const { return m_finished; }
    int speed() const { return m_speed; }
    std::size_t position() const { return m_position; }

    // The menu: "&Start" or "&Stop", and which items can be used.
    std::string_view startText() const { return m_running ? "&Stop" : "&Start"; }
    bool canStartOrStop() const { return !m_finished; }
    bool canNext() const { return !m_finished && !m_running; }
    bool canFind() const { return !m_running; }

private:
    std::size_t m_position = 0;
    bool m_running = false;
    bool m_stopAfterTick = false;
    bool m_finished = false;
    int m_speed = kSlowest;
};

}  // namespace quillon
