// What the fault tests share: the faults each writer meets, the reason a user must be given
// for each, and programs big enough to fail part way.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "dnc/Exchange.h"
#include "support/FaultyFolder.h"

namespace quillon::test {

inline constexpr FolderFault kAllFolderFaults[] = {
    FolderFault::FullTmpfs,
    FolderFault::FileSizeLimit,
    FolderFault::ReadOnlyMount,
    FolderFault::NoWritePermission,
};

// The words of the message that name the cause: the program's own for each error number.
inline std::string reasonShown(FolderFault fault)
{
    return isFullVolume(fault)                   ? "not enough room on the disk"
           : fault == FolderFault::ReadOnlyMount ? "lies on a read-only disk"
                                                 : "was denied";
}

// An engine's observer that keeps only the message a transfer ends with.
class MessageObserver final : public TransferObserver {
public:
    void setStatus(const std::string&) override {}
    void setTitle(const std::string&) override {}
    void showMessage(const std::string& text) override { message = text; }
    std::optional<std::string> askSetupFile(const std::string&) override { return {}; }
    std::string message;
};

// The system's own words for the fault's error number.
inline std::string reasonText(FolderFault fault)
{
    return std::strerror(faultErrno(fault));
}

// An NC program of that many blocks, CR LF after each: about 24 bytes a block.
inline std::string ncProgram(int blocks, const std::string& word = "X")
{
    std::string text = "%\r\nO1000\r\n";
    for (int i = 1; i <= blocks; ++i)
        text += "N" + std::to_string(i * 10) + " G01 " + word + std::to_string(i) + ".5\r\n";
    return text + "M30\r\n%\r\n";
}

// What differs between two looks at a folder, one line a file ("name: was N bytes, now M"),
// empty when nothing does; short enough to read when a test fails.
inline std::string changes(const std::map<std::string, std::string>& before,
                           const std::map<std::string, std::string>& after)
{
    const auto size = [](const std::map<std::string, std::string>& files,
                         const std::string& name) {
        const auto found = files.find(name);
        return found == files.end() ? std::string("missing")
                                    : std::to_string(found->second.size()) + " bytes";
    };
    std::map<std::string, bool> names;
    for (const auto& [name, bytes] : before)
        names[name] = after.contains(name) && after.at(name) == bytes;
    for (const auto& [name, bytes] : after)
        names.try_emplace(name, false);
    std::string text;
    for (const auto& [name, same] : names) {
        if (!same)
            text += name + ": was " + size(before, name) + ", now " + size(after, name) + "\n";
    }
    return text;
}

// A fixture whose tests run once for each fault; a fault this machine cannot make (no
// right to mount) skips with the reason.
class FolderFaultTest : public ::testing::TestWithParam<FolderFault> {
protected:
    void SetUp() override
    {
        if (!folder.unavailable().empty())
            GTEST_SKIP() << faultName(GetParam()) << ": " << folder.unavailable();
    }

    FaultyFolder folder{GetParam()};
};

inline std::string folderFaultName(const ::testing::TestParamInfo<FolderFault>& info)
{
    return faultName(info.param);
}

}  // namespace quillon::test
