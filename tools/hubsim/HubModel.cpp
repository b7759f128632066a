#include "hubsim/HubModel.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "monitoring/StatusTable.h"

namespace quillon::hubsim {

// The hub's places are the status table's.
constexpr bool samePlaces()
{
    constexpr std::pair<int, int> places[] = {
        {kCycleOn, kStatusCycleOn},   {kCycleOff, kStatusCycleOff},
        {kSetup, kStatusSetup},       {kMaintenance, kFirstHubStatus},
        {kLoading, kStatusLoading},   {kNoOperator, kStatusNoOstler},
        {kAlarm, kStatusAlarm},       {kSpindleOn, kStatusSpindleOn},
        {kFeedHold, kStatusFeedHold}, {kCycleOnSpindleOn, kStatusCycleOnSpindleOn},
    };
    for (const auto& [hub, table] : places)
        if (hub != table)
            return false;
    return true;
}
static_assert(samePlaces());

namespace {

// How long a status a client set holds before the machine goes back to work: long
// enough to be seen on every display, short enough that a forgotten one does not stop
// the machine for the rest of the shift.
constexpr std::int64_t kClientStatusHold = 10 * 60;
constexpr std::int64_t kClientSetupHold = 20 * 60;
// Operators arrive within the first quarter hour of a shift; until then a machine that
// starts the simulation stands unmanned.
constexpr double kArrivalSpread = 15 * 60;
// A cycle lasts its ideal time spread by this share either way (before the override).
constexpr double kCycleSpread = 0.04;
// Minimum and maximum cycle times lie this share below and above the ideal.
constexpr double kCycleTolerance = 0.15;

// The displays' own names, and this hub's names for its statuses 3 to 6.
const std::array<std::string, kStatusCount>& statusNames()
{
    static const std::array<std::string, kStatusCount> names = [] {
        std::array<std::string, kStatusCount> all = StatusTable::defaults().names;
        all[kMaintenance] = "MAINTENANCE";
        all[kNoMaterial] = "NO MATERIAL";
        all[kToolChange] = "TOOL CHANGE";
        all[kQualityCheck] = "QUALITY CHECK";
        return all;
    }();
    return names;
}

// What happens after a cycle: the chance of each stop (the rest of the time the machine
// is loaded and runs the next cycle), and how long each lasts, in seconds.
struct Interruption {
    int status;
    double chance;
    double shortest;
    double longest;
};
constexpr Interruption kInterruptions[] = {
    {kAlarm, 0.025, 120, 900},         {kToolChange, 0.02, 120, 420},
    {kQualityCheck, 0.015, 180, 600},  {kCycleOff, 0.02, 60, 420},
    {kNoOperator, 0.008, 600, 2400},   {kNoMaterial, 0.004, 900, 2700},
    {kMaintenance, 0.002, 1200, 3600},
};
// The chance of an outage after a cycle for a machine whose operator is often away.
constexpr double kUnmannedChance = 0.15;
// A new job (a part-number change, with its setup) after this share of the cycles.
constexpr double kJobChangeChance = 0.006;
constexpr double kSetupShortest = 1200, kSetupLongest = 3600;
constexpr double kLoadShortest = 15, kLoadLongest = 75;
// A feed hold stops this share of the cycles somewhere in the middle.
constexpr double kFeedHoldChance = 0.05;
constexpr double kFeedHoldShortest = 20, kFeedHoldLongest = 240;
// A cycle whose parts are found bad.
constexpr double kScrapChance = 0.03;

// Most machines go by a short name; the first of each group of eight by a long one, as
// shops name their cells. Short names keep the list of all 128 within one datagram of the
// size the program receives (see kClientReceiveLimit).
constexpr std::string_view kSingleNames[] = {"VMC", "LATHE", "5AX", "SWISS", "GANTRY"};
constexpr std::string_view kSingleLongName = "VERTICAL MACHINING CENTRE";
constexpr std::string_view kTwoHeadName = "TWIN";
constexpr std::string_view kTwoHeadLongName = "TWIN SPINDLE LATHE";
constexpr std::string_view kTwoPalletName = "HMC";
constexpr std::string_view kTwoPalletLongName = "HORIZONTAL PALLET CENTRE";
constexpr std::string_view kOperations[] = {"OP10 ROUGH", "OP20 FINISH", "OP10", "OP30 DRILL+TAP",
                                            "OP20 BORE"};
constexpr int kFeedOverrides[] = {80, 90, 100, 100, 100, 100, 110, 120};
constexpr int kSpindleOverrides[] = {90, 100, 100, 100, 110};

int percentOf(std::int64_t part, std::int64_t whole)
{
    if (whole <= 0)
        return 0;
    return static_cast<int>(std::clamp<std::int64_t>(part * 100 / whole, 0, 100));
}

}  // namespace

std::string_view statusName(int index)
{
    if (index < 0 || index >= kStatusCount)
        return {};
    return statusNames()[static_cast<std::size_t>(index)];
}

std::optional<int> statusIndexOf(std::string_view name)
{
    if (name.empty())
        return std::nullopt;
    const auto& names = statusNames();
    const auto found = std::find(names.begin(), names.end(), name);
    if (found == names.end())
        return std::nullopt;
    return static_cast<int>(found - names.begin());
}

std::int64_t shiftStartOf(std::int64_t time)
{
    const std::int64_t sinceFirst = time - kFirstShiftOffset;
    std::int64_t shifts = sinceFirst / kShiftSeconds;
    if (sinceFirst % kShiftSeconds < 0)
        --shifts;
    return kFirstShiftOffset + shifts * kShiftSeconds;
}

Efficiency Machine::efficiency(int station, std::int64_t now) const
{
    const Station& s = stations[static_cast<std::size_t>(station)];
    Efficiency e;
    // Availability: the share of the shift so far the machine ran cycles.
    e.availability = percentOf(statusSeconds[kCycleOn], now - shiftStart);
    // Performance: the ideal time of the cycles made against the time they took.
    e.performance = percentOf(s.idealSeconds, s.cycleSeconds);
    // Quality: good pieces of all pieces; 0 says "not reported" while nothing was made.
    e.quality = percentOf(s.goodCount, s.totalCount);
    e.oee = e.availability * e.performance * e.quality / 10000;
    return e;
}

HubModel::HubModel(const ModelSettings& settings, std::int64_t start, MachineEventSink* sink)
    : m_sink(sink)
{
    const int count = std::clamp(settings.machines, 1, kMaxMachines);
    const std::int64_t shiftStart = shiftStartOf(start);
    m_now = shiftStart;
    m_machines.resize(static_cast<std::size_t>(count));
    m_lives.resize(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < m_machines.size(); ++i) {
        Life& life = m_lives[i];
        // Each machine draws from its own sequence, so that the number of machines does
        // not change the life of the first ones.
        life.random = settings.seed ^ (0x9E3779B97F4A7C15ull * (i + 1));
        life.accountedUntil = shiftStart;

        Machine& m = m_machines[i];
        m.slot = MachineSlot::ofIndex(static_cast<int>(i));
        const double kindDraw = uniform(i, 0, 1);
        m.kind = kindDraw < 0.15  ? StationKind::TwoHeads
                 : kindDraw < 0.3 ? StationKind::TwoPallets
                                  : StationKind::Single;
        if (settings.demo) {
            // Drawn all the same, so that the rest of the floor lives as with the seed alone.
            if (i == kDemoTwoHeads)
                m.kind = StationKind::TwoHeads;
            else if (i == kDemoTwoPallets)
                m.kind = StationKind::TwoPallets;
            else if (i == kDemoRateMode || i == kDemoOutages)
                m.kind = StationKind::Single;
            m.rateMode = i == kDemoRateMode;
            life.oftenUnmanned = i == kDemoOutages;
        }
        const bool longName = m.slot.port == 0;
        const std::string_view shortBase = kSingleNames[draw(i) % std::size(kSingleNames)];
        const std::string_view base =
            m.kind == StationKind::TwoHeads     ? (longName ? kTwoHeadLongName : kTwoHeadName)
            : m.kind == StationKind::TwoPallets ? (longName ? kTwoPalletLongName : kTwoPalletName)
            : longName                          ? kSingleLongName
                                                : shortBase;
        const std::string number = (i + 1 < 10 ? "0" : "") + std::to_string(i + 1);
        m.name = std::string(base) + (longName ? " " : "-") + number;
        m.reportsFeedOverride = uniform(i, 0, 1) < 0.8;
        m.reportsSpindleOverride = uniform(i, 0, 1) < 0.5;
        m.shiftStart = shiftStart;
        m.status = kNoOperator;
        m.statusStart = shiftStart;
        changeJob(i, shiftStart);
        life.step = Life::Step::Waiting;
        life.until = shiftStart + static_cast<std::int64_t>(uniform(i, 60, kArrivalSpread));
        tell(i, {MachineEvent::Kind::ShiftStart, shiftStart, m.status, std::nullopt});
    }
    advanceTo(start);
}

const Machine* HubModel::machine(MachineSlot slot) const
{
    const auto index = static_cast<std::size_t>(slot.index());
    return index < m_machines.size() ? &m_machines[index] : nullptr;
}

const std::vector<std::string_view>& HubModel::settableStatuses()
{
    static const std::vector<std::string_view> statuses = {
        statusName(kCycleOff),    statusName(kSetup),        statusName(kLoading),
        statusName(kToolChange),  statusName(kQualityCheck), statusName(kNoMaterial),
        statusName(kMaintenance),
    };
    return statuses;
}

std::uint64_t HubModel::draw(std::size_t index)
{
    // SplitMix64: the machine's sequence steps on by a constant and is mixed.
    return mixBits(m_lives[index].random += 0x9E3779B97F4A7C15ull);
}

void HubModel::tell(std::size_t index, const MachineEvent& event)
{
    if (m_sink)
        m_sink->machineEvent(m_machines[index], event);
}

double HubModel::uniform(std::size_t index, double low, double high)
{
    const double unit = static_cast<double>(draw(index) >> 11) * 0x1.0p-53;
    return low + (high - low) * unit;
}

void HubModel::advanceTo(std::int64_t time)
{
    if (time <= m_now)
        return;
    for (std::size_t i = 0; i < m_machines.size(); ++i)
        live(i, time);
    m_now = time;
}

void HubModel::account(Machine& machine, std::int64_t until)
{
    Life& life = m_lives[static_cast<std::size_t>(machine.slot.index())];
    if (until > life.accountedUntil) {
        machine.statusSeconds[static_cast<std::size_t>(machine.status)] +=
            until - life.accountedUntil;
        life.accountedUntil = until;
    }
}

void HubModel::live(std::size_t index, std::int64_t until)
{
    Machine& m = m_machines[index];
    Life& life = m_lives[index];
    for (;;) {
        const std::int64_t nextShift = m.shiftStart + kShiftSeconds;
        const std::int64_t next = std::min(life.until, nextShift);
        if (next > until) {
            account(m, until);
            return;
        }
        account(m, next);
        if (next == nextShift) {
            // A new shift counts from nothing; the machine carries on with what it does.
            m.shiftStart = nextShift;
            m.statusSeconds.fill(0);
            for (Station& s : m.stations) {
                s.goodCount = s.totalCount = s.cycles = 0;
                s.cycleSeconds = s.idealSeconds = 0;
            }
            ++m.version;
            tell(index, {MachineEvent::Kind::ShiftStart, nextShift, m.status, std::nullopt});
            continue;
        }
        finishStep(index);
    }
}

void HubModel::enter(std::size_t index, int status, std::int64_t duration)
{
    Machine& m = m_machines[index];
    Life& life = m_lives[index];
    const std::int64_t now = life.until;
    const int previous = m.status;
    if (m.status != status) {
        m.status = status;
        m.statusStart = now;
    }
    m.alert = status == kAlarm;
    life.until = now + std::max<std::int64_t>(duration, 1);
    ++m.version;
    std::optional<int> station;
    if (status == kCycleOn && m.kind == StationKind::TwoPallets)
        station = life.activePallet;
    tell(index, {MachineEvent::Kind::Status, now, previous, station});
}

void HubModel::startCycle(std::size_t index)
{
    Machine& m = m_machines[index];
    Life& life = m_lives[index];
    const std::int64_t now = life.until;
    if (uniform(index, 0, 1) < 0.1)
        m.stations[0].feedOverride = kFeedOverrides[draw(index) % std::size(kFeedOverrides)];
    if (uniform(index, 0, 1) < 0.1)
        m.spindleOverride = kSpindleOverrides[draw(index) % std::size(kSpindleOverrides)];
    m.stations[1].feedOverride = m.stations[0].feedOverride;

    if (m.kind == StationKind::TwoPallets)
        life.activePallet = 1 - life.activePallet;
    const Station& running = m.stations[static_cast<std::size_t>(life.activePallet)];
    // A faster feed shortens the cut, not the rapid moves and tool changes: about half
    // of a cycle follows the override.
    const double feedFactor = 0.5 + 0.5 * 100.0 / running.feedOverride;
    const double spread = uniform(index, -kCycleSpread, kCycleSpread * 1.5);
    const auto length =
        static_cast<std::int64_t>(std::max(1.0, running.idealCycle() * feedFactor * (1 + spread)));
    // Heads cut together; a single-station machine reports station 2 as station 1.
    for (int s = 0; s < 2; ++s)
        if (m.kind != StationKind::TwoPallets || s == life.activePallet)
            m.stations[static_cast<std::size_t>(s)].cycleStart = now;
    life.step = Life::Step::Cycle;
    life.holdAt.reset();
    life.cycleLeft = 0;
    if (uniform(index, 0, 1) < kFeedHoldChance) {
        const auto first = static_cast<std::int64_t>(uniform(index, 0.1, 0.9) * length);
        life.holdAt = first;
        life.cycleLeft = length - first;
        enter(index, kCycleOn, first);
    } else {
        enter(index, kCycleOn, length);
    }
}

void HubModel::changeJob(std::size_t index, std::int64_t now)
{
    Machine& m = m_machines[index];
    const bool longJob = uniform(index, 0, 1) < 0.15;
    const double ideal = longJob ? uniform(index, 900, 2400) : uniform(index, 45, 600);
    const double pieceDraw = uniform(index, 0, 1);
    const int pieces = pieceDraw < 0.75 ? 1 : pieceDraw < 0.9 ? 2 : 4;
    m.minutesUnit = ideal > 600;
    m.operation = std::string(kOperations[draw(index) % std::size(kOperations)]);
    const auto partNumber = [&] {
        const auto number = 10000 + draw(index) % 90000;
        return "P" + std::to_string(number) + "-" + static_cast<char>('A' + draw(index) % 4);
    };
    for (std::size_t s = 0; s < 2; ++s) {
        Station& station = m.stations[s];
        // Heads run the same part; pallets often carry different ones. A single-station
        // machine reports station 2 as a copy of station 1, which the displays then show
        // as one part number.
        const bool ownPart =
            s == 0 || (m.kind == StationKind::TwoPallets && uniform(index, 0, 1) < 0.5);
        const std::string part = ownPart ? partNumber() : m.stations[0].partNumber;
        const double stationIdeal = ownPart ? ideal * uniform(index, 0.8, 1.2) : ideal;
        // The shift's count runs on across the jobs of the floor; only a client's SETUP
        // starts it again, as the client itself then shows 0.
        station.partNumber = part;
        station.minCycle = static_cast<int>(stationIdeal * (1 - kCycleTolerance));
        station.maxCycle = static_cast<int>(stationIdeal * (1 + kCycleTolerance));
        station.piecesPerCycle = pieces;
        station.jobStart = now;
        if (station.cycleStart == 0)
            station.cycleStart = now;
    }
    tell(index, {MachineEvent::Kind::Job, now, m.status, std::nullopt});
}

void HubModel::finishStep(std::size_t index)
{
    Machine& m = m_machines[index];
    Life& life = m_lives[index];
    const std::int64_t now = life.until;
    using Step = Life::Step;
    switch (life.step) {
    case Step::Cycle: {
        if (life.holdAt) {
            life.holdAt.reset();
            life.step = Step::FeedHold;
            enter(index, kFeedHold,
                  static_cast<std::int64_t>(uniform(index, kFeedHoldShortest, kFeedHoldLongest)));
            return;
        }
        const bool scrap = uniform(index, 0, 1) < kScrapChance;
        for (int s = 0; s < m.stationCount(); ++s) {
            if (m.kind == StationKind::TwoPallets && s != life.activePallet)
                continue;
            Station& station = m.stations[static_cast<std::size_t>(s)];
            station.lastCycle = static_cast<int>(now - station.cycleStart);
            ++station.cycles;
            station.cycleSeconds += now - station.cycleStart;
            station.idealSeconds += station.idealCycle();
            station.totalCount += station.piecesPerCycle;
            if (!scrap)
                station.goodCount += station.piecesPerCycle;
            station.made.totalPieces += station.piecesPerCycle;
            if (!scrap)
                station.made.goodPieces += station.piecesPerCycle;
            station.made.idealSeconds += station.idealCycle();
        }
        ++m.version;
        double roll = uniform(index, 0, 1);
        if (roll < kJobChangeChance) {
            life.step = Step::Setup;
            changeJob(index, now);
            enter(index, kSetup,
                  static_cast<std::int64_t>(uniform(index, kSetupShortest, kSetupLongest)));
            return;
        }
        roll -= kJobChangeChance;
        for (const Interruption& stop : kInterruptions) {
            const double chance =
                stop.status == kNoOperator && life.oftenUnmanned ? kUnmannedChance : stop.chance;
            if (roll < chance) {
                life.step = Step::Stop;
                enter(index, stop.status,
                      static_cast<std::int64_t>(uniform(index, stop.shortest, stop.longest)));
                return;
            }
            roll -= chance;
        }
        // Pallets are loaded outside while the other one is cut: the next cycle follows.
        if (m.kind == StationKind::TwoPallets) {
            startCycle(index);
            return;
        }
        life.step = Step::Loading;
        enter(index, kLoading,
              static_cast<std::int64_t>(uniform(index, kLoadShortest, kLoadLongest)));
        return;
    }
    case Step::FeedHold:
        life.step = Step::Cycle;
        enter(index, kCycleOn, life.cycleLeft);
        return;
    case Step::Waiting:
        // The first operator of the shift arrives and loads the machine.
        life.step = Step::Loading;
        enter(index, kLoading,
              static_cast<std::int64_t>(uniform(index, kLoadShortest, kLoadLongest)));
        return;
    case Step::Setup:
    case Step::Stop:
        life.step = Step::Loading;
        enter(index, kLoading,
              static_cast<std::int64_t>(uniform(index, kLoadShortest, kLoadLongest)));
        return;
    case Step::Loading:
        startCycle(index);
        return;
    }
}

bool HubModel::setStatus(MachineSlot slot, std::string_view status)
{
    const auto index = static_cast<std::size_t>(slot.index());
    const auto& settable = settableStatuses();
    if (index >= m_machines.size() ||
        std::find(settable.begin(), settable.end(), status) == settable.end())
        return false;
    const auto statusIndex = statusIndexOf(status);
    Life& life = m_lives[index];
    // A cycle under way when the status is forced is abandoned, not counted.
    life.until = m_now;
    life.holdAt.reset();
    life.step = statusIndex == kSetup ? Life::Step::Setup : Life::Step::Stop;
    enter(index, *statusIndex, statusIndex == kSetup ? kClientSetupHold : kClientStatusHold);
    return true;
}

bool HubModel::setup(MachineSlot slot, const SetupOrder& order)
{
    const auto index = static_cast<std::size_t>(slot.index());
    if (index >= m_machines.size())
        return false;
    Machine& m = m_machines[index];
    // A single-station machine keeps station 2 as a copy of station 1.
    const int given = m.stationCount();
    for (int s = 0; s < given; ++s) {
        const auto i = static_cast<std::size_t>(s);
        if (order.partNumbers[i].find_first_not_of(' ') == std::string::npos ||
            order.minCycles[i] < 0 || order.maxCycles[i] <= 0 ||
            order.minCycles[i] > order.maxCycles[i])
            return false;
    }
    for (std::size_t s = 0; s < 2; ++s) {
        const std::size_t from = given == 1 ? 0 : s;
        Station& station = m.stations[s];
        // The count is per part: a new part number starts it again.
        if (order.partNumbers[from] != station.partNumber) {
            station.goodCount = station.totalCount = station.cycles = 0;
            station.cycleSeconds = station.idealSeconds = 0;
            station.jobStart = m_now;
        }
        station.partNumber = order.partNumbers[from];
        station.minCycle = order.minCycles[from];
        station.maxCycle = order.maxCycles[from];
        station.piecesPerCycle = std::clamp(order.piecesPerCycle[from], 1, kMaxPiecesPerCycle);
    }
    m.minutesUnit = m.stations[0].idealCycle() > 600;
    tell(index, {MachineEvent::Kind::Job, m_now, m.status, std::nullopt});
    return setStatus(slot, statusName(kSetup));
}

}  // namespace quillon::hubsim
