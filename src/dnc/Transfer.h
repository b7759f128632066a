// One transfer of a program over a port, in either direction: it owns the port and the
// engine, runs one tick at a time, decides what a lost line means, and reports what the
// tick changed. The transmit and receive windows and the command line all drive it and
// only show what it reports.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dnc/CommPort.h"
#include "dnc/ReceiveEngine.h"
#include "dnc/TransmitEngine.h"

namespace quillon {

enum class TransferState {
    Running,
    Done,    // over as it should be
    Failed,  // ended early; the report's message says why
    Lost,    // the device went away before the control had everything
};

// What a tick (or the start) changed.
struct TransferReport {
    TransferState state = TransferState::Running;
    // Failed or Lost: what the user is told.
    std::string message;
    // The status texts the tick set, in order; the last one stands.
    std::vector<std::string> statuses;
    // The list as it now reads, when it changed.
    std::optional<std::vector<std::string>> lines;
    std::optional<int> progress;             // sending: percent
    std::optional<std::uint64_t> lineCount;  // receiving: "Line: " and this
    std::optional<std::string> title;
};

class Transfer {
public:
    // The transmit list keeps this many of the latest lines.
    static constexpr std::size_t kTransmitListLines = 13;

    // Fanuc DNC after the program: the setup file that comes next, or nothing.
    using SetupFilePrompt = std::function<std::optional<std::string>(const std::string& folder)>;

    Transfer(std::unique_ptr<CommPort> port, TransmitJob job, SetupFilePrompt askSetupFile);
    Transfer(std::unique_ptr<CommPort> port, ReceiveJob job, SetupFilePrompt askSetupFile);
    ~Transfer();
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    TransferReport start();
    // Once the transfer is over, later ticks report the same state and change nothing.
    TransferReport tick();
    // The user ends the transfer: what a transmit still has waiting goes at once.
    void abort();

    // Receiving: bytes stored so far, the plain end character has come, and what was stored
    // is not known to lack anything.
    std::uint64_t storedBytes() const;
    bool ended() const;
    bool receivedWhole() const;
    std::uint64_t lineCount() const;

private:
    class Reporter;

    TransferState engineTick();
    // The control has everything it is to get: it may hang up now.
    bool controlMayHangUp() const;

    std::unique_ptr<CommPort> m_port;
    std::unique_ptr<Reporter> m_reporter;
    std::unique_ptr<TransmitEngine> m_transmit;
    std::unique_ptr<ReceiveEngine> m_receive;
    TransferState m_state = TransferState::Running;
};

}  // namespace quillon
