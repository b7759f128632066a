// Feeds arbitrary status report files to the report readers: the line reader and writer,
// the selection's filter, the sums, the checks of a saved report and the compressed shift.
// The first byte picks the reader, the next ones the selection. Besides crashes and reads
// past the end it checks what the readers promise: a line written from what was read
// reads back the same, only lines of the span (or the last night shift) of the selected
// machines, shifts and stations are taken, sums keep to the charts' room and never go
// negative, and the compressed form is a report every reader takes with the same minutes.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "FuzzSupport.h"
#include "monitoring/StatusReport.h"

namespace {

using namespace quillon;

template <typename OnLine>
void forEachLine(std::string_view bytes, OnLine onLine)
{
    while (!bytes.empty()) {
        const auto lineFeed = bytes.find('\n');
        onLine(bytes.substr(0, lineFeed));
        bytes =
            lineFeed == std::string_view::npos ? std::string_view() : bytes.substr(lineFeed + 1);
    }
}

void readAndWriteLines(std::string_view bytes)
{
    forEachLine(bytes, [](std::string_view text) {
        const auto line = parseReportLine(text);
        if (!line)
            return;
        FUZZ_CHECK(!line->machine.empty() && line->machine.size() <= kReportMachineNameLimit);
        FUZZ_CHECK(line->date.isValid() && line->shift >= 1 && line->shift <= 3);
        FUZZ_CHECK(line->headPallet >= 0);
        // A comment ending in CR loses it to the line end; everything else comes back.
        if (!line->comment.empty() && line->comment.back() == '\r')
            return;
        const auto again = parseReportLine(formatReportLine(*line));
        FUZZ_CHECK(again.has_value());
        FUZZ_CHECK(again->machine == line->machine && again->date == line->date &&
                   again->shift == line->shift && again->startTime == line->startTime &&
                   again->endTime == line->endTime &&
                   again->elapsedSeconds == line->elapsedSeconds &&
                   again->status == line->status && again->headPallet == line->headPallet &&
                   again->comment == line->comment);
    });
}

// A selection from a few bytes: a span of up to 61 days in 2026, the first machine names
// of the file, shifts and stations by bits.
ReportSelection selectionOf(std::string_view bytes, std::uint8_t a, std::uint8_t b)
{
    ReportSelection selection;
    const ReportDate start = ReportDate{2026, 1, 1}.plusDays(a);
    selection.start = start;
    selection.end = start.plusDays(b % (kReportLongestSpanDays + 1));
    selection.shifts = {(b & 0x40) != 0, (b & 0x80) != 0, (a & 0x01) != 0};
    selection.station1 = (a & 0x02) != 0;
    selection.station2 = (a & 0x04) != 0;
    const auto names = reportMachineNames(bytes);
    for (std::size_t i = 0; i < names.size() && i < 4; ++i)
        selection.machines.push_back({names[i], ((a >> i) & 1) == 0});
    return selection;
}

void select(std::string_view bytes, std::uint8_t a, std::uint8_t b)
{
    const ReportSelection selection = selectionOf(bytes, a, b);
    const ReportLineFilter filter(selection);
    std::string out;
    bool stopped = false;
    const std::size_t taken = appendSelectedLines(bytes, filter, out, stopped);
    std::size_t lines = 0;
    forEachLine(out, [&](std::string_view text) {
        ++lines;
        const auto line = viewReportLine(text);
        FUZZ_CHECK(line.has_value());
        const bool nightShift = line->date == selection.end->plusDays(1) && line->shift == 3;
        FUZZ_CHECK((line->date >= *selection.start && line->date <= *selection.end) || nightShift);
        FUZZ_CHECK(selection.shifts[static_cast<std::size_t>(line->shift - 1)]);
        const int stations = (selection.station1 ? 1 : 0) | (selection.station2 ? 2 : 0);
        FUZZ_CHECK((line->headPallet & ~stations) == 0);
        FUZZ_CHECK(std::any_of(selection.machines.begin(), selection.machines.end(),
                               [&](const auto& machine) {
                                   return machine.selected && machine.name == line->machine;
                               }));
    });
    FUZZ_CHECK(lines == taken);
}

void checkSums(const ReportSums& sums, std::size_t mostKeys, std::size_t mostStatuses)
{
    FUZZ_CHECK(sums.keys.size() <= mostKeys && sums.statuses.size() <= mostStatuses);
    FUZZ_CHECK(sums.minutes.size() == sums.keys.size());
    for (std::size_t key = 0; key < sums.keys.size(); ++key) {
        FUZZ_CHECK(sums.minutes[key].size() == sums.statuses.size());
        FUZZ_CHECK(sums.total(key) >= 0 && sums.shownTotal(key) >= 0);
        const auto shares = sums.percent(key);
        double all = 0;
        for (const double share : shares)
            all += share;
        FUZZ_CHECK(all == 0 || std::isinf(sums.total(key)) || std::isnan(all) ||
                   std::abs(all - 100) < 1e-6);
    }
}

void sum(std::string_view bytes)
{
    for (const auto kind :
         {ReportKind::Graph, ReportKind::PiePerDate, ReportKind::PiePerMachine}) {
        const auto sums = sumsForKind(bytes, kind);
        FUZZ_CHECK(sums.has_value());
        checkSums(*sums, kReportMostDates,
                  kind == ReportKind::Graph ? kReportMostBarStatuses : kReportMostPieSlices);
    }
}

void checkSaved(std::string_view bytes, std::uint8_t a)
{
    const auto kind = static_cast<ReportKind>(a % 4);
    const std::string message = checkSavedReportText(bytes, kind);
    FUZZ_CHECK(message.empty() || message == kSavedReportTooManyMachines ||
               message == kSavedReportCorrupt || message == kSavedReportTooManyDays ||
               message == kRecordsNotFound || message == kNoReportKind);
    if (message.empty()) {
        const auto sums = sumsForKind(bytes, kind);
        FUZZ_CHECK(sums && !sums->keys.empty() && sums->droppedKeys == 0);
    }
}

void compress(std::string_view bytes)
{
    const std::string compressed = compressReport(bytes);
    FUZZ_CHECK(compressed.starts_with(kTempReportHeader));
    const std::string message = checkSavedReportText(compressed, ReportKind::Graph);
    FUZZ_CHECK(message != kSavedReportCorrupt);
    // The same minutes per date before and after (to the rounding of a longer sum); the
    // dates may come in another order, days going by their first line of any kind.
    const auto totals = [](std::string_view text) {
        const auto sums = sumReport(text, ReportGrouping::PerDate, SIZE_MAX, SIZE_MAX);
        std::vector<std::pair<std::string, double>> byDate;
        for (std::size_t key = 0; key < sums.keys.size(); ++key)
            byDate.emplace_back(sums.keys[key], sums.total(key));
        std::sort(byDate.begin(), byDate.end());
        return byDate;
    };
    const auto before = totals(bytes);
    const auto after = totals(compressed);
    FUZZ_CHECK(before.size() == after.size());
    for (std::size_t key = 0; key < before.size(); ++key) {
        FUZZ_CHECK(before[key].first == after[key].first);
        const double a = before[key].second;
        FUZZ_CHECK(std::isinf(a) ||
                   std::abs(a - after[key].second) <= 1e-9 * std::max(1.0, std::abs(a)));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    // The file lives in a buffer of its own exact length.
    const std::string bytes(reinterpret_cast<const char*>(data + 3), size - 3);
    switch (data[0] % 5) {
    case 0:
        readAndWriteLines(bytes);
        break;
    case 1:
        select(bytes, data[1], data[2]);
        break;
    case 2:
        sum(bytes);
        break;
    case 3:
        checkSaved(bytes, data[1]);
        break;
    case 4:
        compress(bytes);
        break;
    }
    return 0;
}
