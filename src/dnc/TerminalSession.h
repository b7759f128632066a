// The text side of terminal mode: what arrives becomes display lines, what the user types
// becomes bytes for the control.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "dnc/PortSetup.h"

namespace quillon {

class TerminalSession {
public:
    static constexpr std::size_t kCompletedLines = 7;
    // A line grows to this many characters at most before it is completed by itself.
    static constexpr std::size_t kLineLimit = 80;

    TerminalSession(CharacterCode code, EndOfBlock endOfBlock);

    // Bytes from the control. EIA is translated, bit 7 cleared; LF ends a line (BIN shows
    // it as "^J" first), so does CR when the setup's end of block is CR (otherwise "^M");
    // other control characters show as "^" and a letter.
    void receive(std::string_view bytes);

    // The list as shown: the completed lines, oldest first, then the current one (a
    // single blank while it is empty).
    std::vector<std::string> displayLines() const;
    std::size_t completedCount() const { return m_completed.size(); }

    // The "Outgoing data:" text after a change: the bytes to send. Only the last character
    // of what was added counts; "^" and a character send that control character (toupper
    // minus 64, 0 when below); deleting sends nothing.
    std::string outgoingChanged(std::string_view text);
    // Enter in "Outgoing data:": the setup's end of block (CR, LF or CR LF), so that a
    // block typed by hand ends as a sent program's would.
    std::string enterPressed() const;

private:
    void append(std::string_view shown);
    void completeLine();

    CharacterCode m_code;
    EndOfBlock m_endOfBlock;
    std::deque<std::string> m_completed;
    std::string m_current;
    std::size_t m_outgoingLength = 0;
    bool m_caret = false;
};

}  // namespace quillon
