#include "ctrlsim/MazakReceive.h"

#include "platform/AtomicFile.h"

namespace quillon::ctrlsim {

namespace {

constexpr std::string_view kCommands = "q468AD";
// An answer that has gone on this long without EOT has lost it: a program block is one
// line of the PC's file.
constexpr std::size_t kMaxAnswer = 64 * 1024;
// How much of a wrong answer a message shows.
constexpr std::size_t kShownAnswer = 80;

std::string commandBytes(char command)
{
    if (command == 'q')
        return {'q', control::Eot};
    return {'p', command, control::Eot};
}

}  // namespace

std::optional<MazakSequence> parseMazakSequence(std::string_view text, std::string* error)
{
    auto wrong = [error](std::string why) -> std::optional<MazakSequence> {
        if (error)
            *error = std::move(why);
        return std::nullopt;
    };
    MazakSequence sequence;
    bool inLoop = false;
    for (std::size_t begin = 0; begin <= text.size();) {
        std::size_t end = text.find(',', begin);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view item = text.substr(begin, end - begin);
        begin = end + 1;

        const bool opens = !item.empty() && item.front() == '[';
        if (opens) {
            if (inLoop)
                return wrong("a loop inside a loop");
            item.remove_prefix(1);
            inLoop = true;
            sequence.push_back({{}, true});
        }
        const bool closes = !item.empty() && item.back() == ']';
        if (closes) {
            if (!inLoop)
                return wrong("a ] without its [");
            item.remove_suffix(1);
        }
        if (item.size() != 1 || kCommands.find(item.front()) == std::string_view::npos)
            return wrong("\"" + std::string(item) + "\" is not a command: q, 4, 6, 8, A or D");
        if (inLoop)
            sequence.back().commands += item.front();
        else
            sequence.push_back({std::string(1, item.front()), false});
        if (closes) {
            const std::string& loop = sequence.back().commands;
            if (loop.find_first_of("46D") == std::string::npos)
                return wrong("the loop [" + loop + "] has no 4, 6 or D, so it never ends");
            inLoop = false;
        }
    }
    if (inLoop)
        return wrong("a [ without its ]");
    return sequence;
}

MazakReceive::MazakReceive(const BlockSessionSettings& settings, MazakSequence sequence,
                           std::string targetPath, std::unique_ptr<AtomicFileWriter> store)
    : BlockSession(settings, true),
      m_sequence(std::move(sequence)),
      m_target(std::move(targetPath)),
      m_store(std::move(store))
{
}

MazakReceive::~MazakReceive() = default;

void MazakReceive::sendNext()
{
    if (m_step >= m_sequence.size()) {
        complete();
        return;
    }
    const std::size_t number = m_commands + 1;
    if (hangsUpAt(number))
        return;
    const char command = m_sequence[m_step].commands[m_inLoop];
    const std::string bytes = commandBytes(command);
    const Answer answered = answer(number, bytes);
    if (answered == Answer::Withheld)
        return;
    if (answered == Answer::Given)
        note("command " + std::to_string(number) + ": " + shownBytes(bytes));
    m_commands = number;
    m_awaiting = command;
    m_garbled = answered == Answer::Garbled;
    m_reply.clear();
}

void MazakReceive::take(char byte)
{
    if (!m_awaiting) {
        ignored(byte);
        return;
    }
    if (byte == control::Eot) {
        replied();
        return;
    }
    if (m_reply.size() >= kMaxAnswer) {
        fail("no EOT after " + std::to_string(kMaxAnswer) + " bytes " + position());
        return;
    }
    m_reply.push_back(byte);
}

void MazakReceive::replied()
{
    const char command = *m_awaiting;
    const std::string reply = std::move(m_reply);
    m_awaiting.reset();
    m_reply.clear();

    bool notFound = false;
    std::optional<std::string> wrong;
    switch (command) {
    case '4':
        wrong = takeBlock(reply);
        break;
    case '6':
    case 'D':
        notFound = reply == "p00";
        if (!notFound && reply != "p02")
            wrong = "an unexpected answer";
        break;
    case 'q':
        if (reply != "q00")
            wrong = "an unexpected answer";
        break;
    default:
        if (reply != "p00")
            wrong = "an unexpected answer";
        break;
    }
    if (wrong) {
        fail(*wrong + " to command " + std::to_string(m_commands) + " (" + command +
             "): " + shownBytes(reply, kShownAnswer) + "<EOT>");
        return;
    }
    if (command != '4')
        note("answer to command " + std::to_string(m_commands) + ": " + shownBytes(reply) +
             "<EOT>");

    const MazakStep& step = m_sequence[m_step];
    if (step.loop && !notFound) {
        m_inLoop = (m_inLoop + 1) % step.commands.size();
    } else {
        ++m_step;
        m_inLoop = 0;
    }
    sendNext();
}

std::optional<std::string> MazakReceive::takeBlock(const std::string& reply)
{
    static const std::string kLead = std::string("p00") + control::Stx;
    if (reply.compare(0, kLead.size(), kLead) != 0)
        return "not \"p00\" and STX in the answer";
    const std::size_t etx = reply.find(control::Etx, kLead.size());
    if (etx == std::string::npos)
        return "no ETX in the answer";
    const std::string text = reply.substr(kLead.size(), etx - kLead.size());
    ++m_blocks;
    m_textBytes += text.size();
    std::string event = "block " + std::to_string(m_blocks) + ": " + std::to_string(text.size()) +
                        " bytes of text";
    if (etx + 1 < reply.size())
        event += ", then " + shownBytes(std::string_view(reply).substr(etx + 1)) +
                 " before EOT (not stored)";
    note(event);
    if (!m_store->write(text + '\n'))
        fail("cannot store " + m_target + ": " + m_store->error());
    return std::nullopt;
}

bool MazakReceive::pcHasNoMore() const
{
    return m_awaiting == '4' && !m_garbled && m_reply.empty() && m_sequence[m_step].loop;
}

std::string MazakReceive::position() const
{
    if (m_awaiting)
        return "while waiting for the answer to command " + std::to_string(m_commands) + " (" +
               *m_awaiting + ")";
    return "before command " + std::to_string(m_commands + 1);
}

SessionEnd MazakReceive::store()
{
    if (m_blocks == 0) {
        bool asked = false;
        for (const MazakStep& step : m_sequence)
            asked = asked || step.commands.find('4') != std::string::npos;
        if (asked)
            return {1, "the PC sent no program block; nothing stored"};
        return {0, "all " + std::to_string(m_commands) +
                       " commands answered; no program block asked for, nothing stored"};
    }
    if (!m_store->commit())
        return {1, "cannot store " + m_target + ": " + m_store->error()};
    return {0, "received " + std::to_string(m_blocks) + " blocks (" + std::to_string(m_textBytes) +
                   " bytes of text) after " + std::to_string(m_commands) +
                   " commands, stored in " + m_target};
}

}  // namespace quillon::ctrlsim
