// A MAZAK control sending a program: every line of its file is one record, which goes out
// as it is with "_" standing for ETX and closed by EOT, and the PC answers each record
// before the next one goes:
//
//   control                        PC
//   "p1" text ETX EOT      ──▶
//                          ◀──     "p00" EOT       a program record: the PC stores it
//   "p2" text ETX EOT      ──▶
//                          ◀──     "p02" EOT       stored too
//   "p9" ... EOT           ──▶
//                          ◀──     "p00" EOT       any other command ("p3", "pA", ...):
//   "q" ... EOT            ──▶                     not stored
//                          ◀──     "q00" EOT
//
// "_" is how the PC writes the ETX of a record it stores, so a file of "p1" and "p2"
// lines that the PC stored comes back as the same lines. Empty lines are no records and
// are left out. A reply other than the one due, or none within the reply time, ends the
// exchange as failed: the protocol has no way to send a record again.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ctrlsim/BlockSession.h"

namespace quillon::ctrlsim {

class ProgramSource;

// Why the file cannot be sent as records: a line that is neither "p" with a command nor
// "q", or no record at all; nothing when it can. Reads the file through and leaves it at
// its beginning again.
std::optional<std::string> mazakRecordsProblem(ProgramSource& file);

class MazakSend final : public BlockSession {
public:
    MazakSend(const BlockSessionSettings& settings, std::string path,
              std::unique_ptr<ProgramSource> program);
    ~MazakSend() override;

private:
    void opening() override { sendNext(); }
    void take(char byte) override;
    bool waitingForPc() const override { return m_awaiting; }
    std::string position() const override;
    SessionEnd store() override;
    std::string afterFailure() const override;

    void sendNext();

    std::string m_path;
    std::unique_ptr<ProgramSource> m_program;
    std::size_t m_line = 0;  // of the file, for the messages
    bool m_awaiting = false;
    AwaitedReply m_reply;
    std::size_t m_records = 0;  // answered right
    std::size_t m_bytes = 0;
    std::size_t m_pendingBytes = 0;  // of the record on the line
};

}  // namespace quillon::ctrlsim
