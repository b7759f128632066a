// A HEIDENHAIN control requesting a program from the PC by its number:
//
//   control                            PC
//   SOH 1 2 3 4 ETB bcc        ──▶                     the request
//                              ◀──     ACK             (NAK: the check was wrong)
//                              ◀──     STX % 1 2 3 4 ETB bcc
//   ACK                        ──▶
//                              ◀──     STX line ETB bcc       one line of the program
//   ACK                        ──▶                     (NAK: the PC sends it again)
//   ...
//                              ◀──     ETX             the end
//
// The check byte (bcc) is the exclusive-or of everything from SOH or STX up to and
// including ETB, with bit 7 cleared. A block ends at its first ETB, so a line holding an
// ETB byte cannot be sent this way.
//
// The first block must name the program requested; a block of more data than a line
// holds, or with a wrong check byte, is answered NAK, and after a few refusals in a row
// the control gives up. A request the PC refuses is sent again, as often.
//
// Stored: the data of each accepted block followed by LF, the first block ("%1234")
// included, so that a program file made of LF-ended lines that starts with its "%" line
// comes back as it was.
#pragma once

#include <memory>
#include <string>

#include "ctrlsim/BlockSession.h"

namespace quillon {
class AtomicFileWriter;
}

namespace quillon::ctrlsim {

// The most data bytes in a block: the longest line the PC sends.
inline constexpr std::size_t kHeidenhainBlockData = 260;
// Program numbers have at most eight digits.
inline constexpr std::size_t kHeidenhainProgramDigits = 8;

// The block check of bytes from SOH or STX up to and including ETB.
char heidenhainCheck(std::string_view bytes);

class HeidenhainReceive final : public BlockSession {
public:
    // `program`: the digits of the program number the control asks for.
    HeidenhainReceive(const BlockSessionSettings& settings, std::string program,
                      std::string targetPath, std::unique_ptr<AtomicFileWriter> store);
    ~HeidenhainReceive() override;

    std::size_t blocks() const { return m_accepted; }

private:
    enum class State { Requested, WaitBlock, Block, Check };

    void opening() override { request(); }
    void take(char byte) override;
    bool waitingForPc() const override { return m_requests > 0; }
    std::string position() const override;
    SessionEnd store() override;

    void request();
    void checkBlock(char checkByte);
    std::size_t blockNumber() const { return m_accepted + 1; }

    std::string m_program;
    std::string m_target;
    std::unique_ptr<AtomicFileWriter> m_store;
    State m_state = State::Requested;
    std::size_t m_requests = 0;
    IncomingBlock m_block;
    std::size_t m_accepted = 0;
    std::size_t m_bytes = 0;
};

}  // namespace quillon::ctrlsim
