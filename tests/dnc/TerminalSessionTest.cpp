#include "dnc/TerminalSession.h"

#include <gtest/gtest.h>

#include "dnc/CharacterCodes.h"

namespace quillon {
namespace {

using Lines = std::vector<std::string>;

TEST(TerminalSession, IncomingLinesKeepTheLastSevenAndShowControlCharacters)
{
    TerminalSession session(CharacterCode::Iso, EndOfBlock::Lf);
    EXPECT_EQ(session.displayLines(), Lines{" "});
    session.receive("N10 G01\r\nN20\x01\x93");  // bit 7 is cleared: 0x93 shows as DC3
    EXPECT_EQ(session.displayLines(), (Lines{"N10 G01^M", "N20^A^S"}));
    for (int i = 0; i < 9; ++i)
        session.receive("L" + std::to_string(i) + "\n");
    const Lines lines = session.displayLines();
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines.front(), "L2");
    EXPECT_EQ(lines[6], "L8");
    EXPECT_EQ(lines.back(), " ");
}

TEST(TerminalSession, EndOfBlockCodeAndBinDecideWhatEndsALine)
{
    TerminalSession cr(CharacterCode::Iso, EndOfBlock::Cr);
    cr.receive("A\rB\n");
    EXPECT_EQ(cr.displayLines(), (Lines{"A", "B", " "}));

    TerminalSession bin(CharacterCode::Bin, EndOfBlock::CrLf);
    bin.receive("A\r\nB");
    EXPECT_EQ(bin.displayLines(), (Lines{"A^M^J", "B"}));

    TerminalSession eia(CharacterCode::Eia, EndOfBlock::Lf);
    eia.receive(std::string("\x67\x01\x80\x7A\x03", 5));  // G1 LF * and FF (shown as DEL)
    EXPECT_EQ(eia.displayLines(), (Lines{"G1", "*\x7F"}));
}

TEST(TerminalSession, LongTextBreaksIntoLinesOfEightyOneCharacters)
{
    TerminalSession session(CharacterCode::Iso, EndOfBlock::Lf);
    session.receive(std::string(200, 'X'));
    const Lines lines = session.displayLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), 81u);
    EXPECT_EQ(lines[1].size(), 81u);
    EXPECT_EQ(lines[2].size(), 38u);
}

TEST(TerminalSession, TypingSendsTheLastCharacterAndCaretMakesControlCharacters)
{
    TerminalSession session(CharacterCode::Eia, EndOfBlock::Lf);
    EXPECT_EQ(session.outgoingChanged("G"), "G");  // typed text is never translated
    EXPECT_EQ(session.outgoingChanged("G^"), "");
    EXPECT_EQ(session.outgoingChanged("G^q"), "\x11");
    EXPECT_EQ(session.outgoingChanged("G^q^"), "");
    EXPECT_EQ(session.outgoingChanged("G^q^1"), std::string(1, '\0'));  // '1' - 64 < 0
    EXPECT_EQ(session.outgoingChanged("G^q^1 N10 G01 X5"), "5");        // a paste: its last one
    EXPECT_EQ(session.outgoingChanged("G^q"), "");                      // deleting sends nothing
    EXPECT_EQ(session.outgoingChanged("G^q^"), "");
    EXPECT_EQ(session.outgoingChanged("G^q"), "");  // the caret was taken back
    EXPECT_EQ(session.outgoingChanged("G^qs"), "s");
}

}  // namespace
}  // namespace quillon
