// What the transmit and receive window tests share: COM1 on a pseudo-terminal whose
// control side the test plays, and the windows' owner over the real serial backend.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>

#include <chrono>
#include <string>
#include <thread>

#include "dnc/ComDeviceMap.h"
#include "dnc/PortsInUse.h"
#include "dnc/ui/CommWindows.h"
#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "platform/PosixSerialLine.h"
#include "support/PseudoTerminal.h"
#include "support/TempWorkDir.h"

namespace quillon::test {

class CommWindowTest : public ::testing::Test {
protected:
    // Ticks as the 50 ms timer would, until the condition holds; what the windows send to
    // the control meanwhile is collected in `sent`.
    template <typename Condition>
    void tickUntil(Condition condition, int ms = 5000)
    {
        for (int waited = 0; !condition() && waited < ms; waited += 5) {
            windows.tick();
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            if (control.ok())
                sent += control.receive(1 << 16, 5);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    TempWorkDir dir;
    PseudoTerminal control;
    ComOverride com1{1, control.devicePath()};
    ComDeviceMap devices = ComDeviceMap::load(dir.workDir());
    PortsInUse ports;
    ScriptedNotifier notifier;
    ScriptedFilePrompter files;
    CommWindows windows{
        ports, devices,
        [](const std::string& path, std::string* error) -> std::shared_ptr<SerialLine> {
            return PosixSerialLine::open(path, error);
        },
        notifier, files};
    std::string sent;
};

}  // namespace quillon::test
