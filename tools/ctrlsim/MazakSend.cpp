#include "ctrlsim/MazakSend.h"

#include <algorithm>

#include "ctrlsim/ProgramSource.h"

namespace quillon::ctrlsim {

namespace {

// How much of a record a message shows.
constexpr std::size_t kShownRecord = 80;

// The PC's reply to a record: "q00" to a "q" record, "p02" to a "p2", "p00" to the others.
std::string replyDue(const std::string& record)
{
    if (record.front() == 'q')
        return {'q', '0', '0', control::Eot};
    return {'p', '0', record[1] == '2' ? '2' : '0', control::Eot};
}

}  // namespace

std::optional<std::string> mazakRecordsProblem(ProgramSource& file)
{
    std::size_t records = 0;
    std::optional<std::string> problem;
    std::size_t number = 0;
    while (!problem) {
        const std::optional<std::string> line = file.takeLine();
        if (!line)
            break;
        ++number;
        if (line->empty())
            continue;
        if (line->front() == 'q' || (line->front() == 'p' && line->size() >= 2))
            ++records;
        else
            problem = "line " + std::to_string(number) +
                      " is not a record (\"p\" and a command, or \"q\"): " +
                      shownBytes(*line, kShownRecord);
    }
    if (!problem && file.failed())
        problem = file.error();
    else if (!problem && records == 0)
        problem = "no record in it";
    file.rewind();
    return problem;
}

MazakSend::MazakSend(const BlockSessionSettings& settings, std::string path,
                     std::unique_ptr<ProgramSource> program)
    : BlockSession(settings, true), m_path(std::move(path)), m_program(std::move(program))
{
}

MazakSend::~MazakSend() = default;

void MazakSend::sendNext()
{
    std::optional<std::string> line;
    do {
        line = m_program->takeLine();
        ++m_line;
    } while (line && line->empty());
    if (m_program->failed()) {
        fail("cannot read " + m_path + ": " + m_program->error());
        return;
    }
    if (!line) {
        note("all records answered");
        complete();
        return;
    }
    const std::size_t number = m_records + 1;
    if (hangsUpAt(number))
        return;
    std::string record = *line;
    std::replace(record.begin(), record.end(), '_', control::Etx);
    m_reply.expect(replyDue(record));
    m_pendingBytes = record.size();
    std::string event = shownBytes(record + control::Eot, kShownRecord);
    if (overlongOnce(number)) {
        record.resize(std::max(record.size(), kOverlongBlockData), kOverlongFiller);
        event += ", made " + std::to_string(record.size()) + " bytes long as asked";
    }
    m_awaiting = true;
    if (answer(number, record + control::Eot) == Answer::Given)
        note("record " + std::to_string(number) + ": " + event);
}

void MazakSend::take(char byte)
{
    if (!m_awaiting) {
        ignored(byte);
        return;
    }
    const AwaitedReply::Progress progress = m_reply.take(byte);
    if (progress == AwaitedReply::Progress::Wrong) {
        fail("the PC answered " + shownBytes(m_reply.got()) + " instead of " +
             shownBytes(m_reply.expected()) + " to record " + std::to_string(m_records + 1) +
             " (line " + std::to_string(m_line) + ")");
        return;
    }
    if (progress == AwaitedReply::Progress::Partial)
        return;
    m_awaiting = false;
    ++m_records;
    m_bytes += m_pendingBytes;
    note("record " + std::to_string(m_records) + ": answered " + shownBytes(m_reply.got()));
    sendNext();
}

std::string MazakSend::position() const
{
    const std::string record = "record " + std::to_string(m_records + 1);
    if (m_awaiting)
        return "while waiting for the reply to " + record + " (line " + std::to_string(m_line) +
               ")";
    return "before " + record;
}

SessionEnd MazakSend::store()
{
    return {0, "sent " + std::to_string(m_records) + " records (" + std::to_string(m_bytes) +
                   " bytes) of " + m_path};
}

std::string MazakSend::afterFailure() const
{
    return "; the PC took " + std::to_string(m_records) + " records (" + std::to_string(m_bytes) +
           " bytes) of " + m_path;
}

}  // namespace quillon::ctrlsim
