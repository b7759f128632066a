// A HEIDENHAIN control sending a program, line by line, each block acknowledged by the PC:
//
//   control                            PC
//   SOH % 1 2 3 4 ETB bcc      ──▶                     the header: the file's first line
//                              ◀──     ACK             (NAK: sent again)
//   STX line ETB bcc           ──▶                     every further line
//                              ◀──     ACK             (NAK: sent again)
//   ...
//   ETX                        ──▶                     the end
//
// The check byte (bcc) is the exclusive-or of everything from SOH or STX up to and
// including ETB, with bit 7 cleared. A line holding an ETB byte ends its block early for
// the PC, whose check then fails.
//
// A block the PC refuses goes again as it should be, a few times at most before the control
// gives up; any answer other than ACK or NAK, or none within the reply time, ends the
// exchange as failed. The PC keeps only the digits and "%" of the header, then each line,
// so that a file whose first line is "%1234" comes back as it was.
#pragma once

#include <memory>
#include <string>

#include "ctrlsim/BlockSession.h"

namespace quillon::ctrlsim {

class ProgramSource;

class HeidenhainSend final : public BlockSession {
public:
    HeidenhainSend(const BlockSessionSettings& settings, std::string path,
                   std::unique_ptr<ProgramSource> program);
    ~HeidenhainSend() override;

    // The last byte (ETX) must reach the PC before the line is let go.
    bool deliversOutput() const override { return completed(); }

private:
    void opening() override { sendNext(); }
    void take(char byte) override;
    bool waitingForPc() const override { return m_awaiting; }
    std::string position() const override;
    SessionEnd store() override;
    std::string afterFailure() const override;

    // The next line as the next block, or ETX after the last.
    void sendNext();
    // The block due, with a fault the plan asks for when it goes the first time.
    void sendBlock(bool firstTime);
    std::size_t blockNumber() const { return m_accepted + 1; }

    std::string m_path;
    std::unique_ptr<ProgramSource> m_program;
    std::string m_line;  // of the block due
    bool m_awaiting = false;
    // The block on the line went out with a wrong check byte, as asked.
    bool m_wrongCheck = false;
    std::size_t m_accepted = 0;
    std::size_t m_bytes = 0;
};

}  // namespace quillon::ctrlsim
