// The first pass of the backplot: the program's lines to $BackPlotFile.TXT.
//
// Each line becomes one record, except that a circular move is replaced by straight
// segment records along the arc and a reference return by a rapid record to the named
// axes' new values. Records the pass makes itself carry absolute positions; in a program
// running incremental (G91) they say so ("G90 … G91"), so that the path builder puts them
// where they belong.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "backplot/BackplotFiles.h"

namespace quillon {

class CLiDoc;

// The lines of a program, by index.
struct ProgramLines {
    std::size_t count = 0;
    std::function<std::string_view(std::size_t)> text;
};
ProgramLines linesOf(const CLiDoc& doc);

struct PrePassResult {
    bool written = false;  // false when a file could not be created or written
    // Whether a record may hold a turning cycle (G70 to G73) for the cycle expansion to
    // expand. Without one that pass copies every record as it is.
    bool turningCycles = false;
};

// The records into a writer the caller prepared.
PrePassResult runBackplotPrePass(const ProgramLines& lines, const BackplotSettings& settings,
                                 RecordWriter& out, RecordListener* listener = nullptr);

// Writes the records to `path`, and the same records to `copyPath` when one is given;
// `listener`, when given, takes each record as well as it is written.
PrePassResult writeBackplotPrePass(const ProgramLines& lines, const BackplotSettings& settings,
                                   const std::string& path, const std::string& copyPath = {},
                                   RecordListener* listener = nullptr);

}  // namespace quillon
