// Inside the transmit engine: the program file as the exchanges read it, and what every
// way of sending shares. Not for use outside the engine.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "dnc/ControlCharacters.h"
#include "dnc/TransmitEngine.h"

namespace quillon {

// The program opened for one step of the transfer: positioned, read byte by byte or line
// by line, closed at the end of the step. No file stays open between ticks.
class ProgramFile {
public:
    static constexpr int kEnd = -1;

    explicit ProgramFile(const std::string& path);
    ~ProgramFile();
    ProgramFile(const ProgramFile&) = delete;
    ProgramFile& operator=(const ProgramFile&) = delete;

    bool isOpen() const { return m_file != nullptr; }
    std::uint64_t size() const { return m_size; }
    std::uint64_t position() const;
    bool seek(std::uint64_t offset);
    int get();
    int peek();
    // Up to `limit` bytes, stopping after a line feed (the line feed included).
    std::string readLine(std::size_t limit);

private:
    std::FILE* m_file = nullptr;
    std::uint64_t m_size = 0;
};

// The exclusive-or of the bytes.
char blockCheck(std::string_view bytes);
// A byte as the transmit window shows it: 27 and above as itself, others as "^" and a
// letter.
std::string shownByte(char byte);

// The line as a tick found it, once the line had done its own work.
struct LineTick {
    LineStatus status;
    LineErrors errors;
};

class TransmitProtocol : public ExchangeProtocol {
public:
    TransmitProtocol(TransmitJob job, SerialLine& line, TransferObserver& observer);
    virtual ~TransmitProtocol() = default;

    void start() override {}
    // One tick: the line's work, its errors, then the exchange's step.
    ExchangeOutcome run() final;
    virtual bool complete() const = 0;
    int percent() const { return m_percent; }

protected:
    virtual ExchangeOutcome tick(const LineTick& line) = 0;
    const PortSetup& setup() const { return m_job.setup; }
    void updatePercent(std::uint64_t position, std::uint64_t length);
    // The control's bytes with bit 7 cleared, as the block exchanges read them.
    std::string readReply(std::size_t limit = 8192);
    // Shows the failure and ends the transfer.
    ExchangeOutcome fail(const std::string& message);

    TransmitJob m_job;
    SerialLine& m_line;
    TransferObserver& m_observer;
    std::uint64_t m_resume;
    int m_percent = 0;
};

std::unique_ptr<TransmitProtocol> makeFanucTransmit(TransmitJob job, SerialLine& line,
                                                    TransferObserver& observer);
std::unique_ptr<TransmitProtocol> makeMazakTransmit(TransmitJob job, SerialLine& line,
                                                    TransferObserver& observer);
std::unique_ptr<TransmitProtocol> makeHeidenhainTransmit(TransmitJob job, SerialLine& line,
                                                         TransferObserver& observer);

}  // namespace quillon
