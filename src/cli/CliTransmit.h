// quillonlt-cli send: the transmit engine on a setup's port, from a shell.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quillon::cli {

inline constexpr char kSendUsage[] = "send --setup N [--from-line L] [--setup-file FILE2] FILE";

// Sends FILE with setup N (1 to 10) of ComConf.sys on its port as the Transmit window
// does; the status texts and the progress go to err. 0 when the transfer completed, 1 when
// it failed, 2 on a usage error.
int runSend(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace quillon::cli
