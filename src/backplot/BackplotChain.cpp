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
#include <variant>
#include <vector>

#include "backplot/CycleExpansion.h"
#include "platform/FileBytes.h"
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

// A record copied from the program: its text is texts[offset, offset + length) of its batch.
struct CopiedRecord {
    CopiedRecord(int index, std::size_t offset, std::size_t length)
        : index(index), offset(offset), length(length)
    {
    }
    int index;
    std::size_t offset;
    std::size_t length;
};

// Records on their way from the pre-pass to the path builder, some thousands a batch.
// Millions of them cross from one core to the other, so each is one small entry: a made
// record as it is, a copied one as where its text is in `texts`. An entry is no bigger
// than a made record and its tag.
struct RecordBatch {
    using Entry = std::variant<MadeRecord, CopiedRecord>;
    static_assert(sizeof(Entry) <= sizeof(MadeRecord) + alignof(MadeRecord));
    std::vector<Entry> entries;
    std::string texts;
    std::string bytes;  // of the pre-pass file, written by the builder's thread
};

// A few batches at most, so that a slower builder holds the pre-pass back rather than
// piling the records up in memory.
class BatchQueue {
public:
    void push(RecordBatch batch)
    {
        std::unique_lock lock(m_mutex);
        m_roomFreed.wait(lock, [this] { return m_batches.size() < kMostBatches; });
        m_batches.push_back(std::move(batch));
        m_filled.notify_one();
    }
    std::optional<RecordBatch> pop()
    {
        std::unique_lock lock(m_mutex);
        m_filled.wait(lock, [this] { return !m_batches.empty() || m_closed; });
        if (m_batches.empty())
            return std::nullopt;
        RecordBatch batch = std::move(m_batches.front());
        m_batches.pop_front();
        m_roomFreed.notify_one();
        return batch;
    }
    void close()
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        m_filled.notify_one();
    }
    // A batch the builder is done with, emptied for the pre-pass to fill again: its
    // memory is already there, where a new one would cost the system fresh pages.
    void giveBack(RecordBatch batch)
    {
        batch.entries.clear();
        batch.texts.clear();
        batch.bytes.clear();
        std::lock_guard lock(m_mutex);
        m_spare.push_back(std::move(batch));
    }
    RecordBatch emptyBatch()
    {
        {
            std::lock_guard lock(m_mutex);
            if (!m_spare.empty()) {
                RecordBatch batch = std::move(m_spare.back());
                m_spare.pop_back();
                return batch;
            }
        }
        RecordBatch batch;
        batch.entries.reserve(kBatchRecords);
        // The writer hands its bytes over a megabyte at a time: room for two such blocks,
        // so that the text is not moved to fresh memory while a batch fills.
        batch.bytes.reserve(std::size_t{2} << 20);
        return batch;
    }

    static constexpr std::size_t kBatchRecords = 16384;

private:
    static constexpr std::size_t kMostBatches = 8;
    std::mutex m_mutex;
    std::condition_variable m_filled;
    std::condition_variable m_roomFreed;
    std::deque<RecordBatch> m_batches;
    std::vector<RecordBatch> m_spare;
    bool m_closed = false;
};

// Gathers the pre-pass's records into batches for the queue.
class BatchingListener final : public RecordListener {
public:
    explicit BatchingListener(BatchQueue& queue) : m_queue(queue), m_batch(queue.emptyBatch()) {}

    void copied(int index, std::string_view text) override
    {
        // Filled in place: an entry built aside and copied in is read back whole right
        // after its fields were stored one by one, which stalls.
        m_batch.entries.emplace_back(std::in_place_type<CopiedRecord>, index, m_batch.texts.size(),
                                     text.size());
        m_batch.texts += text;
        sendWhenFull();
    }
    void made(const MadeRecord& record) override
    {
        m_batch.entries.push_back(record);
        sendWhenFull();
    }
    // The pre-pass file's bytes travel with the records.
    bool written(std::string_view bytes)
    {
        m_batch.bytes += bytes;
        return true;
    }
    void finish()
    {
        if (!m_batch.entries.empty())
            m_queue.push(std::move(m_batch));
        m_queue.close();
    }

private:
    void sendWhenFull()
    {
        // Counted apart: reading the list's size right after the entry went in stalls on
        // the store just made.
        if (++m_entries < BatchQueue::kBatchRecords)
            return;
        m_queue.push(std::move(m_batch));
        m_batch = m_queue.emptyBatch();
        m_entries = 0;
    }

    BatchQueue& m_queue;
    RecordBatch m_batch;
    std::size_t m_entries = 0;
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

// The pre-pass, with the path builder taking its records on a second thread as they are
// made (copied lines as text, made records as what it would read from their text)
// and writing the pre-pass file from the bytes that travel with them, so that each core
// has about half the work. Nothing, when no second thread could be started.
std::optional<PrePassResult> prePassWithEarlyBuild(const ProgramLines& lines,
                                                   const BackplotSettings& settings,
                                                   const std::string& path, PlotBuild& early,
                                                   Notifier& earlyNotices)
{
    BatchQueue batches;
    BatchingListener listener(batches);
    try {
        // Room for the points of a program with many arcs (an arc is up to 46 of them):
        // untouched room costs no memory, and the list is not copied while it grows.
        early.points.reserve(std::min<std::size_t>(lines.count * 8, std::size_t{1} << 26));
    } catch (const std::bad_alloc&) {
        // It grows as it goes.
    }
    std::FILE* file = nullptr;
    bool fileWritten = true;
    std::uint64_t fileSize = 0;
    std::thread builder;
    try {
        builder = std::thread([&] {
            PlotPathBuilder path(settings, early, earlyNotices);
            bool going = true;
            while (auto batch = batches.pop()) {
                fileWritten = fileWritten &&
                              std::fwrite(batch->bytes.data(), 1, batch->bytes.size(), file) ==
                                  batch->bytes.size();
                fileSize += batch->bytes.size();
                const std::string_view texts = batch->texts;
                for (const RecordBatch::Entry& entry : batch->entries) {
                    if (!going)
                        break;
                    if (const auto* copied = std::get_if<CopiedRecord>(&entry))
                        going = path.textRecord(copied->index,
                                                texts.substr(copied->offset, copied->length));
                    else
                        going = path.madeRecord(std::get<MadeRecord>(entry));
                }
                batches.giveBack(std::move(*batch));
            }
        });
    } catch (const std::system_error&) {
        return std::nullopt;
    }
    PrePassResult result;
    // Opened here, before any batch reaches the builder's thread through the queue. The
    // last plot's file is written over and cut to size at the end rather than emptied
    // first: its pages are used again, where emptying would free hundreds of megabytes
    // only for the writing to ask the system for as many fresh ones.
    file = std::fopen(path.c_str(), "r+b");
    if (!file)
        file = std::fopen(path.c_str(), "wb");
    if (file) {
        RecordWriter out;
        out.createForSink([&](std::string_view bytes) { return listener.written(bytes); });
        result = runBackplotPrePass(lines, settings, out, &listener);
    }
    listener.finish();
    builder.join();
    if (file) {
        const bool cut = cutOpenFile(file, fileSize);
        result.written = std::fclose(file) == 0 && cut && fileWritten && result.written;
    }
    return result;
}

}  // namespace

bool runBackplotChain(const ProgramLines& lines, const BackplotSettings& settings,
                      const std::string& folder, PlotBuild& build, Notifier& notifier)
{
    const auto file = [&](std::string_view name) { return paths::join(folder, name); };
    // The cycle file of the last plot may share the pre-pass file's bytes (below): it
    // goes before that file is written again.
    std::error_code ignored;
    fs::remove(file(kBackplotCycleFile), ignored);
    // Without a turning cycle the cycle expansion would copy every record unchanged, so
    // the early build's points are the plot's; with one they are dropped.
    PlotBuild early;
    DeferredNotifier earlyNotices;
    const std::optional<PrePassResult> withEarlyBuild =
        prePassWithEarlyBuild(lines, settings, file(kBackplotFile), early, earlyNotices);
    const PrePassResult prePass = withEarlyBuild
                                      ? *withEarlyBuild
                                      : writeBackplotPrePass(lines, settings, file(kBackplotFile));
    if (!prePass.written)
        return false;
    if (!prePass.turningCycles && !sameBytesAs(file(kBackplotFile), file(kBackplotCycleFile)))
        return false;
    if (withEarlyBuild && !prePass.turningCycles) {
        earlyNotices.replay(notifier);
        takeBuild(early, build);
        return true;
    }
    if (prePass.turningCycles && !expandCannedCycles(file(kBackplotFile), file(kBackplotCycleFile),
                                                     file(kBackplotShapeFile), settings, notifier))
        return false;
    return buildPlotPath(file(kBackplotCycleFile), settings, build, notifier);
}

}  // namespace quillon
