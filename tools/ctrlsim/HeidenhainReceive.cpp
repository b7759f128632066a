#include "ctrlsim/HeidenhainReceive.h"

#include "platform/AtomicFile.h"

namespace quillon::ctrlsim {

char heidenhainCheck(std::string_view bytes)
{
    // Seven bits: the check byte must not look like a byte with parity.
    return static_cast<char>(xorOf(bytes) & 0x7f);
}

HeidenhainReceive::HeidenhainReceive(const BlockSessionSettings& settings, std::string program,
                                     std::string targetPath,
                                     std::unique_ptr<AtomicFileWriter> store)
    : BlockSession(settings, true),
      m_program(std::move(program)),
      m_target(std::move(targetPath)),
      m_store(std::move(store))
{
}

HeidenhainReceive::~HeidenhainReceive() = default;

void HeidenhainReceive::request()
{
    std::string bytes = control::Soh + m_program + control::Etb;
    bytes += heidenhainCheck(bytes);
    ++m_requests;
    m_state = State::Requested;
    note("request for program " + m_program + ": " + shownBytes(bytes));
    send(bytes);
}

void HeidenhainReceive::take(char byte)
{
    switch (m_state) {
    case State::Requested:
        if (byte == control::Ack) {
            note("request acknowledged");
            m_state = State::WaitBlock;
        } else if (byte == control::Nak) {
            if (m_requests >= kMaxRefusals)
                fail("the PC refused the request " + std::to_string(m_requests) + " times");
            else
                request();
        } else {
            ignored(byte);
        }
        return;
    case State::WaitBlock:
        if (byte == control::Stx) {
            m_block.begin(control::Stx);
            m_state = State::Block;
            hangsUpAt(blockNumber());
        } else if (byte == control::Etx) {
            if (m_accepted == 0) {
                fail("the PC ended (ETX) before the first block");
                return;
            }
            note("ETX: the program is complete");
            complete();
        } else {
            ignored(byte);
        }
        return;
    case State::Block:
        if (m_block.take(byte, control::Etb, kHeidenhainBlockData))
            m_state = State::Check;
        return;
    case State::Check:
        checkBlock(byte);
        return;
    }
}

void HeidenhainReceive::checkBlock(char checkByte)
{
    const std::size_t number = blockNumber();
    const char check = static_cast<char>(m_block.check & 0x7f);
    const std::string first = "%" + m_program;
    std::string why;
    if (m_block.overlong) {
        why = "more than " + std::to_string(kHeidenhainBlockData) + " data bytes";
    } else if (checkByte != check) {
        why = "check byte " + hexByte(checkByte) + " instead of " + hexByte(check);
    } else if (number == 1 && m_block.data != first) {
        // Intact, but another program: asking again would bring the same block.
        fail("the first block is \"" + shownBytes(m_block.data) + "\", not \"" + first +
             "\" as requested");
        return;
    } else if (refusesOnce(number)) {
        why = "refused once, as asked";
    }
    m_state = State::WaitBlock;
    if (!why.empty()) {
        refuse(number, why);
        return;
    }
    if (answer(number, std::string(1, control::Ack)) == Answer::Withheld)
        return;
    note("block " + std::to_string(number) + ": " + shownBytes(m_block.data) + ", answered ACK");
    ++m_accepted;
    accepted();
    m_bytes += m_block.data.size();
    if (!m_store->write(m_block.data + '\n'))
        fail("cannot store " + m_target + ": " + m_store->error());
}

std::string HeidenhainReceive::position() const
{
    const std::string block = "block " + std::to_string(blockNumber());
    switch (m_state) {
    case State::Requested:
        return m_requests == 0 ? "before the request" : "while waiting for the request's ACK";
    case State::WaitBlock:
        return "while waiting for " + block + (refusedBefore() ? " again" : "") +
               (m_accepted > 0 ? " or ETX" : "");
    case State::Block:
    case State::Check:
        return "in " + block;
    }
    return {};
}

SessionEnd HeidenhainReceive::store()
{
    if (!m_store->commit())
        return {1, "cannot store " + m_target + ": " + m_store->error()};
    return {0, "received program " + m_program + ": " + std::to_string(m_accepted) + " blocks (" +
                   std::to_string(m_bytes) + " data bytes), stored in " + m_target};
}

}  // namespace quillon::ctrlsim
