#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "deps/IncludeGraph.h"
#include "support/TempWorkDir.h"

namespace quillon::deps {
namespace {

// An include of one of our headers: file, line and the header's path.
IncludeLine ours(const std::string& file, int line, const std::string& header)
{
    return {file, line, "#include \"" + header + "\"", folderOf(header), false};
}

IncludeLine qtHeader(const std::string& file, int line, const std::string& header)
{
    return {file, line, "#include <" + header + ">", {}, true};
}

std::string joined(const std::vector<std::string>& problems)
{
    std::string text;
    for (const std::string& problem : problems)
        text += problem + "\n";
    return text;
}

// The rules without the tolerated arrow, so that a graph without it is not reported stale.
FolderRules strictRules()
{
    FolderRules rules = repositoryRules();
    rules.knownArrows.clear();
    return rules;
}

struct RuleCase {
    const char* name;
    std::vector<IncludeLine> includes;
    // Texts the single report must hold (file:line, the include, the folders); none: clean.
    std::vector<std::string> expected;
};

void PrintTo(const RuleCase& c, std::ostream* out)
{
    *out << c.name;
}

class FolderRuleTest : public testing::TestWithParam<RuleCase> {};

TEST_P(FolderRuleTest, ReportsWhatBreaksARuleWithItsFileAndLine)
{
    const RuleCase& c = GetParam();
    const auto problems = checkIncludes(c.includes, strictRules());
    if (c.expected.empty()) {
        EXPECT_TRUE(problems.empty()) << joined(problems);
        return;
    }
    ASSERT_EQ(problems.size(), 1u) << joined(problems);
    for (const std::string& text : c.expected)
        EXPECT_NE(problems[0].find(text), std::string::npos) << problems[0] << "\nlacks " << text;
}

INSTANTIATE_TEST_SUITE_P(
    Arrows, FolderRuleTest,
    testing::Values(RuleCase{"UiOverItsCoreAndTheSharedBasesIsClean",
                             {ours("editor/ui/CLiView.cpp", 3, "editor/CLiDoc.h"),
                              ours("editor/ui/CLiView.cpp", 4, "platform/ui/Latin1.h"),
                              ours("backplot/ui/PlotChart.h", 5, "charting/ChartWidget.h"),
                              ours("charting/ChartWidget.cpp", 6, "platform/ui/QtNotifier.h"),
                              ours("editor/CLiDoc.cpp", 2, "platform/AtomicFile.h"),
                              qtHeader("editor/ui/CLiView.h", 1, "QAbstractScrollArea")},
                             {}},
                    RuleCase{"CompositionRootsReachIntoEveryUi",
                             {ours("app/ui/CMainFrame.cpp", 30, "editor/ui/CChildFrame.h"),
                              ours("app/ui/CMainFrame.cpp", 31, "backplot/ui/PlotWindows.h"),
                              ours("cli/ui/main.cpp", 5, "cli/CliCommands.h"),
                              ours("cli/ui/CliPlotImage.cpp", 9, "backplot/ui/PlotChart.h")},
                             {}},
                    RuleCase{
                        "OneUiReachingIntoAnothersUi",
                        {ours("backplot/ui/PlotWindows.cpp", 8, "editor/ui/CLiView.h")},
                        {"src/backplot/ui/PlotWindows.cpp:8: #include \"editor/ui/CLiView.h\"",
                         "backplot/ui includes another subsystem's editor/ui"}},
                    RuleCase{"TheSharedBaseReachingIntoASubsystemsUi",
                             {ours("platform/ui/QtNotifier.cpp", 4, "app/ui/CMainFrame.h")},
                             {"src/platform/ui/QtNotifier.cpp:4:", "app/ui"}},
                    RuleCase{"CoreIncludingQt",
                             {qtHeader("editor/Search.cpp", 7, "QString")},
                             {"src/editor/Search.cpp:7: #include <QString>",
                              "core folder editor includes Qt"}},
                    RuleCase{"CoreIncludingTheChartComponent",
                             {ours("backplot/PlotModel.cpp", 12, "charting/ChartData.h")},
                             {"src/backplot/PlotModel.cpp:12:", "ui-level folder charting"}},
                    RuleCase{"CoreIncludingAUiFolder",
                             {ours("cli/CliBackplot.cpp", 2, "cli/ui/CliPlotImage.h")},
                             {"src/cli/CliBackplot.cpp:2:",
                              "core folder cli includes the ui-level folder cli/ui"}},
                    // Each arrow alone is allowed: only the cycle is reported.
                    RuleCase{"TwoCompositionRootsInACycle",
                             {ours("app/ui/CMainFrame.cpp", 30, "cli/ui/CliPlotImage.h"),
                              ours("cli/ui/CliPlotImage.cpp", 6, "app/ui/FontMapping.h"),
                              ours("cli/ui/main.cpp", 9, "app/ui/CMainFrame.h")},
                             {"folder cycle: app/ui -> cli/ui -> app/ui",
                              "src/app/ui/CMainFrame.cpp:30: #include \"cli/ui/CliPlotImage.h\"",
                              "src/cli/ui/CliPlotImage.cpp:6: #include \"app/ui/FontMapping.h\""}},
                    RuleCase{"ThreeCoreFoldersInACycle",
                             {ours("app/AppSettings.h", 10, "editor/EditorColors.h"),
                              ours("editor/Search.cpp", 3, "utilities/LineTools.h"),
                              ours("utilities/Renumber.cpp", 4, "app/FileUpdate.h"),
                              ours("editor/CLiDoc.cpp", 5, "platform/AtomicFile.h")},
                             {"folder cycle: app -> editor -> utilities -> app",
                              "src/utilities/Renumber.cpp:4:"}}),
    [](const testing::TestParamInfo<RuleCase>& info) { return std::string(info.param.name); });

TEST(FolderRules, ATolerantArrowIsLeftOutOfTheCycleSearchAndReportedOnceItIsGone)
{
    FolderRules rules = repositoryRules();
    rules.knownArrows = {{"platform", "dnc", "a backend implementing an interface of dnc"}};
    const KnownArrow& known = rules.knownArrows[0];
    const std::vector<IncludeLine> cycle = {
        ours(known.from + "/X.cpp", 1, known.to + "/Y.h"),
        ours(known.to + "/Z.cpp", 2, known.from + "/W.h"),
    };
    EXPECT_TRUE(checkIncludes(cycle, rules).empty()) << joined(checkIncludes(cycle, rules));

    const std::vector<IncludeLine> withoutIt = {cycle[1]};
    const auto problems = checkIncludes(withoutIt, rules);
    ASSERT_EQ(problems.size(), 1u) << joined(problems);
    EXPECT_NE(problems[0].find("is gone"), std::string::npos) << problems[0];
}

TEST(FolderRules, IncludeLinesAreReadWithTheFoldersOfOurHeadersAndTheQtOnes)
{
    test::TempWorkDir dir;
    const std::filesystem::path src = dir.base() + "/src";
    std::filesystem::create_directories(src / "editor/ui");
    test::writeBytes((src / "editor/Search.h").string(), "#pragma once\n");
    test::writeBytes((src / "editor/ui/Find.h").string(), "#pragma once\n");
    test::writeBytes((src / "editor/ui/Find.cpp").string(),
                     "#include \"editor/ui/Find.h\"\n"
                     "\n"
                     "  #  include <QDialog>\n"
                     "#include <vector>\n"
                     "#include \"editor/Search.h\"\n"
                     "#include \"gtest/gtest.h\"\n"
                     "// #include \"app/ui/Gone.h\" is a comment, not an include\n");

    const auto includes = readIncludes(src);
    ASSERT_EQ(includes.size(), 5u);
    EXPECT_EQ(includes[0].target, "editor/ui");
    EXPECT_TRUE(includes[1].qt);
    EXPECT_EQ(includes[1].lineNumber, 3);
    EXPECT_FALSE(includes[2].qt);
    EXPECT_EQ(includes[2].target, "");
    EXPECT_EQ(includes[3].target, "editor");
    EXPECT_EQ(includes[3].file, "editor/ui/Find.cpp");
    EXPECT_EQ(includes[4].target, "") << "a header that is not ours";
}

}  // namespace
}  // namespace quillon::deps
