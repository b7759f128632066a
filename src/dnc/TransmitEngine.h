// Sending an NC program to a control, one tick at a time: plain streaming with XON/XOFF
// or hardware flow control, and the Fanuc DNC, MAZAK and HEIDENHAIN exchanges. The engine
// never waits: each tick does what the line allows and returns.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "dnc/Exchange.h"
#include "dnc/PortSetup.h"
#include "dnc/SerialLine.h"

namespace quillon {

struct TransmitJob {
    PortSetup setup;  // the working copy when the transfer started
    std::string path;
    std::uint64_t resumeOffset = 0;  // where a repositioned transfer starts
    // Fanuc DNC: what kind of file this is; both set: the program, then a setup file.
    bool fanucProgram = false;
    bool fanucSetup = false;
};

inline constexpr char kCommunicationErrorText[] = "Communication error";
inline constexpr char kInvalidFileText[] = "Invalid file";
inline constexpr char kOpenTxFileFailedText[] = "Failed to open TX file";

class TransmitProtocol;

class TransmitEngine : public ProtocolRunner<TransmitProtocol, TransmitJob> {
public:
    // A plain transfer ends after the output has drained and this many quiet ticks.
    static constexpr int kIdleTicksBeforeEnd = 18;
    // A block exchange waits for the control's answer as long as it takes (an operator on
    // the way, an M00, a feed hold in a drip feed); once the silence has lasted this long
    // the status line counts it.
    static constexpr std::chrono::seconds kSilenceShownAfter{2};
    static constexpr std::size_t kChunk = 3584;
    static constexpr std::size_t kSmallChunk = 512;

    TransmitEngine(TransmitJob job, SerialLine& line, TransferObserver& observer);
    ~TransmitEngine();
    TransmitEngine(const TransmitEngine&) = delete;
    TransmitEngine& operator=(const TransmitEngine&) = delete;

    // "Transmit: <path> using setup: <name>".
    static std::string titleFor(const std::string& path, const std::string& setupName);

    // start() is the window's start: with "Wait for XON" nothing leaves before the
    // control's XON. Then tick() until the outcome is not Running.
    int percent() const;
    // Everything has been handed to the line and the exchange needs nothing more from
    // the control: a control that hangs up now has not cut the transfer short.
    bool complete() const;
};

// "Waiting for the control " and how long it has been silent: minutes:seconds, and hours
// before them from an hour on ("1:23", "1:02:03").
std::string waitingForControlText(std::chrono::seconds silent);

// The offset of the start of line `line` (1-based) in the file's bytes: after line - 1 line
// feeds, or 0 when the file ends first. Nothing when the file cannot be read.
std::optional<std::uint64_t> lineStartOffset(const std::string& path, std::size_t line);

}  // namespace quillon
