// What the line-utility commands share: the program comes from FILE or standard input and
// goes to standard output, or back into FILE (--in-place, replaced as a whole only once
// the new text is complete); it is loaded and saved with the editor's rules.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

namespace quillon {
class CLiDoc;
class Notifier;
}  // namespace quillon

namespace quillon::cli {

struct DocumentIo {
    std::string file;  // empty or "-": standard input
    bool inPlace = false;
    // The questions a utility asks are answered Yes (otherwise No).
    bool yes = false;
};

// Takes "--in-place", "--yes" or the file name; false when the argument is none of them.
bool takeDocumentArgument(const std::string& argument, DocumentIo& io);

// Loads the program, runs `apply` on it (its messages go to err with the texts the editor
// shows) and writes the result. 0 when done, 1 when the program could not be read or
// written or `apply` refused, 2 when --in-place has no file.
int runOnDocument(const DocumentIo& io, std::ostream& out, std::ostream& err,
                  const std::function<bool(CLiDoc& doc, Notifier& notifier)>& apply);

}  // namespace quillon::cli
