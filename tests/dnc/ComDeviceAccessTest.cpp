// Whether a port's device can be opened, as the setup dialogs tell the user.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "dnc/ComDeviceMap.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

constexpr uid_t kNobody = 65534;

TEST(ComDeviceAccess, PresentMissingAndUnusableDevices)
{
    test::TempWorkDir dir;
    ASSERT_EQ(::mkdir(dir.path("ports").c_str(), 0755), 0);
    ASSERT_EQ(::symlink(dir.path("gone").c_str(), dir.path("stale-link").c_str()), 0);
    ASSERT_EQ(::symlink("/dev/null", dir.path("live-link").c_str()), 0);
    struct Row {
        const char* scenario;
        std::string path;
        DeviceAccess access;
        int error;
    };
    const Row rows[] = {
        {"a device anyone may use", "/dev/null", DeviceAccess::Usable, 0},
        {"a link to a device", dir.path("live-link"), DeviceAccess::Usable, 0},
        {"no such device", "/dev/ttyNoSuchPort7", DeviceAccess::Missing, ENOENT},
        {"a link left by a simulator run", dir.path("stale-link"), DeviceAccess::Missing, ENOENT},
        {"below a file", "/dev/null/ttyS0", DeviceAccess::Missing, ENOTDIR},
        {"a folder", dir.path("ports"), DeviceAccess::Unusable, EISDIR},
    };
    for (const Row& row : rows) {
        const DeviceCheck check = checkDeviceAccess(row.path);
        EXPECT_EQ(check.access, row.access) << row.scenario;
        EXPECT_EQ(check.error, row.error) << row.scenario;
    }
}

TEST(ComDeviceAccess, ADeviceOfAGroupTheUserIsNotInIsDenied)
{
    test::TempWorkDir dir;
    // The folders must let an ordinary user through, or every file below is denied and
    // the test proves nothing.
    ASSERT_EQ(::chmod(dir.base().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(dir.workDir().root().c_str(), 0755), 0);
    dir.write("open-line", "");
    dir.write("dialout-line", "");
    ASSERT_EQ(::chmod(dir.path("open-line").c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir.path("dialout-line").c_str(), 0), 0);

    // Root opens everything: the check then runs in a child as an ordinary user.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            ::_exit(10);
        if (checkDeviceAccess(dir.path("open-line")).access != DeviceAccess::Usable)
            ::_exit(11);
        const DeviceCheck denied = checkDeviceAccess(dir.path("dialout-line"));
        ::_exit(denied.access == DeviceAccess::Denied && denied.error == EACCES ? 0 : 12);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10: cannot become nobody, 11: an open device was "
                                         "refused, 12: a closed one was not";
}

}  // namespace
}  // namespace quillon
