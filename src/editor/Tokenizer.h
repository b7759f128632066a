// The NC colourizer's tokens: how a line is cut into address words, comments, blanks and
// single characters, and which colour each token takes.
//
// Tokens are made for the lines being drawn or printed, never stored with the document.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace quillon {

enum class TokenKind : std::uint8_t {
    Letter = 0,       // N M G F X I Y J Z K T not followed by a number
    Other = 2,        // any other single character
    OpenComment = 3,  // "("
    BlockNumber = 4,  // N and its number
    MCode = 5,
    GCode = 6,
    FCode = 7,
    XI = 8,  // X or I and a number
    YJ = 9,
    ZK = 10,
    TCode = 11,
    Spaces = 13,     // a run of spaces
    EndOfLine = 14,  // length 0, after the last character (or at the colour limit)
    Tab = 15,
    Punctuation = 16,   // one of ( ) { } [ ] < > + - * / % = " ' ~ ! @ # $ ^ & | \ ? : ; , .
    CloseComment = 17,  // ")"
};

struct LineToken {
    TokenKind kind;
    std::uint32_t start;  // byte offset into the line
    std::uint32_t length;
};

struct TokenizedLine {
    std::vector<LineToken> tokens;  // always ends with an EndOfLine token
    bool stoppedAtLimit = false;    // the line runs on beyond kMaxColouredLine
};

// Cuts a line into tokens up to column 32766 (kMaxColouredLine), where colouring stops.
TokenizedLine Tokenize(std::string_view text);

// The colour a token takes. The comment state runs along one line: "(" opens a comment
// that runs to the next ")" on that line (or to its end); nested "(" do not count.
enum class ColorRole : std::uint8_t {
    Foreground,
    Comment,
    BlockNumber,
    MCode,
    GCode,
    FCode,
    XI,
    YJ,
    ZK,
    TCode,
};

class CommentState {
public:
    // The token's colour; updates the state for the tokens that follow on the line.
    ColorRole colorOf(TokenKind kind);
    bool inComment() const { return m_inComment; }

private:
    bool m_inComment = false;
};

}  // namespace quillon
