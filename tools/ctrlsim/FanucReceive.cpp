#include "ctrlsim/FanucReceive.h"

#include "platform/AtomicFile.h"

namespace quillon::ctrlsim {

FanucReceive::FanucReceive(const BlockSessionSettings& settings, std::vector<FanucFile> files)
    : BlockSession(settings, false), m_files(std::move(files))
{
}

FanucReceive::~FanucReceive() = default;

void FanucReceive::take(char byte)
{
    switch (m_state) {
    case State::WaitEnq:
        if (byte == control::Enq) {
            note("ENQ: answered DLE 0");
            send(fanucDle('0'));
            m_state = State::WaitHeader;
        } else {
            ignored(byte);
        }
        return;
    case State::WaitHeader:
        if (byte == control::Soh) {
            m_block.begin();
            m_state = State::Header;
            hangsUpAt(blockNumber());
        } else if (byte == control::Enq) {
            // The PC did not get the answer, or started over: either way DLE "0" is due.
            note("ENQ again: answered DLE 0 again");
            send(fanucDle('0'));
        } else if (byte == control::Eot) {
            fail("the PC ended (EOT) " + position());
        } else {
            ignored(byte);
        }
        return;
    case State::Header:
        m_block.data.push_back(byte);
        if (m_block.data.size() == kFanucHeaderLength - 1)
            checkHeader();
        return;
    case State::WaitBlock:
        if (byte == control::Stx) {
            m_block.begin();
            m_state = State::Block;
            hangsUpAt(blockNumber());
        } else if (byte == control::Eot) {
            endOfFile();
        } else if (byte == control::Enq) {
            fail("the PC started over (ENQ) " + position());
        } else {
            ignored(byte);
        }
        return;
    case State::Block:
        if (m_block.take(byte, control::Etx, kFanucBlockData))
            m_state = State::Check;
        return;
    case State::Check:
        checkBlock(byte);
        return;
    }
}

void FanucReceive::checkHeader()
{
    std::string why;
    const auto header = readFanucHeader(m_block.data, 'S', &why);
    if (header && refusesOnce(blockNumber()))
        why = "refused once, as asked";
    if (!why.empty()) {
        m_state = State::WaitHeader;
        refuse(blockNumber(), why);
        return;
    }
    m_state = State::WaitBlock;
    if (answer(blockNumber(), fanucDle('1')) == Answer::Withheld)
        return;
    note(std::string(header->type == 'P' ? "header of program " : "header of setup file ") +
         header->name + ": answered DLE 1");
    m_names.push_back(header->name);
    m_toggle = '1';
    ++m_accepted;
    accepted();
    m_fileBlocks = 0;
    m_fileBytes = 0;
}

void FanucReceive::checkBlock(char checkByte)
{
    const std::size_t number = blockNumber();
    std::string why;
    if (m_block.overlong)
        why = "more than " + std::to_string(kFanucBlockData) + " data bytes";
    else if (checkByte != m_block.check)
        why = "check byte " + hexByte(checkByte) + " instead of " + hexByte(m_block.check);
    else if (refusesOnce(number))
        why = "refused once, as asked";
    m_state = State::WaitBlock;
    if (!why.empty()) {
        refuse(number, why);
        return;
    }
    const char digit = m_toggle == '0' ? '1' : '0';
    if (answer(number, fanucDle(digit)) == Answer::Withheld)
        return;
    note("block " + std::to_string(number) + ": " + std::to_string(m_block.data.size()) +
         " data bytes, answered DLE " + digit);
    m_toggle = digit;
    ++m_accepted;
    accepted();
    ++m_fileBlocks;
    m_fileBytes += m_block.data.size();
    FanucFile& file = m_files[m_file];
    if (!file.store->write(m_block.data))
        fail("cannot store " + file.path + ": " + file.store->error());
}

void FanucReceive::endOfFile()
{
    if (m_fileBlocks == 0) {
        fail("the PC ended the file (EOT) before any data block");
        return;
    }
    FanucFile& file = m_files[m_file];
    if (!file.store->commit()) {
        fail("cannot store " + file.path + ": " + file.store->error());
        return;
    }
    m_stored.push_back(m_names.back() + ": " + std::to_string(m_fileBytes) + " bytes in " +
                       std::to_string(m_fileBlocks) + " blocks, stored in " + file.path);
    note("EOT: " + m_stored.back());
    if (++m_file < m_files.size()) {
        m_state = State::WaitEnq;
        note("waiting for the ENQ of the next file");
        return;
    }
    complete();
}

std::string FanucReceive::position() const
{
    const std::string block = "block " + std::to_string(blockNumber());
    const std::string again = refusedBefore() ? " again" : "";
    switch (m_state) {
    case State::WaitEnq:
        return m_file == 0 ? "while waiting for the ENQ" : "while waiting for the next file's ENQ";
    case State::WaitHeader:
        return "while waiting for the header (" + block + ")" + again;
    case State::Header:
        return "in the header (" + block + ")";
    case State::WaitBlock:
        return "while waiting for " + block + again + " or EOT";
    case State::Block:
    case State::Check:
        return "in " + block;
    }
    return {};
}

SessionEnd FanucReceive::store()
{
    return {0, "received " + alreadyStored()};
}

std::string FanucReceive::afterFailure() const
{
    const std::string already = alreadyStored();
    return already.empty() ? BlockSession::afterFailure()
                           : "; nothing more stored (already received " + already + ")";
}

std::string FanucReceive::alreadyStored() const
{
    std::string text;
    for (const std::string& stored : m_stored)
        text += (text.empty() ? "" : "; ") + stored;
    return text;
}

}  // namespace quillon::ctrlsim
