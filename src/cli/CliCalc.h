// quillonlt-cli calc: the shop calculators of the Tools menu, from a shell.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quillon::cli {

inline constexpr char kCalcUsage[] =
    "calc bolt --x X --y Y --radius R --holes N --first DEG | "
    "calc triangle [--A v] [--B v] [--C v] [--a v] [--b v] | "
    "calc speed [--rpm v] [--dia v] [--ips v] [--fpm v]";

// bolt: the hole list, one "X…   Y…" line a hole. triangle: "A=", "B=", "C=", "a=", "b="
// lines (sides, then the angles opposite A and B in degrees). speed: "RPM=", "DIA=",
// "IPS=" (inch/sec) and "FPM=" (feet/min) lines. Values are read as the dialogs read
// their fields, an option left out is a field left empty. The dialog's message goes to
// err with exit 1 when the input is refused; 2 on a usage error.
int runCalc(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace quillon::cli
