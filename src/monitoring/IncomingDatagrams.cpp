#include "monitoring/IncomingDatagrams.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "monitoring/Datagrams.h"
#include "platform/TextFile.h"

namespace quillon {

namespace {

// The comma-separated fields of a text, one at a time: the first always exists, each
// later one only when a comma comes before it.
class Fields {
public:
    explicit Fields(std::string_view text) : m_rest(text) {}

    std::optional<std::string_view> next()
    {
        if (m_done)
            return std::nullopt;
        const std::size_t comma = m_rest.find(',');
        if (comma == std::string_view::npos) {
            m_done = true;
            return m_rest;
        }
        const std::string_view field = m_rest.substr(0, comma);
        m_rest.remove_prefix(comma + 1);
        return field;
    }

private:
    std::string_view m_rest;
    bool m_done = false;
};

int digitValue(char c, int base)
{
    int value = 36;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'z')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'Z')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

// A whole number as strtol reads it (blanks, a sign, digits of the base; saturated), but
// nothing when there is no digit: a machine address must be written, not defaulted to 0.
std::optional<long long> addressNumber(std::string_view text, int base)
{
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    const bool negative = pos < text.size() && text[pos] == '-';
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+'))
        ++pos;
    constexpr long long kSaturated = std::numeric_limits<long long>::max() / 64;
    long long value = 0;
    const std::size_t first = pos;
    for (; pos < text.size() && digitValue(text[pos], base) >= 0; ++pos)
        value = std::min(value * base + digitValue(text[pos], base), kSaturated);
    if (pos == first)
        return std::nullopt;
    return negative ? -value : value;
}

std::optional<MachineSlot> slotOf(std::optional<std::string_view> hub,
                                  std::optional<std::string_view> port)
{
    if (!hub || !port)
        return std::nullopt;
    const auto hubNumber = addressNumber(*hub, 16);
    const auto portNumber = addressNumber(*port, 10);
    if (!hubNumber || !portNumber)
        return std::nullopt;
    return MachineSlot::checked(*hubNumber, *portNumber);
}

std::string bounded(std::string_view text, std::size_t limit)
{
    return std::string(text.substr(0, limit));
}

// ---- the "_UPDATE:" record, fields 4 to 89 --------------------------------------------

using FieldStore = void (*)(MachineRecord&, std::string_view field, std::int64_t now);

int number(std::string_view field)
{
    return leadingInt32(field);
}

std::int64_t secondsAgo(std::string_view field, std::int64_t now)
{
    return now - leadingInt32(field);
}

// A rate as atof reads it: what follows the number is ignored and no number is 0. An
// "inf" or "nan" is no number either: a view would draw a bar of it.
double rate(std::string_view field)
{
    while (!field.empty() && (field.front() == ' ' || field.front() == '\t'))
        field.remove_prefix(1);
    if (!field.empty() && field.front() == '+')
        field.remove_prefix(1);
    double value = 0;
    std::from_chars(field.data(), field.data() + field.size(), value, std::chars_format::fixed);
    return std::isfinite(value) ? value : 0;
}

// The ways a field is stored: a number, a time sent as seconds ago, a rate, a bounded
// text; into the record or into one station's figures.
template <int MachineRecord::*Member>
void recordNumber(MachineRecord& r, std::string_view f, std::int64_t)
{
    r.*Member = number(f);
}

template <int StationFigures::*Member, int Station>
void stationNumber(MachineRecord& r, std::string_view f, std::int64_t)
{
    r.stations[Station].*Member = number(f);
}

template <std::int64_t StationFigures::*Member, int Station>
void stationTime(MachineRecord& r, std::string_view f, std::int64_t now)
{
    r.stations[Station].*Member = secondsAgo(f, now);
}

template <double MachineRecord::*Member>
void recordRate(MachineRecord& r, std::string_view f, std::int64_t)
{
    r.*Member = rate(f);
}

template <int Station>
void stationRate(MachineRecord& r, std::string_view f, std::int64_t)
{
    r.stations[Station].nominalRate = rate(f);
}

template <std::string MachineRecord::*Member, std::size_t Limit = kRecordTextLimit>
void recordText(MachineRecord& r, std::string_view f, std::int64_t)
{
    r.*Member = bounded(f, Limit);
}

template <int Station>
void partNumber(MachineRecord& r, std::string_view f, std::int64_t)
{
    r.stations[Station].partNumber = bounded(f, kRecordTextLimit);
}

// The maximum comes after the minimum; the ideal cycle lies halfway.
template <int Station>
void maxCycle(MachineRecord& r, std::string_view f, std::int64_t)
{
    StationFigures& s = r.stations[Station];
    s.maxCycleSeconds = number(f);
    s.idealCycleSeconds =
        static_cast<int>((std::int64_t{s.minCycleSeconds} + s.maxCycleSeconds) / 2);
}

template <int Station>
void pieces(MachineRecord& r, std::string_view f, std::int64_t)
{
    r.stations[Station].piecesPerCycle = limitPiecesPerCycle(number(f));
}

void unused(MachineRecord&, std::string_view, std::int64_t) {}

constexpr int kFirstStoredField = 4;
constexpr int kFirstStatusTimeField = 37;
constexpr int kLastField = 89;
// A record that ends before these fields gives its pieces per cycle as 1.
constexpr int kPieces1Field = 33;
constexpr int kPieces2Field = 34;

// Field n is stored by kFieldStores[n - kFirstStoredField]; the 37 status times (37..73)
// go by their place in the record and have no entry of their own.
const std::array<FieldStore, kLastField - kFirstStoredField + 1> kFieldStores = [] {
    using S = StationFigures;
    using R = MachineRecord;
    std::array<FieldStore, kLastField - kFirstStoredField + 1> stores{};
    auto at = [&](int field) -> FieldStore& { return stores[field - kFirstStoredField]; };
    at(4) = stationNumber<&S::minCycleSeconds, 0>;
    at(5) = maxCycle<0>;
    at(6) = stationNumber<&S::minCycleSeconds, 1>;
    at(7) = maxCycle<1>;
    at(8) = stationNumber<&S::lastCycleSeconds, 0>;
    at(9) = stationNumber<&S::lastCycleSeconds, 1>;
    at(10) = stationTime<&S::cycleStart, 0>;
    at(11) = stationTime<&S::cycleStart, 1>;
    at(12) = stationTime<&S::elapsedStart, 0>;
    at(13) = stationTime<&S::elapsedStart, 1>;
    at(14) = stationNumber<&S::goodCount, 0>;
    at(15) = stationNumber<&S::goodCount, 1>;
    at(16) = [](R& r, std::string_view f, std::int64_t) { r.alert = number(f) != 0; };
    at(17) = partNumber<0>;
    at(18) = partNumber<1>;
    at(19) = recordText<&R::status>;
    at(20) = recordText<&R::name>;
    at(21) = [](R& r, std::string_view f, std::int64_t) {
        r.timesInMinutes = !f.empty() && f.front() == '1';
    };
    at(22) = stationNumber<&S::feedOverride, 0>;
    at(23) = [](R& r, std::string_view f, std::int64_t) {
        constexpr int kRateMode = 2;
        r.rateMode = number(f) == kRateMode;
    };
    at(24) = stationRate<0>;
    at(25) = stationRate<1>;
    at(26) = stationNumber<&S::rateTolerance, 0>;
    at(27) = stationNumber<&S::rateTolerance, 1>;
    at(28) = recordRate<&R::currentRate>;
    at(29) = recordRate<&R::lastRate>;
    at(30) = recordNumber<&R::spindleOverride>;
    at(31) = recordNumber<&R::machineNumber>;
    at(32) = recordText<&R::operation, kOperationTextLimit>;
    at(33) = pieces<0>;
    at(34) = pieces<1>;
    at(35) = stationTime<&S::statusStart, 0>;
    at(36) = stationTime<&S::statusStart, 1>;
    at(74) = recordNumber<&R::oeeLowThreshold>;
    at(75) = recordNumber<&R::oeeHighThreshold>;
    at(76) = stationNumber<&S::availability, 0>;
    at(77) = stationNumber<&S::performance, 0>;
    at(78) = stationNumber<&S::quality, 0>;
    at(79) = stationNumber<&S::oee, 0>;
    at(80) = stationNumber<&S::availability, 1>;
    at(81) = stationNumber<&S::performance, 1>;
    at(82) = stationNumber<&S::quality, 1>;
    at(83) = stationNumber<&S::oee, 1>;
    at(84) = unused;  // a digit this program has no use for
    at(85) = unused;
    at(86) = stationNumber<&S::feedOverride, 1>;
    at(87) = stationNumber<&S::totalCount, 0>;
    at(88) = stationNumber<&S::totalCount, 1>;
    at(89) = [](R& r, std::string_view f, std::int64_t) {
        r.overrunNotHighlighted = number(f) != 0;
    };
    return stores;
}();

}  // namespace

std::string_view datagramText(std::string_view bytes)
{
    return bytes.substr(0, bytes.find('\0'));
}

std::optional<MachineNames> parseMachineNames(std::string_view datagram)
{
    if (!datagram.starts_with(kMachineNamesWord))
        return std::nullopt;
    std::string_view rest = datagram.substr(kMachineNamesWord.size());
    MachineNames names;
    for (std::string& name : names) {
        if (rest.empty())
            break;
        const std::size_t nul = rest.find('\0');
        name = bounded(rest.substr(0, nul), kMachineNameLimit);
        rest.remove_prefix(nul == std::string_view::npos ? rest.size() : nul + 1);
    }
    return names;
}

std::optional<MachineStates> parseMachineStates(std::string_view datagram)
{
    if (!datagram.starts_with(kMachineStatesWord))
        return std::nullopt;
    const std::string_view pairs = datagram.substr(kMachineStatesWord.size());
    if (pairs.size() < 2 * MachineStates().size())
        return std::nullopt;
    MachineStates states;
    for (std::size_t i = 0; i < states.size(); ++i)
        states[i] = {pairs[2 * i] != '\0', pairs[2 * i + 1] != '\0'};
    return states;
}

bool StartupList::anyFeedOverride() const
{
    return std::any_of(machines.begin(), machines.end(),
                       [](const StartupMachine& m) { return m.feedOverride; });
}

bool StartupList::anySpindleOverride() const
{
    return std::any_of(machines.begin(), machines.end(),
                       [](const StartupMachine& m) { return m.spindleOverride; });
}

std::optional<StationKind> stationKindOf(long long code)
{
    if (code < 0 || code > static_cast<int>(StationKind::TwoPallets))
        return std::nullopt;
    return static_cast<StationKind>(code);
}

std::optional<StartupList> parseStartupList(std::string_view datagram)
{
    const std::string_view text = datagramText(datagram);
    if (!text.starts_with(kStartupWord))
        return std::nullopt;
    std::string_view rest = text.substr(kStartupWord.size());
    StartupList list;
    if (rest.empty())
        return list;
    list.countsSupplied = rest.front() != '1';
    rest.remove_prefix(1);
    // Each line: hub, port, station kind, feed-override flag, spindle-override flag, then
    // anything up to the line feed. The first line that does not read so ends the list; a
    // last line without its line feed still counts.
    while (!rest.empty()) {
        const std::size_t lineFeed = rest.find('\n');
        Fields fields(rest.substr(0, lineFeed));
        const auto hub = fields.next();
        const auto port = fields.next();
        const auto kind = fields.next();
        const auto feed = fields.next();
        const auto spindle = fields.next();
        const auto slot = slotOf(hub, port);
        if (!slot || !spindle)
            break;
        list.machines.push_back({*slot, number(*kind), number(*feed) > 0, number(*spindle) > 0});
        if (lineFeed == std::string_view::npos)
            break;
        rest.remove_prefix(lineFeed + 1);
    }
    return list;
}

std::optional<MachineSlot> recordSlot(std::string_view afterWord)
{
    Fields fields(afterWord);
    const auto hub = fields.next();
    return slotOf(hub, fields.next());
}

std::optional<RecordReceipt> applyRecord(std::string_view datagram, std::int64_t now,
                                         MachineRecords& records)
{
    const std::string_view text = datagramText(datagram);
    if (!text.starts_with(kRecordWord))
        return std::nullopt;
    Fields fields(text.substr(kRecordWord.size()));
    const auto hub = fields.next();
    const auto slot = slotOf(hub, fields.next());
    const auto kindField = fields.next();
    if (!slot || !kindField)
        return std::nullopt;

    RecordReceipt receipt{*slot, false};
    MachineRecord& record = records[static_cast<std::size_t>(slot->index())];
    const int kindCode = number(*kindField);
    record.receivedStationKind = kindCode;
    const auto kind = stationKindOf(kindCode);
    if (!kind)
        return receipt;
    record.stationKind = *kind;

    for (int n = kFirstStoredField; n <= kLastField; ++n) {
        const auto field = fields.next();
        if (!field) {
            if (n == kPieces1Field)
                record.stations[0].piecesPerCycle = 1;
            if (n == kPieces1Field || n == kPieces2Field)
                record.stations[1].piecesPerCycle = 1;
            return receipt;
        }
        if (n >= kFirstStatusTimeField && n < kFirstStatusTimeField + kStatusCount)
            record.statusSeconds[static_cast<std::size_t>(n - kFirstStatusTimeField)] =
                number(*field);
        else
            kFieldStores[static_cast<std::size_t>(n - kFirstStoredField)](record, *field, now);
    }
    receipt.complete = true;
    return receipt;
}

std::optional<StatusList> parseStatusList(std::string_view datagram)
{
    const std::string_view text = datagramText(datagram);
    if (!text.starts_with(kStatusListWord))
        return std::nullopt;
    std::string_view rest = text.substr(kStatusListWord.size());
    // The hub's number starts at the first digit or minus sign, the port's at the next
    // digit after it; the list follows the next comma.
    const std::size_t hubStart = rest.find_first_of("-0123456789");
    if (hubStart == std::string_view::npos)
        return std::nullopt;
    rest.remove_prefix(hubStart);
    const auto hub = addressNumber(rest, 10);
    std::size_t pos = rest.front() == '-' ? 1 : 0;
    while (pos < rest.size() && digitValue(rest[pos], 10) >= 0)
        ++pos;
    rest.remove_prefix(pos);
    const std::size_t portStart = rest.find_first_of("0123456789");
    if (!hub || portStart == std::string_view::npos)
        return std::nullopt;
    rest.remove_prefix(portStart);
    const auto port = addressNumber(rest, 10);
    const std::size_t comma = rest.find(',');
    if (!port || comma == std::string_view::npos)
        return std::nullopt;
    const auto slot = MachineSlot::checked(*hub, *port);
    if (!slot)
        return std::nullopt;

    StatusList list{*slot, {}};
    std::string_view names = rest.substr(comma + 1, kStatusListLimit);
    // Each name ends with its comma; what follows the last comma is not a whole name.
    for (std::size_t end = names.find(','); end != std::string_view::npos; end = names.find(',')) {
        if (end > 0)
            list.statuses.emplace_back(names.substr(0, end));
        names.remove_prefix(end + 1);
    }
    return list;
}

}  // namespace quillon
