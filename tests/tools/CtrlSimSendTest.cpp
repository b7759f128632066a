// The control sending, the test playing the PC's receive side byte for byte over a
// pseudo-terminal: plain punching in its codes, and the sending side of the block protocols.
#include <gtest/gtest.h>

#include <memory>

#include "ctrlsim/PlainSend.h"
#include "ctrlsim/ProgramSource.h"
#include "support/TempWorkDir.h"
#include "tools/CtrlSimTestSupport.h"

namespace quillon::ctrlsim {
namespace {

constexpr char kDc1 = 0x11;
constexpr char kDc2 = 0x12;
constexpr char kDc3 = 0x13;
// Long enough for a control that was going to send something to have sent it.
constexpr int kShortQuietMs = 150;

// The bytes with bit 7 set, as a control with a parity bit puts them on the line.
std::string topBit(std::string bytes)
{
    for (char& byte : bytes)
        byte = static_cast<char>(byte | 0x80);
    return bytes;
}

class CtrlSimSend : public ::testing::Test {
protected:
    std::unique_ptr<PlainSend> plainSender(PlainSendSettings settings, std::string_view program)
    {
        settings.startDelay = Duration::zero();
        m_dir.write("O2000.NC", program);
        std::string error;
        auto source = ProgramSource::open(m_dir.path("O2000.NC"), &error);
        EXPECT_TRUE(source) << error;
        return std::make_unique<PlainSend>(settings, std::move(source));
    }
    std::string path(std::string_view name) const { return m_dir.path(name); }

    test::TempWorkDir m_dir;
};

// --- plain send ---------------------------------------------------------------------

TEST_F(CtrlSimSend, PlainSendPutsEachByteOnTheLineInItsCode)
{
    // The EIA codes of "%", CR and LF, "G", "1", blank, "x" (as "X"), "2", "." and "@"
    // (which has none).
    const std::string program = "%\r\nG1 x2.\r\n@";
    const std::string eia = "\x0b\x80\x80\x67\x01\x10\x37\x02\x6b\x80\x80\x7f";
    const std::string binary = std::string("\x00\xff\x12\x13", 4) + "%\r\n";
    struct Row {
        const char* scenario;
        CharacterCode code;
        bool highBit;
        std::string program;
        std::string onLine;
    };
    const Row rows[] = {
        {"ISO: as it is", CharacterCode::Iso, false, program, program},
        {"EIA: punch codes", CharacterCode::Eia, false, program, eia},
        {"ISO with a parity bit", CharacterCode::Iso, true, program, topBit(program)},
        {"EIA with a parity bit", CharacterCode::Eia, true, program, topBit(eia)},
        {"BIN: every byte as it is", CharacterCode::Bin, false, binary, binary},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.scenario);
        PlainSendSettings settings;
        settings.code = row.code;
        settings.highBit = row.highBit;
        test::SimulatorThread sim(plainSender(settings, row.program));
        test::OtherSide pc(sim.path());
        ASSERT_TRUE(pc.ok());
        EXPECT_EQ(pc.read(row.onLine.size()), row.onLine);
        EXPECT_EQ(pc.readUntilQuiet(kShortQuietMs), "");
        pc.close();
        const auto end = sim.waitForEnd();
        ASSERT_TRUE(end);
        EXPECT_EQ(end->exitCode, 0) << end->summary;
    }
}

TEST_F(CtrlSimSend, Dc2FirstAsksAloneAndPunchesOnlyAfterTheXon)
{
    const std::string program = "%\r\nO2000\r\nM30\r\n%\r\n";
    for (const bool highBit : {false, true}) {
        SCOPED_TRACE(highBit ? "with a parity bit" : "seven bits");
        PlainSendSettings settings;
        settings.dc2First = true;
        settings.highBit = highBit;
        test::SimulatorThread sim(plainSender(settings, program));
        test::OtherSide pc(sim.path());
        ASSERT_TRUE(pc.ok());
        const std::string dc2 = highBit ? topBit({kDc2}) : std::string(1, kDc2);
        EXPECT_EQ(pc.read(1), dc2);
        // Nothing follows the DC2 until it is answered, not even after a DC3.
        ASSERT_TRUE(pc.write(std::string(1, kDc3)));
        EXPECT_EQ(pc.readUntilQuiet(kShortQuietMs), "");
        EXPECT_EQ(sim.written(), dc2);

        ASSERT_TRUE(pc.write(std::string(1, kDc1)));
        EXPECT_EQ(pc.read(program.size()), highBit ? topBit(program) : program);
        pc.close();
        const auto end = sim.waitForEnd();
        ASSERT_TRUE(end);
        EXPECT_EQ(end->exitCode, 0) << end->summary;
        EXPECT_NE(end->summary.find("sent " + std::to_string(program.size()) + " bytes"),
                  std::string::npos)
            << end->summary;
    }
}

TEST_F(CtrlSimSend, Dc2FirstWithoutAnAnswerIsAFailure)
{
    PlainSendSettings settings;
    settings.dc2First = true;
    test::SimulatorThread sim(plainSender(settings, "O2000\r\n"));
    {
        test::OtherSide pc(sim.path());
        EXPECT_EQ(pc.read(1), std::string(1, kDc2));
    }
    const auto end = sim.waitForEnd();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->exitCode, 1);
    EXPECT_NE(end->summary.find("no XON answered the DC2"), std::string::npos) << end->summary;
}

}  // namespace
}  // namespace quillon::ctrlsim
