#include "app/CommandFile.h"

#include "app/HandOff.h"
#include "app/OpenFileQueue.h"
#include "platform/FileAttributes.h"
#include "platform/TextFile.h"
#include "platform/WorkDir.h"

namespace quillon {

namespace {

// COMMAND.TXT lines were read into a 510-byte buffer.
constexpr std::size_t kCommandLineLimit = 509;
// Only the first lines are looked through for the monitoring words.
constexpr int kWordLines = 7;

bool contains(std::string_view line, std::string_view word)
{
    return line.find(word) != std::string_view::npos;
}

}  // namespace

bool MonitorRequests::advance(int& counter)
{
    if (counter == 0)
        return false;
    if (counter >= kOpenAt) {
        counter = 0;
        return true;
    }
    ++counter;
    return false;
}

MonitorRequests::Due MonitorRequests::tick()
{
    return {advance(m_monitor), advance(m_timeLine)};
}

void processCommandFile(const WorkDir& workDir, OpenFileQueue& files, MonitorRequests& requests,
                        bool rotationConfigured)
{
    const std::string path = workDir.file(kCommandFile);
    const auto bytes = readFile(path);
    if (!bytes)
        return;
    if (!rotationConfigured) {
        LineReader words(*bytes, kCommandLineLimit);
        for (int i = 0; i < kWordLines; ++i) {
            const auto line = words.next();
            if (!line)
                break;
            if (contains(*line, kShowMonitorWord)) {
                requests.requestMonitor();
                break;
            }
            if (contains(*line, kShowTimeLineWord)) {
                requests.requestTimeLine();
                break;
            }
        }
        LineReader lines(*bytes, kCommandLineLimit);
        for (std::size_t free = files.freeSlots(); free > 0; --free) {
            const auto line = lines.next();
            if (!line)
                break;
            if (contains(*line, kShowMonitorWord) || contains(*line, kShowTimeLineWord))
                continue;
            const auto open = line->find(" \"");
            if (open == std::string_view::npos)
                continue;
            const std::string_view rest = line->substr(open + 2);
            files.add(rest.substr(0, rest.find('"')));
        }
    }
    removeFile(path);
}

}  // namespace quillon
