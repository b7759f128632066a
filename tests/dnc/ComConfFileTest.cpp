#include "dnc/ComConfFile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "dnc/PortSetups.h"
#include "platform/Notifier.h"
#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

std::string fixture(const char* name)
{
    return readFile(std::string(QUILLON_TEST_DATA) + "/" + name).value();
}

// The 22 lines of one record as written.
std::vector<std::string> recordLines(const std::string& file, int record)
{
    std::vector<std::string> lines;
    LineReader reader(file);
    while (const auto line = reader.next())
        lines.emplace_back(*line);
    const auto first = lines.begin() + 1 + (record - 1) * 23;
    return {first, first + 22};
}

TEST(ComConfFile, DefaultRecordsAreWrittenInTheKeyOrder)
{
    PortSetups setups;
    const std::string file = formatComConf(setups.records());
    EXPECT_EQ(file.substr(0, 2), "\r\n");
    const std::vector<std::string> expected = {
        "1:",   "NM:Config 1", "DT:",  "DR:",  "PT:0", "BD:5", "EB:0", "CD:0",
        "HH:0", "XO:1",        "VP:0", "SB:0", "ET:0", "KO:0", "LO:0", "MD:0",
        "NU:0", "TS:",         "TE:%", "CO:",  "RS:",  "RE:",
    };
    EXPECT_EQ(recordLines(file, 1), expected);
    EXPECT_EQ(recordLines(file, 10)[1], "NM:Config 10");
    EXPECT_TRUE(file.ends_with("\r\nRE:\r\n\r\n"));
}

TEST(ComConfFile, AShopFileReadsAndWritesBackByteForByte)
{
    const std::string bytes = fixture("ComConf-shop.sys");
    PortSetups setups;
    parseComConf(bytes, setups.records());
    const PortSetup& haas = setups.record(0);
    EXPECT_EQ(haas.name, "Haas VF-2");
    EXPECT_EQ(haas.txDirectory, "C:\\NC\\HAAS\\OUT");
    EXPECT_EQ(haas.baud, 7);
    EXPECT_EQ(haas.endOfBlock, EndOfBlock::CrLf);
    EXPECT_EQ(haas.nullCount, 20);
    EXPECT_EQ(haas.rxStart, '%');
    const PortSetup& fanuc = setups.record(1);
    EXPECT_EQ(fanuc.baud, 10);  // "BD::"
    EXPECT_EQ(fanuc.handshake, Handshake::FanucDnc);
    EXPECT_EQ(fanuc.txStart, 18);  // "TS:^R"
    const PortSetup& bridgeport = setups.record(2);
    EXPECT_EQ(bridgeport.baud, 11);  // "BD:;"
    EXPECT_EQ(bridgeport.code, CharacterCode::Eia);
    EXPECT_EQ(bridgeport.txEnd, 20);
    EXPECT_EQ(setups.record(4).keepPortOpen, KeepPortOpen::Open);
    EXPECT_EQ(setups.record(9).name, "Config :");  // as the Windows program named it

    EXPECT_EQ(formatComConf(setups.records()), bytes);
}

TEST(ComConfFile, SpecialBaudCodesAndFramingCharactersRoundTrip)
{
    test::TempWorkDir dir;
    ScriptedNotifier notifier;
    PortSetups setups;
    setups.record(0).baud = 10;
    setups.record(1).baud = 11;
    setups.record(2).txStart = 18;
    setups.record(2).txEnd = '%';
    ASSERT_TRUE(savePortSetups(setups, dir.workDir(), notifier));
    const std::string file = dir.read(kComConfFile);
    EXPECT_EQ(recordLines(file, 1)[5], "BD::");
    EXPECT_EQ(recordLines(file, 2)[5], "BD:;");
    EXPECT_EQ(recordLines(file, 3)[17], "TS:^R");
    EXPECT_EQ(recordLines(file, 3)[18], "TE:%");

    PortSetups read;
    loadPortSetups(read, dir.workDir());
    EXPECT_EQ(read.record(0).baud, 10);
    EXPECT_EQ(read.record(1).baud, 11);
    EXPECT_EQ(read.record(2).txStart, 18);
    EXPECT_EQ(formatComConf(read.records()), file);
    EXPECT_TRUE(notifier.shown().empty());
}

TEST(ComConfFile, OnlyRecordsThreeAndSevenLeaveTheOthersAtTheirDefaults)
{
    const std::string bytes =
        joinLinesCrLf({"", "3:", "NM:Three", "BD:8", "", "7:", "NM:Seven", "PT:6", ""});
    PortSetups setups;
    parseComConf(bytes, setups.records());
    EXPECT_EQ(setups.record(2).name, "Three");
    EXPECT_EQ(setups.record(2).baud, 8);
    EXPECT_EQ(setups.record(6).name, "Seven");
    EXPECT_EQ(setups.record(6).port, 6);
    for (int i : {0, 1, 3, 4, 5, 7, 8, 9}) {
        EXPECT_EQ(setups.record(i), PortSetup::defaults(i)) << i;
    }
}

TEST(ComConfFile, AHeaderOutsideOneToTenEndsTheRead)
{
    const std::string bytes =
        joinLinesCrLf({"", "1:", "NM:One", "", "11:", "NM:Eleven", "", "2:", "NM:Two"});
    PortSetups setups;
    parseComConf(bytes, setups.records());
    EXPECT_EQ(setups.record(0).name, "One");
    EXPECT_EQ(setups.record(1).name, "Config 2");
}

TEST(ComConfFile, KeyLinesBeforeAnyHeaderGoToTheFirstRecord)
{
    PortSetups setups;
    parseComConf("NM:Early\nPT:4\nXNM:not a key\n", setups.records());
    EXPECT_EQ(setups.record(0).name, "Early");
    EXPECT_EQ(setups.record(0).port, 4);
}

TEST(ComConfFile, TheSecondFolderIsTheFallbackAndResetsTheSelection)
{
    test::TempWorkDir dir;
    PortSetups setups;
    setups.select(6);
    std::filesystem::create_directories(dir.workDir().secondSettingsFolder());
    test::writeBytes(dir.workDir().secondSettingsFolder() + "ComConf.sys",
                     joinLinesCrLf({"", "1:", "NM:From the second folder"}));
    loadPortSetups(setups, dir.workDir());
    EXPECT_EQ(setups.selectedIndex(), 0);
    EXPECT_EQ(setups.workingCopy().name, "From the second folder");

    // A file in the working directory wins and keeps the selection.
    dir.write(kComConfFile, joinLinesCrLf({"", "5:", "NM:Five"}));
    setups.select(4);
    loadPortSetups(setups, dir.workDir());
    EXPECT_EQ(setups.selectedIndex(), 4);
    EXPECT_EQ(setups.workingCopy().name, "Five");
    EXPECT_EQ(setups.record(0).name, "Config 1");
}

TEST(ComConfFile, NeitherFileLeavesTheDefaultsSilently)
{
    test::TempWorkDir dir;
    PortSetups setups;
    setups.record(3).name = "edited in memory";
    loadPortSetups(setups, dir.workDir());
    EXPECT_EQ(setups.record(3).name, "Config 4");
}

TEST(ComConfFile, ASaveThatCannotBeWrittenSaysFileOpenError)
{
    test::TempWorkDir dir;
    std::filesystem::create_directory(dir.path(kComConfFile));
    ScriptedNotifier notifier;
    PortSetups setups;
    EXPECT_FALSE(savePortSetups(setups, dir.workDir(), notifier));
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"File open error"});
}

}  // namespace
}  // namespace quillon
