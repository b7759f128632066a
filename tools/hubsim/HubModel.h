// The simulated hub's machines: up to 128 of them living shifts on a shop floor, from a
// seed, so that the same seed and the same start give the same shift every time.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitoring/MachineSlot.h"
#include "monitoring/StationKind.h"
#include "monitoring/StatusTable.h"

namespace quillon::hubsim {

// The hub's status vocabulary: the 37 indexes of the monitoring displays. The fixed ones
// carry the names the displays know; 3 to 6 are statuses of this hub's own (the displays
// learn their names from GraphColor.sys), the rest stay free.
// The places are the status table's (monitoring/StatusTable.h, whose kStatusCount counts
// them), which HubModel.cpp checks.
enum StatusIndex : int {
    kCycleOn = 0,
    kCycleOff = 1,
    kSetup = 2,
    kMaintenance = 3,
    kNoMaterial = 4,
    kToolChange = 5,
    kQualityCheck = 6,
    kLoading = 31,
    kNoOperator = 32,
    kAlarm = 33,
    kSpindleOn = 34,
    kFeedHold = 35,
    kCycleOnSpindleOn = 36,
};
// The name of a status index; empty for the free ones.
std::string_view statusName(int index);
// The index of a name among the named statuses.
std::optional<int> statusIndexOf(std::string_view name);

// A shift is 8 hours; shifts start at 06:00, 14:00 and 22:00 UTC.
inline constexpr std::int64_t kShiftSeconds = 8 * 3600;
inline constexpr std::int64_t kFirstShiftOffset = 6 * 3600;
std::int64_t shiftStartOf(std::int64_t time);

// SplitMix64's mixing of a number: small, fast and the same on every compiler, unlike the
// distributions of the standard library.
constexpr std::uint64_t mixBits(std::uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

inline constexpr int kMaxMachines = kMachineSlots;
inline constexpr int kMaxPiecesPerCycle = 100;

struct ProductionTally {
    long long goodPieces = 0;
    long long totalPieces = 0;
    std::int64_t idealSeconds = 0;  // the ideal times of the cycles made

    ProductionTally since(const ProductionTally& earlier) const
    {
        return {goodPieces - earlier.goodPieces, totalPieces - earlier.totalPieces,
                idealSeconds - earlier.idealSeconds};
    }
};

struct Station {
    std::string partNumber;
    int minCycle = 0;  // seconds
    int maxCycle = 0;
    int piecesPerCycle = 1;
    int lastCycle = 0;            // seconds; 0 before the first cycle of the shift
    std::int64_t cycleStart = 0;  // when its current (or last) cycle began
    std::int64_t jobStart = 0;    // when it began running its part number: elapsed time
    long long goodCount = 0;      // pieces this shift
    long long totalCount = 0;
    long long cycles = 0;           // cycles this shift
    std::int64_t cycleSeconds = 0;  // the length of those cycles together
    std::int64_t idealSeconds = 0;  // and what they would have taken at their ideal times
    int feedOverride = 100;         // percent
    // What the station made since the hub started, never set back: a shift's output is the
    // difference between its start and its end, whatever setups came in between.
    ProductionTally made;

    int idealCycle() const { return (minCycle + maxCycle) / 2; }
};

// What the hub works out from a shift so far, in whole percent.
struct Efficiency {
    int availability = 0;
    int performance = 0;
    int quality = 0;  // 0 while nothing was made: "not reported"
    int oee = 0;
};

struct Machine {
    MachineSlot slot;
    std::string name;
    StationKind kind = StationKind::Single;
    bool reportsFeedOverride = false;
    bool reportsSpindleOverride = false;
    bool minutesUnit = false;  // long cycles are shown and entered in minutes
    // Its records report strokes a minute against a nominal rate, as its shift records do
    // (ShiftRecorder's rate mode); its cycles are runs of strokes.
    bool rateMode = false;
    std::string operation;
    std::array<Station, 2> stations;
    int status = kNoOperator;
    std::int64_t statusStart = 0;
    bool alert = false;
    int spindleOverride = 100;
    std::array<std::int64_t, kStatusCount> statusSeconds{};  // this shift
    std::int64_t shiftStart = 0;
    // Grows with every change a client would see, so that pushes go out for changed
    // machines only.
    std::uint64_t version = 0;

    int stationCount() const { return kind == StationKind::Single ? 1 : 2; }
    bool inCycle() const { return status == kCycleOn; }
    Efficiency efficiency(int station, std::int64_t now) const;
};

// A SETUP from a client: the new job. Station 2 values are used by two-station machines.
struct SetupOrder {
    std::array<std::string, 2> partNumbers;
    std::array<int, 2> minCycles{};
    std::array<int, 2> maxCycles{};
    std::array<int, 2> piecesPerCycle{1, 1};
};

struct ModelSettings {
    int machines = 12;
    std::uint64_t seed = 1;
    // The demonstration floor: whatever the seed, machine 2 has two heads and machine 3
    // two pallets, machine 4 counts in rate mode, and machine 6's operator is often away.
    bool demo = false;
};

// The machines the demonstration floor gives a part, by index.
inline constexpr std::size_t kDemoTwoHeads = 1;
inline constexpr std::size_t kDemoTwoPallets = 2;
inline constexpr std::size_t kDemoRateMode = 3;
inline constexpr std::size_t kDemoOutages = 5;

// What a machine did, as the hub's shift record files keep it. Events of one machine come
// in time order; the machine is passed along in the state the event left it in.
struct MachineEvent {
    enum class Kind {
        ShiftStart,  // a new shift: the one before (if any) ended at the same time
        Status,      // the machine entered a status (a new cycle enters "cycle on" again)
        Job,         // new part numbers and limits
    };
    Kind kind = Kind::Status;
    std::int64_t time = 0;
    int previousStatus = kCycleOff;  // Status: what the machine did before
    // Status "cycle on" of a two-pallet machine: the pallet cut (0 or 1); nothing for
    // every other event, which concerns all stations.
    std::optional<int> station;
};

class MachineEventSink {
public:
    virtual ~MachineEventSink() = default;
    virtual void machineEvent(const Machine& machine, const MachineEvent& event) = 0;
};

class HubModel {
public:
    // The machines start at the shift that holds `start` and live up to `start`, so that a
    // hub started in the middle of a shift reports a shift already under way. The sink,
    // when given, hears every event from the start of that shift on.
    HubModel(const ModelSettings& settings, std::int64_t start, MachineEventSink* sink = nullptr);

    const std::vector<Machine>& machines() const { return m_machines; }
    // The machine in the slot; nothing for a slot without one.
    const Machine* machine(MachineSlot slot) const;
    std::int64_t now() const { return m_now; }

    // Lets every machine live up to `time`; earlier times change nothing.
    void advanceTo(std::int64_t time);

    // A status chosen by a client. It holds for a while and then the machine goes back
    // to work. The cycle statuses are the machine's own: false for them and for names
    // that are not in the hub's list.
    bool setStatus(MachineSlot slot, std::string_view status);
    // False (nothing changed) for a blank part number or a minimum above its maximum.
    bool setup(MachineSlot slot, const SetupOrder& order);

    // The statuses a client may set on a machine, in the order they are offered.
    static const std::vector<std::string_view>& settableStatuses();

private:
    // What a machine is doing and until when.
    struct Life {
        enum class Step { Waiting, Cycle, FeedHold, Stop, Setup, Loading };
        Step step = Step::Waiting;
        std::int64_t until = 0;
        std::int64_t accountedUntil = 0;
        std::uint64_t random = 0;
        int activePallet = 0;
        // A cycle cut by a feed hold: the rest of it, run when the hold ends.
        std::int64_t cycleLeft = 0;
        std::optional<std::int64_t> holdAt;
        // Its operator is away far more often than the others'.
        bool oftenUnmanned = false;
    };
    void live(std::size_t index, std::int64_t until);
    void finishStep(std::size_t index);
    void account(Machine& machine, std::int64_t until);
    void enter(std::size_t index, int status, std::int64_t duration);
    void startCycle(std::size_t index);
    void changeJob(std::size_t index, std::int64_t now);
    std::uint64_t draw(std::size_t index);
    double uniform(std::size_t index, double low, double high);
    void tell(std::size_t index, const MachineEvent& event);

    MachineEventSink* m_sink = nullptr;
    std::vector<Machine> m_machines;
    std::vector<Life> m_lives;
    std::int64_t m_now = 0;
};

}  // namespace quillon::hubsim
