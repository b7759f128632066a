// The detailed monitoring view with 128 machines (16 hubs of 8, two titles per hub),
// offscreen:
//   a record datagram for one machine handled by the window: read, its row worked out
//     again, the repaint of that row asked for                              <= 50 us
//   a full repaint of the table (header and every row) into an image        <= 8 ms
//   a record of each of the 128 machines through the link to the detailed, graph and
//     timeline views: the main thread's share of that second                < 5 %
// Measured beside, in the same run: reading the same record alone (applyRecord), and
// drawing the same cell texts with drawText and nothing else, the floor of any painting of
// this table.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ResidentMemory.h"
#include "monitoring/IncomingDatagrams.h"
#include "monitoring/ui/DetailedViewWindow.h"
#include "monitoring/ui/GraphViewWindow.h"
#include "monitoring/ui/TimelineViewWindow.h"
#include "platform/Clock.h"
#include "platform/Ipv4Address.h"
#include "platform/Notifier.h"
#include "platform/ui/Latin1.h"

namespace {

using namespace quillon;

constexpr std::int64_t kNow = 1'765'000'000;
constexpr int kMachines = kMachineSlots;
// Two versions of every machine's record, so each datagram changes its row.
constexpr int kVersions = 2;

std::string machineName(int index)
{
    return "MACHINE " + std::to_string(index + 1);
}

// A complete record with the figures a busy machine has; `version` moves its counts and
// times.
std::string recordOf(int index, int version)
{
    const MachineSlot slot = MachineSlot::ofIndex(index);
    const int kind = index % 5 == 0 ? 1 : 0;
    std::vector<std::string> fields = {std::string(1, "0123456789abcdef"[slot.hub]),
                                       std::to_string(slot.port),
                                       std::to_string(kind),
                                       "40",
                                       "61",
                                       "40",
                                       "61",
                                       std::to_string(45 + version),
                                       "50",
                                       std::to_string(10 + version),
                                       "20",
                                       "3600",
                                       "3600",
                                       std::to_string(100 + version),
                                       "90",
                                       index % 17 == 0 ? "1" : "0",
                                       "FL-" + std::to_string(4000 + index),
                                       "CV-" + std::to_string(4000 + index),
                                       index % 3 == 0 ? "SETUP" : "CYCLE ON",
                                       machineName(index),
                                       "0",
                                       "95",
                                       "0",
                                       "0",
                                       "0",
                                       "10",
                                       "10",
                                       "0",
                                       "0",
                                       "110",
                                       std::to_string(index),
                                       "OP20 ROUGH TURNING",
                                       "1",
                                       "1",
                                       "50",
                                       "60"};
    for (int status = 0; status < kStatusCount; ++status)
        fields.push_back(std::to_string(100 * status));
    for (const char* value : {"40", "85", "90", "80", "99", "71", "91", "81", "98", "72", "5", "x",
                              "105", "130", "131", "0"})
        fields.push_back(value);
    std::string text(kRecordWord);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            text += ',';
        text += fields[i];
    }
    text += '\0';
    return text;
}

const std::vector<std::string>& records()
{
    static const std::vector<std::string> all = [] {
        std::vector<std::string> made;
        for (int version = 0; version < kVersions; ++version)
            for (int index = 0; index < kMachines; ++index)
                made.push_back(recordOf(index, version));
        return made;
    }();
    return all;
}

// A working directory with MonList.sys naming all 128 machines, a window over it that has
// received every machine.
struct Fixture {
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "quillon-detailed-bench";
    FixedClock clock{kNow};
    ScriptedNotifier notifier;
    HubLink link{0, ipv4Of(10, 0, 0, 5), clock, [](std::string_view) {}};
    StatusTable statuses = StatusTable::defaults();
    MonitorViewSettings settings;
    std::unique_ptr<MonitorEnvironment> env;
    std::unique_ptr<DetailedViewWindow> window;
    // The other two views over the same machines, for the whole receive path.
    std::unique_ptr<GraphViewWindow> graph;
    std::unique_ptr<TimelineViewWindow> timeline;

    Fixture()
    {
        std::filesystem::create_directories(folder);
        std::ofstream list(folder / "MonList.sys", std::ios::binary);
        std::string startup = "_INI:@0";
        for (int index = 0; index < kMachines; ++index) {
            const MachineSlot slot = MachineSlot::ofIndex(index);
            if (slot.port == 0)
                list << "_MT_Hub " << slot.hub + 1 << "\r\n_ST_Cell " << slot.hub + 1 << "\r\n";
            list << machineName(index) << ',' << slot.hub << ',' << slot.port << "\r\n";
            startup += std::string(1, "0123456789abcdef"[slot.hub]) + ',' +
                       std::to_string(slot.port) + (index % 5 == 0 ? ",1,1,1\n" : ",0,1,1\n");
        }
        list.close();
        std::filesystem::copy_file(folder / "MonList.sys", folder / "MonList2.sys",
                                   std::filesystem::copy_options::overwrite_existing);
        std::ofstream(folder / "MonList2.sys", std::ios::binary | std::ios::app)
            << "::::120,0,0,0,0\r\n";
        env = std::make_unique<MonitorEnvironment>(MonitorEnvironment{
            WorkDir(folder.string()), notifier, clock, link, "", statuses, settings});
        window = std::make_unique<DetailedViewWindow>(*env);
        window->timer().stop();
        graph = std::make_unique<GraphViewWindow>(*env);
        timeline = std::make_unique<TimelineViewWindow>(*env);
        startup += '\0';
        link.datagramArrived(startup, 0);
        for (int index = 0; index < kMachines; ++index)
            link.datagramArrived(records()[static_cast<std::size_t>(index)], 0);
    }
    ~Fixture()
    {
        timeline.reset();
        graph.reset();
        window.reset();
        std::filesystem::remove_all(folder);
    }
};

Fixture& fixture()
{
    static Fixture made;
    return made;
}

void BM_Reference_ReadRecord(benchmark::State& state)
{
    auto table = std::make_unique<MachineRecords>();
    std::size_t next = 0;
    for (auto _ : state) {
        const auto receipt = applyRecord(records()[next], kNow, *table);
        benchmark::DoNotOptimize(receipt);
        next = (next + 1) % records().size();
    }
}
BENCHMARK(BM_Reference_ReadRecord);

void BM_DetailedView_RecordHandled(benchmark::State& state)
{
    Fixture& f = fixture();
    if (!f.window->model().rowOf(MachineSlot::ofIndex(kMachines - 1))) {
        state.SkipWithError("the rows were not built");
        return;
    }
    std::size_t next = 0;
    for (auto _ : state) {
        f.window->datagramArrived(records()[next]);
        next = (next + 1) % records().size();
    }
}
BENCHMARK(BM_DetailedView_RecordHandled);

// One second of a full hub: a record of each of the 128 machines through the link to the
// detailed, graph and timeline views; the share of a second the main thread spends.
void BM_ThreeViews_OneSecondOfAFullHub(benchmark::State& state)
{
    Fixture& f = fixture();
    std::size_t next = 0;
    const double startMiB = quillon::bench::residentMiB();
    for (auto _ : state) {
        for (int i = 0; i < kMachines; ++i) {
            f.link.datagramArrived(records()[next], 0);
            next = (next + 1) % records().size();
        }
    }
    // Resident memory stays flat however many seconds of records go through.
    state.counters["rss_growth_MiB"] = quillon::bench::residentMiB() - startMiB;
    // Seconds of work per second of pushes (one iteration), in percent.
    state.counters["busy_percent"] =
        benchmark::Counter(static_cast<double>(state.iterations()) / 100.0,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ThreeViews_OneSecondOfAFullHub)->Unit(benchmark::kMillisecond);

QImage& frame()
{
    const QSize size = fixture().window->table()->size();
    static QImage image(size, QImage::Format_ARGB32_Premultiplied);
    return image;
}

void BM_Reference_FillOnce(benchmark::State& state)
{
    QImage& image = frame();
    for (auto _ : state) {
        QPainter painter(&image);
        painter.fillRect(image.rect(), Qt::black);
    }
}
BENCHMARK(BM_Reference_FillOnce)->Unit(benchmark::kMillisecond);

void BM_Reference_CellTexts(benchmark::State& state)
{
    Fixture& f = fixture();
    const DetailedLayout& layout = f.window->table()->layout();
    QImage& image = frame();
    for (auto _ : state) {
        QPainter painter(&image);
        for (std::size_t row = 0; row < f.window->model().rows().size(); ++row) {
            const DetailedRow& shown = f.window->model().rows()[row];
            const QRect line = layout.rowRect(row);
            int left = 0;
            for (const int width : layout.widths) {
                painter.drawText(QRect(left, line.top(), width, line.height()), Qt::AlignCenter,
                                 fromBytes(shown.name));
                left += width;
            }
        }
    }
}
BENCHMARK(BM_Reference_CellTexts)->Unit(benchmark::kMillisecond);

void BM_DetailedView_FullRepaint(benchmark::State& state)
{
    Fixture& f = fixture();
    const DetailedLayout& layout = f.window->table()->layout();
    QImage& image = frame();
    for (auto _ : state) {
        QPainter painter(&image);
        paintDetailedView(painter, f.window->model(), layout, f.statuses, image.rect());
    }
    state.counters["rows"] = static_cast<double>(f.window->model().rows().size());
    state.counters["height_px"] = image.height();
}
BENCHMARK(BM_DetailedView_FullRepaint)->Unit(benchmark::kMillisecond);

}  // namespace
