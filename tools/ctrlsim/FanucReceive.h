// A Fanuc control reading programs in over the DNC block protocol, the PC sending:
//
//   PC                                        control
//   ENQ                                 ──▶
//                                       ◀──   DLE "0"
//   SOH S N P STX O 1 2 3 4 ETX bcc     ──▶            header: "P" and "O" for a program,
//                                       ◀──   DLE "1"   "S" and "S" for a setup file
//   STX data ETX bcc                    ──▶            at most 512 data bytes
//                                       ◀──   DLE "0"   then "1", "0", ... block by block
//   ...
//   EOT                                 ──▶            the file is complete
//
// The check byte (bcc) is the exclusive-or of the bytes after SOH or STX up to and
// including ETX. The header's twelve bytes are read by position; a data block ends at
// its first ETX, so a program holding an ETX byte cannot be sent this way.
//
// A block with a wrong check byte, a data block longer than 512 bytes or a header that
// is not one is answered NAK and not stored; the control waits for it again with the
// same answer due (the alternation only moves on with an accepted block). After EOT the
// control either is done or, when a second file was asked for, waits for the PC's next
// ENQ as long as it takes (the PC's user is choosing the setup file).
//
// Every byte is compared as it came: the PC sends plain bytes, and so does the control.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ctrlsim/BlockSession.h"
#include "ctrlsim/FanucHeader.h"

namespace quillon {
class AtomicFileWriter;
}

namespace quillon::ctrlsim {

// One file the control takes in: the data bytes of its accepted blocks go to the store.
struct FanucFile {
    std::string path;
    std::unique_ptr<AtomicFileWriter> store;
};

class FanucReceive final : public BlockSession {
public:
    // The first file is the program; a second one, when given, is a setup file the PC
    // sends after it in the same connection.
    FanucReceive(const BlockSessionSettings& settings, std::vector<FanucFile> files);
    ~FanucReceive() override;

    // The name in each accepted header: "O1234" for a program, "S0001" for a setup file.
    const std::vector<std::string>& names() const { return m_names; }

private:
    enum class State { WaitEnq, WaitHeader, Header, WaitBlock, Block, Check };

    void take(char byte) override;
    bool waitingForPc() const override { return m_state != State::WaitEnq; }
    std::string position() const override;
    SessionEnd store() override;
    std::string afterFailure() const override;

    // The files stored so far, for the summaries.
    std::string alreadyStored() const;

    void checkHeader();
    void checkBlock(char checkByte);
    void endOfFile();
    std::size_t blockNumber() const { return m_accepted + 1; }

    std::vector<FanucFile> m_files;
    std::size_t m_file = 0;
    State m_state = State::WaitEnq;
    // The bytes of the header after SOH, or the data of the block.
    IncomingBlock m_block;
    // The digit of the last DLE answer.
    char m_toggle = '0';
    std::size_t m_accepted = 0;  // blocks of the whole run, headers included
    std::size_t m_fileBlocks = 0;
    std::size_t m_fileBytes = 0;
    std::vector<std::string> m_names;
    std::vector<std::string> m_stored;  // a summary line per stored file
};

}  // namespace quillon::ctrlsim
