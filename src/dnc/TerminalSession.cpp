#include "dnc/TerminalSession.h"

#include <cctype>

#include "dnc/CharacterCodes.h"

namespace quillon {

namespace {

constexpr char kControlOffset = 64;  // "^A" is code 1

std::string caretForm(char byte)
{
    return {'^', static_cast<char>(byte + kControlOffset)};
}

}  // namespace

TerminalSession::TerminalSession(CharacterCode code, EndOfBlock endOfBlock)
    : m_code(code), m_endOfBlock(endOfBlock)
{
}

void TerminalSession::completeLine()
{
    m_completed.push_back(std::move(m_current));
    m_current.clear();
    if (m_completed.size() > kCompletedLines)
        m_completed.pop_front();
}

void TerminalSession::append(std::string_view shown)
{
    m_current.append(shown);
    if (m_current.size() > kLineLimit)
        completeLine();
}

void TerminalSession::receive(std::string_view bytes)
{
    for (const char received : bytes) {
        const char byte = static_cast<char>(translateReceived(m_code, received) & 0x7F);
        if (byte == '\n') {
            if (m_code == CharacterCode::Bin)
                m_current += "^J";
            completeLine();
        } else if (byte == '\r' && m_endOfBlock == EndOfBlock::Cr) {
            completeLine();
        } else if (static_cast<unsigned char>(byte) >= 27) {
            append(std::string_view(&byte, 1));
        } else {
            append(caretForm(byte));
        }
    }
}

std::vector<std::string> TerminalSession::displayLines() const
{
    std::vector<std::string> lines(m_completed.begin(), m_completed.end());
    lines.push_back(m_current.empty() ? std::string(" ") : m_current);
    return lines;
}

std::string TerminalSession::enterPressed() const
{
    return std::string(endOfBlockBytes(m_endOfBlock));
}

std::string TerminalSession::outgoingChanged(std::string_view text)
{
    std::string send;
    if (text.size() > m_outgoingLength) {
        const char last = text.back();
        if (m_caret) {
            const int code = std::toupper(static_cast<unsigned char>(last)) - kControlOffset;
            send.push_back(static_cast<char>(code < 0 ? 0 : code));
        } else if (last == '^') {
            m_caret = true;
            m_outgoingLength = text.size();
            return send;
        } else {
            send.push_back(last);
        }
    }
    m_outgoingLength = text.size();
    m_caret = false;
    return send;
}

}  // namespace quillon
