// The command line of quillonlt-ctrlsim: what the simulated control does and on which line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ctrlsim/ControlSession.h"
#include "ctrlsim/InputBuffer.h"
#include "ctrlsim/PlainSend.h"
#include "dnc/SerialLine.h"

namespace quillon::ctrlsim {

enum class SimMode { Receive, Send, Echo };

struct CtrlSimOptions {
    SimMode mode = SimMode::Receive;
    std::string file;  // the program received or sent

    // Nothing: a new pseudo-terminal, whose settings belong to the program on the other side.
    std::optional<std::string> device;
    LineSettings line;  // for a device; softwareFlow unused (see xonXoff)
    // The control paces with XON/XOFF (receive), obeys it (send) or is held by it (echo).
    bool xonXoff = false;
    std::optional<int> lineRate;

    InputBufferSettings buffer;
    bool xonAtStart = false;
    std::optional<Duration> idleEnd = std::chrono::seconds(2);

    bool waitForXon = false;
    Duration startDelay = kDefaultStartDelay;

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
