// Feeds arbitrary bytes to the readers of the hub's shift record files: each line as one
// record, the whole as a shift graph (archived, and closed as the current shift), and split
// in two as the files of two stations to merge. Besides crashes and reads past the end it
// checks what the readers promise: a record's time is a time or none, intervals never run
// backwards and always name a place of the status table, the time bar stays within the
// day around the file's reference, and the merge writes only records, never more than it
// was given plus one closing line per station.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "monitoring/ShiftGraph.h"
#include "monitoring/ShiftMerge.h"
#include "monitoring/ShiftRecord.h"
#include "platform/TextFile.h"

namespace {

// 2016-05-12 11:00 UTC: a present time near the records a fuzzer is likely to build.
constexpr std::int64_t kNow = 1463050800;

void checkRecords(std::string_view bytes)
{
    quillon::LineReader lines(bytes, std::string_view::npos);
    while (const auto line = lines.next()) {
        const std::int64_t time = quillon::recordTime(*line);
        FUZZ_CHECK(time == 0 || time > quillon::kLatestNoRecordTime);
        const auto record = quillon::parseShiftRecord(*line);
        FUZZ_CHECK(record.has_value() == (time != 0));
        if (record) {
            FUZZ_CHECK(record->shade >= -1 && record->shade <= quillon::kLastShade);
            FUZZ_CHECK(record->cycles >= 0);
        }
    }
}

void checkGraph(const quillon::ShiftGraph& graph)
{
    std::int64_t previousEnd = graph.firstTime;
    for (const quillon::ShiftInterval& interval : graph.intervals) {
        FUZZ_CHECK(interval.start <= interval.end);
        FUZZ_CHECK(interval.start >= previousEnd);
        FUZZ_CHECK(interval.colorIndex >= 0 && interval.colorIndex < quillon::kStatusCount);
        FUZZ_CHECK(interval.shade >= -1 && interval.shade <= quillon::kLastShade);
        previousEnd = interval.end;
    }
    FUZZ_CHECK(previousEnd <= graph.lastTime);
    FUZZ_CHECK(graph.firstTime <= graph.lastTime);
    FUZZ_CHECK(graph.spanStart <= graph.firstTime);
    FUZZ_CHECK(graph.spanEnd >= graph.lastTime - quillon::kShiftGraphStepSlack);
    FUZZ_CHECK(graph.spanEnd - graph.spanStart <=
               2 * quillon::kShiftGraphWindow + quillon::kShiftGraphStep);
}

std::size_t lineCount(std::string_view bytes)
{
    std::size_t count = 0;
    quillon::LineReader lines(bytes, std::string_view::npos);
    while (lines.next())
        ++count;
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The file lives in a buffer of its own exact length.
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string_view file(bytes);
    static const quillon::StatusTable table = quillon::StatusTable::defaults();

    checkRecords(file);
    checkGraph(quillon::loadShiftGraph(file, table, std::nullopt));
    checkGraph(quillon::loadShiftGraph(file, table, kNow));

    // Split at the first NUL (or in the middle): the two stations' files.
    std::size_t cut = file.find('\0');
    if (cut == std::string_view::npos)
        cut = file.size() / 2;
    const std::string_view station1 = file.substr(0, cut);
    const std::string_view station2 = file.substr(std::min(cut + 1, file.size()));
    for (const auto closeAt : {std::optional<std::int64_t>(), std::optional<std::int64_t>(kNow)}) {
        const std::string merged = quillon::mergeStationRecords(station1, station2, closeAt);
        const std::size_t lines = lineCount(merged);
        FUZZ_CHECK(lines <= lineCount(station1) + lineCount(station2) + (closeAt ? 2 : 0));
        quillon::LineReader mergedLines(merged, std::string_view::npos);
        while (const auto line = mergedLines.next())
            FUZZ_CHECK(quillon::recordTime(*line) != 0);
        checkGraph(quillon::loadShiftGraph(merged, table, closeAt));
    }
    return 0;
}
