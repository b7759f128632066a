// quillonlt-cli compress, expand, modify, rotate and minmax: the editor's word utilities
// over a whole program, from a shell.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quillon::cli {

inline constexpr char kCompressUsage[] = "compress [--in-place] [FILE]";
inline constexpr char kExpandUsage[] = "expand [--in-place] [FILE]";
inline constexpr char kModifyUsage[] =
    "modify --address A (--add|--multiply|--divide) V [--exclude T] [--decimals 4|3|0] "
    "[--in-place] [FILE]";
inline constexpr char kRotateUsage[] = "rotate [FROM:TO ...] [--in-place] [FILE]";
inline constexpr char kMinMaxUsage[] = "minmax [FILE]";

// Each rewrites the program of FILE (standard input without one) and writes it to
// standard output, or back into FILE with --in-place. 0 when done, 1 when the program
// could not be read or written, 2 on a usage error.

int runCompress(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
int runExpand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
// V from -1000000 to 1000000; A (not empty) and T of at most 20 characters; 4 decimals
// unless told otherwise (0: no decimal point).
int runModify(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
// Up to three rows, each a From and a To of at most one character ("X:" has no To);
// without rows X:Y Y:Z Z:X. An argument holding ":" is a row.
int runRotate(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

// Prints the text of the Min/Max box (nothing for an empty program); the program is not
// written.
int runMinMax(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace quillon::cli
