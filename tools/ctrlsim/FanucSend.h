// A Fanuc control sending programs over the DNC block protocol, the PC requesting them:
//
//   PC                                        control
//   ENQ                                 ──▶
//                                       ◀──   DLE "0"
//   SOH R N P STX O 1 2 3 4 ETX bcc     ──▶            the request: "P" and "O" for a
//                                       ◀──   DLE "1"   program, "S" and "S" for a setup file
//   EOT                                 ──▶
//                                       ◀──   ENQ
//   DLE "0"                             ──▶
//                                       ◀──   STX data ETX bcc     at most 512 data bytes
//   DLE "1"                             ──▶            then "0", "1", ... block by block
//   ...
//                                       ◀──   EOT      the file is complete
//
// The check byte (bcc) is the exclusive-or of the bytes after SOH or STX up to and
// including ETX. The data is the file's bytes as they are, cut into blocks; a file that
// holds an ETX byte ends its block early for the PC, whose check then fails.
//
// The PC has no way to refuse a block: an answer other than the DLE digit due, or none
// within the reply time, ends the exchange as failed, and so does a request that is not
// one. After the EOT of the first file the control either is done or, when it has a
// second file, waits for the PC's next ENQ as long as it takes (the PC's user is choosing
// where to store the setup file), and sends the second file for a setup-file request.
//
// Every byte is compared as it came: the PC sends plain bytes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ctrlsim/BlockSession.h"
#include "ctrlsim/FanucHeader.h"

namespace quillon::ctrlsim {

class ProgramSource;

// One file the control sends.
struct FanucSource {
    std::string path;
    std::unique_ptr<ProgramSource> program;
};

class FanucSend final : public BlockSession {
public:
    // The first file answers the PC's first request, program or setup file; a second one,
    // when given, the setup-file request after it in the same connection. `blockData`:
    // the most data bytes in a block.
    FanucSend(const BlockSessionSettings& settings, std::vector<FanucSource> files,
              std::size_t blockData = kFanucBlockData);
    ~FanucSend() override;

    // The name in each request: "O1234" for a program, "S0001" for a setup file.
    const std::vector<std::string>& names() const { return m_names; }

    // The last byte (EOT) must reach the PC before the line is let go.
    bool deliversOutput() const override { return completed(); }

private:
    enum class State { WaitEnq, WaitRequest, Request, WaitEot, WaitReady, WaitAnswer };

    void take(char byte) override;
    bool waitingForPc() const override { return m_state != State::WaitEnq; }
    std::string position() const override;
    SessionEnd store() override;
    std::string afterFailure() const override;

    void checkRequest();
    // The PC's bytes while a reply is due.
    void takeReply(char byte);
    void sendBlock();
    void endOfFile();
    std::size_t blockNumber() const { return m_blocks + 1; }
    // What the files sent so far were, for the summaries.
    std::string alreadySent() const;

    std::vector<FanucSource> m_files;
    std::size_t m_blockData;
    std::size_t m_file = 0;
    State m_state = State::WaitEnq;
    std::string m_request;        // its bytes after SOH
    bool m_requestShort = false;  // its ETX came early
    AwaitedReply m_reply;
    // The digit the PC answers the next block with.
    char m_toggle = '1';
    // The block on the line went out with a wrong check byte, as asked.
    bool m_wrongCheck = false;
    std::size_t m_blocks = 0;  // of the whole run, requests included
    std::size_t m_fileBlocks = 0;
    std::size_t m_fileBytes = 0;
    std::size_t m_pendingBytes = 0;  // data bytes of the block on the line
    std::vector<std::string> m_names;
    std::vector<std::string> m_sent;  // a summary line per file sent
};

}  // namespace quillon::ctrlsim
