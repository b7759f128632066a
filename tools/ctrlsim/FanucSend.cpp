#include "ctrlsim/FanucSend.h"

#include <algorithm>

#include "ctrlsim/ProgramSource.h"

namespace quillon::ctrlsim {

FanucSend::FanucSend(const BlockSessionSettings& settings, std::vector<FanucSource> files,
                     std::size_t blockData)
    : BlockSession(settings, false), m_files(std::move(files)), m_blockData(blockData)
{
}

FanucSend::~FanucSend() = default;

void FanucSend::take(char byte)
{
    switch (m_state) {
    case State::WaitEnq:
        if (byte == control::Enq) {
            note("ENQ: answered DLE 0");
            send(fanucDle('0'));
            m_state = State::WaitRequest;
        } else {
            ignored(byte);
        }
        return;
    case State::WaitRequest:
        if (byte == control::Soh) {
            m_request.clear();
            m_requestShort = false;
            m_state = State::Request;
            hangsUpAt(blockNumber());
        } else if (byte == control::Enq) {
            // The PC did not get the answer, or started over: either way DLE "0" is due.
            note("ENQ again: answered DLE 0 again");
            send(fanucDle('0'));
        } else {
            fail("the PC sent " + shownBytes({&byte, 1}) + " " + position());
        }
        return;
    case State::Request:
        m_request.push_back(byte);
        // The twelfth byte ends a request, or the check byte after an ETX before its place
        // (a request short of characters).
        if (m_request.size() == kFanucHeaderLength - 1 || m_requestShort)
            checkRequest();
        else if (byte == control::Etx && m_request.size() < kFanucHeaderLength - 2)
            m_requestShort = true;
        return;
    case State::WaitEot:
        if (byte == control::Eot) {
            note("EOT: sending ENQ");
            send(std::string(1, control::Enq));
            m_reply.expect(fanucDle('0'));
            m_state = State::WaitReady;
        } else {
            fail("the PC sent " + shownBytes({&byte, 1}) + " instead of EOT " + position());
        }
        return;
    case State::WaitReady:
    case State::WaitAnswer:
        takeReply(byte);
        return;
    }
}

void FanucSend::checkRequest()
{
    const std::size_t number = blockNumber();
    std::string why;
    const auto request = readFanucHeader(m_request, 'R', &why);
    if (!request) {
        fail("a wrong request (block " + std::to_string(number) + "): " + why);
        return;
    }
    if (m_file > 0 && request->type != 'S') {
        fail("the PC requested program " + request->name + " (block " + std::to_string(number) +
             ") where the setup file was due");
        return;
    }
    m_state = State::WaitEot;
    if (answer(number, fanucDle('1')) == Answer::Withheld)
        return;
    note(std::string(request->type == 'P' ? "request for program " : "request for setup file ") +
         request->name + ": answered DLE 1, sending " + m_files[m_file].path);
    m_names.push_back(request->name);
    ++m_blocks;
    m_toggle = '1';  // every file's alternation starts again
}

void FanucSend::takeReply(char byte)
{
    const AwaitedReply::Progress progress = m_reply.take(byte);
    if (progress == AwaitedReply::Progress::Wrong) {
        fail("the PC answered " + shownBytes(m_reply.got()) + " instead of " +
             shownBytes(m_reply.expected()) + " " + position());
        return;
    }
    if (progress == AwaitedReply::Progress::Partial)
        return;
    if (m_state == State::WaitReady) {
        note("DLE 0: the PC is ready for the data");
        sendBlock();
        return;
    }
    const std::size_t number = blockNumber();
    if (m_wrongCheck) {
        fail("the PC accepted block " + std::to_string(number) +
             " although its check byte was wrong");
        return;
    }
    note("block " + std::to_string(number) + ": answered DLE " + m_toggle);
    ++m_blocks;
    ++m_fileBlocks;
    m_fileBytes += m_pendingBytes;
    m_toggle = m_toggle == '1' ? '0' : '1';
    if (m_files[m_file].program->atEnd())
        endOfFile();
    else
        sendBlock();
}

void FanucSend::sendBlock()
{
    const std::size_t number = blockNumber();
    if (hangsUpAt(number))
        return;
    FanucSource& file = m_files[m_file];
    std::string data;
    while (data.size() < m_blockData && !file.program->atEnd())
        data += file.program->take(m_blockData - data.size());
    if (file.program->failed()) {
        fail("cannot read " + file.path + ": " + file.program->error());
        return;
    }
    m_pendingBytes = data.size();
    std::string event = std::to_string(data.size()) + " data bytes";
    if (overlongOnce(number)) {
        data.resize(std::max(data.size(), kOverlongBlockData), kOverlongFiller);
        event += ", made " + std::to_string(data.size()) + " bytes long as asked";
    }
    std::string block = control::Stx + data + control::Etx;
    const char check = xorOf(std::string_view(block).substr(1));
    m_wrongCheck = spoilsCheckOnce(number);
    // Bit 0: the PC compares with bit 7 cleared, so that one would go unseen.
    block += m_wrongCheck ? static_cast<char>(check ^ 0x01) : check;
    if (m_wrongCheck)
        event += ", check byte " + hexByte(block.back()) + " instead of " + hexByte(check) +
                 " as asked";
    m_state = State::WaitAnswer;
    m_reply.expect(fanucDle(m_toggle));
    if (answer(number, block) == Answer::Given)
        note("block " + std::to_string(number) + ": " + event);
}

void FanucSend::endOfFile()
{
    send(std::string(1, control::Eot));
    m_sent.push_back(std::to_string(m_fileBlocks) + " blocks (" + std::to_string(m_fileBytes) +
                     " bytes) of " + m_files[m_file].path + " for " + m_names.back());
    note("EOT after " + m_sent.back());
    m_fileBlocks = 0;
    m_fileBytes = 0;
    if (++m_file < m_files.size()) {
        m_state = State::WaitEnq;
        note("waiting for the ENQ of the next file");
        return;
    }
    complete();
}

std::string FanucSend::position() const
{
    const std::string block = "block " + std::to_string(blockNumber());
    switch (m_state) {
    case State::WaitEnq:
        return m_file == 0 ? "while waiting for the ENQ" : "while waiting for the next file's ENQ";
    case State::WaitRequest:
        return "while waiting for the request (" + block + ")";
    case State::Request:
        return "in the request (" + block + ")";
    case State::WaitEot:
        return "while waiting for the EOT after the request";
    case State::WaitReady:
        return "while waiting for DLE 0 after the ENQ";
    case State::WaitAnswer:
        return "while waiting for the answer to " + block;
    }
    return {};
}

SessionEnd FanucSend::store()
{
    return {0, "sent " + alreadySent()};
}

std::string FanucSend::afterFailure() const
{
    std::string text;
    if (m_fileBlocks > 0)
        text = "; the PC took " + std::to_string(m_fileBlocks) + " blocks (" +
               std::to_string(m_fileBytes) + " bytes) of " + m_files[m_file].path;
    if (!m_sent.empty())
        text += "; sent in full before: " + alreadySent();
    return text.empty() ? "; the PC took no data block" : text;
}

std::string FanucSend::alreadySent() const
{
    std::string text;
    for (const std::string& sent : m_sent)
        text += (text.empty() ? "" : "; ") + sent;
    return text;
}

}  // namespace quillon::ctrlsim
