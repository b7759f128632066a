#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "backplot/BackplotChain.h"
#include "backplot/CycleExpansion.h"
#include "backplot/PathBuilder.h"
#include "backplot/PrePass.h"
#include "nc/Words.h"
#include "platform/Notifier.h"
#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

class BackplotPasses : public ::testing::Test {
protected:
    // The pre-pass over the lines; the records it wrote, without their line ends.
    std::vector<std::string> prePass(const std::vector<std::string>& program,
                                     const BackplotSettings& settings = {})
    {
        const ProgramLines lines{program.size(),
                                 [&](std::size_t i) { return std::string_view(program[i]); }};
        EXPECT_TRUE(writeBackplotPrePass(lines, settings, dir.path("pre.txt")).written);
        const std::string bytes = readFile(dir.path("pre.txt")).value_or("");
        std::vector<std::string> records;
        std::size_t start = 0;
        while (start < bytes.size()) {
            const std::size_t end = bytes.find("\r\n", start);
            EXPECT_NE(end, std::string::npos) << "every record ends with CR LF";
            records.push_back(bytes.substr(start, end - start));
            start = end + 2;
        }
        return records;
    }

    PlotBuild build(const std::vector<std::string>& records, const BackplotSettings& settings = {})
    {
        std::string bytes;
        for (const auto& record : records)
            bytes += record + "\r\n";
        test::writeBytes(dir.path("records.txt"), bytes);
        PlotBuild result;
        EXPECT_TRUE(buildPlotPath(dir.path("records.txt"), settings, result, notifier));
        return result;
    }

    // Both passes, as the chain runs them when the program has no turning cycle.
    PlotBuild plot(const std::vector<std::string>& program, const BackplotSettings& settings = {})
    {
        return build(prePass(program, settings), settings);
    }

    test::TempWorkDir dir;
    ScriptedNotifier notifier;
};

PlotPoint point(int line, int gap, int slot, float x, float y, float z)
{
    return {line, gap, slot, x, y, z};
}

TEST_F(BackplotPasses, LinesWithoutArcsOrReturnsAreCopied)
{
    const std::vector<std::string> program = {"%", "O1000 (PLATE)", "G90 G00 X10. Y5.",
                                              "G01 Z-1. F200", "m30"};
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < program.size(); ++i)
        expected.push_back(std::to_string(i) + "," + program[i]);
    EXPECT_EQ(prePass(program), expected);
    // A G02 without an end point (a full circle by I and J alone) is copied as well.
    EXPECT_EQ(prePass({"G02 I5. J0"}), std::vector<std::string>{"0,G02 I5. J0"});
}

TEST_F(BackplotPasses, AnArcBecomesSegmentRecords)
{
    // Clockwise R5 from the origin to X10 Y0: 45 records over the top of the circle.
    const auto records = prePass({"G17 G02 X10. Y0 R5."});
    ASSERT_EQ(records.size(), 45u);
    for (const auto& record : records)
        EXPECT_EQ(record.substr(0, 7), "0,G01 X") << record;
    EXPECT_EQ(records[21].substr(records[21].find(" Y") + 2, 3), "4.9");
    const std::string& last = records.back();
    EXPECT_EQ(last.substr(0, 15), "0,G01 X10.0000 ");
    EXPECT_NEAR(decimalValue(last.substr(last.find(" Y") + 2)), 0.0, 1e-4);

    // XZ and YZ planes name their own axes.
    EXPECT_EQ(prePass({"G18 G03 X10. Z0 R5."}).back().substr(0, 15), "0,G01 X10.0000 ");
    EXPECT_EQ(prePass({"G18 G03 X10. Z0 R5."}).back().substr(15, 1), "Z");
    EXPECT_EQ(prePass({"G19 G03 Y10. Z0 R5."}).back().substr(0, 15), "0,G01 Y10.0000 ");

    // A short arc whose last step passes the end gets the end point as one more record.
    const auto shortArc = prePass({"G00 X10.", "G03 X9.9500 Y.99833 I-10. J0", "X20."});
    ASSERT_EQ(shortArc.size(), 5u);
    EXPECT_EQ(shortArc[3], "1,G01 X9.9500 Y.99833");
    EXPECT_EQ(shortArc[4], "2,X20.");
}

TEST_F(BackplotPasses, LatheProgramsAreReadInDiameter)
{
    BackplotSettings lathe;
    lathe.lathe = true;
    lathe.plane = 5;
    // X40. is drawn at 20 and written back as X40.0000.
    const auto records = prePass({"G00 X40. Z2.", "G02 X40. Z-10. R5."}, lathe);
    EXPECT_EQ(records.front(), "0,G00 X40. Z2.");
    EXPECT_EQ(records.back(), "1,G01 X40.0000 Z-10.0000");
    const PlotBuild built = build(records, lathe);
    EXPECT_EQ(built.points.front(), point(0, 0, 0, 20, 0, 2));
    EXPECT_FLOAT_EQ(built.points.back().x, 20);
    EXPECT_FLOAT_EQ(built.points.back().z, -10);

    // A reference return is a rapid to the named axes (U and W set them after G28).
    EXPECT_EQ(prePass({"G00 X40. Z5.", "G28 U0 W0"}, lathe).back(), "1,G00 X.00000 Z.00000 ");
    EXPECT_EQ(prePass({"G28 X100."}, lathe).back(), "0,G00 X100.0000 ");
}

TEST_F(BackplotPasses, IncrementalProgramsLandWhereTheyBelong)
{
    // The records the pass makes itself say G90 while the program runs G91.
    const auto records = prePass({"G91 G01 X5. Y0", "G02 X10. Y0 R5.", "G01 X1."});
    ASSERT_GE(records.size(), 3u);
    EXPECT_EQ(records[1].substr(0, 10), "1,G90 G01 ");
    EXPECT_EQ(records[records.size() - 2].substr(records[records.size() - 2].size() - 4), " G91");

    const PlotBuild built =
        plot({"G91 G01 X5. Y0", "G02 X10. Y0 R5.", "G01 X1.", "G28 Y3.", "Y1."});
    const PlotPoint& afterArc = built.points[built.points.size() - 3];
    EXPECT_EQ(afterArc.line, 2);
    EXPECT_NEAR(afterArc.x, 16, 1e-4);
    EXPECT_NEAR(afterArc.y, 0, 1e-4);
    EXPECT_EQ(built.points[built.points.size() - 2], point(3, 0, 0, 16, 3, 0));
    EXPECT_EQ(built.points.back().y, 4);
}

TEST_F(BackplotPasses, SlotsFollowTheToolsAndTheirChangesLeaveGaps)
{
    const PlotBuild built = plot({"G01 X1.", "G00 X2.", "T2 M06", "G01 T3 X3.", "X4.", "G01 Y1."});
    EXPECT_EQ(built.tools[0], "G00");
    EXPECT_EQ(built.tools[1], "T01");  // a feed before any tool
    EXPECT_EQ(built.tools[2], "T2");
    EXPECT_EQ(built.tools[3], "T3");
    EXPECT_TRUE(built.tools[4].empty());
    const std::vector<PlotPoint> expected = {
        point(0, 0, 1, 1, 0, 0),
        // From slot 1 to the rapid slot: the last point as a gap, then again in slot 0.
        point(0, 1, 1, 1, 0, 0),
        point(0, 0, 0, 1, 0, 0),
        point(1, 0, 0, 2, 0, 0),
        // T3 after the G01 makes the line a tool change: it stays in the colour it had,
        // and so does the next line without a G word.
        point(3, 0, 0, 3, 0, 0),
        point(4, 0, 0, 4, 0, 0),
        // The next feed takes T3's slot.
        point(4, 1, 0, 4, 0, 0),
        point(4, 0, 3, 4, 0, 0),
        point(5, 0, 3, 4, 1, 0),
    };
    EXPECT_EQ(built.points, expected);
}

TEST_F(BackplotPasses, SeventeenToolsStopTheBuild)
{
    std::vector<std::string> program;
    for (int tool = 1; tool <= 17; ++tool) {
        program.push_back("T" + std::to_string(tool));
        program.push_back("G01 X" + std::to_string(tool) + ".");
    }
    const PlotBuild built = plot(program);
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"Too many tools"});
    EXPECT_EQ(built.tools[16], "T16");
    ASSERT_FALSE(built.points.empty());
    EXPECT_EQ(built.points.back().line, 31);  // G01 X16., the last line drawn
}

TEST_F(BackplotPasses, DrillingDrawsAStrokeFromTheStartLevel)
{
    const PlotBuild built = plot({"G00 Z2.", "G81 X10. Y10. Z-5. R1.", "X20."});
    const std::vector<PlotPoint> expected = {
        point(0, 0, 0, 0, 0, 2),    point(1, 0, 0, 10, 10, 2),  point(1, 0, 0, 10, 10, 2),
        point(1, 0, 0, 10, 10, -5), point(1, 1, 0, 10, 10, -5), point(2, 0, 0, 20, 10, 2),
        point(2, 0, 0, 20, 10, 2),  point(2, 0, 0, 20, 10, -5), point(2, 1, 0, 20, 10, -5),
    };
    EXPECT_EQ(built.points, expected);
}

TEST_F(BackplotPasses, IncrementWordsMoveExceptInCycleRecords)
{
    BackplotSettings lathe;
    lathe.lathe = true;
    lathe.plane = 5;
    const PlotBuild built =
        build({"0,G00 X40. Z2.", "1,G01 U-10. W-5.", "2,G71 U2. R0.5", "3,G01 W-1."}, lathe);
    ASSERT_EQ(built.points.size(), 3u + 2u);  // with the slot change's two points
    EXPECT_EQ(built.points[3], point(1, 0, 1, 15, 0, -3));
    EXPECT_EQ(built.points[4], point(3, 0, 1, 15, 0, -4));
}

// An interpreter written apart from the passes: where each line of a milling program
// ends, and the centre of each arc, by the textbook rules (G90/G91, G17 arcs with I/J or
// R, R negative for more than a half circle).
struct ReferenceLine {
    double x = 0, y = 0;
    bool arc = false;
    double cx = 0, cy = 0, radius = 0;
};

std::vector<ReferenceLine> referenceInterpreter(const std::vector<std::string>& program)
{
    std::vector<ReferenceLine> result;
    double x = 0, y = 0;
    bool absolute = true;
    for (const std::string& line : program) {
        double nx = x, ny = y, i = 0, j = 0, r = 0;
        int motion = 1;
        std::size_t at = 0;
        while (at < line.size()) {
            const char letter = line[at++];
            std::size_t used = 0;
            const double value = at < line.size() ? std::stod(line.substr(at), &used) : 0;
            at += used;
            switch (letter) {
            case 'G':
                if (value == 90 || value == 91)
                    absolute = value == 90;
                else
                    motion = static_cast<int>(value);
                break;
            case 'X':
                nx = absolute ? value : x + value;
                break;
            case 'Y':
                ny = absolute ? value : y + value;
                break;
            case 'I':
                i = value;
                break;
            case 'J':
                j = value;
                break;
            case 'R':
                r = value;
                break;
            default:
                break;
            }
            while (at < line.size() && line[at] == ' ')
                ++at;
        }
        ReferenceLine ref{nx, ny};
        if (motion == 2 || motion == 3) {
            ref.arc = true;
            if (r != 0) {
                // Centre on the perpendicular bisector of the chord, on the side the
                // direction and the sign of R choose.
                const double mx = (x + nx) / 2, my = (y + ny) / 2;
                const double dx = nx - x, dy = ny - y;
                const double half = std::hypot(dx, dy) / 2;
                const double h = std::sqrt(std::max(0.0, r * r - half * half));
                const double side = ((motion == 2) == (r > 0)) ? -1 : 1;
                ref.cx = mx + side * h * (-dy) / (2 * half);
                ref.cy = my + side * h * dx / (2 * half);
                ref.radius = std::fabs(r);
            } else {
                ref.cx = x + i;
                ref.cy = y + j;
                ref.radius = std::hypot(i, j);
            }
        }
        result.push_back(ref);
        x = nx;
        y = ny;
    }
    return result;
}

TEST_F(BackplotPasses, MillingPathsAgreeWithAnIndependentInterpreter)
{
    const std::vector<std::string> program = {
        "G90 G00 X10. Y0",
        "G01 X20.",
        "G03 X30. Y10. I0 J10.",
        "G91 G01 Y5.",
        "G02 X10. Y-10. R10.",
        "X-5. Y5.",
        "G03 X0 Y10. R-7.",
        "G90 G02 X40. Y30. R15.",
        "G91 G03 X-10. Y0 I-5. J0",
        "G01 X-3. Y-4.",
        "G90 G01 X0 Y0",
    };
    const std::vector<ReferenceLine> reference = referenceInterpreter(program);
    const PlotBuild built = plot(program);
    ASSERT_TRUE(notifier.shown().empty());
    for (std::size_t line = 0; line < program.size(); ++line) {
        std::vector<const PlotPoint*> drawn;
        for (const PlotPoint& p : built.points) {
            if (p.line == static_cast<int>(line) && p.gap == 0)
                drawn.push_back(&p);
        }
        ASSERT_FALSE(drawn.empty()) << program[line];
        // Every line ends where the reference says...
        EXPECT_NEAR(drawn.back()->x, reference[line].x, 2e-4) << program[line];
        EXPECT_NEAR(drawn.back()->y, reference[line].y, 2e-4) << program[line];
        // ...and an arc's points lie on the reference's circle.
        if (reference[line].arc) {
            EXPECT_GE(drawn.size(), 3u) << program[line];
            for (const PlotPoint* p : drawn)
                EXPECT_NEAR(std::hypot(p->x - reference[line].cx, p->y - reference[line].cy),
                            reference[line].radius, 2e-3)
                    << program[line];
        }
    }
}

// Without a turning cycle the chain takes the pre-pass's records as the cycle file; that
// must be exactly what the cycle expansion would have written.
TEST_F(BackplotPasses, TheChainSparesTheCycleExpansionOnlyWhereItWouldCopy)
{
    const std::string longComment = "G01 X1. (" + std::string(4100, 'A') + " G71 P1 Q2)";
    const std::vector<std::vector<std::string>> programs = {
        {"G00 X10. Y5.", "G02 X20. Y5. R5.", "G91 G01 X1.", "G28 X0"},
        {"G00 X40. Z2.", "G71 U2. R0.5", "G71 P10 Q20 U0.4 W0.1 F0.25", "N10 G01 X20. Z0",
         "N20 X40. Z-20.", "G70 P10 Q20"},
        {"G73 X10. Y10. Z-5. Q1. F100"},
        {longComment, "X2."},
    };
    for (const auto& program : programs) {
        const ProgramLines lines{program.size(),
                                 [&](std::size_t i) { return std::string_view(program[i]); }};
        PlotBuild built;
        ASSERT_TRUE(runBackplotChain(lines, {}, dir.base(), built, notifier));
        const std::string folder = dir.base() + "/";
        ScriptedNotifier separate;
        ASSERT_TRUE(expandCannedCycles(folder + std::string(kBackplotFile), folder + "alone.txt",
                                       folder + "shape.txt", {}, separate));
        EXPECT_TRUE(readFile(folder + std::string(kBackplotCycleFile)) ==
                    readFile(folder + "alone.txt"))
            << program.front();
    }
}

// The chain builds the path from the pre-pass's bytes as they are written; the points and
// the messages must be those of the path builder reading the file afterwards.
TEST_F(BackplotPasses, BuildingWhileThePrePassWritesGivesTheFilesPath)
{
    std::vector<std::string> program;
    for (int i = 0; i < 3000; ++i) {
        program.push_back("G01 X" + std::to_string(i % 50) + ". Y" + std::to_string(i % 7) + ".");
        program.push_back(i % 2 ? "G02 X10. Y0 R5." : "G03 X0 Y0 I-5. J0");
    }
    // Incremental, lathe-free framing, reference returns and a line whose record is just
    // under the reader's piece (the index and comma included).
    program.push_back("G91 G02 X10. Y0 R5.");
    program.push_back("G28 Y2.");
    program.push_back("G90 G03 X0 Y0 R-8.");
    program.push_back("G01 X3. (" +
                      std::string(4080 - std::to_string(program.size()).size() - 12, 'C') + ")");
    for (int tool = 1; tool <= 17; ++tool)
        program.push_back("G01 T" + std::to_string(tool) + " X1.");
    const ProgramLines lines{program.size(),
                             [&](std::size_t i) { return std::string_view(program[i]); }};
    PlotBuild chained;
    ASSERT_TRUE(runBackplotChain(lines, {}, dir.base(), chained, notifier));
    ScriptedNotifier fromFile;
    PlotBuild read;
    ASSERT_TRUE(
        buildPlotPath(dir.base() + "/" + std::string(kBackplotCycleFile), {}, read, fromFile));
    EXPECT_GT(chained.points.size(), 100'000u);
    EXPECT_TRUE(chained.points == read.points)
        << chained.points.size() << " " << read.points.size();
    EXPECT_EQ(chained.tools, read.tools);
    EXPECT_EQ(notifier.texts(), fromFile.texts());
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"Too many tools"});
}

// The chain writes over the last plot's file: a shorter plot must leave nothing of it.
TEST_F(BackplotPasses, APlotAfterALongerOneKeepsNoneOfItsRecords)
{
    std::vector<std::string> longer;
    for (int i = 0; i < 2000; ++i)
        longer.push_back(i % 2 ? "G02 X10. Y0 R5." : "G01 X0 Y0");
    const std::vector<std::string> shorter = {"G00 X1. Y2.", "G03 X5. Y2. R2."};
    const auto linesOfProgram = [](const std::vector<std::string>& program) {
        return ProgramLines{program.size(),
                            [&program](std::size_t i) { return std::string_view(program[i]); }};
    };
    PlotBuild built;
    ASSERT_TRUE(runBackplotChain(linesOfProgram(longer), {}, dir.base(), built, notifier));
    const auto longerBytes = readFile(dir.base() + "/" + std::string(kBackplotFile));
    ASSERT_TRUE(longerBytes);
    PlotBuild again;
    ASSERT_TRUE(runBackplotChain(linesOfProgram(shorter), {}, dir.base(), again, notifier));
    ASSERT_TRUE(writeBackplotPrePass(linesOfProgram(shorter), {}, dir.path("alone.txt")).written);
    const auto alone = readFile(dir.path("alone.txt"));
    ASSERT_TRUE(alone);
    EXPECT_LT(alone->size() * 10, longerBytes->size());
    EXPECT_TRUE(readFile(dir.base() + "/" + std::string(kBackplotFile)) == alone);
    EXPECT_TRUE(readFile(dir.base() + "/" + std::string(kBackplotCycleFile)) == alone);
}

TEST_F(BackplotPasses, HostileProgramsFinish)
{
    std::string binary;
    for (int c = 0; c < 256; ++c)
        binary += static_cast<char>(c);
    const std::vector<std::string> program = {
        binary,
        std::string(100'000, 'X'),
        std::string(5'000, '(') + "X1" + std::string(5'000, ')'),
        "G01 X99999999999999999999 Y-1e308",
        "G02 X0 Y0 R0",
        "G02 X10 Y0 I0 J0",
        "G03 X1 Y1 R0.00001",
        "G91 G02 X1 Y1 R-0.5",
        std::string(70'000, '9'),
    };
    const PlotBuild built = plot(program);
    for (const PlotPoint& p : built.points)
        EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
}

}  // namespace
}  // namespace quillon
