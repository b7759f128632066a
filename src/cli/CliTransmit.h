// quillonlt-cli send: the transmit engine on a setup's port, from a shell.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quillon::cli {

inline constexpr char kSendUsage[] =
    "send --setup N [--from-line L] [--setup-file FILE2] [--timeout S] FILE";

// Sends FILE with setup N (1 to 10) of ComConf.sys on its port as the Transmit window
// does; the status texts and the progress go to err. It waits for the control as long as it
// takes, unless S seconds are given for the whole transfer, and stops at Ctrl+C. 0 when the
// transfer completed, 1 when it failed or was stopped, 2 on a usage error.
int runSend(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace quillon::cli
