#include "backplot/BackplotChain.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "backplot/CycleExpansion.h"
#include "platform/Notifier.h"
#include "platform/Paths.h"

namespace quillon {

namespace fs = std::filesystem;

namespace {

// Notices given on the path builder's thread, shown afterwards on the caller's.
class DeferredNotifier final : public Notifier {
public:
    NoticeAnswer show(const Notice& notice) override
    {
        m_notices.push_back(notice);
        return NoticeAnswer::Ok;
    }
    void replay(Notifier& notifier) const
    {
        for (const Notice& notice : m_notices)
            notifier.show(notice);
    }

private:
    std::vector<Notice> m_notices;
};

// The pre-pass's output on its way to the path builder: a few pieces at most, so that a
// slower builder holds the pre-pass back rather than piling up the file in memory.
class PieceQueue {
public:
    void push(std::string_view bytes)
    {
        std::unique_lock lock(m_mutex);
        m_roomFreed.wait(lock, [this] { return m_pieces.size() < kMostPieces; });
        m_pieces.emplace_back(bytes);
        m_filled.notify_one();
    }
    std::optional<std::string> pop()
    {
        std::unique_lock lock(m_mutex);
        m_filled.wait(lock, [this] { return !m_pieces.empty() || m_closed; });
        if (m_pieces.empty())
            return std::nullopt;
        std::string piece = std::move(m_pieces.front());
        m_pieces.pop_front();
        m_roomFreed.notify_one();
        return piece;
    }
    void close()
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        m_filled.notify_one();
    }

private:
    static constexpr std::size_t kMostPieces = 8;
    std::mutex m_mutex;
    std::condition_variable m_filled;
    std::condition_variable m_roomFreed;
    std::deque<std::string> m_pieces;
    bool m_closed = false;
};

// Without a turning cycle the cycle file holds the pre-pass file's records unchanged: a
// second name for the same bytes where the file system allows it (the plot of a mold
// program writes hundreds of megabytes), else a copy.
bool sameBytesAs(const std::string& from, const std::string& to)
{
    std::error_code error;
    fs::create_hard_link(from, to, error);
    if (!error)
        return true;
    error.clear();
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
    return !error;
}

void takeBuild(PlotBuild& from, PlotBuild& into)
{
    into.tools = from.tools;
    if (into.points.empty())
        into.points = std::move(from.points);
    else
        into.points.insert(into.points.end(), from.points.begin(), from.points.end());
}

}  // namespace

bool runBackplotChain(const ProgramLines& lines, const BackplotSettings& settings,
                      const std::string& folder, PlotBuild& build, Notifier& notifier)
{
    const auto file = [&](std::string_view name) { return paths::join(folder, name); };
    // The pre-pass writes the cycle file as well: without a turning cycle the cycle
    // expansion would copy every record unchanged. The path builder meanwhile reads the
    // records on a second thread as they are written, the same bytes it would read back
    // from the file; its points count only when no cycle needs expanding.
    PieceQueue pieces;
    PlotBuild early;
    DeferredNotifier earlyNotices;
    try {
        // Room for the points of a program with many arcs (an arc is up to 46 of them):
        // untouched room costs no memory, and the list is not copied while it grows.
        early.points.reserve(std::min<std::size_t>(lines.count * 8, std::size_t{1} << 26));
    } catch (const std::bad_alloc&) {
        // It grows as it goes.
    }
    std::thread builder;
    try {
        builder = std::thread([&] {
            PlotPathBuilder path(settings, early, earlyNotices);
            RecordSplitter splitter;
            bool going = true;
            const auto take = [&](std::string_view record) {
                going = going && path.record(record);
            };
            while (auto piece = pieces.pop())
                splitter.feed(*piece, take);
            splitter.finish(take);
        });
    } catch (const std::system_error&) {
        // No second thread: the path builder reads the file afterwards.
    }
    const bool buildingEarly = builder.joinable();
    std::function<void(std::string_view)> sink;
    if (buildingEarly)
        sink = [&](std::string_view bytes) { pieces.push(bytes); };
    // The cycle file of the last plot may share the pre-pass file's bytes (below): it
    // goes before that file is written again.
    std::error_code ignored;
    fs::remove(file(kBackplotCycleFile), ignored);
    const PrePassResult prePass =
        writeBackplotPrePass(lines, settings, file(kBackplotFile), {}, sink);
    pieces.close();
    if (buildingEarly)
        builder.join();
    if (!prePass.written)
        return false;
    if (!prePass.turningCycles && !sameBytesAs(file(kBackplotFile), file(kBackplotCycleFile)))
        return false;
    if (buildingEarly && !prePass.turningCycles) {
        earlyNotices.replay(notifier);
        takeBuild(early, build);
        return true;
    }
    if (prePass.turningCycles &&
        !expandCannedCycles(file(kBackplotFile), file(kBackplotCycleFile),
                            file(kBackplotShapeFile), settings, notifier))
        return false;
    return buildPlotPath(file(kBackplotCycleFile), settings, build, notifier);
}

}  // namespace quillon
