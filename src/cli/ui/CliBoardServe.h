// quillonlt-cli hub serve as it runs: the hub link, the board model and its web server on
// a Qt event loop.
#pragma once

#include <iosfwd>

#include "cli/CliServe.h"

namespace quillon::cli {

// The runner main() hands to the command line (setBoardServeRunner).
int serveBoard(const ServeRequest& request, std::ostream& out, std::ostream& err);

}  // namespace quillon::cli
