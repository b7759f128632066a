#include "backplot/CycleExpansion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/Notifier.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

using Lines = std::vector<std::string>;

BackplotSettings lathe()
{
    BackplotSettings settings;
    settings.lathe = true;
    return settings;
}

BackplotSettings mill()
{
    return BackplotSettings{};
}

// Records as the pre-pass writes them, indexed from 0.
std::string records(const Lines& texts)
{
    std::string bytes;
    for (std::size_t at = 0; at < texts.size(); ++at)
        bytes += std::to_string(at) + "," + texts[at] + "\r\n";
    return bytes;
}

std::string crlf(const Lines& lines)
{
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

Lines operator+(Lines first, const Lines& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

struct Expansion {
    std::string output;
    std::vector<std::string> messages;
};

Expansion expand(const test::TempWorkDir& dir, const std::string& input,
                 const BackplotSettings& settings)
{
    dir.write(kBackplotFile, input);
    ScriptedNotifier notifier;
    EXPECT_TRUE(expandCannedCycles(dir.path(kBackplotFile), dir.path(kBackplotCycleFile),
                                   dir.path(kBackplotShapeFile), settings, notifier));
    return {dir.read(kBackplotCycleFile), notifier.texts()};
}

std::size_t countOf(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// Outside turning from X60 Z2 down to the shape N10 to N50; the shape records are 3 to 7.
const Lines kTurning = {
    "G00 X60. Z2.", "G71 U2. R0.5",  "G71 P10 Q50 U0.4 W0.1 F0.25",
    "N10 G00 X20.", "N20 G01 Z-20.", "N30 X40.",
    "N40 Z-40.",    "N50 X60.",      "G00 X100. Z100.",
};

Lines turningPass(const std::string& x, const std::string& z, const std::string& backX,
                  const std::string& backZ)
{
    return {"7,(RAP1)G00 X" + x, "7,(N1)G01 Z" + z + " F.25000",
            "7,(N2)G01 X" + backX + " Z" + backZ, "7(RAP2),G00 Z2.0000"};
}

// Each pass ends on the shape moved out by 2U = 0.8 and towards the start by W = 0.1,
// backs off by 2R in X and by W + R in Z, then the finishing pass follows the moved shape.
const Lines kTurningOutput = Lines{"0,G00 X60. Z2."} +
                             turningPass("56.0000", "-39.9000", "57.0000", "-39.3000") +
                             turningPass("52.0000", "-39.9000", "53.0000", "-39.3000") +
                             turningPass("48.0000", "-39.9000", "49.0000", "-39.3000") +
                             turningPass("44.0000", "-39.9000", "45.0000", "-39.3000") +
                             turningPass("40.0000", "-19.9000", "41.0000", "-19.3000") +
                             turningPass("36.0000", "-19.9000", "37.0000", "-19.3000") +
                             turningPass("32.0000", "-19.9000", "33.0000", "-19.3000") +
                             turningPass("28.0000", "-19.9000", "29.0000", "-19.3000") +
                             turningPass("24.0000", "-19.9000", "25.0000", "-19.3000") +
                             Lines{"7,(RAP3)G00 X20.8000",
                                   "7,(N3)G01 X20.8000 Z-19.9000",
                                   "7,(N3)G01 X40.8000 Z-19.9000",
                                   "7,(N3)G01 X40.8000 Z-39.9000",
                                   "7,(N3)G01 X60.8000 Z-39.9000",
                                   "7,(RAP4)G00 Z2.0000",
                                   "8,G00 X100. Z100."};

TEST(CycleExpansion, TurningRoughsDownToTheShapeThenFinishesAlongIt)
{
    test::TempWorkDir dir;
    const Expansion result = expand(dir, records(kTurning + Lines{"G70 P10 Q50"}), lathe());
    EXPECT_EQ(result.output,
              crlf(kTurningOutput + Lines{"3,N10 G00 X20.", "4,N20 G01 Z-20.", "5,N30 X40.",
                                          "6,N40 Z-40.", "7,N50 X60."}));
    EXPECT_TRUE(result.messages.empty());
    EXPECT_EQ(dir.read(kBackplotShapeFile), crlf({"3,N10 G00 X20.", "4,N20 G01 Z-20.",
                                                  "5,N30 X40.", "6,N40 Z-40.", "7,N50 X60."}));
}

TEST(CycleExpansion, BoringStepsOutwards)
{
    test::TempWorkDir dir;
    const Expansion result =
        expand(dir,
               records({"G00 X20. Z2.", "G71 U2. R0.5", "G71 P10 Q50 U-0.4 W0.1 F0.25",
                        "N10 G00 X60.", "N20 G01 Z-20.", "N30 X40.", "N40 Z-40.", "N50 X20."}),
               lathe());
    // The shape moves in by 0.8; the passes back off inwards.
    const std::string firstPasses =
        crlf({"0,G00 X20. Z2.", "7,(RAP1)G00 X24.0000", "7,(N1)G01 Z-39.9000 F.25000",
              "7,(N2)G01 X23.0000 Z-39.3000", "7(RAP2),G00 Z2.0000", "7,(RAP1)G00 X28.0000"});
    EXPECT_EQ(result.output.substr(0, firstPasses.size()), firstPasses);
    EXPECT_EQ(countOf(result.output, "(RAP1)"), 9u);
    EXPECT_NE(result.output.find("7,(RAP1)G00 X56.0000\r\n7,(N1)G01 Z-19.9000"),
              std::string::npos);
    EXPECT_NE(result.output.find("7,(RAP3)G00 X59.2000\r\n"), std::string::npos);
}

TEST(CycleExpansion, FacingStepsAlongZ)
{
    test::TempWorkDir dir;
    const Expansion result =
        expand(dir,
               records({"G00 X82. Z2.", "G72 W2. R0.5", "G72 P10 Q40 U0.2 W0.1 F0.2",
                        "N10 G00 Z-20.", "N20 G01 X60.", "N30 Z-10.", "N40 X20. Z0.", "M30"}),
               lathe());
    const auto pass = [](const std::string& z, const std::string& x, const std::string& backX,
                         const std::string& backZ) {
        return Lines{"6,(RAP1)G00 Z" + z, "6,(N1)G01 X" + x + " F.20000",
                     "6,(N2)G01 X" + backX + " Z" + backZ, "6(RAP2),G00 X82.0000"};
    };
    const Lines expected = Lines{"0,G00 X82. Z2."} +
                           pass(".00000", "20.5000", "21.0000", ".50000") +
                           pass("-2.0000", "28.5000", "29.0000", "-1.5000") +
                           pass("-4.0000", "36.5000", "37.0000", "-3.5000") +
                           pass("-6.0000", "44.5000", "45.0000", "-5.5000") +
                           pass("-8.0000", "52.5000", "53.0000", "-7.5000") +
                           pass("-10.0000", "60.1000", "60.6000", "-9.5000") +
                           pass("-12.0000", "60.1000", "60.6000", "-11.5000") +
                           pass("-14.0000", "60.1000", "60.6000", "-13.5000") +
                           pass("-16.0000", "60.1000", "60.6000", "-15.5000") +
                           pass("-18.0000", "60.1000", "60.6000", "-17.5000") +
                           Lines{"6,(RAP3)G00 Z-19.9000",       "6,(N3)G01 X60.1000 Z-19.9000",
                                 "6,(N3)G01 X60.1000 Z-9.9000", "6,(N3)G01 X20.1000 Z.10000",
                                 "6,(RAP4)G00 X82.0000",        "7,M30"};
    EXPECT_EQ(result.output, crlf(expected));
    EXPECT_TRUE(result.messages.empty());
}

TEST(CycleExpansion, PatternRepeatInOneRecordDrawsDivisionsPlusOnePasses)
{
    test::TempWorkDir dir;
    const Expansion result =
        expand(dir,
               records({"G00 X60. Z2.", "G73 P10 Q30 I3. K2. U0.4 W0.1 D3 F0.2", "N10 G00 X20.",
                        "N20 G01 Z-20.", "N30 X60."}),
               lathe());
    // Relief X 3 (6 in diameter) and Z 2 in three steps, onto the shape moved by U/2 and W.
    EXPECT_EQ(
        result.output,
        crlf(
            {"0,G00 X60. Z2.", "4,(RAP1)G00 Z4.0000", "4,(RAP1)G00 X26.2000",
             "4,(N1)G01 X26.2000 Z-17.9000 F.20000", "4,(N1)G01 X66.2000 Z-17.9000 F.20000",
             "4,(RAP1)G00 Z3.3333", "4,(RAP1)G00 X24.2000", "4,(N1)G01 X24.2000 Z-18.5666 F.20000",
             "4,(N1)G01 X64.2000 Z-18.5666 F.20000", "4,(RAP1)G00 Z2.6666", "4,(RAP1)G00 X22.2000",
             "4,(N1)G01 X22.2000 Z-19.2333 F.20000", "4,(N1)G01 X62.2000 Z-19.2333 F.20000",
             "4,(RAP1)G00 Z2.0000", "4,(RAP1)G00 X20.2000", "4,(N1)G01 X20.2000 Z-19.9000 F.20000",
             "4,(N1)G01 X60.2000 Z-19.9000 F.20000", "4,(RAP2)G00 Z2.0000"}));
}

TEST(CycleExpansion, ShapeCopyStopsAtABlockOutsidePAndQ)
{
    test::TempWorkDir dir;
    const Lines head = {"G00 X60. Z2.", "G71 U2. R0.5", "G71 P10 Q50 U0.4 W0.1 F0.25"};
    // A block below P first: nothing copied, nothing drawn, the rest passes as it is.
    Expansion result =
        expand(dir, records(head + Lines{"N5 G00 X20.", "N10 G01 Z-20.", "N20 X60."}), lathe());
    EXPECT_EQ(result.messages, Lines{"G71 P sequence error"});
    EXPECT_EQ(result.output, crlf({"0,G00 X60. Z2.", "4,N10 G01 Z-20.", "5,N20 X60."}));
    EXPECT_EQ(dir.read(kBackplotShapeFile), "");

    // A block above Q: the blocks before it make the shape, drawn with that block's index.
    result = expand(dir, records(head + Lines{"N10 G00 X20.", "N20 G01 Z-20.", "N60 X60.", "M30"}),
                    lathe());
    EXPECT_EQ(result.messages, Lines{"G71 Q sequence error"});
    EXPECT_EQ(result.output,
              crlf({"0,G00 X60. Z2.", "5,(RAP3)G00 X20.8000", "5,(N3)G01 X20.8000 Z-19.9000",
                    "5,(RAP4)G00 Z2.0000", "6,M30"}));

    // A shape of one block draws nothing.
    result = expand(
        dir,
        records({"G00 X60. Z2.", "G71 U2. R0.5", "G71 P10 Q10 U0.4 W0.1", "N10 G00 X20.", "M30"}),
        lathe());
    EXPECT_TRUE(result.messages.empty());
    EXPECT_EQ(result.output, crlf({"0,G00 X60. Z2.", "4,M30"}));
}

TEST(CycleExpansion, FinishingCopiesTheStoredShapeFromPToQ)
{
    test::TempWorkDir dir;
    Expansion result = expand(dir, records({"G70 P10 Q50"}), lathe());
    EXPECT_EQ(result.messages, Lines{"Could not find G70 blocks"});
    EXPECT_EQ(result.output, "");

    dir.write(kBackplotShapeFile,
              crlf({"3,N10 G00 X20.", "4,G01 Z-20.", "5,N30 X40.", "6,Z-40.", "7,N50 X60."}));
    // Numbers outside P to Q: only the blocks without a number.
    result = expand(dir, records({"G70 P100 Q200", "G70 P30 Q50", "G70 P10", "M30"}), lathe());
    EXPECT_EQ(result.output, crlf({"4,G01 Z-20.", "6,Z-40.", "4,G01 Z-20.", "5,N30 X40.",
                                   "6,Z-40.", "7,N50 X60.", "3,M30"}));
    EXPECT_EQ(result.messages, Lines{"G70 start/stop sequence not specified"});

    dir.write(kBackplotShapeFile, crlf({"3,N10 G00 X20.", "G01 Z-20.", "5,N30 X40."}));
    result = expand(dir, records({"G70 P10 Q50"}), lathe());
    EXPECT_EQ(result.messages, Lines{"Bad G70 blocks"});
    EXPECT_EQ(result.output, crlf({"3,N10 G00 X20."}));
}

struct DroppedCycleCase {
    const char* scenario;
    std::string input;
    Lines messages;
    Lines output;
    BackplotSettings settings = lathe();
};

TEST(CycleExpansion, IncompleteCyclesAreReportedAndDropped)
{
    const DroppedCycleCase cases[] = {
        {"G71 without R",
         records({"G00 X60. Z2.", "G71 U2.", "M30"}),
         {"G71 depth of cut and retraction not specified"},
         {"0,G00 X60. Z2.", "2,M30"}},
        {"G72 without W",
         records({"G72 U2. R0.5", "M30"}),
         {"G72 depth of cut and retraction not specified"},
         {"1,M30"}},
        {"G73 without W",
         records({"G73 U2. R3.", "M30"}),
         {"G73 depth of cut and retraction not specified"},
         {"1,M30"}},
        {"second record of another cycle",
         records({"G71 U2. R0.5", "N10 G72 P1 Q2", "M30"}),
         {"G71 second line not found"},
         {"2,M30"}},
        {"no second record", records({"G73 U2. W1. R3."}), {"G73 second line not found"}, {}},
        {"no P",
         records({"G72 W2. R0.5", "G72 Q40 U0.2 W0.1", "N10 X1.", "N40 X2."}),
         {"G72 start/stop sequence number not specified"},
         {"2,N10 X1.", "3,N40 X2."}},
        {"shape record without a comma",
         records({"G71 P10 Q50 D1500 U0.4 W0.1", "N10 X20."}) + "N20 Z-20.\r\n" + records({"M30"}),
         {"G71 block definition error"},
         {"0,M30"}},
        {"milling G73 peck drilling",
         records({"G90 G00 X0 Y0 Z10.", "G73 X10. Y10. Z-5. R2. Q1. F100.", "G80"}),
         {"G73 depth of cut and retraction not specified"},
         {"0,G90 G00 X0 Y0 Z10.", "2,G80"},
         mill()},
    };
    for (const DroppedCycleCase& c : cases) {
        test::TempWorkDir dir;
        const Expansion result = expand(dir, c.input, c.settings);
        EXPECT_EQ(result.messages, c.messages) << c.scenario;
        EXPECT_EQ(result.output, crlf(c.output)) << c.scenario;
    }
}

TEST(CycleExpansion, AShapeFileThatCannotBeMadeIsReported)
{
    test::TempWorkDir dir;
    dir.write(kBackplotFile, records(kTurning));
    ScriptedNotifier notifier;
    ASSERT_TRUE(expandCannedCycles(dir.path(kBackplotFile), dir.path(kBackplotCycleFile),
                                   dir.path("missing/shape.TXT"), lathe(), notifier));
    EXPECT_EQ(notifier.texts(), Lines{"Could not find G71 blocks"});
    EXPECT_EQ(dir.read(kBackplotCycleFile), crlf({"0,G00 X60. Z2.", "8,G00 X100. Z100."}));

    EXPECT_FALSE(expandCannedCycles(dir.path("none.TXT"), dir.path(kBackplotCycleFile),
                                    dir.path(kBackplotShapeFile), lathe(), notifier));
    EXPECT_FALSE(expandCannedCycles(dir.path(kBackplotFile), dir.path("missing/out.TXT"),
                                    dir.path(kBackplotShapeFile), lathe(), notifier));
}

TEST(CycleExpansion, ACycleStopsAfterTheLastAllowedPass)
{
    struct LimitCase {
        const char* scenario;
        Lines input;
        const char* message;
        const char* onePerPass;
        const char* notAfterTheStop;
    };
    // D1 is a depth of 0.0001: some 200 000 passes down to the shape.
    const LimitCase cases[] = {
        {"G71",
         {"G00 X60. Z2.", "G71 P10 Q30 D1 F0.25", "N10 G00 X20.", "N20 G01 Z-20.", "N30 X60.",
          "M30"},
         "G71 stopped after 10000 passes",
         "(N1)",
         "(RAP3)"},
        {"G72",
         {"G00 X82. Z0.", "G72 P10 Q30 D1 F0.2", "N10 G00 Z-20.", "N20 G01 X20.", "N30 Z0.",
          "M30"},
         "G72 stopped after 10000 passes",
         "(N1)",
         "(RAP3)"},
        {"G73",
         {"G00 X60. Z2.", "G73 P10 Q30 I3. K2. D99999999 F0.2", "N10 G00 X20.", "N20 G01 Z-20.",
          "N30 X60.", "M30"},
         "G73 stopped after 10000 passes",
         "(RAP1)G00 X",
         "(RAP2)"},
    };
    for (const LimitCase& c : cases) {
        test::TempWorkDir dir;
        const Expansion result = expand(dir, records(c.input), lathe());
        EXPECT_EQ(result.messages, Lines{c.message}) << c.scenario;
        EXPECT_EQ(countOf(result.output, c.onePerPass), 10000u) << c.scenario;
        EXPECT_EQ(countOf(result.output, c.notAfterTheStop), 0u) << c.scenario;
        EXPECT_TRUE(result.output.ends_with("\r\n5,M30\r\n")) << c.scenario;
    }
}

// The text of the cycle's records after their comma, without a G90 ... G91 frame.
Lines unframedMoves(const std::string& output)
{
    Lines moves;
    std::size_t at = 0;
    while (at < output.size()) {
        const std::size_t end = output.find("\r\n", at);
        const std::string line = output.substr(at, end - at);
        at = end + 2;
        std::string text = line.substr(line.find(',') + 1);
        if (text.starts_with("G90 ") && text.ends_with(" G91"))
            text = text.substr(4, text.size() - 8);
        if (text.starts_with("(") || line.find("(RAP2),") != std::string::npos)
            moves.push_back(text);
    }
    return moves;
}

TEST(CycleExpansion, CyclesStartWhereIncrementalMovesLeaveTheTool)
{
    test::TempWorkDir dir;
    // Everything after the cycle's first record.
    const Lines rest(kTurning.begin() + 2, kTurning.end());
    const Lines expected = unframedMoves(crlf(kTurningOutput));
    ASSERT_EQ(expected.size(), 42u);
    BackplotSettings incremental = lathe();
    incremental.absolute = false;
    struct StartCase {
        const char* scenario;
        Lines start;  // up to the cycle's first record
        BackplotSettings settings;
        bool framed;
    };
    const StartCase cases[] = {
        {"incremental from the start", {"G00 X60. Z2.", "G71 U2. R0.5"}, incremental, true},
        {"G91 words, then U and W",
         {"G00 X50. Z0", "G91 G00 X4. Z1.", "G00 U6. W1.", "G90", "G71 U2. R0.5"},
         lathe(),
         false},
        {"after G28 U and W name the position",
         {"G91 X20. Z20.", "G28 U60. W2.", "G71 U2. R0.5"},
         lathe(),
         true},
        {"words after the cycle code", {"G00 X60. Z2.", "G71 X0 Z0 U2. R0.5"}, lathe(), false},
        {"milling: the cycle's U is no move", {"G00 X60. Z2.", "G71 U2. R0.5"}, mill(), false},
    };
    for (const StartCase& c : cases) {
        const Expansion result = expand(dir, records(c.start + rest), c.settings);
        EXPECT_EQ(unframedMoves(result.output), expected) << c.scenario;
        EXPECT_EQ(countOf(result.output, ",G90 ") + countOf(result.output, " G91\r\n"),
                  c.framed ? 2 * expected.size() : 0u)
            << c.scenario;
    }
    // The frame sits right after the comma, also after the marker before it.
    const Expansion framed = expand(dir, records(kTurning), incremental);
    EXPECT_NE(framed.output.find("\r\n7,G90 (RAP1)G00 X56.0000 G91\r\n"), std::string::npos);
    EXPECT_NE(framed.output.find("\r\n7(RAP2),G90 G00 Z2.0000 G91\r\n"), std::string::npos);
    EXPECT_TRUE(framed.output.ends_with("\r\n8,G00 X100. Z100.\r\n"));
}

TEST(CycleExpansion, HostileRecordsEndTheRun)
{
    std::string binary;
    for (int byte = 0; byte < 256; ++byte)
        binary += static_cast<char>(byte);
    const std::string digits(100000, '9');
    const std::string nested = std::string(5000, '(') + "G71 U2 R1" + std::string(5000, ')');
    const std::string huge = std::string(308, '9');
    const std::vector<std::string> inputs = {
        binary + "\r\n" + binary + "G71" + binary + "\n",
        "0,G01 X" + digits + "\r\n1,G71 U" + digits + "\r\n",
        "0,G71 U2. R1.\r\n1,G71 P1 Q2 U1\r\n2,N1 X" + digits + "\r\n3,N2 Z" + digits + "\r\n",
        records({nested, std::string(5000, '('), nested + "G01 X1."}),
        // A depth of cut below the spacing of doubles at X 1e14: the pass line stays put.
        records({"G00 X99999999999999 Z2.", "G71 P1 Q2 D0.0000002", "N1 X200000000000000. Z-5.",
                 "N2 X0 Z-5."}),
        records(
            {"G00 X60. Z2.", "G71 P1 Q3 D1500", "N1 X20. Z-5.", "N2 X20. Z-5.", "N3 X20. Z-5."}),
        records({"G00 X60. Z2.", "G71 P1 Q3 U0.4 D-3", "N1 X" + huge, "N2 Z-" + huge,
                 "N3 X-" + huge + " Z" + huge}),
        records({"G00 X60. Z2.", "G72 P1 Q3 D99999999999999", "N1 X" + huge + " Z-1.",
                 "N2 X0 Z-" + huge, "N3 X1"}),
        records({"G73 P1 Q2 I" + huge + " K-1 D0.5", "N1 X" + huge, "N2 Z" + huge}),
        records({"G73 U1. W1. R-5.", "G73 P1 Q2", "N1 X1.", "N2 Z1."}),
        records({"G91 X99999999999999", "G91 X99999999999999", "G73 P1 Q2 D99999", "N1 X0.",
                 "N2 X0."}),
    };
    for (const BackplotSettings& settings : {lathe(), mill()}) {
        for (std::size_t at = 0; at < inputs.size(); ++at) {
            test::TempWorkDir dir;
            const Expansion result = expand(dir, inputs[at] + "99,M30\r\n", settings);
            EXPECT_TRUE(result.output.ends_with("99,M30\r\n")) << "input " << at;
        }
    }
}

}  // namespace
}  // namespace quillon
