#include "monitoring/OeeReport.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>

#include "monitoring/HubFiles.h"
#include "monitoring/RemoteConfig.h"
#include "platform/TextFile.h"

namespace quillon {

namespace {

// Fields of a line: name, date, time, then the four values.
constexpr std::size_t kDateField = 1;
constexpr std::size_t kTimeField = 2;
constexpr std::size_t kFirstValueField = 3;

bool allDigits(std::string_view text)
{
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// "12/8/2026" or "1:2:3": three numbers between the separators, each of one or two digits,
// the last of exactly four when it is a year.
std::optional<std::array<int, 3>> threeNumbers(std::string_view text, char separator,
                                               bool endsInYear)
{
    text = trimmed(text);
    std::array<int, 3> numbers{};
    for (std::size_t index = 0; index < numbers.size(); ++index) {
        const bool last = index + 1 == numbers.size();
        const std::size_t end = text.find(separator);
        if (last != (end == std::string_view::npos))
            return std::nullopt;
        const std::string_view part = text.substr(0, end);
        const bool sized =
            last && endsInYear ? part.size() == 4 : !part.empty() && part.size() <= 2;
        if (!sized || !allDigits(part))
            return std::nullopt;
        std::from_chars(part.data(), part.data() + part.size(), numbers[index]);
        text.remove_prefix(last ? text.size() : end + 1);
    }
    return numbers;
}

bool readDateAndTime(std::string_view date, std::string_view clock, LocalDateTime& time)
{
    const auto day = threeNumbers(date, '/', true);
    const auto hour = threeNumbers(clock, ':', false);
    if (!day || !hour)
        return false;
    time = {(*day)[2], (*day)[0], (*day)[1], (*hour)[0], (*hour)[1], (*hour)[2]};
    return true;
}

// A value field: blank is a value left out; anything but a finite decimal spoils the line.
std::optional<double> readValue(std::string_view text)
{
    text = trimmed(text);
    if (text.empty())
        return kMissingOeeValue;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Seconds from 1970 to the date and time as the clock on the wall counts them.
std::int64_t clockSecondsOf(const LocalDateTime& time)
{
    using namespace std::chrono;
    const sys_days day{year{time.year} / month{static_cast<unsigned>(time.month)} /
                       static_cast<unsigned>(time.day)};
    return std::int64_t{day.time_since_epoch().count()} * 86400 + time.hour * 3600 +
           time.minute * 60 + time.second;
}

// The series' X of a line: minutes after the origin's line.
double minutesAfter(const OeeLine& origin, const OeeLine& line)
{
    return static_cast<double>(line.clockSeconds - origin.clockSeconds) / 60.0;
}

}  // namespace

std::string oeeFileName(int year)
{
    return "_REPORTS\\_OEE_" + std::to_string(year) + ".CSV";
}

std::string oeeFileShownName(std::string_view hubDirectory, int year)
{
    return shownHubFileName(withTrailingHubSeparator(hubDirectory), oeeFileName(year));
}

std::optional<OeeLine> parseOeeLine(std::string_view text)
{
    const std::vector<std::string_view> fields = splitAtCommas(text);
    if (fields.size() <= kTimeField || fields[0].empty())
        return std::nullopt;
    OeeLine line;
    line.machine = std::string(fields[0]);
    if (!readDateAndTime(fields[kDateField], fields[kTimeField], line.time))
        return std::nullopt;
    // The calendar's own check: no 30 February, no hour 24, no year outside its range.
    if (!localToSeconds(line.time))
        return std::nullopt;
    line.clockSeconds = clockSecondsOf(line.time);
    for (std::size_t index = 0; index < kOeeMeasureCount; ++index) {
        const std::size_t field = kFirstValueField + index;
        const auto value =
            field < fields.size() ? readValue(fields[field]) : std::optional(kMissingOeeValue);
        if (!value)
            return std::nullopt;
        line.values[index] = *value;
    }
    return line;
}

OeeFile parseOeeFile(std::string_view bytes)
{
    OeeFile file;
    // No line of the file is cut: the hub writes them whole, whatever their length.
    LineReader reader(bytes, bytes.size());
    reader.next();  // the header
    while (const auto text = reader.next()) {
        if (trimmed(*text).empty())
            continue;
        if (auto line = parseOeeLine(*text))
            file.lines.push_back(std::move(*line));
        else
            ++file.unreadable;
    }
    return file;
}

OeeFileLoad loadOeeFile(std::string_view hubDirectory, int year)
{
    OeeFileLoad load;
    const auto path = findHubFile(hubDirectory, oeeFileName(year));
    if (!path)
        return load;
    const auto bytes = readFile(*path);
    if (!bytes) {
        load.state = OeeFileLoad::State::Unreadable;
        return load;
    }
    load.state = OeeFileLoad::State::Read;
    load.file = parseOeeFile(*bytes);
    return load;
}

std::string formatOeeLine(const OeeLine& line)
{
    char stamp[64];
    const LocalDateTime& t = line.time;
    std::snprintf(stamp, sizeof stamp, ",%d/%d/%04d,%d:%02d:%02d", t.month, t.day, t.year, t.hour,
                  t.minute, t.second);
    std::string text = line.machine + stamp;
    for (const double value : line.values) {
        // Room for the largest double written out in full.
        char digits[400];
        const auto written =
            std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 2);
        text += ',';
        text.append(digits, written.ptr);
    }
    text += "\r\n";
    return text;
}

OeeSeries overallOeeSeries(const OeeFile& file)
{
    OeeSeries series;
    if (file.lines.empty())
        return series;
    const OeeLine& origin = file.lines.front();
    series.origin = origin.time;
    series.minutes.reserve(file.lines.size());
    for (auto& values : series.values)
        values.reserve(file.lines.size());
    // Each sum starts at the value of a line left out: what the graph has always shown.
    std::array<double, kOeeMeasureCount> sums;
    sums.fill(kMissingOeeValue);
    double count = 0;
    for (const OeeLine& line : file.lines) {
        series.minutes.push_back(minutesAfter(origin, line));
        count += 1;
        for (std::size_t index = 0; index < kOeeMeasureCount; ++index) {
            sums[index] += line.values[index];
            series.values[index].push_back(sums[index] / count);
        }
    }
    return series;
}

OeeSeries machineOeeSeries(const OeeFile& file, std::string_view machine)
{
    OeeSeries series;
    const OeeLine* origin = nullptr;
    for (const OeeLine& line : file.lines) {
        if (line.machine != machine)
            continue;
        if (!origin) {
            origin = &line;
            series.origin = line.time;
        }
        series.minutes.push_back(minutesAfter(*origin, line));
        for (std::size_t index = 0; index < kOeeMeasureCount; ++index)
            series.values[index].push_back(line.values[index]);
    }
    return series;
}

std::optional<std::string_view> yearEntryProblem(std::string_view typed)
{
    typed = trimmed(typed);
    if (!allDigits(typed))
        return kSpecifyOnlyNumbers;
    if (typed.size() != 4)
        return kSpecifyFourDigits;
    return std::nullopt;
}

std::optional<int> typedYear(std::string_view typed)
{
    if (yearEntryProblem(typed))
        return std::nullopt;
    typed = trimmed(typed);
    int year = 0;
    std::from_chars(typed.data(), typed.data() + typed.size(), year);
    return year;
}

}  // namespace quillon
