// The hub's yearly OEE file and the two OEE graphs drawn from it: the overall one (the
// running averages of every machine's lines) and one machine's own values.
//
// The hub appends one line per machine and shift to "_REPORTS\_OEE_<year>.CSV":
//
//     MACHINE NAME,DATE,TIME,AVAILABILITY,PERFORMANCE,QUALITY,OEE    header, skipped
//     LATHE-1,12/8/2026,6:00:00,91.50,83.20,99.10,75.40
//     MILL 3,1/12/2026,22:0:0,88.00,,97.25,                          two values missing
//
// The date is M/D/YYYY and the time H:M:S, each part of one or two digits except the
// year; the values are percentages. A value left out counts as -0.01, as the hub's own
// readers take it, so that a graph still shows the line.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/LocalTime.h"

namespace quillon {

// The four values of a line, in the file's column order.
enum class OeeMeasure { Availability, Performance, Quality, Oee };
inline constexpr std::size_t kOeeMeasureCount = 4;
// The names the graphs give the four series, in the order of OeeMeasure.
inline constexpr std::array<std::string_view, kOeeMeasureCount> kOeeMeasureNames = {
    "Availability", "Performance", "Quality", "OEE"};

// What a value left out of a line counts as.
inline constexpr double kMissingOeeValue = -0.01;

// The first line of a file the hub starts.
inline constexpr std::string_view kOeeFileHeader =
    "MACHINE NAME,DATE,TIME,AVAILABILITY,PERFORMANCE,QUALITY,OEE";

// The year entry of both OEE commands.
inline constexpr std::string_view kOverallYearPrompt = "Enter year to view overall OEE";
inline constexpr std::string_view kMachineYearPrompt = "Enter year to view Machine OEE";
inline constexpr std::string_view kSpecifyFourDigits = "Specify four digits";
inline constexpr std::string_view kSpecifyOnlyNumbers = "Specify only numbers";

// Titles of the two graphs and the texts of a window that cannot be made.
inline constexpr std::string_view kOverallOeeWindowTitle = "Graph OEE-All";
inline constexpr std::string_view kOverallOeeChartTitle = "Overall OEE";
inline constexpr std::string_view kMachineOeeWindowName = "Graph-OEE";
inline constexpr std::string_view kMachineOeeTitleSuffix = " - OEE";
inline constexpr std::string_view kOeeTimeAxisTitle = "Time";
inline constexpr std::string_view kOeeValueAxisTitle = "OEE %";
inline constexpr std::string_view kOverallOeeWindowFailed =
    "Could not create OEE-All Graph Window";
inline constexpr std::string_view kMachineOeeWindowFailed = "Could not create OEE Graph Window";
// Appended to the file's name when the year has no file.
inline constexpr std::string_view kOeeFileNotFound = " file is not found";

// One line of the file.
struct OeeLine {
    std::string machine;
    LocalDateTime time;  // as written: the shop's wall-clock date and time
    // The same counted in seconds from 1970 on the shop's clock, every day 86 400 seconds
    // long: a line stamped 6:00 stays at 6:00 on the graph when the clocks have changed
    // between it and the first line.
    std::int64_t clockSeconds = 0;
    std::array<double, kOeeMeasureCount> values{};  // percent; kMissingOeeValue when left out
};

// The lines of a file that could be read, in file order, and how many could not.
struct OeeFile {
    std::vector<OeeLine> lines;
    // Lines that are not blank yet have no machine name, a date or time that is not on the
    // calendar, or a value that is no number. They are left out of every graph.
    std::size_t unreadable = 0;
};

// "_REPORTS\_OEE_2026.CSV": the year's file, relative to the hub directory (found there
// without regard to case, see HubFiles.h).
std::string oeeFileName(int year);

// The year's file as the user is told it is missing: the hub directory and the file name,
// with the hub directory's own separators.
std::string oeeFileShownName(std::string_view hubDirectory, int year);

// One line without its line end; nothing when it cannot be read (see OeeFile::unreadable).
// Fields past the seventh are ignored.
std::optional<OeeLine> parseOeeLine(std::string_view line);

// The whole file: the header skipped, LF or CR LF line ends, blank lines passed over.
OeeFile parseOeeFile(std::string_view bytes);

// The year's file below the hub directory, as far as it could be had.
struct OeeFileLoad {
    enum class State { Read, Missing, Unreadable };
    State state = State::Missing;
    OeeFile file;  // empty unless read
};
OeeFileLoad loadOeeFile(std::string_view hubDirectory, int year);

// The line as the hub writes it, ended by CR LF: M/D/YYYY, H:MM:SS, values with two
// decimals. parseOeeLine reads it back to the same line (values to two decimals).
std::string formatOeeLine(const OeeLine& line);

// What a graph plots: one point per line used, X in minutes after the first line's time
// (on the shop's clock, see OeeLine::clockSeconds), and the four series' values in percent.
struct OeeSeries {
    LocalDateTime origin;  // the first line's date and time
    std::vector<double> minutes;
    std::array<std::vector<double>, kOeeMeasureCount> values;

    std::size_t size() const { return minutes.size(); }
    bool empty() const { return minutes.empty(); }
    const std::vector<double>& of(OeeMeasure measure) const
    {
        return values[static_cast<std::size_t>(measure)];
    }
};

// The overall graph: every line, each series the running average of its values so far,
// (-0.01 + v0 + ... + vk) / (k + 1) at line k. The sum starting at -0.01 is what the graph
// has always shown, and users compare today's figures with those (OEE 80 then 60 plots
// 79.99, then 69.995).
OeeSeries overallOeeSeries(const OeeFile& file);

// One machine's graph: the lines whose machine is exactly that name, each with its own
// values; the origin is that machine's first line.
OeeSeries machineOeeSeries(const OeeFile& file, std::string_view machine);

// What is wrong with a typed year, or nothing when it is four digits. Blanks around the
// year are forgiven. A text that is neither all digits nor four long is told it must be
// numbers: that is the first thing to mend, the length comes after.
std::optional<std::string_view> yearEntryProblem(std::string_view typed);
// The year a typed text gives once yearEntryProblem has nothing against it.
std::optional<int> typedYear(std::string_view typed);

}  // namespace quillon
