// quillonlt-ctrlsim as a function: sets the session and the line up from the options,
// runs them and reports, so that the tests can run it in process.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quillon::ctrlsim {

class StopRequest;
struct CtrlSimOptions;

inline constexpr char kProgramName[] = "quillonlt-ctrlsim";

// Runs "quillonlt-ctrlsim ARGS..." (without the program name); returns the exit code:
// 0 success, 1 failure, 2 usage error. The line's path goes to `out` as the first line,
// flushed; everything else to `err`.
int ctrlSimMain(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                const StopRequest& stop);

int runSimulator(const CtrlSimOptions& options, std::ostream& out, std::ostream& err,
                 const StopRequest& stop);

}  // namespace quillon::ctrlsim
