// quillonlt-cli receive: the receive engine on a setup's port, from a shell.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quillon::cli {

inline constexpr char kReceiveUsage[] = "receive --setup N [--program NNNN] [--timeout S] OUT";

// Receives into OUT with setup N (1 to 10) of ComConf.sys on its port as the Receive window
// does; status texts go to err. It ends when the exchange ends, a second after the plain
// end character, after S seconds, or at Ctrl+C. 0 when something was stored and nothing
// failed, 1 otherwise (a line lost before the plain end character or inside a record or
// block included: what came is kept, but it is not the whole program), 2 on a usage error.
int runReceive(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace quillon::cli
