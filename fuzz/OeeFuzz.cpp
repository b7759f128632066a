// Feeds arbitrary bytes to the OEE file's reader and to the graphs' series, and each line
// read back through the hub's line writer. Besides crashes, reads past the end and overflow
// it checks what the reader promises: every line that is not blank is read or counted, the
// overall graph has a point per line, a machine's graph a point per line of that machine,
// and a written line reads back to the same machine, date, time and values (to two
// decimals). The first bytes are also typed into the year entry.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "monitoring/OeeReport.h"
#include "platform/TextFile.h"

namespace {

std::size_t dataLines(std::string_view bytes)
{
    quillon::LineReader reader(bytes, bytes.size());
    reader.next();
    std::size_t count = 0;
    while (const auto line = reader.next())
        count += quillon::trimmed(*line).empty() ? 0 : 1;
    return count;
}

void checkRoundTrip(const quillon::OeeLine& line)
{
    const std::string text = quillon::formatOeeLine(line);
    FUZZ_CHECK(text.size() >= 2 && text.substr(text.size() - 2) == "\r\n");
    const auto back = quillon::parseOeeLine(std::string_view(text).substr(0, text.size() - 2));
    FUZZ_CHECK(back.has_value());
    FUZZ_CHECK(back->machine == line.machine);
    // The wall-clock time, not the seconds: an hour that the clocks repeat in autumn may be
    // resolved either way by the system's calendar.
    const quillon::LocalDateTime& a = back->time;
    const quillon::LocalDateTime& b = line.time;
    FUZZ_CHECK(a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
               a.minute == b.minute && a.second == b.second);
    for (std::size_t index = 0; index < quillon::kOeeMeasureCount; ++index) {
        const double value = line.values[index];
        FUZZ_CHECK(std::abs(back->values[index] - value) <= 0.005 + std::abs(value) * 1e-12);
    }
}

void checkYear(std::string_view typed)
{
    const auto year = quillon::typedYear(typed);
    FUZZ_CHECK(year.has_value() == !quillon::yearEntryProblem(typed).has_value());
    FUZZ_CHECK(!year || (*year >= 0 && *year <= 9999));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // A zone with daylight saving, so that repeated and skipped hours come up.
    ::setenv("TZ", "CST6CDT,M3.2.0,M11.1.0", 1);
    ::tzset();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The file lives in a buffer of its own exact length.
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    checkYear(std::string_view(bytes).substr(0, 6));

    const quillon::OeeFile file = quillon::parseOeeFile(bytes);
    FUZZ_CHECK(file.lines.size() + file.unreadable == dataLines(bytes));
    const quillon::OeeSeries overall = quillon::overallOeeSeries(file);
    FUZZ_CHECK(overall.size() == file.lines.size());
    for (const auto& values : overall.values)
        FUZZ_CHECK(values.size() == overall.size());
    if (file.lines.empty())
        return 0;

    const std::string& machine = file.lines.front().machine;
    std::size_t own = 0;
    for (const auto& line : file.lines)
        own += line.machine == machine ? 1 : 0;
    const quillon::OeeSeries single = quillon::machineOeeSeries(file, machine);
    FUZZ_CHECK(single.size() == own && single.minutes.front() == 0);
    // The first few lines are enough to try the writer on whatever the reader took.
    for (std::size_t index = 0; index < file.lines.size() && index < 8; ++index)
        checkRoundTrip(file.lines[index]);
    return 0;
}
