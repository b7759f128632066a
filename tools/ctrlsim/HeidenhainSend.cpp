#include "ctrlsim/HeidenhainSend.h"

#include <algorithm>

#include "ctrlsim/HeidenhainReceive.h"
#include "ctrlsim/ProgramSource.h"

namespace quillon::ctrlsim {

namespace {

// How much of a block a message shows.
constexpr std::size_t kShownBlock = 80;

}  // namespace

HeidenhainSend::HeidenhainSend(const BlockSessionSettings& settings, std::string path,
                               std::unique_ptr<ProgramSource> program)
    : BlockSession(settings, true), m_path(std::move(path)), m_program(std::move(program))
{
}

HeidenhainSend::~HeidenhainSend() = default;

void HeidenhainSend::sendNext()
{
    const std::optional<std::string> line = m_program->takeLine();
    if (m_program->failed()) {
        fail("cannot read " + m_path + ": " + m_program->error());
        return;
    }
    if (!line) {
        note("ETX: the program is complete");
        send(std::string(1, control::Etx));
        complete();
        return;
    }
    if (hangsUpAt(blockNumber()))
        return;
    m_line = *line;
    sendBlock(true);
}

void HeidenhainSend::sendBlock(bool firstTime)
{
    const std::size_t number = blockNumber();
    std::string data = m_line;
    std::string event = shownBytes(data, kShownBlock);
    if (firstTime && overlongOnce(number)) {
        data.resize(std::max(data.size(), kOverlongBlockData), kOverlongFiller);
        event += ", made " + std::to_string(data.size()) + " bytes long as asked";
    }
    std::string block = (number == 1 ? control::Soh : control::Stx) + data + control::Etb;
    const char check = heidenhainCheck(block);
    // Bit 0: the check has seven bits, and the PC compares bytes with bit 7 cleared.
    m_wrongCheck = firstTime && spoilsCheckOnce(number);
    block += m_wrongCheck ? static_cast<char>(check ^ 0x01) : check;
    if (m_wrongCheck)
        event += ", check byte " + hexByte(block.back()) + " instead of " + hexByte(check) +
                 " as asked";
    m_awaiting = true;
    if (answer(number, block) == Answer::Given)
        note((number == 1 ? "header: " : "block " + std::to_string(number) + ": ") + event +
             (firstTime ? "" : " (again)"));
}

void HeidenhainSend::take(char byte)
{
    if (!m_awaiting) {
        ignored(byte);
        return;
    }
    const std::size_t number = blockNumber();
    if (byte == control::Nak) {
        if (refusedTooOften()) {
            fail("the PC refused block " + std::to_string(number) + " " +
                 std::to_string(kMaxRefusals) + " times in a row");
            return;
        }
        note("NAK for block " + std::to_string(number) + ": sending it again");
        sendBlock(false);
        return;
    }
    if (byte != control::Ack) {
        fail("the PC answered " + shownBytes({&byte, 1}) + " instead of ACK or NAK " + position());
        return;
    }
    if (m_wrongCheck) {
        fail("the PC acknowledged block " + std::to_string(number) +
             " although its check byte was wrong");
        return;
    }
    note("ACK for block " + std::to_string(number));
    m_awaiting = false;
    accepted();
    ++m_accepted;
    m_bytes += m_line.size();
    sendNext();
}

std::string HeidenhainSend::position() const
{
    const std::string block = "block " + std::to_string(blockNumber());
    if (m_awaiting)
        return "while waiting for the answer to " + block + (refusedBefore() ? " again" : "");
    return "before " + block;
}

SessionEnd HeidenhainSend::store()
{
    return {0, "sent " + std::to_string(m_accepted) + " blocks (" + std::to_string(m_bytes) +
                   " bytes) of " + m_path};
}

std::string HeidenhainSend::afterFailure() const
{
    return "; the PC took " + std::to_string(m_accepted) + " blocks (" + std::to_string(m_bytes) +
           " bytes) of " + m_path;
}

}  // namespace quillon::ctrlsim
