#include "app/ErrorLog.h"

#include <ctime>

#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/WorkDir.h"

namespace quillon {

namespace {

std::tm localTime(long long seconds)
{
    const auto time = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&time, &local);
    return local;
}

}  // namespace

std::string errorLogLine(std::string_view message, int hub, int port, long long seconds)
{
    const std::tm local = localTime(seconds);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, " %m/%d/%y  %H:%M:%S", &local);
    return std::string(message) + ", HUB: " + std::to_string(hub + 1) +
           ", PORT: " + std::to_string(port + 1) + "," + stamp;
}

void appendErrorLog(const WorkDir& workDir, const Clock& clock, std::string_view message, int hub,
                    int port)
{
    const long long now = clock.now();
    const std::tm local = localTime(now);
    const std::string file = "ErrorLog-" + std::to_string(local.tm_year + 1900) + ".sys";
    appendToFile(workDir.file(file), errorLogLine(message, hub, port, now) + "\r\n");
}

}  // namespace quillon
