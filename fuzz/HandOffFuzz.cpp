// Feeds arbitrary bytes to the files through which starts of the program hand work to the
// running one: COMMAND.TXT, DROPIN.TXT and _DADUV.TMP, as they lie in the working
// directory and as a start writes them from its arguments (split at NUL). Besides crashes
// it checks what the hand-off promises: each file is taken once and is gone after; what is
// queued is a path that fits its slot, never carrying a line end (nor, from the quoted
// COMMAND.TXT, a quote); a file a start names, written and taken, is the file the running
// program opens or transmits; and the transmit text gives its blanks back.
#include <sys/stat.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "app/CommandFile.h"
#include "app/HandOff.h"
#include "app/OpenFileQueue.h"
#include "platform/WorkDir.h"

namespace {

using namespace quillon;

// COMMAND.TXT was read a line of at most this many characters at a time.
constexpr std::size_t kCommandLineLimit = 509;

const WorkDir& workDir()
{
    static const WorkDir dir(fuzz::makeFolder("handoff"));
    return dir;
}

bool exists(std::string_view name)
{
    struct stat info {};
    return ::stat(workDir().file(name).c_str(), &info) == 0;
}

std::vector<std::string> arguments(std::string_view bytes)
{
    std::vector<std::string> result;
    while (true) {
        const std::size_t nul = bytes.find('\0');
        result.emplace_back(bytes.substr(0, nul));
        if (nul == std::string_view::npos)
            return result;
        bytes.remove_prefix(nul + 1);
    }
}

bool oneLine(std::string_view text)
{
    return text.find_first_of("\r\n") == std::string_view::npos;
}

// COMMAND.TXT quotes its paths, so none it queues holds a quote; DROPIN.TXT's may.
void checkQueue(const OpenFileQueue& queue, bool quoted)
{
    for (const std::string& entry : queue.entries()) {
        FUZZ_CHECK(entry.size() <= OpenFileQueue::kPathLimit);
        FUZZ_CHECK(entry.find('\n') == std::string::npos);
        FUZZ_CHECK(!quoted || entry.find('"') == std::string::npos);
    }
}

void commandFile(std::string_view bytes, bool rotation)
{
    fuzz::putFile(workDir().file(kCommandFile), bytes);
    OpenFileQueue queue;
    MonitorRequests requests;
    processCommandFile(workDir(), queue, requests, rotation);
    FUZZ_CHECK(!exists(kCommandFile));
    checkQueue(queue, true);
    if (rotation)
        FUZZ_CHECK(queue.empty() && !requests.monitorPending() && !requests.timeLinePending());
}

// A start with these arguments: its line in COMMAND.TXT, and its file by DROPIN.TXT or
// _DADUV.TMP as the running program takes them.
void startWith(const std::vector<std::string>& args)
{
    const std::string line = commandLineText(args);
    appendCommandLine(workDir(), line);
    OpenFileQueue queue;
    MonitorRequests requests;
    processCommandFile(workDir(), queue, requests, false);
    FUZZ_CHECK(!exists(kCommandFile));
    checkQueue(queue, true);
    // The reader takes the second argument, as it was quoted, when nothing else gets in
    // its way (a first argument ending in a blank ends in a blank and a quote).
    const bool plain =
        args.size() >= 2 && !args[1].empty() && line.size() <= kCommandLineLimit &&
        oneLine(line) && line.find(" \"") == args[0].size() + 2 &&
        std::none_of(args.begin(), args.end(),
                     [](const std::string& arg) { return arg.find('"') != std::string::npos; }) &&
        line.find(kShowMonitorWord) == std::string::npos &&
        line.find(kShowTimeLineWord) == std::string::npos;
    if (plain)
        FUZZ_CHECK(queue.entries()[0] == args[1].substr(0, OpenFileQueue::kPathLimit));

    const auto file = fileArgument(args);
    if (!file)
        return;
    FUZZ_CHECK(!file->text.empty() || file->transmit);
    if (file->transmit) {
        FUZZ_CHECK(writeTransmitHandOff(workDir(), file->text));
        const std::string taken = takeTransmitHandOff(workDir());
        FUZZ_CHECK(!exists(kTransmitHandOffFile));
        if (oneLine(file->text) && file->text.size() <= kPendingTransmitLimit)
            FUZZ_CHECK(taken == file->text);
        PendingTransmitFile pending;
        pending.set(taken);
        FUZZ_CHECK(pending.text().size() <= kPendingTransmitLimit);
        FUZZ_CHECK(pending.path().find('?') == std::string::npos);
    } else {
        FUZZ_CHECK(writeDropIn(workDir(), file->text));
        OpenFileQueue dropped;
        const bool queued = queueDropIn(workDir(), dropped);
        FUZZ_CHECK(!exists(kDropInFile));
        checkQueue(dropped, false);
        if (oneLine(file->text) && file->text.size() <= kDropInLineLimit)
            FUZZ_CHECK(queued &&
                       dropped.entries()[0] == file->text.substr(0, OpenFileQueue::kPathLimit));
        FUZZ_CHECK(!takeDropIn(workDir()));
    }
}

void handOffFiles(std::string_view bytes)
{
    fuzz::putFile(workDir().file(kDropInFile), bytes);
    const auto dropIn = takeDropIn(workDir());
    FUZZ_CHECK(dropIn && dropIn->size() <= kDropInLineLimit && !exists(kDropInFile));
    FUZZ_CHECK(dropIn->find('\n') == std::string::npos);
    fuzz::putFile(workDir().file(kTransmitHandOffFile), bytes);
    const std::string transmit = takeTransmitHandOff(workDir());
    FUZZ_CHECK(transmit.size() <= kPendingTransmitLimit && !exists(kTransmitHandOffFile));
    FUZZ_CHECK(transmit.find('\n') == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    // The file lives in a buffer of its own exact length.
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] % 3) {
    case 0:
        commandFile(bytes, (data[0] & 0x80) != 0);
        break;
    case 1:
        startWith(arguments(bytes));
        break;
    default:
        handOffFiles(bytes);
        break;
    }
    return 0;
}
