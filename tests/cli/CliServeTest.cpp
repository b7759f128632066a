#include "cli/CliServe.h"

#include <gtest/gtest.h>

#include <sstream>

namespace quillon::cli {
namespace {

TEST(CliServe, ReadsTheListenAddressTitleAndTime)
{
    struct Row {
        const char* scenario;
        std::vector<std::string> arguments;
        std::string address;
        std::uint16_t port;
        std::string title;
        std::optional<int> seconds;
    };
    const Row rows[] = {
        {"port alone stays on this computer", {"--http", "8080"}, "127.0.0.1", 8080, "", {}},
        {"address and port", {"--http", "192.168.1.20:80"}, "192.168.1.20", 80, "", {}},
        {"every network card", {"--http", "0.0.0.0:8080"}, "0.0.0.0", 8080, "", {}},
        {"any free port", {"--http", "0"}, "127.0.0.1", 0, "", {}},
        {"title with blanks",
         {"--title", "Hall 2 - Lathes", "--http", "9000"},
         "127.0.0.1",
         9000,
         "Hall 2 - Lathes",
         {}},
        {"limited time", {"--http", "9000", "--seconds", "30"}, "127.0.0.1", 9000, "", 30},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.scenario);
        const auto request = parseServeRequest(row.arguments);
        ASSERT_TRUE(request);
        EXPECT_EQ(request->address, row.address);
        EXPECT_EQ(request->port, row.port);
        EXPECT_EQ(request->title, row.title);
        EXPECT_EQ(request->seconds, row.seconds);
    }
}

TEST(CliServe, RefusesWhatItCannotListenOnOrDoesNotKnow)
{
    const std::pair<const char*, std::vector<std::string>> rows[] = {
        {"no listen address", {"--title", "Hall"}},
        {"nothing at all", {}},
        {"port past 65535", {"--http", "65536"}},
        {"negative port", {"--http", "-1"}},
        {"port not a number", {"--http", "http"}},
        {"host name", {"--http", "board.lan:80"}},
        {"empty address", {"--http", ":80"}},
        {"address without port", {"--http", "10.0.0.1:"}},
        {"option without value", {"--http"}},
        {"zero seconds", {"--http", "80", "--seconds", "0"}},
        {"unknown option", {"--http", "80", "--write", "yes"}},
    };
    for (const auto& [scenario, arguments] : rows) {
        SCOPED_TRACE(scenario);
        EXPECT_FALSE(parseServeRequest(arguments));
    }
}

TEST(CliServe, UsageErrorsAndAMissingServerAreToldApart)
{
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runServe({"--http"}, out, err), 2);
    EXPECT_NE(err.str().find("usage: quillonlt-cli hub serve"), std::string::npos);

    // The core CLI alone has no server handed in: that is a failure, not a usage error.
    setBoardServeRunner({});
    err.str({});
    EXPECT_EQ(runServe({"--http", "8080"}, out, err), 1);
    EXPECT_FALSE(err.str().empty());

    ServeRequest seen;
    setBoardServeRunner([&](const ServeRequest& request, std::ostream&, std::ostream&) {
        seen = request;
        return 0;
    });
    EXPECT_EQ(runServe({"--http", "10.1.2.3:81", "--title", "Hall"}, out, err), 0);
    EXPECT_EQ(seen.address, "10.1.2.3");
    EXPECT_EQ(seen.port, 81);
    EXPECT_EQ(seen.title, "Hall");
    setBoardServeRunner({});
}

}  // namespace
}  // namespace quillon::cli
