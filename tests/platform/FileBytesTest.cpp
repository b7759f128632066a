#include "platform/FileBytes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <thread>

#include "support/TempWorkDir.h"

namespace quillon {
namespace {

class FileBytesTest : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& bytes) const
    {
        dir.write(name, bytes);
        return dir.path(name);
    }
    std::string path(const std::string& name) const { return dir.path(name); }

    test::TempWorkDir dir;
};

// Bytes that differ from one position to the next, so that a piece read twice or left out
// shows.
std::string pattern(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + i / 4093) & 0xFF);
    return bytes;
}

std::string asString(const FileBytes& bytes)
{
    return std::string(bytes.data.get(), bytes.size);
}

TEST_F(FileBytesTest, ReadsEveryByteWhateverTheSize)
{
    struct Case {
        const char* scenario;
        std::size_t size;
    };
    // Big files are read into memory asked to be backed by huge pages.
    const Case cases[] = {
        {"empty", 0},
        {"one byte", 1},
        {"just under the huge-page size", (std::size_t{4} << 20) - 1},
        {"several huge pages and an odd tail", (std::size_t{9} << 20) + 3},
    };
    for (const auto& c : cases) {
        const std::string bytes = pattern(c.size);
        const auto read = readFileBytes(write("F.NC", bytes));
        ASSERT_TRUE(read) << c.scenario;
        EXPECT_EQ(read->size, c.size) << c.scenario;
        EXPECT_TRUE(asString(*read) == bytes) << c.scenario;

        // In pieces: each call sees all bytes so far, the last one all of them.
        std::size_t seen = 0;
        bool prefixes = true;
        const auto pieces =
            readFileBytes(path("F.NC"), nullptr, [&](const char* data, std::size_t size) {
                prefixes = prefixes && size > seen &&
                           std::string_view(data, size) == std::string_view(bytes).substr(0, size);
                seen = size;
            });
        ASSERT_TRUE(pieces) << c.scenario;
        EXPECT_TRUE(prefixes) << c.scenario;
        EXPECT_EQ(seen, c.size) << c.scenario;
        EXPECT_TRUE(asString(*pieces) == bytes) << c.scenario;
    }
}

// A pipe reports no size: the block grows as the bytes come, and none is lost on the way.
TEST_F(FileBytesTest, APipeIsReadToItsEnd)
{
    const std::string fifo = path("PIPE");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string bytes = pattern((std::size_t{5} << 20) + 11);
    std::thread writer([&] {
        std::ofstream(fifo, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    });
    const auto read = readFileBytes(fifo);
    writer.join();
    ASSERT_TRUE(read);
    EXPECT_EQ(read->size, bytes.size());
    EXPECT_TRUE(asString(*read) == bytes);
}

TEST_F(FileBytesTest, FailuresGiveTheirErrno)
{
    int error = 0;
    EXPECT_FALSE(readFileBytes(path("MISSING.NC"), &error));
    EXPECT_EQ(error, ENOENT);
    std::filesystem::create_directories(path("FOLDER"));
    EXPECT_FALSE(readFileBytes(path("FOLDER"), &error));
    EXPECT_EQ(error, EISDIR);
}

}  // namespace
}  // namespace quillon
