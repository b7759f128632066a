// The backplot's second pass: copies the pre-pass records and replaces the turning cycles
// G70 (finishing), G71 (stock removal in turning), G72 (in facing) and G73 (pattern
// repeating) by the rapid and feed moves that draw them.
#pragma once

#include <string>
#include <string_view>

#include "backplot/BackplotFiles.h"

namespace quillon {

class Notifier;

// A roughing or pattern cycle draws at most this many passes. Nothing else bounds a tiny
// depth of cut (D1 reads 0.0001) or a huge number of divisions.
inline constexpr int kCyclePassLimit = 10000;

// Whether a record holds one of the lathe cycles G70 to G76, whose U and W are cycle
// parameters, not moves.
bool holdsLatheCycle(std::string_view record);

// Reads `input` ($BackPlotFile.TXT), writes `output` ($BackPlotFile1.TXT), keeps the shape
// in `shapeFile` ($BackPlotFile2.TXT).
// False (nothing more done) when input cannot be opened or output cannot be created.
//
// Every other trouble is told through `notifier` in an OK box and the pass goes on with
// the next record.
bool expandCannedCycles(const std::string& input, const std::string& output,
                        const std::string& shapeFile, const BackplotSettings& settings,
                        Notifier& notifier);

}  // namespace quillon
