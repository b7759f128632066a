#include "monitoring/ShiftRecord.h"

#include <algorithm>
#include <array>

#include "platform/LocalTime.h"
#include "platform/TextFile.h"

namespace quillon {

namespace {

constexpr std::size_t kShortDate = 8;   // MM/DD/YY
constexpr std::size_t kLongDate = 10;   // MM/DD/YYYY
constexpr std::size_t kTimeLength = 8;  // HH:MM:SS
constexpr long kLargestCount = 1'000'000;

// Exactly `count` digits at `at`.
std::optional<int> digitsAt(std::string_view text, std::size_t at, std::size_t count)
{
    if (at + count > text.size())
        return std::nullopt;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

bool charAt(std::string_view text, std::size_t at, char c)
{
    return at < text.size() && text[at] == c;
}

struct InfoWord {
    std::string_view word;
    ShiftEvent event;
};

constexpr std::array<InfoWord, 4> kInfoWords = {{
    {"_PARTNO:", ShiftEvent::PartNumber},
    {"_OPERATOR:", ShiftEvent::Operator},
    {"_EMPLOYEE:", ShiftEvent::Employee},
    {"_OPSEQ:", ShiftEvent::OperationSequence},
}};

int numberOr(std::string_view text, int fallback)
{
    const auto value = numberIn(trimmed(text));
    if (!value || *value < 0 || *value > 1'000'000)
        return fallback;
    return static_cast<int>(*value);
}

// "_CON:" letter feed ["," spindle "," scale]: the letter gives the shade, C the darkest
// (0) to R (15); letters outside C..R are taken as the nearest. With a scale above 99
// the spindle override is blended in: (letter shade + spindle x 15 / scale) / 2.
void readShade(ShiftRecord& record, std::string_view after)
{
    const std::string_view field = after.substr(0, after.find(','));
    int shade = 0;
    if (!field.empty()) {
        const int letter = static_cast<unsigned char>(field.front()) - 'C';
        shade = std::clamp(letter, 0, kLastShade);
        record.feedOverride = numberOr(field.substr(1), -1);
    }
    const auto fields = splitAtCommas(record.rest);
    if (fields.size() >= 2) {
        const int spindle = numberOr(fields[0], -1);
        const int scale = numberOr(fields[1], -1);
        record.spindleOverride = spindle;
        if (scale > 99 && spindle >= 0) {
            const int spindleShade = std::min(spindle, scale) * kLastShade / scale;
            shade = (shade + spindleShade) / 2;
        }
    }
    record.shade = shade;
}

}  // namespace

std::int64_t recordTime(std::string_view line)
{
    const std::size_t comma = line.find(',');
    if (comma != kShortDate && comma != kLongDate)
        return 0;
    if (!charAt(line, 2, '/') || !charAt(line, 5, '/'))
        return 0;
    const auto month = digitsAt(line, 0, 2);
    const auto day = digitsAt(line, 3, 2);
    const auto year = digitsAt(line, 6, comma - 6);
    const std::size_t at = comma + 1;
    const auto hour = digitsAt(line, at, 2);
    const auto minute = digitsAt(line, at + 3, 2);
    const auto second = digitsAt(line, at + 6, 2);
    if (!month || !day || !year || !hour || !minute || !second || !charAt(line, at + 2, ':') ||
        !charAt(line, at + 5, ':'))
        return 0;
    if (at + kTimeLength < line.size() && line[at + kTimeLength] != ',' &&
        line[at + kTimeLength] != '\r')
        return 0;
    const int fullYear = comma == kShortDate ? 2000 + *year : *year;
    const auto seconds = localToSeconds({fullYear, *month, *day, *hour, *minute, *second});
    if (!seconds || *seconds <= kLatestNoRecordTime)
        return 0;
    return *seconds;
}

std::optional<ShiftRecord> parseShiftRecord(std::string_view line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    ShiftRecord record;
    record.time = recordTime(line);
    if (record.time == 0)
        return std::nullopt;
    const std::size_t eventAt = line.find(',') + 1 + kTimeLength + 1;
    const std::string_view event = eventAt <= line.size() ? line.substr(eventAt) : "";
    const std::size_t comma = event.find(',');
    const std::string_view word = event.substr(0, comma);
    record.rest = comma == std::string_view::npos ? std::string_view() : event.substr(comma + 1);
    const std::string_view nextField = record.rest.substr(0, record.rest.find(','));

    for (const InfoWord& info : kInfoWords) {
        if (word.starts_with(info.word)) {
            record.event = info.event;
            record.text = word.substr(info.word.size());
            return record;
        }
    }
    if (word == "_SH_START") {
        record.event = ShiftEvent::ShiftStart;
    } else if (word == "_SH_END") {
        record.event = ShiftEvent::ShiftEnd;
    } else if (word == "_CON") {
        record.event =
            nextField == "SPINDLE_ON" ? ShiftEvent::CycleOnSpindle : ShiftEvent::CycleOn;
    } else if (word.starts_with("_CON:")) {
        record.event = ShiftEvent::CycleOnShaded;
        readShade(record, word.substr(5));
    } else if (word == "_COFF") {
        record.event = nextField == "NO Ostler" ? ShiftEvent::NoOstler : ShiftEvent::CycleOff;
    } else if (word == "_SETUP") {
        record.event = ShiftEvent::Setup;
    } else if (word == "_CYCOUNT") {
        record.event = ShiftEvent::CycleCount;
        const auto fields = splitAtCommas(record.rest);
        // Bounded, so that sums of a whole shift cannot overflow.
        const auto field = [&](std::size_t i) {
            const long value = i < fields.size() ? numberIn(trimmed(fields[i])).value_or(0) : 0;
            return std::clamp(value, -kLargestCount, kLargestCount);
        };
        record.cycles = std::max(field(0), 0L);
        record.minRate = field(1);
        record.maxRate = field(2);
    } else {
        record.event = ShiftEvent::Status;
        record.text = word;
        record.spindleOn = nextField == "SPINDLE_ON";
    }
    return record;
}

std::string shiftRecordLine(std::int64_t seconds, std::string_view event)
{
    return formatLocal(seconds, "%m/%d/%y,%H:%M:%S,") + std::string(event);
}

PartRecordFields partRecordFields(const ShiftRecord& record)
{
    constexpr std::size_t kLimitChars = 15;
    PartRecordFields part;
    const auto fields = splitAtCommas(record.rest);
    const auto limit = [&](std::size_t i) -> std::optional<std::int64_t> {
        if (record.rest.empty() || i >= fields.size())
            return std::nullopt;
        const std::string_view field = trimmed(fields[i]);
        const std::size_t digitAt = !field.empty() && field.front() == '-' ? 1 : 0;
        if (digitAt >= field.size() || field[digitAt] < '0' || field[digitAt] > '9')
            return std::nullopt;
        return leadingInteger(field.substr(0, kLimitChars));
    };
    part.minimum = limit(0);
    part.maximum = limit(1);
    // The pieces follow the line's last ";", which stands in the part field when the record
    // gives no limits.
    const std::string_view tail = record.rest.empty() ? record.text : record.rest;
    if (const std::size_t semicolon = tail.rfind(';'); semicolon != std::string_view::npos)
        part.pieces = leadingInteger(tail.substr(semicolon + 1));
    constexpr std::string_view kMinimumOnly = "_MIN_ONLY";
    part.minimumOnly = record.text.find(kMinimumOnly) != std::string_view::npos ||
                       record.rest.find(kMinimumOnly) != std::string_view::npos;
    return part;
}

}  // namespace quillon
