// The program started against a hub on loopback: the hub on 127.0.0.2 and this computer on
// 127.0.0.1, on one free port, so that the program binds its hub link at start-up.
#pragma once

#include <gtest/gtest.h>

#include <QTest>

#include <cstdlib>
#include <memory>
#include <string>

#include "app/ui/QuillonApplication.h"
#include "monitoring/RemoteConfig.h"
#include "monitoring/ui/HubChannel.h"
#include "platform/FilePrompter.h"
#include "platform/Ipv4Address.h"
#include "platform/Notifier.h"
#include "platform/UdpSocket.h"
#include "support/TempWorkDir.h"

namespace quillon::test {

class LoopbackHubAppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        hub = UdpSocket::bind(ipv4Of(127, 0, 0, 2), 0).socket;
        ASSERT_TRUE(hub);
        ::setenv("QUILLONLT_UDP_PORT", std::to_string(hub->localPort()).c_str(), 1);
        ASSERT_TRUE(
            writeRemoteConfig(dir.workDir(), {dir.base() + "/hub/", ipv4Of(127, 0, 0, 2), ""}).ok);
    }
    void TearDown() override { ::unsetenv("QUILLONLT_UDP_PORT"); }

    // The program, once its hub link is bound.
    std::unique_ptr<QuillonApplication> start()
    {
        auto app =
            std::make_unique<QuillonApplication>(dir.workDir(), "quillonlt", &notifier, &files);
        app->setLocalAddresses([] { return std::vector{ipv4Of(127, 0, 0, 1)}; });
        EXPECT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);
        EXPECT_TRUE(QTest::qWaitFor([&] { return app->hubChannel() != nullptr; }, 5000));
        return app;
    }

    TempWorkDir dir;
    ScriptedNotifier notifier;
    ScriptedFilePrompter files;
    std::unique_ptr<UdpSocket> hub;
};

}  // namespace quillon::test
