// quillonlt-cli request: a download or upload request for the hub from a shell, through the
// same steps as the "Quillon remote" dialog.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quillon::cli {

inline constexpr char kRequestUsage[] =
    "request download|upload --machine NAME [--full-path] [--interrupt] [--wait S] "
    "[--hub DIR] FILE";

// Writes _TMP\REMOTELOAD.SYS in the hub folder (--hub, else the remote configuration's) as
// the dialog's buttons do, with the dialog's messages on stderr. A pending request makes a
// download fail with the dialog's question unless --interrupt answers it with Yes; an
// upload is always refused. With --wait, waits up to S seconds for the hub to take the
// request. 0 when written (taken, with --wait), 1 otherwise, 2 on a usage error.
int runRequest(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace quillon::cli
