// The wall-display rotation, followed second by second as the windows would see it.
#include "monitoring/MonitorRotation.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace quillon {
namespace {

MonitorViewSettings times(int detailed, int graph, int timeline)
{
    MonitorViewSettings settings;
    settings.detailedRotation = detailed;
    settings.graphRotation = graph;
    settings.timelineRotation = timeline;
    return settings;
}

char letterOf(MonitoringView view)
{
    switch (view) {
    case MonitoringView::Detailed:
        return 'D';
    case MonitoringView::Graph:
        return 'G';
    case MonitoringView::TimeLine:
        return 'T';
    }
    return '?';
}

// Plays the steps on a set of visible views, as the windows would be shown and hidden, and
// writes what was up after each tick as runs: "D30 T20 D30" is the detailed view for 30
// ticks, then the timeline for 20, then the detailed view again. "-" is nothing up; "+"
// marks two views up at once, which must never happen.
class Wall {
public:
    std::string run(const MonitorViewSettings& settings, int ticks)
    {
        for (int i = 0; i < ticks; ++i) {
            const RotationStep step = rotation.tick(settings);
            if (step.hide) {
                EXPECT_TRUE(visible.contains(*step.hide)) << "hid a view that was not up";
                visible.erase(*step.hide);
            }
            if (step.show) {
                ++shows;
                visible.insert(*step.show);
            }
            record(visible.empty() ? '-' : visible.size() > 1 ? '+' : letterOf(*visible.begin()));
        }
        return takeRuns();
    }

    MonitorRotation rotation;
    std::set<MonitoringView> visible;
    int shows = 0;

private:
    void record(char up)
    {
        if (up != m_last && m_count > 0)
            flush();
        m_last = up;
        ++m_count;
    }
    void flush()
    {
        m_runs += (m_runs.empty() ? "" : " ") + std::string(1, m_last) + std::to_string(m_count);
        m_count = 0;
    }
    std::string takeRuns()
    {
        if (m_count > 0)
            flush();
        return std::exchange(m_runs, {});
    }

    char m_last = 0;
    int m_count = 0;
    std::string m_runs;
};

TEST(MonitorRotationTest, EachViewStaysUpForItsTimeInTurn)
{
    struct Row {
        const char* name;
        MonitorViewSettings settings;
        int ticks;
        const char* expected;
    };
    const Row rows[] = {
        {"graph left out", times(30, 0, 20), 130, "D30 T20 D30 T20 D30"},
        {"all three", times(10, 15, 20), 60, "D10 G15 T20 D10 G5"},
        {"the graph alone", times(0, 12, 0), 40, "G40"},
        {"timeline first when the others are off", times(0, 0, 10), 25, "T25"},
        {"all off", times(0, 0, 0), 20, "-20"},
    };
    for (const Row& row : rows) {
        Wall wall;
        EXPECT_EQ(wall.run(row.settings, row.ticks), row.expected) << row.name;
    }
}

TEST(MonitorRotationTest, AViewAloneIsShownAgainAtEveryTurnWithoutBeingHidden)
{
    // Shown again so that a view the user closed comes back at its next turn.
    Wall wall;
    EXPECT_EQ(wall.run(times(0, 0, 10), 35), "T35");
    EXPECT_EQ(wall.shows, 4);
}

TEST(MonitorRotationTest, TimesChangedWhileRunningTakeEffectAtOnce)
{
    Wall wall;
    EXPECT_EQ(wall.run(times(30, 0, 20), 5), "D5");
    // The detailed view leaves the rotation: it is hidden on the next tick.
    EXPECT_EQ(wall.run(times(0, 0, 20), 25), "T25");
    // The graph view comes in after the timeline's turn (its second, 5 ticks old).
    EXPECT_EQ(wall.run(times(0, 10, 20), 20), "T15 G5");
    // A turn with more left than its new time ends within the new time.
    EXPECT_EQ(wall.run(times(0, 3, 20), 4), "G2 T2");
    // All off: the view up is hidden and nothing more is shown.
    EXPECT_EQ(wall.run(times(0, 0, 0), 5), "-5");
    EXPECT_FALSE(wall.rotation.current());
    // Switched on again, it starts from the first view with a time.
    EXPECT_EQ(wall.run(times(10, 10, 10), 12), "D10 G2");
}

}  // namespace
}  // namespace quillon
