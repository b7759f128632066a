#include "editor/Tokenizer.h"

#include <cstring>
#include <optional>

#include "editor/EditLine.h"
#include "nc/CharacterClasses.h"

namespace quillon {

namespace {

// The kind an address letter takes when a number follows it.
std::optional<TokenKind> addressKind(char c)
{
    switch (c) {
    case 'N':
        return TokenKind::BlockNumber;
    case 'M':
        return TokenKind::MCode;
    case 'G':
        return TokenKind::GCode;
    case 'F':
        return TokenKind::FCode;
    case 'X':
    case 'I':
        return TokenKind::XI;
    case 'Y':
    case 'J':
        return TokenKind::YJ;
    case 'Z':
    case 'K':
        return TokenKind::ZK;
    case 'T':
        return TokenKind::TCode;
    default:
        return std::nullopt;
    }
}

bool startsNumber(char c)
{
    return c == '+' || c == '-' || c == '.' || isDigit(c);
}

bool isPunctuation(char c)
{
    static constexpr char kSet[] = "(){}[]<>+-*/%=\"'~!@#$^&|\\?:;,.";
    return c != '\0' && std::strchr(kSet, c) != nullptr;
}

}  // namespace

TokenizedLine Tokenize(std::string_view text)
{
    TokenizedLine line;
    const std::size_t size = text.size();
    std::size_t pos = 0;
    auto add = [&line](TokenKind kind, std::size_t start, std::size_t length) {
        line.tokens.push_back(
            {kind, static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(length)});
    };
    while (true) {
        if (pos >= size) {
            add(TokenKind::EndOfLine, pos, 0);
            return line;
        }
        if (pos >= kMaxColouredLine) {
            add(TokenKind::EndOfLine, pos, 0);
            line.stoppedAtLimit = true;
            return line;
        }
        const char c = text[pos];
        if (c == '\t') {
            add(TokenKind::Tab, pos, 1);
            ++pos;
        } else if (c == ' ') {
            std::size_t end = pos;
            while (end < size && text[end] == ' ')
                ++end;
            add(TokenKind::Spaces, pos, end - pos);
            pos = end;
        } else if (c == '(') {
            add(TokenKind::OpenComment, pos, 1);
            ++pos;
        } else if (c == ')') {
            add(TokenKind::CloseComment, pos, 1);
            ++pos;
        } else if (const auto kind = addressKind(c)) {
            if (pos + 1 < size && startsNumber(text[pos + 1])) {
                std::size_t end = pos + 2;
                while (end < size && (text[end] == '.' || isDigit(text[end])))
                    ++end;
                add(*kind, pos, end - pos);
                pos = end;
            } else {
                add(TokenKind::Letter, pos, 1);
                ++pos;
            }
        } else {
            add(isPunctuation(c) ? TokenKind::Punctuation : TokenKind::Other, pos, 1);
            ++pos;
        }
    }
}

ColorRole CommentState::colorOf(TokenKind kind)
{
    if (kind == TokenKind::OpenComment) {
        m_inComment = true;
        return ColorRole::Comment;
    }
    if (kind == TokenKind::CloseComment) {
        const bool wasIn = m_inComment;
        m_inComment = false;
        return wasIn ? ColorRole::Comment : ColorRole::Foreground;
    }
    if (m_inComment)
        return ColorRole::Comment;
    switch (kind) {
    case TokenKind::BlockNumber:
        return ColorRole::BlockNumber;
    case TokenKind::MCode:
        return ColorRole::MCode;
    case TokenKind::GCode:
        return ColorRole::GCode;
    case TokenKind::FCode:
        return ColorRole::FCode;
    case TokenKind::XI:
        return ColorRole::XI;
    case TokenKind::YJ:
        return ColorRole::YJ;
    case TokenKind::ZK:
        return ColorRole::ZK;
    case TokenKind::TCode:
        return ColorRole::TCode;
    default:
        return ColorRole::Foreground;
    }
}

}  // namespace quillon
