// The three backplot passes in a row: the program to plot points.
#pragma once

#include <string>

#include "backplot/BackplotFiles.h"
#include "backplot/PathBuilder.h"
#include "backplot/PrePass.h"

namespace quillon {

class Notifier;

// Runs the pre-pass, the cycle expansion and the path builder over the program, with the
// intermediate files in `folder` (the temporary folder; a trailing separator or none).
// The points are appended to build.points and the tool table rebuilt. False, with no
// points added, when one of the files could not be made or opened.
bool runBackplotChain(const ProgramLines& lines, const BackplotSettings& settings,
                      const std::string& folder, PlotBuild& build, Notifier& notifier);

}  // namespace quillon
