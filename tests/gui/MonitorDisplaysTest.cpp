// The main frame's places for the live monitoring windows, with stand-in windows.
#include "monitoring/ui/MonitorDisplays.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QMainWindow>
#include <QTest>

#include "gui/FakeMonitorWindow.h"
#include "monitoring/HubLink.h"
#include "platform/Clock.h"
#include "platform/Notifier.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

using test::FakeWindowFactory;

class MonitorDisplaysTest : public ::testing::Test {
protected:
    MonitorDisplaysTest()
    {
        frame.setCentralWidget(new QWidget(&frame));
        frame.setGeometry(100, 80, 801, 601);
        frame.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&frame));
    }

    // Lets closed windows go, as the event loop would.
    static void deleteClosed()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    test::TempWorkDir dir;
    ScriptedNotifier notifier;
    FixedClock clock{1'765'000'000};
    HubLink link{0, 0, clock, [](std::string_view) {}};
    StatusTable statuses = StatusTable::defaults();
    MonitorViewSettings settings;
    bool linked = true;
    int linkChecks = 0;
    QMainWindow frame;
    MonitorDisplays displays{frame,
                             [this] {
                                 ++linkChecks;
                                 return linked;
                             },
                             [this] {
                                 return MonitorEnvironment{dir.workDir(), notifier, clock,   link,
                                                           "/srv/hub/",   statuses, settings};
                             },
                             notifier};
};

TEST_F(MonitorDisplaysTest, AKindHasOneWindowShownAgainUntilItIsClosed)
{
    FakeWindowFactory detailed;
    displays.registerFactory(MonitorDisplay::Detailed, detailed.factory());
    displays.open(MonitorDisplay::Detailed);
    ASSERT_EQ(detailed.made, 1);
    QWidget* window = displays.window(MonitorDisplay::Detailed);
    ASSERT_EQ(window, detailed.last);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isWindow());
    EXPECT_EQ(detailed.last->hubDirectory, "/srv/hub/");

    // Hidden (the rotation) or minimized, the same window comes back.
    displays.hide(MonitorDisplay::Detailed);
    EXPECT_FALSE(window->isVisible());
    displays.open(MonitorDisplay::Detailed);
    EXPECT_TRUE(window->isVisible());
    window->showMinimized();
    displays.open(MonitorDisplay::Detailed);
    EXPECT_FALSE(window->isMinimized());
    EXPECT_EQ(detailed.made, 1);
    EXPECT_TRUE(notifier.shown().empty());

    // Closed by the user: it is forgotten, and the next opening makes a new one.
    window->close();
    deleteClosed();
    EXPECT_EQ(displays.window(MonitorDisplay::Detailed), nullptr);
    displays.hide(MonitorDisplay::Detailed);  // nothing to hide
    displays.open(MonitorDisplay::Detailed);
    EXPECT_EQ(detailed.made, 2);
    EXPECT_EQ(displays.window(MonitorDisplay::Detailed), detailed.last);
}

TEST_F(MonitorDisplaysTest, EachKindHasItsOwnWindowAndTheExitClosesThemAll)
{
    FakeWindowFactory detailed;
    FakeWindowFactory timeline;
    displays.registerFactory(MonitorDisplay::Detailed, detailed.factory());
    displays.registerFactory(MonitorDisplay::TimeLine, timeline.factory());
    displays.open(MonitorDisplay::TimeLine);
    displays.open(MonitorDisplay::Detailed);
    displays.open(MonitorDisplay::TimeLine);
    EXPECT_EQ(detailed.made, 1);
    EXPECT_EQ(timeline.made, 1);
    EXPECT_NE(displays.window(MonitorDisplay::Detailed),
              displays.window(MonitorDisplay::TimeLine));

    displays.closeAll();
    deleteClosed();
    EXPECT_EQ(displays.window(MonitorDisplay::Detailed), nullptr);
    EXPECT_EQ(displays.window(MonitorDisplay::TimeLine), nullptr);
}

TEST_F(MonitorDisplaysTest, ANewWindowStandsOverTheTopLeftQuarterUnlessItPlacedItself)
{
    QWidget* client = frame.centralWidget();
    const QRect quarter(client->mapToGlobal(QPoint(0, 0)),
                        QSize(client->width() / 2 - 1, client->height() / 2 - 1));
    EXPECT_EQ(displays.firstPlace(), quarter);
    ASSERT_GT(quarter.width(), 100);

    FakeWindowFactory graph;
    displays.registerFactory(MonitorDisplay::Graph, graph.factory());
    displays.open(MonitorDisplay::Graph);
    ASSERT_EQ(graph.made, 1);
    EXPECT_EQ(graph.last->geometry(), quarter);

    // A window restored from its position file while it was made keeps that place.
    FakeWindowFactory machines;
    machines.placed = QRect(5, 7, 300, 200);
    displays.registerFactory(MonitorDisplay::Machines, machines.factory());
    displays.open(MonitorDisplay::Machines);
    ASSERT_EQ(machines.made, 1);
    EXPECT_EQ(machines.last->geometry(), *machines.placed);
}

TEST_F(MonitorDisplaysTest, WhatStopsAnOpening)
{
    FakeWindowFactory detailed;
    displays.registerFactory(MonitorDisplay::Detailed, detailed.factory());

    // No link: the check has told the user; nothing is made.
    linked = false;
    displays.open(MonitorDisplay::Detailed);
    EXPECT_EQ(linkChecks, 1);
    EXPECT_EQ(detailed.made, 0);
    linked = true;

    // No factory: nothing, and nothing said.
    displays.open(MonitorDisplay::Machines);
    EXPECT_EQ(displays.window(MonitorDisplay::Machines), nullptr);
    EXPECT_TRUE(notifier.shown().empty());

    // A window that cannot be made, or no memory for it.
    displays.registerFactory(
        MonitorDisplay::Graph,
        [](const MonitorEnvironment&, QWidget*) -> QWidget* { return nullptr; });
    displays.registerFactory(
        MonitorDisplay::TimeLine,
        [](const MonitorEnvironment&, QWidget*) -> QWidget* { throw std::bad_alloc(); });
    displays.open(MonitorDisplay::Graph);
    displays.open(MonitorDisplay::TimeLine);
    EXPECT_EQ(notifier.texts(),
              (std::vector<std::string>{"Could not create Monitoring Display Graph Window",
                                        "Out of memory"}));
    EXPECT_EQ(displays.window(MonitorDisplay::Graph), nullptr);
    EXPECT_EQ(displays.window(MonitorDisplay::TimeLine), nullptr);
}

}  // namespace
}  // namespace quillon
