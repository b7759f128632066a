// A MAZAK control reading a program in. The control asks and the PC answers; every
// command and every answer is closed by EOT:
//
//   control                    PC
//   "q" EOT            ──▶
//                      ◀──     "q00" EOT                      reset, from the beginning
//   "p4" EOT           ──▶
//                      ◀──     "p00" STX text ETX EOT         the next program block
//   "p6" EOT, "pD" EOT ──▶
//                      ◀──     "p02" EOT or "p00" EOT         found, not found
//   "p8" EOT, "pA" EOT ──▶
//                      ◀──     "p00" EOT
//
// The control sends a sequence of these commands, each as soon as the answer to the one
// before is complete. A loop in the sequence repeats until the PC says there is no more:
// a 6 or D answered "p00", or a 4 that gets no answer at all. The PC has no "no more
// blocks" answer to 4: it lets the line go, so a 4 that the PC leaves unanswered (the line
// closes, or nothing comes for the reply time) ends a loop, and the exchange, as complete.
//
// The text of each accepted block (between STX and ETX) is stored followed by LF; what
// comes between ETX and EOT is not part of the text and is only reported. An answer
// that is not the one the command calls for ends the exchange as failed: the protocol
// has no way to ask again, a second 4 would fetch the next block.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ctrlsim/BlockSession.h"

namespace quillon {
class AtomicFileWriter;
}

namespace quillon::ctrlsim {

// One command, or a loop of them.
struct MazakStep {
    std::string commands;
    bool loop = false;

    bool operator==(const MazakStep&) const = default;
};
using MazakSequence = std::vector<MazakStep>;

// Reset, then program blocks until the PC has no more.
inline constexpr char kDefaultMazakSequence[] = "q,[4]";

// "q,8,[6,4],D": commands (q, 4, 6, 8, A, D) separated by commas, a loop in brackets. A
// loop needs a 4, 6 or D, something that can end it. Nothing, with the reason in
// *error, when the text is not such a sequence.
std::optional<MazakSequence> parseMazakSequence(std::string_view text, std::string* error);

class MazakReceive final : public BlockSession {
public:
    MazakReceive(const BlockSessionSettings& settings, MazakSequence sequence,
                 std::string targetPath, std::unique_ptr<AtomicFileWriter> store);
    ~MazakReceive() override;

    std::size_t blocks() const { return m_blocks; }

private:
    void opening() override { sendNext(); }
    void take(char byte) override;
    bool waitingForPc() const override { return m_awaiting.has_value(); }
    std::string position() const override;
    bool pcHasNoMore() const override;
    SessionEnd store() override;

    void sendNext();
    void replied();
    // Stores the text of an answer to 4; the reason when it is not one.
    std::optional<std::string> takeBlock(const std::string& reply);

    MazakSequence m_sequence;
    std::size_t m_step = 0;
    std::size_t m_inLoop = 0;  // the command's place in a loop
    std::string m_target;
    std::unique_ptr<AtomicFileWriter> m_store;
    std::optional<char> m_awaiting;  // the command whose answer is coming
    bool m_garbled = false;          // ... and it went out as garbage
    std::string m_reply;
    std::size_t m_commands = 0;
    std::size_t m_blocks = 0;
    std::size_t m_textBytes = 0;
};

}  // namespace quillon::ctrlsim
