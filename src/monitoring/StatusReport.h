// The hub's status report files and what the report windows make of them: the report lines,
// the files' names, the selection a report window works on, its sums for bars and pies, the
// checks of a saved report and the compressed shift.
//
// The hub writes one line per status interval of a machine, in date order, below a header:
//
//   LATHE-1,12/08/2026,1,06:00:00,06:42:10,2530,CYCLE ON,0,
//   |name  |                              |
//          ^ the comma after the name: position 0 of the fixed part
//           1         11 13   (shift at 12)        31
//           MM/DD/YYYY , n , HH:MM:SS , HH:MM:SS , elapsed,status,head/pallet,comment
//                           14         23
//
// The middle columns have fixed widths, so they are read by position. A line that ends at
// the end time (no comma at 31) has no elapsed time, status or head/pallet value; its
// head/pallet value counts as 0.
#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// ---- Report lines ----------------------------------------------------------------------

inline constexpr std::string_view kReportsFolder = "_REPORTS";
// The names the hub keeps in its machine configuration fit in 31 characters; a longer name
// cannot come from it, so such a line is taken as damaged.
inline constexpr std::size_t kReportMachineNameLimit = 31;
// The status of a line that records the part number (in its comment) instead of a state.
inline constexpr std::string_view kPartNumberStatus = "_PARTNUMBER";
// The first line of a hub report file (written by the hub, skipped by the readers).
inline constexpr std::string_view kStatusReportHeader =
    "MACHINE NAME,DATE,SHIFT,START TIME,END TIME,ELAPSED TIME,MACHINE STATUS,HEAD/PALLET,"
    "COMMENT";
// The first line of a report window's copy: the DATE heading padded to the date's width.
inline constexpr std::string_view kTempReportHeader =
    "MACHINE NAME,DATE    ,SHIFT,START TIME,END TIME,ELAPSED TIME,MACHINE STATUS,HEAD/PALLET,"
    "COMMENT\n";
// Any line containing this is a header wherever it stands.
inline constexpr std::string_view kReportHeaderMark = "MACHINE NAME,DATE";

// A calendar day, ordered as the calendar orders it.
struct ReportDate {
    int year = 1970;
    int month = 1;
    int day = 1;

    auto operator<=>(const ReportDate&) const = default;

    // Whether the day exists on the (proleptic Gregorian) calendar, years 1..9999.
    bool isValid() const;
    // The day n days later (earlier for a negative n).
    ReportDate plusDays(int days) const;
    // Days from this day to the other (negative when the other lies before).
    int daysUntil(const ReportDate& other) const;
    // "MM/DD/YYYY".
    std::string text() const;
    // "MM/DD/YYYY" exactly (10 characters, digits and slashes); nothing for anything else
    // or a day the calendar does not have.
    static std::optional<ReportDate> parse(std::string_view text);
};

struct ReportLine {
    std::string machine;  // 1..31 characters, no comma
    ReportDate date;
    int shift = 1;          // 1..3
    std::string startTime;  // "HH:MM:SS"
    std::string endTime;    // "HH:MM:SS"
    // Nothing when the line ends at its end time (no comma at 31).
    std::optional<double> elapsedSeconds;
    std::string status;  // a status of the status table, or "_PARTNUMBER"
    // Bit 0 station 1, bit 1 station 2; 0 a single station (or no value on the line).
    int headPallet = 0;
    std::string comment;  // everything after the head/pallet comma, commas included

    bool isPartNumber() const { return status == kPartNumberStatus; }
};

// A report line's fields as views into the line, for readers that go through many lines.
struct ReportLineView {
    std::string_view machine;
    std::string_view dateText;  // "MM/DD/YYYY" as written
    ReportDate date;
    int shift = 1;
    std::string_view startTime;
    std::string_view endTime;
    std::optional<double> elapsedSeconds;
    std::string_view status;
    int headPallet = 0;
    std::string_view comment;

    bool isPartNumber() const { return status == kPartNumberStatus; }
};

// parseReportLine without copies: the views point into the line.
std::optional<ReportLineView> viewReportLine(std::string_view line);

// One line of a report file, without its line end (a CR before it is dropped too);
// nothing for a line that does not have the form above: a name that is empty, has no comma
// after it or is longer than 31 characters, a fixed field out of place or not made of
// digits, a day the calendar lacks, a shift other than 1..3, an elapsed time that is no
// decimal, a head/pallet value that is no number.
std::optional<ReportLine> parseReportLine(std::string_view line);

// The line in the hub's form, without a line end. Whole elapsed seconds are written
// without a decimal point ("2530"), others in their shortest exact form ("12.5").
std::string formatReportLine(const ReportLine& line);

// ---- File names ------------------------------------------------------------------------

// "_REPORTS\_MACHINE_2026-12.CSV" for a monthly file, "_REPORTS\_MACHINE_2026.CSV" for a
// yearly one: the file holding the lines of that day, relative to the hub directory.
std::string statusReportFileName(const ReportDate& date, bool monthly);

// Every file a span covers, in date order, from the start's to the one holding the day
// after the end (the night shift of the last day may have been written into it).
std::vector<std::string> statusReportFileNames(const ReportDate& start, const ReportDate& end,
                                               bool monthly);

// ---- The selection ("View selection") --------------------------------------------------

// A span reaches at most 61 days past its start (1 March to 1 May); the charts' room for
// dates follows from it.
inline constexpr int kReportLongestSpanDays = 61;
// The bar chart and the pies tell at most 32 machines apart by name.
inline constexpr std::size_t kReportMostMachines = 32;

inline constexpr std::string_view kNoDateSelection = "There was no Date selection made";
inline constexpr std::string_view kTooManyDaysSelected = "More then 61 days selected";
inline constexpr std::string_view kNoMachinesOnList = "There are no machines on the list";
inline constexpr std::string_view kTooManyMachinesSelected = "More then 32 machines are selected";
inline constexpr std::string_view kNoMachineSelected = "No machine was selected";
inline constexpr std::string_view kNoShiftSelected = "There was no Shift selected";
// After the report file's name.
inline constexpr std::string_view kReportFileNotFound = " file is not found";
inline constexpr std::string_view kNoReportKind =
    "Either 'per Machine' or 'per Date' needs to be selected";
inline constexpr std::string_view kTempReportOpenError = "Temp .CSV file open error-1";
inline constexpr std::string_view kReportOpenError = "Report .CSV file open error";
inline constexpr std::string_view kRecordsNotFound = "Records were not found";

enum class ReportKind { None, Graph, PiePerDate, PiePerMachine };

struct ReportMachineChoice {
    std::string name;
    bool selected = false;
};

struct ReportSelection {
    // Either missing: no span was chosen. An end before the start is swapped.
    std::optional<ReportDate> start;
    std::optional<ReportDate> end;
    // The dialog's machine list, every entry with its selection.
    std::vector<ReportMachineChoice> machines;
    std::array<bool, 3> shifts{};  // shift 1, 2, 3 checked
    bool station1 = false;         // "Head/Pallet 1"
    bool station2 = false;         // "Head/Pallet 2"
    bool monthly = false;          // the "Monthly .CSV file" setting
    bool compressed = false;       // "Compressed shift"
    ReportKind kind = ReportKind::None;
};

struct ReportSelectionResult {
    // Empty when the selection succeeded, else the text to show.
    std::string message;
    // The report window's copy: kTempReportHeader, then the taken lines unchanged, each
    // ended by a line feed (a CR before it is dropped, whatever the hub's files use).
    std::string reportText;
    std::size_t lineCount = 0;
    // The span after the swap.
    ReportDate start;
    ReportDate end;

    bool ok() const { return message.empty(); }
};

// Which lines of the report files a selection takes. The checks run on the fixed fields
// before anything else is read from a line.
class ReportLineFilter {
public:
    // The selection's span must be set and in order (selectReport sees to both).
    explicit ReportLineFilter(const ReportSelection& selection);

    enum class Verdict {
        Take,
        Skip,
        // The line lies past the span (and is not the last day's night shift): the lines
        // after it lie past it too.
        Stop,
    };
    // A line of a report file without its line end; headers and damaged lines are skipped.
    Verdict judge(std::string_view line) const;

private:
    ReportDate m_start;
    ReportDate m_end;
    ReportDate m_dayAfterEnd;
    std::vector<std::string> m_machines;  // selected, sorted
    std::array<bool, 3> m_shifts{};
    int m_stations = 0;  // the bits of the checked stations
};

// The taken lines of one report file's bytes appended to out, each ended by a line feed;
// the number of lines taken. `stopped` is set when a line past the span ended the reading.
std::size_t appendSelectedLines(std::string_view bytes, const ReportLineFilter& filter,
                                std::string& out, bool& stopped);

// "View selection": the checks in the dialog's order, then every file the span covers read
// below the hub directory (found whatever case the share spells it in). The first file, the
// start date's, must exist; later ones the hub may not have begun yet.
ReportSelectionResult selectReport(std::string_view hubDirectory,
                                   const ReportSelection& selection);

// "MCH from date": the distinct machine names of the start date's report file, in order of
// first appearance; nothing when the file is missing or cannot be read. "MCH from setup" is
// monitoredMachineNames of HubSetup.h.
std::optional<std::vector<std::string>> reportFileMachines(std::string_view hubDirectory,
                                                           const ReportDate& date, bool monthly);
// The same over a file's bytes.
std::vector<std::string> reportMachineNames(std::string_view bytes);

// ---- Report windows --------------------------------------------------------------------

inline constexpr int kReportWindowsPerKind = 4;
inline constexpr std::string_view kTooManyReportWindows = "Too many report windows are open";

enum class ReportWindowKind { Graph, Pie };

// The name of a report window's copy in the temporary folder: "0CSV.csv" to "3CSV.csv" for
// graph windows 0..3, "ACSV.csv" to "DCSV.csv" for pie windows 0..3.
std::string reportWindowFileName(ReportWindowKind kind, int number);

// ---- Sums for bars and pies ------------------------------------------------------------

// The charts' room for dates. The longest span, 61 days from start to end, covers 62 dates,
// and the night shift of the day after the end adds one: room for all 63, so that whatever
// the selection accepts is drawn whole and its saved copy opens again. (The messages'
// "61 days" count from start to end, as the selection's check does.)
inline constexpr std::size_t kReportMostDates = kReportLongestSpanDays + 2;
// The bar chart tells 9 statuses apart, a pie 31 slices.
inline constexpr std::size_t kReportMostBarStatuses = 9;
inline constexpr std::size_t kReportMostPieSlices = 31;
// One pie per date or per machine.
inline constexpr std::size_t kReportMostPies = kReportMostDates;

enum class ReportGrouping { PerDate, PerMachine };

struct ReportSums {
    ReportGrouping grouping = ReportGrouping::PerDate;
    // The dates ("MM/DD/YYYY" as written) or machines, in order of first appearance.
    std::vector<std::string> keys;
    // The statuses, in order of first appearance ("_PARTNUMBER" lines are no status).
    std::vector<std::string> statuses;
    // minutes[k][s]: the elapsed seconds / 60 of key k in status s.
    std::vector<std::vector<double>> minutes;
    // Keys or statuses past the limits given to sumReport, whose lines were left out.
    std::size_t droppedKeys = 0;
    std::size_t droppedStatuses = 0;

    double total(std::size_t key) const;
    // The share of each status in key's total, in percent (all 0 for a total of 0): what
    // "Data as [%]" plots, so every date's bar adds up to 100.
    std::vector<double> percent(std::size_t key) const;
    // The total a pie is labelled with: the minutes plus 0.49, cut to a whole number, so
    // 10.50 minutes read 10 and 10.52 read 11.
    long long shownTotal(std::size_t key) const;
    // "12/08/2026 / Total: 10 [min]", with the shown total.
    std::string pieLabel(std::size_t key) const;
};

// The sums of a report's text (a window's copy or a saved report): headers, "_PARTNUMBER"
// lines, lines without times, blank and damaged lines are left out. Keys past mostKeys and
// statuses past mostStatuses are counted as dropped and their minutes left out.
ReportSums sumReport(std::string_view reportText, ReportGrouping grouping,
                     std::size_t mostKeys = kReportMostDates,
                     std::size_t mostStatuses = kReportMostPieSlices);

// The sums a report kind draws: the bar chart per date with 9 statuses, the pies per date or
// per machine with 31 statuses in the whole report (so no pie has more slices); nothing for
// ReportKind::None.
std::optional<ReportSums> sumsForKind(std::string_view reportText, ReportKind kind);

// ---- "View saved .CSV" -----------------------------------------------------------------

inline constexpr std::string_view kSavedReportExtension = "File must have the .CSV extension";
inline constexpr std::string_view kSavedReportReadError = "File read open error";
inline constexpr std::string_view kSavedReportTooManyMachines = "More then 32 machines";
inline constexpr std::string_view kSavedReportCorrupt = "Corrupt .CSV file";
inline constexpr std::string_view kSavedReportTooManyDays =
    "There are more then 61 days in the file";

struct SavedReport {
    // Empty when the file can be shown, else the text to show.
    std::string message;
    std::string reportText;  // the file's bytes
    bool ok() const { return message.empty(); }
};

// The checks of a saved report's bytes, in order: more than 32 machines, a line that is
// neither a header, blank nor a report line, more dates than the charts' room, no line with
// a status and its time, no kind.
std::string checkSavedReportText(std::string_view bytes, ReportKind kind);

// The same on a chosen file, after its name (".CSV" in any case) and its reading.
SavedReport checkSavedReport(const std::string& path, ReportKind kind);

// ---- "Compressed shift" ----------------------------------------------------------------

// The taken lines day by day, and within a day machine by machine (both in order of first
// appearance), each machine's intervals of one shift, station and status joined into one
// line: ELAPSED TIME their sum, START TIME the first one's start, END TIME the last one's
// end, the first one's comment. A part-number line stays once per part number of that
// shift and station. Headers are written once, at the top; damaged lines are dropped.
std::string compressReport(std::string_view reportText);

}  // namespace quillon
