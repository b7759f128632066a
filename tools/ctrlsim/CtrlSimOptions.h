// The command line of quillonlt-ctrlsim: what the simulated control does and on which line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ctrlsim/BlockSession.h"
#include "ctrlsim/ControlSession.h"
#include "ctrlsim/FanucHeader.h"
#include "ctrlsim/InputBuffer.h"
#include "ctrlsim/MazakReceive.h"
#include "ctrlsim/PlainSend.h"
#include "dnc/SerialLine.h"

namespace quillon::ctrlsim {

// The block protocol modes name the control's side: Fanuc receives, FanucSend sends.
enum class SimMode {
    Receive,
    Send,
    Echo,
    Fanuc,
    Mazak,
    Heidenhain,
    FanucSend,
    MazakSend,
    HeidenhainSend,
};

struct CtrlSimOptions {
    SimMode mode = SimMode::Receive;
    std::string file;  // the program received or sent
    // Fanuc: the setup file the PC sends (or requests) after the program, in the same
    // connection.
    std::optional<std::string> secondFile;
    std::size_t blockData = kFanucBlockData;  // Fanuc sending: the most in a block
    std::string mazakSequence = kDefaultMazakSequence;
    std::string program;  // HEIDENHAIN: the number requested

    // Nothing: a new pseudo-terminal, whose settings belong to the program on the other side.
    std::optional<std::string> device;
    // A symbolic link to the pseudo-terminal, made at start and removed at the end.
    std::optional<std::string> link;
    LineSettings line;  // for a device; softwareFlow unused (see xonXoff)
    // The control paces with XON/XOFF (receive), obeys it (send) or is held by it (echo).
    bool xonXoff = false;
    std::optional<int> lineRate;

    InputBufferSettings buffer;
    bool xonAtStart = false;
    std::optional<Duration> idleEnd = std::chrono::seconds(2);

    bool waitForXon = false;
    bool dc2First = false;
    CharacterCode code = CharacterCode::Iso;
    bool highBit = false;
    Duration startDelay = kDefaultStartDelay;

    // The block protocols.
    std::optional<Duration> replyTimeout = BlockSessionSettings{}.replyTimeout;
    FaultPlan faults;

    bool verbose = false;
};

struct ParsedArguments {
    enum class Action { Run, Help, UsageError };
    Action action = Action::Run;
    CtrlSimOptions options;
    std::string error;  // what is wrong, for a usage error
};

ParsedArguments parseArguments(const std::vector<std::string>& arguments);

std::string usageText();

}  // namespace quillon::ctrlsim
