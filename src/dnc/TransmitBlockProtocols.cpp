// The block exchanges of the transmit engine: Fanuc DNC, MAZAK and HEIDENHAIN. The bytes
// go out as they are, never translated; the control's replies are read with bit 7 cleared.
#include <algorithm>
#include <cctype>
#include <cstdint>

#include "dnc/CommTick.h"
#include "dnc/TransmitProtocol.h"

namespace quillon {

namespace {

using namespace control;

// Shows a block as the list does: control characters as "^" forms, CR hidden, each LF
// ending a display line.
void showBlock(TransferObserver& observer, std::string_view bytes)
{
    std::string line;
    for (const char byte : bytes) {
        if (byte == '\r')
            continue;
        if (byte == '\n') {
            observer.addLine(line);
            line.clear();
            continue;
        }
        line += shownByte(byte);
    }
    if (!line.empty())
        observer.addLine(line);
}

// A block exchange that waits for the control's answer to what it sent, for as long as it
// takes: giving up would stop a machine in the middle of a part. The user sees how long the
// control has been silent and ends the wait with Exit.
class BlockExchange : public TransmitProtocol {
public:
    using TransmitProtocol::TransmitProtocol;

protected:
    void sent() { m_silentTicks = 0; }
    // A tick of waiting for the answer, before its bytes are looked at: silence is counted,
    // anything heard ends the count (and takes the count off the status line).
    void listened(bool heardSomething)
    {
        if (heardSomething) {
            m_silentTicks = 0;
            if (m_silenceShown)
                m_observer.setStatus("");
            m_silenceShown = false;
            return;
        }
        ++m_silentTicks;
        const auto silent = m_silentTicks * kCommTick;
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(silent);
        // Once a second, on the tick the count turns.
        if (silent >= TransmitEngine::kSilenceShownAfter && silent - seconds < kCommTick) {
            m_observer.setStatus(waitingForControlText(seconds));
            m_silenceShown = true;
        }
    }
    // The last bytes are on the wire before the window closes (closing purges the port).
    ExchangeOutcome doneWhenDrained(const LineStatus& status)
    {
        return status.outQueue == 0 && !m_line.writePending() ? ExchangeOutcome::Done
                                                              : ExchangeOutcome::Running;
    }

private:
    long long m_silentTicks = 0;
    bool m_silenceShown = false;
};

// ---- Fanuc DNC -----------------------------------------------------------------------

class FanucTransmit final : public BlockExchange {
public:
    using BlockExchange::BlockExchange;
    bool complete() const override
    {
        return m_state == State::Done && !(m_job.fanucProgram && m_job.fanucSetup) &&
               !m_line.writePending();
    }

private:
    ExchangeOutcome tick(const LineTick& line) override;
    enum class State { Idle, WaitAck0, Data, Last, Done };
    static constexpr std::size_t kBlockBytes = 512;

    // Gathers the two bytes of the control's answer; true once both are there.
    bool collectAnswer();
    bool answerIs(char second) const { return m_answer == std::string{Dle, second}; }
    ExchangeOutcome sendHeader();
    ExchangeOutcome sendDataBlock();

    State m_state = State::Idle;
    int m_toggle = 0;
    std::string m_answer;
};

bool FanucTransmit::collectAnswer()
{
    const std::string reply = readReply(2 - m_answer.size());
    listened(!reply.empty());
    m_answer += reply;
    return m_answer.size() >= 2;
}

ExchangeOutcome FanucTransmit::sendHeader()
{
    ProgramFile file(m_job.path);
    if (!file.isOpen())
        return fail(kOpenTxFileFailedText);
    file.seek(m_resume);
    int c = file.get();
    while (c != ProgramFile::kEnd && c != 'O')
        c = file.get();
    if (c == ProgramFile::kEnd)
        return fail(kInvalidFileText);
    std::string number;
    for (int i = 0; i < 4; ++i) {
        const int next = file.get();
        if (next == ProgramFile::kEnd)
            break;
        number.push_back(static_cast<char>(next));
    }
    const bool program = m_job.fanucProgram;
    std::string header{Soh, 'S', 'N', program ? 'P' : 'S', Stx, program ? 'O' : 'S'};
    header += number;
    header += Etx;
    header += blockCheck(std::string_view(header).substr(1));
    m_line.write(header);
    sent();
    showBlock(m_observer, header);
    // The data starts with the "O" of the program number.
    m_resume = file.position() - number.size() - 1;
    m_state = State::Data;
    m_toggle = 1;
    return ExchangeOutcome::Running;
}

ExchangeOutcome FanucTransmit::sendDataBlock()
{
    ProgramFile file(m_job.path);
    // A program that went away mid-transfer must not end as if it had been complete.
    if (!file.isOpen())
        return fail(kOpenTxFileFailedText);
    file.seek(m_resume);
    std::string data;
    bool ended = false;
    while (data.size() < kBlockBytes) {
        const int c = file.get();
        if (c == ProgramFile::kEnd || c == 0xFF) {
            ended = true;
            break;
        }
        data.push_back(static_cast<char>(c));
    }
    if (!ended && file.peek() == ProgramFile::kEnd)
        ended = true;
    std::string block(1, Stx);
    block += data;
    block += Etx;
    block += blockCheck(std::string_view(block).substr(1));
    m_line.write(block);
    sent();
    showBlock(m_observer, data);
    if (!ended)
        m_resume = file.position();
    updatePercent(ended ? file.size() : m_resume, file.size());
    m_toggle = (m_toggle + 1) % 2;
    if (ended)
        m_state = State::Last;
    return ExchangeOutcome::Running;
}

ExchangeOutcome FanucTransmit::tick(const LineTick& line)
{
    const LineStatus& status = line.status;
    switch (m_state) {
    case State::Idle:
        if (status.inQueue > 0) {
            m_line.read(status.inQueue);  // leftovers of an earlier exchange
            return ExchangeOutcome::Running;
        }
        m_line.write(std::string(1, Enq));
        sent();
        m_toggle = 0;
        m_answer.clear();
        m_state = State::WaitAck0;
        return ExchangeOutcome::Running;
    case State::WaitAck0:
        if (!collectAnswer())
            return ExchangeOutcome::Running;
        if (!answerIs('0'))
            return fail(kCommunicationErrorText);
        m_answer.clear();
        return sendHeader();
    case State::Data:
    case State::Last: {
        if (!collectAnswer())
            return ExchangeOutcome::Running;
        const bool expected = answerIs(m_toggle == 1 ? '1' : '0');
        m_answer.clear();
        if (!expected)
            return fail(kCommunicationErrorText);
        if (m_state == State::Data)
            return sendDataBlock();
        m_line.write(std::string(1, Eot));
        m_state = State::Done;
        return ExchangeOutcome::Running;
    }
    case State::Done:
        if (doneWhenDrained(status) != ExchangeOutcome::Done)
            return ExchangeOutcome::Running;
        if (m_job.fanucProgram && m_job.fanucSetup) {
            if (const auto next = m_observer.askSetupFile(m_job.setup.txDirectory)) {
                m_job.path = *next;
                m_resume = 0;
                m_observer.setTitle("Transmit: " + m_job.path);
                m_job.fanucProgram = m_job.fanucSetup = false;
                m_state = State::Idle;
                return ExchangeOutcome::Running;
            }
        }
        return ExchangeOutcome::Done;
    }
    return ExchangeOutcome::Running;
}

// ---- MAZAK ----------------------------------------------------------------------------

class MazakTransmit final : public TransmitProtocol {
public:
    using TransmitProtocol::TransmitProtocol;
    // The control decides when it has what it wants.
    bool complete() const override { return false; }

private:
    ExchangeOutcome tick(const LineTick& line) override;
    ExchangeOutcome runCommand(char command);
    // From the resume offset, the first line holding the mark; the resume offset moves past
    // the lines read. Nothing when no line holds it (the offset then stands at the end).
    std::optional<std::string> findLine(ProgramFile& file, std::string_view mark);
    void reply(std::string_view bytes);

    bool m_expectCommand = true;  // the very first byte is a command letter
    char m_pending = 0;
};

ExchangeOutcome MazakTransmit::tick(const LineTick&)
{
    for (const char byte : readReply()) {
        if (byte == 'p') {
            m_pending = 0;
            m_expectCommand = true;
        } else if (byte == 'q') {
            m_pending = 'q';
            m_expectCommand = false;
        } else if (byte == Eot) {
            const char command = m_pending;
            m_pending = 0;
            m_expectCommand = false;
            if (command != 0) {
                const ExchangeOutcome outcome = runCommand(command);
                if (outcome != ExchangeOutcome::Running)
                    return outcome;
            }
        } else if (m_expectCommand) {
            m_pending = byte;
            m_expectCommand = false;
        }
    }
    return ExchangeOutcome::Running;
}

void MazakTransmit::reply(std::string_view bytes)
{
    m_line.write(bytes);
    showBlock(m_observer, bytes);
}

std::optional<std::string> MazakTransmit::findLine(ProgramFile& file, std::string_view mark)
{
    file.seek(m_resume);
    for (std::string line = file.readLine(SIZE_MAX); !line.empty();
         line = file.readLine(SIZE_MAX)) {
        if (line.find(mark) != std::string::npos) {
            m_resume = file.position();
            return line;
        }
    }
    m_resume = file.position();
    return std::nullopt;
}

ExchangeOutcome MazakTransmit::runCommand(char command)
{
    const std::string none{'p', '0', '0', Eot};
    const std::string found{'p', '0', '2', Eot};
    switch (command) {
    case '4': {
        ProgramFile file(m_job.path);
        if (!file.isOpen())
            return fail(kOpenTxFileFailedText);
        const auto line = findLine(file, "p1");
        if (!line)
            return ExchangeOutcome::Done;  // nothing more to send
        std::string text = line->substr(line->find("p1") + 2);
        if (!text.empty() && text.front() == Stx)
            text.erase(0, 1);
        // The line ends with EOT in place of its (last) CR, or of a bare LF.
        if (const auto cr = text.rfind('\r'); cr != std::string::npos) {
            text.resize(cr);
            text += Eot;
        } else if (!text.empty() && text.back() == '\n') {
            text.back() = Eot;
        }
        if (const auto underscore = text.rfind('_'); underscore != std::string::npos)
            text[underscore] = Etx;
        reply(std::string{'p', '0', '0', Stx} + text);
        updatePercent(m_resume, file.size());
        break;
    }
    case '6':
    case 'D': {
        ProgramFile file(m_job.path);
        if (!file.isOpen())
            return fail(kOpenTxFileFailedText);
        reply(findLine(file, command == '6' ? "p1" : "p2") ? found : none);
        updatePercent(m_resume, file.size());
        break;
    }
    case '8':
        reply(none);
        m_resume = 0;
        break;
    case 'A':
        reply(none);
        break;
    case 'q':
        reply(std::string{'q', '0', '0', Eot});
        m_resume = 0;
        break;
    default:
        break;  // not a command of this exchange
    }
    return ExchangeOutcome::Running;
}

// ---- HEIDENHAIN --------------------------------------------------------------------------

class HeidenhainTransmit final : public BlockExchange {
public:
    using BlockExchange::BlockExchange;
    bool complete() const override { return m_state == State::Done && !m_line.writePending(); }

private:
    ExchangeOutcome tick(const LineTick& line) override;
    enum class State { WaitSoh, Header, HeaderCheck, SendFirstBlock, BlockAck, Done };
    static constexpr std::size_t kLineLimit = 260;

    void sendBlock(std::string_view data);
    void sendFirstBlock();
    ExchangeOutcome sendNextLine();

    State m_state = State::WaitSoh;
    char m_check = 0;
    std::string m_name;
    std::string m_lastBlock;
};

void HeidenhainTransmit::sendBlock(std::string_view data)
{
    std::string block(1, Stx);
    block += data;
    block += Etb;
    block += static_cast<char>(blockCheck(block) & 0x7F);
    m_line.write(block);
    sent();
    showBlock(m_observer, block);
    m_lastBlock = block;
}

void HeidenhainTransmit::sendFirstBlock()
{
    ProgramFile file(m_job.path);
    if (!file.isOpen()) {
        m_observer.setStatus("File not found");
        m_state = State::WaitSoh;
        return;
    }
    // The program's own "%" line, among its first four, is replaced by this block.
    m_resume = 0;
    for (int i = 0; i < 4; ++i) {
        const std::string line = file.readLine(SIZE_MAX);
        if (line.empty())
            break;
        if (line.find('%') != std::string::npos) {
            m_resume = file.position();
            break;
        }
    }
    sendBlock("%" + m_name);
    updatePercent(m_resume, file.size());
    m_state = State::BlockAck;
}

ExchangeOutcome HeidenhainTransmit::sendNextLine()
{
    ProgramFile file(m_job.path);
    // A program that went away mid-transfer must not end as if it had been complete.
    if (!file.isOpen())
        return fail(kOpenTxFileFailedText);
    if (!file.seek(m_resume) || file.peek() == ProgramFile::kEnd) {
        m_line.write(std::string(1, Etx));
        m_observer.addLine(shownByte(Etx));
        updatePercent(file.size(), file.size());
        m_state = State::Done;
        return ExchangeOutcome::Running;
    }
    std::string text;
    for (int c = file.get(); c != ProgramFile::kEnd && c != '\n'; c = file.get()) {
        if (c != '\r')
            text.push_back(static_cast<char>(c));
        if (text.size() == kLineLimit) {
            // The rest of a longer line goes in the next block; its line end goes now.
            if (file.peek() == '\r')
                file.get();
            if (file.peek() == '\n')
                file.get();
            break;
        }
    }
    m_resume = file.position();
    sendBlock(text);
    updatePercent(m_resume, file.size());
    return ExchangeOutcome::Running;
}

ExchangeOutcome HeidenhainTransmit::tick(const LineTick& line)
{
    const LineStatus& status = line.status;
    if (m_state == State::Done)
        return doneWhenDrained(status);
    if (m_state == State::SendFirstBlock) {
        sendFirstBlock();
        return ExchangeOutcome::Running;
    }
    const std::string bytes = readReply();
    if (m_state == State::BlockAck)
        listened(!bytes.empty());
    for (const char byte : bytes) {
        switch (m_state) {
        case State::WaitSoh:
            if (byte == Soh) {
                m_check = Soh;
                m_name.clear();
                m_resume = 0;
                m_state = State::Header;
            }
            break;
        case State::Header:
            m_check = static_cast<char>(m_check ^ byte);
            if (std::isdigit(static_cast<unsigned char>(byte)))
                m_name.push_back(byte);
            else if (byte == Etb)
                m_state = State::HeaderCheck;
            break;
        case State::HeaderCheck:
            if (byte == (m_check & 0x7F)) {
                m_line.write(std::string(1, Ack));
                m_state = State::SendFirstBlock;
            } else {
                m_observer.setStatus("HEIDENHAIN checksum error");
                m_line.write(std::string(1, Nak));
                m_state = State::WaitSoh;
            }
            break;
        case State::BlockAck:
            if (byte == Nak) {
                m_observer.setStatus("HEIDENHAIN repeat transfer");
                m_line.write(m_lastBlock);
                sent();
            } else if (byte == Ack) {
                m_observer.setStatus("");
                if (sendNextLine() == ExchangeOutcome::Failed)
                    return ExchangeOutcome::Failed;
            }
            break;
        case State::SendFirstBlock:
        case State::Done:
            break;  // the rest of this tick's bytes wait for nothing
        }
    }
    return ExchangeOutcome::Running;
}

}  // namespace

std::unique_ptr<TransmitProtocol> makeFanucTransmit(TransmitJob job, SerialLine& line,
                                                    TransferObserver& observer)
{
    return std::make_unique<FanucTransmit>(std::move(job), line, observer);
}

std::unique_ptr<TransmitProtocol> makeMazakTransmit(TransmitJob job, SerialLine& line,
                                                    TransferObserver& observer)
{
    return std::make_unique<MazakTransmit>(std::move(job), line, observer);
}

std::unique_ptr<TransmitProtocol> makeHeidenhainTransmit(TransmitJob job, SerialLine& line,
                                                         TransferObserver& observer)
{
    return std::make_unique<HeidenhainTransmit>(std::move(job), line, observer);
}

}  // namespace quillon
