// quillonlt-cli backplot: the backplot chain over a program, its plot points as text.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quillon::cli {

inline constexpr char kBackplotUsage[] =
    "backplot [--lathe] [--plane xy|xz|yz|3d] [--incremental] [--files DIR] FILE";

// Prints one line per plot point, "LINE GAP SLOT X Y Z" (line zero-based, coordinates with
// 4 decimals), then "TOOLS" and the tool slot table's entries. The chain's messages go to
// err. The intermediate files go to DIR, else to the working directory's _TMP folder.
// 0 when the chain ran, 1 when the program or a file could not be read or made, 2 on a
// usage error.
int runBackplot(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace quillon::cli
