// quillonlt-cli renumber and remove-numbers: the block-number utilities on a program.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quillon::cli {

inline constexpr char kRenumberUsage[] =
    "renumber [--start N] [--increment N] [--digits N] [--zeroes] [--letter-o] [--colon] "
    "[--paren] [--skip C] [--in-place] [FILE]";
inline constexpr char kRemoveNumbersUsage[] = "remove-numbers [--yes] [--in-place] [FILE]";

// Renumbers every line as the "Renumber" command does with these settings (the dialog's
// ranges; --skip "" for no do-not-renumber character); the canned-cycle message goes to
// err. 0 when done, 1 when the program could not be read or written, 2 on a usage error.
int runRenumber(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

// Removes the block numbers of every line. A program holding a canned cycle is changed only
// with --yes (the question goes to err): 1 without it, as when the program could not be
// read or written; 2 on a usage error.
int runRemoveNumbers(const std::vector<std::string>& arguments, std::ostream& out,
                     std::ostream& err);

}  // namespace quillon::cli
