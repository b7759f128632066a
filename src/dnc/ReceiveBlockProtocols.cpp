// The block protocols of reception: Fanuc DNC (we ask the control for the program), MAZAK
// (the control sends records and commands) and HEIDENHAIN (the control sends blocks that we
// acknowledge). Every byte is read with bit 7 cleared.
//
// A block is stored before the control hears that it arrived, so a block the control counts
// as delivered is in the file.
#include <algorithm>
#include <cctype>

#include "dnc/CommTick.h"
#include "dnc/ControlCharacters.h"
#include "dnc/ReceiveProtocol.h"

namespace quillon {

namespace {

using namespace control;

std::string clearedBit7(std::string bytes)
{
    for (char& byte : bytes)
        byte = static_cast<char>(byte & 0x7F);
    return bytes;
}

// ---- Fanuc DNC --------------------------------------------------------------------------

class FanucReceive final : public ReceiveProtocol {
public:
    using ReceiveProtocol::ReceiveProtocol;

private:
    ExchangeOutcome tick() override;

    enum class State { Idle, WaitAck0, WaitAck1, WaitEnq, Between, Block, Check };

    // True when the byte completes DLE and the digit.
    bool dleWith(char byte, char digit);
    void sendRequest();
    void showBlockByte(char byte);
    ExchangeOutcome checkBlock(char byte);
    ExchangeOutcome endOfFile();

    State m_state = State::Idle;
    bool m_afterDle = false;
    int m_toggle = 0;
    char m_check = 0;
    std::string m_block;
    bool m_overlong = false;
};

bool FanucReceive::dleWith(char byte, char digit)
{
    const bool complete = m_afterDle && byte == digit;
    m_afterDle = byte == Dle;
    return complete;
}

void FanucReceive::sendRequest()
{
    // A number typed shorter than four characters is filled with leading zeros, so the
    // header keeps its length.
    std::string number = m_job.programNumber.substr(0, 4);
    number.insert(0, 4 - number.size(), '0');
    const bool program = m_job.fanucProgram;
    std::string header{Soh, 'R', 'N', program ? 'P' : 'S', Stx, program ? 'O' : 'S'};
    header += number;
    header += Etx;
    char check = 0;
    for (std::size_t i = 1; i < header.size(); ++i)
        check = static_cast<char>(check ^ header[i]);
    header += check;
    m_line.write(header);
    for (const char byte : header)
        m_display.show(byte);
    m_display.endLine(false);
}

void FanucReceive::showBlockByte(char byte)
{
    if (byte == '\n')
        m_display.endLine();
    else if (byte == '\r')
        m_display.showText("<CR>");
    else
        m_display.show(byte);
}

ExchangeOutcome FanucReceive::checkBlock(char byte)
{
    if (m_overlong) {
        m_observer.setStatus(kBlockTooLongText);
        return fail(kChecksumErrorText);
    }
    if (byte != m_check)
        return fail(kChecksumErrorText);
    std::string data = m_block;
    data.erase(std::remove(data.begin(), data.end(), '\r'), data.end());
    if (!data.empty() && !store(textModeBytes(data)))
        return ExchangeOutcome::Failed;
    m_toggle = (m_toggle + 1) % 2;
    const char digit = static_cast<char>('0' + m_toggle);
    m_line.write(std::string{Dle, digit});
    m_display.showText(std::string{'^', 'P', digit});
    m_state = State::Between;
    return ExchangeOutcome::Running;
}

ExchangeOutcome FanucReceive::endOfFile()
{
    m_display.showText("^D");
    m_display.endLine(false);
    if (m_job.fanucProgram && m_job.fanucSetup) {
        m_display.publish();
        if (const auto path = m_observer.askSetupFile(setup().rxDirectory)) {
            retarget(cutAtWildcard(*path));
            m_job.fanucProgram = false;
            m_observer.setTitle("Receive: " + m_job.path);
            m_state = State::Idle;
            return ExchangeOutcome::Running;
        }
    }
    return ExchangeOutcome::Done;
}

ExchangeOutcome FanucReceive::tick()
{
    if (m_state == State::Idle) {
        m_line.write(std::string(1, Enq));
        m_afterDle = false;
        m_state = State::WaitAck0;
    }
    const std::string input = clearedBit7(readInput(ReceiveEngine::kBlockReadLimit));
    for (const char byte : input) {
        switch (m_state) {
        case State::Idle:
            break;  // a new request goes out first; what is left of this tick is stale
        case State::WaitAck0:
            if (dleWith(byte, '0')) {
                sendRequest();
                m_state = State::WaitAck1;
            }
            break;
        case State::WaitAck1:
            if (dleWith(byte, '1')) {
                m_line.write(std::string(1, Eot));
                m_display.showText("^D");
                m_state = State::WaitEnq;
            }
            break;
        case State::WaitEnq:
            if (byte == Enq) {
                m_line.write(std::string{Dle, '0'});
                m_toggle = 0;
                m_display.showText("^E^P0");
                m_state = State::Between;
            }
            break;
        case State::Between:
            if (byte == Stx) {
                m_check = 0;
                m_block.clear();
                m_overlong = false;
                m_state = State::Block;
            } else if (byte == Eot) {
                const ExchangeOutcome outcome = endOfFile();
                if (outcome != ExchangeOutcome::Running) {
                    m_display.publish();
                    return outcome;
                }
            }
            break;
        case State::Block:
            m_check = static_cast<char>(m_check ^ byte);
            if (byte == Etx) {
                m_state = State::Check;
            } else if (m_block.size() < ReceiveEngine::kMaxBlockBytes) {
                m_block.push_back(byte);
                showBlockByte(byte);
            } else {
                m_overlong = true;
            }
            break;
        case State::Check:
            if (const ExchangeOutcome outcome = checkBlock(byte);
                outcome != ExchangeOutcome::Running)
                return outcome;
            break;
        }
    }
    m_display.publish();
    return ExchangeOutcome::Running;
}

// ---- MAZAK ------------------------------------------------------------------------------

class MazakReceive final : public ReceiveProtocol {
public:
    using ReceiveProtocol::ReceiveProtocol;

    bool whole() const override { return !m_recording && m_backlog.empty(); }

private:
    ExchangeOutcome tick() override;

    // False when the record could not be stored.
    bool take(char byte);
    bool finishRecord();
    bool writeRecord();
    void reply(const char* text) { m_line.write(std::string(text) + Eot); }

    std::string m_backlog;  // received, waiting for its share of the "Mazak delay"
    int m_budgetMs = 0;
    char m_command = 0;
    bool m_commandNext = false;  // the byte after "p" names the command
    bool m_recording = false;
    bool m_overlong = false;
    std::string m_record;
    std::string m_text;  // what a "q" command carries
};

ExchangeOutcome MazakReceive::tick()
{
    m_backlog += clearedBit7(readInput(ReceiveEngine::kBlockReadLimit));
    std::size_t count = m_backlog.size();
    if (setup().mazakDelay != 0) {
        // Each byte takes its few milliseconds, tick after tick, and the window stays
        // alive meanwhile. Time with nothing to do is not saved up.
        m_budgetMs += static_cast<int>(kCommTick.count());
        count =
            std::min(count, static_cast<std::size_t>(m_budgetMs / ReceiveEngine::kMazakDelayMs));
        m_budgetMs -= static_cast<int>(count) * ReceiveEngine::kMazakDelayMs;
        if (count == m_backlog.size())
            m_budgetMs = std::min(m_budgetMs, ReceiveEngine::kMazakDelayMs);
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (!take(m_backlog[i])) {
            m_display.publish();
            return ExchangeOutcome::Failed;
        }
    }
    m_backlog.erase(0, count);
    m_display.publish();
    return ExchangeOutcome::Running;
}

bool MazakReceive::take(char byte)
{
    if (byte == Eot)
        return m_command == 0 || finishRecord();
    if (m_commandNext) {
        m_commandNext = false;
        m_command = byte;
        m_record.push_back(byte);
        return true;
    }
    // "p" and "q" open a record or a command only between records; inside one they are
    // text.
    if (m_command == 0 && byte == 'q') {
        m_command = 'q';
        m_recording = false;
        m_text.clear();
        return true;
    }
    if (m_command == 0 && byte == 'p') {
        m_command = 'p';
        m_commandNext = true;
        m_recording = true;
        m_overlong = false;
        m_record.assign(1, 'p');
        return true;
    }
    std::string& into = m_recording ? m_record : m_text;
    if (into.size() < ReceiveEngine::kMaxBlockBytes)
        into.push_back(byte);
    else
        m_overlong = true;
    return true;
}

bool MazakReceive::finishRecord()
{
    const char command = m_command;
    m_command = 0;
    m_commandNext = false;
    m_recording = false;
    bool stored = true;
    if (m_overlong) {
        // No answer: MAZAK has no refusal, and a record that was not kept must not be
        // answered as if it had been.
        m_overlong = false;
        m_observer.setStatus(kBlockTooLongText);
    } else {
        switch (command) {
        case '1':
            stored = writeRecord();
            if (stored)
                reply("p00");
            break;
        case '2':
            stored = writeRecord();
            if (stored)
                reply("p02");
            break;
        case 'q':
            m_display.showText(m_text);
            m_display.endLine(false);
            reply("q00");
            break;
        default:
            reply("p00");
            break;
        }
    }
    m_record.clear();
    m_text.clear();
    return stored;
}

bool MazakReceive::writeRecord()
{
    std::string out;
    for (const char byte : m_record) {
        if (byte == '\n') {
            out.push_back('\n');
            m_display.endLine();
        } else if (byte == Etx) {
            out.push_back('_');
            m_display.show('_');
        } else if (static_cast<unsigned char>(byte) >= 27) {
            out.push_back(byte);
            m_display.show(byte);
        }
    }
    out.push_back('\n');
    m_display.endLine();
    return store(textModeBytes(out));
}

// ---- HEIDENHAIN -------------------------------------------------------------------------

class HeidenhainReceive final : public ReceiveProtocol {
public:
    using ReceiveProtocol::ReceiveProtocol;

    // Every block carries its check character, and a NAK has the control send it again.
    bool repeatsDamagedBlocks() const override { return true; }

private:
    ExchangeOutcome tick() override;

    enum class State { Idle, Header, Between, Block, Check };

    void begin(char first, State state);
    void collect(char byte);
    // False when the block could not be stored.
    bool checkBlock(char byte);

    State m_state = State::Idle;
    char m_check = 0;
    std::string m_block;
    bool m_overlong = false;
};

void HeidenhainReceive::begin(char first, State state)
{
    m_check = first;
    m_block.clear();
    m_overlong = false;
    m_state = state;
}

void HeidenhainReceive::collect(char byte)
{
    if (m_block.size() < ReceiveEngine::kMaxBlockBytes)
        m_block.push_back(byte);
    else
        m_overlong = true;
}

bool HeidenhainReceive::checkBlock(char byte)
{
    m_state = State::Between;
    if (m_overlong) {
        m_observer.setStatus(kBlockTooLongText);
        m_line.write(std::string(1, Nak));
        return true;
    }
    if (byte != static_cast<char>(m_check & 0x7F)) {
        m_observer.setStatus(kHeidenhainChecksumErrorText);
        m_line.write(std::string(1, Nak));
        return true;
    }
    if (!store(textModeBytes(m_block + '\n')))
        return false;
    m_line.write(std::string(1, Ack));
    for (const char shown : m_block)
        m_display.show(shown);
    m_display.endLine();
    return true;
}

ExchangeOutcome HeidenhainReceive::tick()
{
    const std::string input = clearedBit7(readInput(ReceiveEngine::kBlockReadLimit));
    for (const char byte : input) {
        switch (m_state) {
        case State::Idle:
            if (byte == Soh)
                begin(Soh, State::Header);
            break;
        case State::Header:
            m_check = static_cast<char>(m_check ^ byte);
            if (byte == Etb)
                m_state = State::Check;
            else if (std::isdigit(static_cast<unsigned char>(byte)) || byte == '%')
                collect(byte);
            break;
        case State::Between:
            if (byte == Stx) {
                begin(Stx, State::Block);
            } else if (byte == Etx) {
                m_display.publish();
                return ExchangeOutcome::Done;
            }
            break;
        case State::Block:
            m_check = static_cast<char>(m_check ^ byte);
            if (byte == Etb)
                m_state = State::Check;
            else
                collect(byte);
            break;
        case State::Check:
            if (!checkBlock(byte)) {
                m_display.publish();
                return ExchangeOutcome::Failed;
            }
            break;
        }
    }
    m_display.publish();
    return ExchangeOutcome::Running;
}

}  // namespace

std::unique_ptr<ReceiveProtocol> makeFanucReceive(ReceiveJob job, SerialLine& line,
                                                  TransferObserver& observer)
{
    return std::make_unique<FanucReceive>(std::move(job), line, observer);
}

std::unique_ptr<ReceiveProtocol> makeMazakReceive(ReceiveJob job, SerialLine& line,
                                                  TransferObserver& observer)
{
    return std::make_unique<MazakReceive>(std::move(job), line, observer);
}

std::unique_ptr<ReceiveProtocol> makeHeidenhainReceive(ReceiveJob job, SerialLine& line,
                                                       TransferObserver& observer)
{
    return std::make_unique<HeidenhainReceive>(std::move(job), line, observer);
}

}  // namespace quillon
