// Receiving an NC program from a control, one tick at a time: plain reception between the
// setup's start and end characters, and the Fanuc DNC, MAZAK and HEIDENHAIN exchanges. The
// engine never waits: each tick takes what has arrived.
//
// The target file is touched only when there is something to store in it, so a reception
// that brings nothing leaves an existing file as it was; from then on every tick hands what
// it stored to the system at once, so that an exit, a control that dies or a pulled cable
// loses nothing that had arrived. A file that cannot be written (a full disk) is not kept in
// part: the old file comes back and the user is told why.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "dnc/Exchange.h"
#include "dnc/PortSetup.h"
#include "dnc/SerialLine.h"

namespace quillon {

struct ReceiveJob {
    PortSetup setup;  // the working copy when the reception started
    std::string path;
    // Fanuc DNC: the kind of file asked for (both: the program, then a setup file) and the
    // program number of the request, at most four characters.
    bool fanucProgram = false;
    bool fanucSetup = false;
    std::string programNumber;
};

inline constexpr char kChecksumErrorText[] = "Checksum error";
inline constexpr char kHeidenhainChecksumErrorText[] = "HEIDENHAIN checksum error";
inline constexpr char kBlockTooLongText[] = "Block too long";
inline constexpr char kOpenRxFileFailedText[] = "Failed to open RX file";

class ReceiveProtocol;

class ReceiveEngine : public ProtocolRunner<ReceiveProtocol, ReceiveJob> {
public:
    static constexpr std::size_t kShownLines = 12;
    // A display line ends at LF or when it grows past this.
    static constexpr std::size_t kDisplayWidth = 80;
    // What one read takes: plain reception, and the block protocols.
    static constexpr std::size_t kPlainReadLimit = 8191;
    static constexpr std::size_t kBlockReadLimit = 8192;
    // A tick reads at most this many times; a fast line is not left behind for long.
    static constexpr int kReadsPerTick = 64;
    // A protocol block or record longer than this is refused (real ones are far shorter).
    static constexpr std::size_t kMaxBlockBytes = 64 * 1024;
    // "Mazak delay": the time each received byte takes, spread over the ticks.
    static constexpr int kMazakDelayMs = 6;

    ReceiveEngine(ReceiveJob job, SerialLine& line, TransferObserver& observer);
    ~ReceiveEngine();
    ReceiveEngine(const ReceiveEngine&) = delete;
    ReceiveEngine& operator=(const ReceiveEngine&) = delete;

    // "Receive: <path> using setup: <name>".
    static std::string titleFor(const std::string& path, const std::string& setupName);

    // start() is the window's start: with XON/XOFF one XON tells the control to go ahead.
    // Then tick() until the outcome is not Running.
    // Bytes written to the target files so far.
    std::uint64_t storedBytes() const;
    // Plain reception: the end character has come, the rest is ignored.
    bool ended() const;
    // What was stored is not known to lack anything (see ReceiveProtocol::whole).
    bool whole() const;
    std::uint64_t lineCount() const;
};

// The path a save dialog gave, cut where a "*" pattern was typed: before the character that
// precedes the last "*", so that "O1000.*" becomes "O1000".
std::string cutAtWildcard(const std::string& path);

}  // namespace quillon
