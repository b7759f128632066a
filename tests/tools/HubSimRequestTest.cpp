// The simulated hub taking remote requests from its folder, on a clock moved by hand.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>

#include "hubsim/HubFolder.h"
#include "hubsim/RequestTaker.h"
#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon::hubsim {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr std::int64_t kStart = 1796709600;

// Every file below the hub's machine folders with its bytes: what a refused request must
// leave as it was.
std::map<std::string, std::string> machineFiles(const std::string& hub)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(hub + "/_NC"))
        if (entry.is_regular_file())
            files[entry.path().string()] = readFile(entry.path().string()).value_or("?");
    return files;
}

bool anyFailure(const std::vector<RequestEvent>& events)
{
    for (const RequestEvent& event : events)
        if (event.failure)
            return true;
    return false;
}

std::string told(const std::vector<RequestEvent>& events)
{
    std::string text;
    for (const RequestEvent& event : events)
        text += (event.failure ? "! " : "  ") + event.text + "\n";
    return text;
}

class HubRequests : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(writeHubFolder(HubModel({3, 1}, kStart), m_hub).ok); }

    std::string folder(int slot, MachineFolder which) const
    {
        return machineFolder(slot, m_hub, which);
    }
    std::string requestPath() const { return m_hub + "/_TMP/REMOTELOAD.SYS"; }
    void request(std::string_view content) const { test::writeBytes(requestPath(), content); }
    bool pending() const { return fs::exists(fs::symlink_status(requestPath())); }

    test::TempWorkDir m_dir;
    const std::string m_hub = m_dir.path("hub");
    ManualSteadyClock m_steady;
    FixedClock m_clock{kStart};
    RequestTaker m_taker{m_hub, 0s, m_steady, m_clock};
};

TEST_F(HubRequests, DownloadsAndUploadsCopyBetweenTheMachinesFolders)
{
    fs::create_directories(folder(0, MachineFolder::Download) + "/SUB");
    test::writeBytes(folder(0, MachineFolder::Download) + "/SUB/O5.NC", "%\nO5\n%\n");
    fs::create_directories(folder(0, MachineFolder::Upload) + "/OLD");

    struct Row {
        const char* scenario;
        std::string content;
        std::string from;
        std::string to;
    };
    const std::string dt1 = folder(1, MachineFolder::Download);
    const Row rows[] = {
        {"a name in the machine's DT: folder", "#1_O1001.NC", dt1 + "/O1001.NC",
         folder(1, MachineFolder::Memory) + "/O1001.NC"},
        {"a full path into that folder", "##1_" + dt1 + "/O1002.NC", dt1 + "/O1002.NC",
         folder(1, MachineFolder::Memory) + "/O1002.NC"},
        {"a name in a subfolder, Windows separator", "#0_SUB\\O5.NC",
         folder(0, MachineFolder::Download) + "/SUB/O5.NC",
         folder(0, MachineFolder::Memory) + "/O5.NC"},
        {"an upload into DR:", "$2_O9001.NC", folder(2, MachineFolder::Memory) + "/O9001.NC",
         folder(2, MachineFolder::Upload) + "/O9001.NC"},
        {"an upload into a subfolder of DR:", "$0_OLD/O9001.NC",
         folder(0, MachineFolder::Memory) + "/O9001.NC",
         folder(0, MachineFolder::Upload) + "/OLD/O9001.NC"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.scenario);
        ASSERT_FALSE(fs::exists(row.to));
        request(row.content);
        const auto events = m_taker.poll();
        EXPECT_FALSE(anyFailure(events)) << told(events);
        EXPECT_FALSE(pending());
        EXPECT_FALSE(fs::exists(m_hub + "/_TMP/REMOTELOAD.TAKEN"));
        const auto copied = readFile(row.to);
        ASSERT_TRUE(copied) << told(events);
        EXPECT_EQ(*copied, readFile(row.from).value_or("missing"));
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back().text, "request removed");
    }
    EXPECT_TRUE(m_taker.poll().empty()) << "nothing left to take";
}

TEST_F(HubRequests, ARequestThatCannotBeCarriedOutIsRemovedAndNothingIsCopied)
{
    const std::string dt1 = folder(1, MachineFolder::Download);
    fs::create_symlink(m_hub + "/_SETUP/CairnConf.sys", dt1 + "/ESCAPE.NC");
    struct Row {
        const char* scenario;
        std::string content;
    };
    const Row rows[] = {
        {"an empty file, a station that died after creating it", ""},
        {"half a request", "#1"},
        {"an unknown mark", "%1_O1001.NC"},
        {"no machine in the slot", "#99_O1001.NC"},
        {"a slot past the hub's range", "#128_O1001.NC"},
        {"a relative name climbing out", "#1_..\\..\\..\\_SETUP\\CairnConf.sys"},
        {"a relative name that is a root path", "#1_/etc/hostname"},
        {"a full path outside the machine's folders", "##1_" + m_hub + "/_SETUP/CairnConf.sys"},
        {"a full path into another machine's folder",
         "##1_" + folder(0, MachineFolder::Download) + "/O1001.NC"},
        {"a full path climbing out", "##1_" + dt1 + "/../../M1/DOWNLOAD/O1001.NC"},
        {"the machine's folder itself", "##1_" + dt1},
        {"a link in the folder that leads out of it", "#1_ESCAPE.NC"},
        {"a file that is not there", "#1_O7777.NC"},
        {"an upload the machine has no program for", "$1_O7777.NC"},
        {"an upload with a full path mark", "$#1_O9001.NC"},
        {"a control character in the name", std::string("#1_O1\x01.NC")},
        {"a name of 300 characters", "#1_" + std::string(300, 'A')},
        {"a huge file", std::string(100000, '#')},
    };
    const auto before = machineFiles(m_hub);
    const auto configuration = readFile(m_hub + "/_SETUP/CairnConf.sys");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.scenario);
        request(row.content);
        const auto events = m_taker.poll();
        EXPECT_TRUE(anyFailure(events)) << told(events);
        EXPECT_FALSE(pending()) << told(events);
        EXPECT_FALSE(fs::exists(m_hub + "/_TMP/REMOTELOAD.TAKEN"));
    }
    EXPECT_EQ(machineFiles(m_hub), before);
    EXPECT_EQ(readFile(m_hub + "/_SETUP/CairnConf.sys"), configuration);
}

TEST_F(HubRequests, ARequestStillBeingWrittenWaitsOutTheDelayAgain)
{
    RequestTaker taker(m_hub, 3s, m_steady, m_clock);
    // A station of the old kind creates the file and writes it in pieces.
    request("#1_O10");
    EXPECT_TRUE(taker.poll().empty());
    m_steady.advance(2s);
    EXPECT_TRUE(taker.poll().empty());
    EXPECT_TRUE(pending());

    request("#1_O1002.NC");
    m_steady.advance(2s);
    EXPECT_TRUE(taker.poll().empty()) << "the change is seen here; the wait starts again";
    m_steady.advance(2s);
    EXPECT_TRUE(taker.poll().empty());
    EXPECT_TRUE(pending());
    m_steady.advance(1s);
    const auto events = taker.poll();
    EXPECT_FALSE(anyFailure(events)) << told(events);
    EXPECT_FALSE(pending());
    EXPECT_TRUE(fs::exists(folder(1, MachineFolder::Memory) + "/O1002.NC"));
}

TEST_F(HubRequests, WhatBlocksEveryRequestIsToldOnceAndLeftAlone)
{
    // A folder in the request's place may hold someone's files.
    fs::create_directories(requestPath());
    test::writeBytes(requestPath() + "/NOTES.TXT", "keep me");
    const auto first = m_taker.poll();
    ASSERT_EQ(first.size(), 1u);
    EXPECT_TRUE(first[0].failure);
    EXPECT_NE(first[0].text.find("is a folder"), std::string::npos) << first[0].text;
    EXPECT_TRUE(m_taker.poll().empty());
    EXPECT_EQ(readFile(requestPath() + "/NOTES.TXT"), "keep me");
    fs::remove_all(requestPath());

    // Without its configuration the hub cannot tell the machines' folders: the request
    // stays pending until it can.
    const std::string configuration = m_hub + "/_SETUP/CairnConf.sys";
    fs::rename(configuration, configuration + ".away");
    request("#1_O1001.NC");
    const auto unread = m_taker.poll();
    EXPECT_TRUE(anyFailure(unread)) << told(unread);
    EXPECT_TRUE(m_taker.poll().empty());
    EXPECT_TRUE(pending());
    fs::rename(configuration + ".away", configuration);

    // The name the hub takes a request to is in use by a folder: the request cannot be
    // moved there, and stays.
    const std::string takenPath = m_hub + "/_TMP/REMOTELOAD.TAKEN";
    fs::create_directories(takenPath);
    test::writeBytes(takenPath + "/HELD", "");
    const auto held = m_taker.poll();
    EXPECT_TRUE(anyFailure(held)) << told(held);
    EXPECT_TRUE(m_taker.poll().empty());
    EXPECT_TRUE(pending());
    fs::remove_all(takenPath);

    const auto taken = m_taker.poll();
    EXPECT_FALSE(anyFailure(taken)) << told(taken);
    EXPECT_TRUE(fs::exists(folder(1, MachineFolder::Memory) + "/O1001.NC"));
}

TEST_F(HubRequests, ALinkInTheRequestsPlaceIsRemovedWithoutTouchingItsTarget)
{
    const std::string elsewhere = m_dir.path("elsewhere.txt");
    test::writeBytes(elsewhere, "#1_O1001.NC");
    fs::create_symlink(elsewhere, requestPath());
    const auto events = m_taker.poll();
    EXPECT_TRUE(anyFailure(events)) << told(events);
    EXPECT_FALSE(pending());
    EXPECT_EQ(readFile(elsewhere), "#1_O1001.NC");
    EXPECT_FALSE(fs::exists(folder(1, MachineFolder::Memory) + "/O1001.NC"));
}

TEST_F(HubRequests, OnlyTheTemporariesOfStationsLongGoneAreCleanedUp)
{
    const auto writtenAgo = [&](const std::string& name, std::chrono::seconds age) {
        const std::string path = m_hub + "/_TMP/" + name;
        test::writeBytes(path, "#1_O1001.NC");
        fs::last_write_time(path,
                            fs::file_time_type::clock::from_sys(
                                std::chrono::sys_seconds(std::chrono::seconds(kStart)) - age));
        return path;
    };
    const std::string dead = writtenAgo(".REMOTELOAD-dead01.tmp", 11min);
    const std::string writing = writtenAgo(".REMOTELOAD-busy01.tmp", 1s);
    const auto events = m_taker.poll();
    ASSERT_EQ(events.size(), 1u) << told(events);
    EXPECT_FALSE(events[0].failure);
    EXPECT_FALSE(fs::exists(dead));
    EXPECT_TRUE(fs::exists(writing));
    EXPECT_FALSE(fs::exists(folder(1, MachineFolder::Memory) + "/O1001.NC"))
        << "a temporary is never taken for a request";
}

}  // namespace
}  // namespace quillon::hubsim
