#include "monitoring/StatusReport.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <tuple>
#include <unordered_set>

#include "monitoring/HubFiles.h"
#include "platform/TextFile.h"

namespace quillon {

namespace {

// ---- The fixed part of a line ----------------------------------------------------------
//
// Positions counted from the comma after the machine name:
//
//   ,MM/DD/YYYY,n,HH:MM:SS,HH:MM:SS,elapsed,...
//   0 1        11 13      22       31
//               12 14       23
constexpr std::size_t kDateOffset = 1;
constexpr std::size_t kDateLength = 10;
constexpr std::size_t kShiftOffset = 12;
constexpr std::size_t kStartOffset = 14;
constexpr std::size_t kEndOffset = 23;
constexpr std::size_t kTimeLength = 8;
constexpr std::size_t kValuesComma = 31;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int digitsValue(std::string_view text)
{
    int value = 0;
    for (const char c : text)
        value = value * 10 + (c - '0');
    return value;
}

bool allDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), isDigit);
}

// "HH:MM:SS": digits with the colons in their places. The hub's clock decides the values.
bool isTimeText(std::string_view text)
{
    return text.size() == kTimeLength && text[2] == ':' && text[5] == ':' &&
           allDigits(text.substr(0, 2)) && allDigits(text.substr(3, 2)) &&
           allDigits(text.substr(6, 2));
}

std::string_view withoutCarriageReturn(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

// The elapsed seconds as the hub writes them: digits with at most one decimal point.
std::optional<double> elapsedValue(std::string_view text)
{
    if (text.empty() || std::count(text.begin(), text.end(), '.') > 1 || text == "." ||
        !std::all_of(text.begin(), text.end(), [](char c) { return isDigit(c) || c == '.'; }))
        return std::nullopt;
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// A head/pallet value has two bits in use; a few more digits than that are still a number,
// anything longer is damage.
constexpr std::size_t kHeadPalletDigits = 4;

// The text up to the next comma, and the rest after it (nothing when there is no comma).
std::string_view takeField(std::string_view& rest, bool& hadComma)
{
    const auto comma = rest.find(',');
    hadComma = comma != std::string_view::npos;
    const std::string_view field = rest.substr(0, comma);
    rest = hadComma ? rest.substr(comma + 1) : std::string_view();
    return field;
}

// ---- Calendar --------------------------------------------------------------------------
//
// Days since 1970-01-01 of a civil date and back (H. Hinnant's algorithms): eras of 400
// years, each starting on 1 March so that the leap day ends the year.
int daysFromCivil(int year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

ReportDate civilFromDays(int days)
{
    days += 719468;
    const int era = (days >= 0 ? days : days - 146096) / 146097;
    const int dayOfEra = days - era * 146097;
    const int yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int shiftedMonth = (5 * dayOfYear + 2) / 153;
    const int day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    const int month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

int daysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

void appendTwoDigits(std::string& text, int value)
{
    text += static_cast<char>('0' + value / 10 % 10);
    text += static_cast<char>('0' + value % 10);
}

// ---- Reading a file in pieces ----------------------------------------------------------
//
// A yearly report of a full hub is tens of megabytes; it is read a block at a time and
// handed on in whole lines, so that a selection never holds more than one block of it.
constexpr std::size_t kReadBlock = 1 << 20;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Calls onLines with runs of whole lines (the last one without its line feed at the end of
// the file) until it returns false; false when the file cannot be opened or read.
template <typename OnLines>
bool readInLines(const std::string& path, OnLines onLines)
{
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return false;
    std::string buffer(kReadBlock, '\0');
    std::size_t kept = 0;  // bytes of an unfinished line at the front of the buffer
    for (;;) {
        if (kept == buffer.size())
            buffer.resize(buffer.size() * 2);  // a line longer than a block
        const std::size_t got =
            std::fread(buffer.data() + kept, 1, buffer.size() - kept, file.get());
        if (got == 0) {
            if (std::ferror(file.get()))
                return false;
            if (kept > 0)
                onLines(std::string_view(buffer.data(), kept));
            return true;
        }
        const std::string_view filled(buffer.data(), kept + got);
        const auto lastLineFeed = filled.rfind('\n');
        if (lastLineFeed == std::string_view::npos) {
            kept += got;
            continue;
        }
        if (!onLines(filled.substr(0, lastLineFeed + 1)))
            return true;
        kept = filled.size() - lastLineFeed - 1;
        std::memmove(buffer.data(), buffer.data() + lastLineFeed + 1, kept);
    }
}

}  // namespace

// ---- ReportDate ------------------------------------------------------------------------

bool ReportDate::isValid() const
{
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= daysInMonth(year, month);
}

ReportDate ReportDate::plusDays(int days) const
{
    return civilFromDays(daysFromCivil(year, month, day) + days);
}

int ReportDate::daysUntil(const ReportDate& other) const
{
    return daysFromCivil(other.year, other.month, other.day) - daysFromCivil(year, month, day);
}

std::string ReportDate::text() const
{
    std::string text;
    text.reserve(kDateLength);
    appendTwoDigits(text, month);
    text += '/';
    appendTwoDigits(text, day);
    text += '/';
    appendTwoDigits(text, year / 100);
    appendTwoDigits(text, year);
    return text;
}

std::optional<ReportDate> ReportDate::parse(std::string_view text)
{
    if (text.size() != kDateLength || text[2] != '/' || text[5] != '/' ||
        !allDigits(text.substr(0, 2)) || !allDigits(text.substr(3, 2)) ||
        !allDigits(text.substr(6, 4)))
        return std::nullopt;
    const ReportDate date{digitsValue(text.substr(6, 4)), digitsValue(text.substr(0, 2)),
                          digitsValue(text.substr(3, 2))};
    if (!date.isValid())
        return std::nullopt;
    return date;
}

// ---- Report lines ----------------------------------------------------------------------

namespace {

// The machine name and the comma after it: the name must end within 31 characters.
std::optional<std::size_t> nameComma(std::string_view line)
{
    const auto comma = line.substr(0, kReportMachineNameLimit + 1).find(',');
    if (comma == std::string_view::npos || comma == 0)
        return std::nullopt;
    return comma;
}

// The fixed part from the name comma on: date, shift and the two times with the commas
// between them. The line must reach at least to the end time.
bool readFixedPart(std::string_view fixed, ReportLineView& view)
{
    if (fixed.size() < kValuesComma || fixed[kDateOffset + kDateLength] != ',' ||
        fixed[kShiftOffset + 1] != ',' || fixed[kStartOffset + kTimeLength] != ',')
        return false;
    const auto date = ReportDate::parse(fixed.substr(kDateOffset, kDateLength));
    const char shift = fixed[kShiftOffset];
    if (!date || shift < '1' || shift > '3')
        return false;
    view.dateText = fixed.substr(kDateOffset, kDateLength);
    view.date = *date;
    view.shift = shift - '0';
    view.startTime = fixed.substr(kStartOffset, kTimeLength);
    view.endTime = fixed.substr(kEndOffset, kTimeLength);
    return isTimeText(view.startTime) && isTimeText(view.endTime);
}

// elapsed,status[,head/pallet[,comment]] after the comma at 31.
bool readValues(std::string_view rest, ReportLineView& view)
{
    bool hadComma = false;
    view.elapsedSeconds = elapsedValue(takeField(rest, hadComma));
    if (!view.elapsedSeconds || !hadComma)
        return false;
    view.status = takeField(rest, hadComma);
    if (view.status.empty())
        return false;
    if (!hadComma)
        return true;
    const std::string_view headPallet = takeField(rest, hadComma);
    if (!headPallet.empty()) {
        if (headPallet.size() > kHeadPalletDigits || !allDigits(headPallet))
            return false;
        view.headPallet = digitsValue(headPallet);
    }
    view.comment = rest;
    return true;
}

}  // namespace

std::optional<ReportLineView> viewReportLine(std::string_view line)
{
    line = withoutCarriageReturn(line);
    const auto comma = nameComma(line);
    if (!comma)
        return std::nullopt;
    ReportLineView view;
    view.machine = line.substr(0, *comma);
    const std::string_view fixed = line.substr(*comma);
    if (!readFixedPart(fixed, view))
        return std::nullopt;
    if (fixed.size() == kValuesComma)
        return view;  // no values: head/pallet 0
    if (fixed[kValuesComma] != ',' || !readValues(fixed.substr(kValuesComma + 1), view))
        return std::nullopt;
    return view;
}

std::optional<ReportLine> parseReportLine(std::string_view line)
{
    const auto view = viewReportLine(line);
    if (!view)
        return std::nullopt;
    return ReportLine{std::string(view->machine),
                      view->date,
                      view->shift,
                      std::string(view->startTime),
                      std::string(view->endTime),
                      view->elapsedSeconds,
                      std::string(view->status),
                      view->headPallet,
                      std::string(view->comment)};
}

namespace {

// The shortest decimal that reads back to the same value, never in exponent form: the
// readers take digits and a point only. Room for the largest double written out in full.
std::string formatElapsed(double seconds)
{
    char text[400];
    const auto end =
        std::to_chars(text, text + sizeof text, seconds, std::chars_format::fixed).ptr;
    return std::string(text, end);
}

}  // namespace

std::string formatReportLine(const ReportLine& line)
{
    std::string text = line.machine;
    text += ',';
    text += line.date.text();
    text += ',';
    text += static_cast<char>('0' + line.shift);
    text += ',';
    text += line.startTime;
    text += ',';
    text += line.endTime;
    if (!line.elapsedSeconds)
        return text;
    text += ',';
    text += formatElapsed(*line.elapsedSeconds);
    text += ',';
    text += line.status;
    text += ',';
    text += std::to_string(line.headPallet);
    text += ',';
    text += line.comment;
    return text;
}

// ---- File names ------------------------------------------------------------------------

std::string statusReportFileName(const ReportDate& date, bool monthly)
{
    std::string name = std::string(kReportsFolder) + "\\_MACHINE_" + std::to_string(date.year);
    if (monthly) {
        name += '-';
        appendTwoDigits(name, date.month);
    }
    return name + ".CSV";
}

std::vector<std::string> statusReportFileNames(const ReportDate& start, const ReportDate& end,
                                               bool monthly)
{
    std::vector<std::string> names;
    const ReportDate last = end.plusDays(1);
    // One name per month (or year) from the start's to the last day's.
    ReportDate month{start.year, monthly ? start.month : 1, 1};
    const ReportDate lastMonth{last.year, monthly ? last.month : 1, 1};
    while (month <= lastMonth) {
        names.push_back(statusReportFileName(month, monthly));
        if (monthly)
            month = month.month == 12 ? ReportDate{month.year + 1, 1, 1}
                                      : ReportDate{month.year, month.month + 1, 1};
        else
            month.year += 1;
    }
    return names;
}

// ---- The selection ---------------------------------------------------------------------

ReportLineFilter::ReportLineFilter(const ReportSelection& selection)
    : m_start(selection.start.value_or(ReportDate{})),
      m_end(selection.end.value_or(m_start)),
      m_dayAfterEnd(m_end.plusDays(1)),
      m_shifts(selection.shifts),
      m_stations((selection.station1 ? 1 : 0) | (selection.station2 ? 2 : 0))
{
    for (const auto& machine : selection.machines) {
        if (machine.selected)
            m_machines.push_back(machine.name);
    }
    std::sort(m_machines.begin(), m_machines.end());
}

ReportLineFilter::Verdict ReportLineFilter::judge(std::string_view line) const
{
    line = withoutCarriageReturn(line);
    // The date first: most lines of a yearly file lie outside the span.
    const auto comma = nameComma(line);
    if (!comma || line.size() < *comma + kValuesComma)
        return Verdict::Skip;
    const auto date = ReportDate::parse(line.substr(*comma + kDateOffset, kDateLength));
    if (!date || *date < m_start)
        return Verdict::Skip;
    const char shift = line[*comma + kShiftOffset];
    if (*date > m_end) {
        // The night shift that began on the last day is dated the day after it.
        if (*date != m_dayAfterEnd || shift != '3')
            return Verdict::Stop;
    }
    if (shift < '1' || shift > '3' || !m_shifts[static_cast<std::size_t>(shift - '1')])
        return Verdict::Skip;
    if (!std::binary_search(m_machines.begin(), m_machines.end(), line.substr(0, *comma)))
        return Verdict::Skip;
    const auto view = viewReportLine(line);
    if (!view || (view->headPallet & ~m_stations) != 0)
        return Verdict::Skip;
    return Verdict::Take;
}

std::size_t appendSelectedLines(std::string_view bytes, const ReportLineFilter& filter,
                                std::string& out, bool& stopped)
{
    std::size_t taken = 0;
    LineReader lines(bytes, std::string_view::npos);
    while (const auto line = lines.next()) {
        const auto verdict = filter.judge(*line);
        if (verdict == ReportLineFilter::Verdict::Stop) {
            stopped = true;
            break;
        }
        if (verdict == ReportLineFilter::Verdict::Take) {
            out += *line;
            out += '\n';
            ++taken;
        }
    }
    return taken;
}

namespace {

// The checks that need no file, in the dialog's order; the message of the first that fails.
std::optional<std::string_view> refusal(const ReportSelection& selection)
{
    if (!selection.start || !selection.end || !selection.start->isValid() ||
        !selection.end->isValid())
        return kNoDateSelection;
    const auto [start, end] = std::minmax(*selection.start, *selection.end);
    if (start.daysUntil(end) > kReportLongestSpanDays)
        return kTooManyDaysSelected;
    if (selection.machines.empty())
        return kNoMachinesOnList;
    const auto selected = std::count_if(selection.machines.begin(), selection.machines.end(),
                                        [](const auto& machine) { return machine.selected; });
    if (static_cast<std::size_t>(selected) > kReportMostMachines)
        return kTooManyMachinesSelected;
    if (selected == 0)
        return kNoMachineSelected;
    if (std::none_of(selection.shifts.begin(), selection.shifts.end(), [](bool on) { return on; }))
        return kNoShiftSelected;
    return std::nullopt;
}

std::size_t countLines(std::string_view text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

ReportSelectionResult selectReport(std::string_view hubDirectory, const ReportSelection& selection)
{
    ReportSelectionResult result;
    if (const auto message = refusal(selection)) {
        result.message = *message;
        return result;
    }
    std::tie(result.start, result.end) = std::minmax(*selection.start, *selection.end);
    const std::vector<std::string> names =
        statusReportFileNames(result.start, result.end, selection.monthly);
    if (!findHubFile(hubDirectory, names.front())) {
        result.message = shownHubFileName(hubDirectory, names.front());
        result.message += kReportFileNotFound;
        return result;
    }
    if (selection.kind == ReportKind::None) {
        result.message = kNoReportKind;
        return result;
    }

    ReportSelection ordered = selection;
    ordered.start = result.start;
    ordered.end = result.end;
    const ReportLineFilter filter(ordered);
    result.reportText = kTempReportHeader;
    bool stopped = false;
    for (const auto& name : names) {
        // A later month or year the hub has not begun yet has no file.
        const auto path = findHubFile(hubDirectory, name);
        if (!path)
            continue;
        const bool read = readInLines(*path, [&](std::string_view lines) {
            result.lineCount += appendSelectedLines(lines, filter, result.reportText, stopped);
            return !stopped;
        });
        if (!read) {
            result.message = kReportOpenError;
            return result;
        }
        if (stopped)
            break;
    }
    if (result.lineCount == 0) {
        result.message = kRecordsNotFound;
        return result;
    }
    if (selection.compressed) {
        result.reportText = compressReport(result.reportText);
        result.lineCount = countLines(result.reportText) - 1;
    }
    return result;
}

// ---- Machines of a report file ---------------------------------------------------------

namespace {

class DistinctNames {
public:
    void add(std::string_view bytes)
    {
        LineReader lines(bytes, std::string_view::npos);
        while (const auto line = lines.next()) {
            if (const auto view = viewReportLine(*line)) {
                if (m_seen.insert(std::string(view->machine)).second)
                    m_names.emplace_back(view->machine);
            }
        }
    }
    std::vector<std::string> take() { return std::move(m_names); }

private:
    std::unordered_set<std::string> m_seen;
    std::vector<std::string> m_names;
};

}  // namespace

std::vector<std::string> reportMachineNames(std::string_view bytes)
{
    DistinctNames names;
    names.add(bytes);
    return names.take();
}

std::optional<std::vector<std::string>> reportFileMachines(std::string_view hubDirectory,
                                                           const ReportDate& date, bool monthly)
{
    const auto path = findHubFile(hubDirectory, statusReportFileName(date, monthly));
    if (!path)
        return std::nullopt;
    DistinctNames names;
    const bool read = readInLines(*path, [&names](std::string_view lines) {
        names.add(lines);
        return true;
    });
    if (!read)
        return std::nullopt;
    return names.take();
}

// ---- Report windows --------------------------------------------------------------------

std::string reportWindowFileName(ReportWindowKind kind, int number)
{
    const char first = kind == ReportWindowKind::Graph ? '0' : 'A';
    const int place = std::clamp(number, 0, kReportWindowsPerKind - 1);
    return std::string(1, static_cast<char>(first + place)) + "CSV.csv";
}

}  // namespace quillon
