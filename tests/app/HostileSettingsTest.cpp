// Settings files as a damaged disk, a wrong copy or a curious user leaves them: missing,
// empty, short, binary, or with lines far beyond the 260-byte buffer. Reading them must
// never crash and never move a later setting onto the wrong line.
#include <gtest/gtest.h>

#include <random>

#include "app/AppSettings.h"
#include "app/FontSettings.h"
#include "app/MainWindowRect.h"
#include "app/MarginsSettings.h"
#include "app/SettingsLock.h"
#include "dnc/ComConfFile.h"
#include "dnc/ComDeviceMap.h"
#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

std::string randomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string bytes(size, '\0');
    for (auto& c : bytes)
        c = static_cast<char>(byte(generator));
    return bytes;
}

// Binary noise with many line ends and the characters the readers look for.
std::string settingsNoise(std::size_t size, unsigned seed)
{
    static const std::string alphabet = "\n\n\n\r:^%-0123456789NMDTPTBDEBCDXOKOTSTECORSRE ";
    std::mt19937 generator(seed);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() + 40);
    std::string bytes;
    const std::string noise = randomBytes(size, seed);
    for (std::size_t i = 0; i < size; ++i) {
        const std::size_t k = pick(generator);
        bytes += k < alphabet.size() ? alphabet[k] : noise[i];
    }
    return bytes;
}

struct HostileFile {
    std::string scenario;
    std::string bytes;
};

std::vector<HostileFile> hostileCorpus()
{
    std::vector<HostileFile> corpus = {
        {"empty", ""},
        {"one empty line", "\n"},
        {"only line ends", std::string(500, '\n')},
        {"crlf only", "\r\n\r\n\r\n"},
        {"one endless line", std::string(100000, 'A')},
        {"nul bytes", std::string(600, '\0')},
        {"record header then end", "\n1:"},
        {"header without a number", "\nNM:x\n"},
        {"huge header", "\n99999999999999999999:\n"},
        {"negative header", "\n-3:\nNM:x\n"},
        {"keys without values", "\n1:\nNM:\nPT:\nBD:\nNU:\nTS:\nTE:^\n"},
        {"high bytes after keys", "\n1:\nTS:\x8a\nTE:\x80\nCO:\xff\nPT:\xff\nBD:\xf0\n"},
    };
    for (unsigned seed = 1; seed <= 24; ++seed) {
        corpus.push_back({"random " + std::to_string(seed), randomBytes(4096, seed)});
        corpus.push_back({"noise " + std::to_string(seed), settingsNoise(4096, seed)});
    }
    return corpus;
}

TEST(HostileSettings, NoReaderCrashesOnTheCorpus)
{
    for (const auto& file : hostileCorpus()) {
        SCOPED_TRACE(file.scenario);
        test::TempWorkDir dir;
        for (const auto name :
             {kComConfFile, kMarginsFile, kFontsFile, kPasswordFile, kComDevicesFile}) {
            dir.write(name, file.bytes);
        }
        dir.write("_TMP/MwndPos.txt", file.bytes);

        AppSettings settings;
        loadStartupSettings(settings, dir.workDir());
        readMainWindowRect(dir.workDir());
        checkPassword(dir.workDir(), "x");
        const auto devices = ComDeviceMap::load(dir.workDir());
        for (int port = -1; port <= kPortCount; ++port)
            devices.devicePath(port);
        for (const auto& setup : settings.portSetups.records())
            setupSummaryLines(setup);
    }
}

std::array<PortSetup, kPortCount> parsedRecords(std::string_view bytes)
{
    std::array<PortSetup, kPortCount> records;
    for (int i = 0; i < kPortCount; ++i)
        records[static_cast<std::size_t>(i)] = PortSetup::defaults(i);
    parseComConf(bytes, records);
    return records;
}

TEST(HostileSettings, SavedPortSetupsReadBackWhateverWasRead)
{
    // Whatever a damaged file put into the records, the saved file must read back to the
    // same records: no value may break a line of the file and shift the keys after it.
    // Only a framing character may change its form once (code 133 is saved as code 5).
    for (const auto& file : hostileCorpus()) {
        SCOPED_TRACE(file.scenario);
        const auto records = parsedRecords(file.bytes);
        const std::string saved = formatComConf(records);
        const auto again = parsedRecords(saved);
        for (std::size_t i = 0; i < records.size(); ++i) {
            PortSetup expected = records[i];
            for (auto field : {&PortSetup::txStart, &PortSetup::txEnd, &PortSetup::rxStart,
                               &PortSetup::rxEnd, &PortSetup::commentFilter})
                expected.*field = again[i].*field;
            EXPECT_EQ(expected, again[i]) << "record " << i + 1;
        }
        EXPECT_EQ(formatComConf(parsedRecords(formatComConf(again))), formatComConf(again));
    }
}

TEST(HostileSettings, ALongMarginsLineDoesNotShiftTheNextSettings)
{
    test::TempWorkDir dir;
    const std::string longPath(1000, 'p');
    dir.write(kMarginsFile, joinLinesCrLf({longPath, "2.5", "1", "1", "1", "0", "1"}));
    const MarginsSettings settings = readMarginsFile(dir.workDir());
    EXPECT_EQ(settings.editorDefaultPath, std::string(kSettingsLineLimit, 'p'));
    EXPECT_EQ(settings.leftMargin, "2.5");
    EXPECT_FALSE(settings.printHeader);
    EXPECT_TRUE(settings.startMinimized);
}

TEST(HostileSettings, ALongComConfLineDoesNotShiftTheNextKeys)
{
    test::TempWorkDir dir;
    const std::string longName(1000, 'n');
    dir.write(kComConfFile, joinLinesCrLf({"", "1:", "NM:" + longName, "BD:7", "",
                                           "2:", "DT:" + longName, "PT:3"}));
    PortSetups setups;
    loadPortSetups(setups, dir.workDir());
    EXPECT_EQ(setups.record(0).name, std::string(kSettingsLineLimit - 3, 'n'));
    EXPECT_EQ(setups.record(0).baud, 7);
    EXPECT_EQ(setups.record(1).port, 3);
    EXPECT_EQ(setups.record(2).name, "Config 3");
}

TEST(HostileSettings, ALongFaceNameDoesNotShiftTheNextFont)
{
    test::TempWorkDir dir;
    std::vector<std::string> lines = {"120", "0", "0", "0", "700", "0", "0",
                                      "0",   "0", "0", "0", "0",   "1", std::string(5000, 'F'),
                                      ""};
    const std::vector<std::string> second = {"90", "0", "0", "0", "400", "0",  "0",
                                             "0",  "0", "0", "0", "0",   "49", "Mono"};
    lines.insert(lines.end(), second.begin(), second.end());
    dir.write(kFontsFile, joinLinesCrLf(lines));
    FontSet fonts;
    readFontsFile(dir.path(kFontsFile), fonts);
    EXPECT_EQ(fonts[FontRole::Editor].faceName.size(), kFaceNameLimit);
    EXPECT_EQ(fonts[FontRole::Printer].faceName, "Mono");
    EXPECT_EQ(fonts[FontRole::Printer].height, 90);
}

}  // namespace
}  // namespace quillon
