#include "hubsim/ShiftRecorder.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "monitoring/ShiftFiles.h"
#include "monitoring/ShiftRecord.h"
#include "monitoring/StatusTable.h"
#include "platform/Paths.h"
#include "platform/SystemError.h"

namespace quillon::hubsim {

namespace {

// Rate-mode machines count their strokes once a minute, as a press controller's counter
// is read.
constexpr std::int64_t kCountPeriod = 60;
// A run of strokes goes this share slower or faster than the part's rate; the limits lie
// a little inside that, so that the graph shows runs below, within and above them.
constexpr double kSlowestRun = 0.85, kFastestRun = 1.12;
constexpr double kRateTolerance = 0.1;
// The overrides' full scale: a shade letter C (0) .. R (15) spans 0 to 150 %.
constexpr int kOverrideScale = 150;
// One part in this many only has a lower cycle-time limit.
constexpr std::uint64_t kMinOnlyShare = 5;
// A new job brings a new operator this often (one in two).
constexpr std::uint64_t kOperatorChangeShare = 2;

constexpr const char* kOperators[] = {"A.BRANDT",  "M.OKAFOR", "J.LINDQVIST", "R.SANTOS",
                                      "K.NOWAK",   "T.HAYES",  "L.MORENO",    "S.PATEL",
                                      "D.FISCHER", "E.TANAKA", "C.DUBOIS",    "P.WALSH"};

std::uint64_t hashOf(std::string_view text)
{
    std::uint64_t h = 1469598103934665603ull;
    for (const char c : text)
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return mixBits(h);
}

// Shifts 1, 2 and 3 start at 06:00, 14:00 and 22:00 UTC.
int shiftNumberOf(std::int64_t shiftStart)
{
    const std::int64_t index = (shiftStart - kFirstShiftOffset) / kShiftSeconds;
    return static_cast<int>(((index % kShiftsPerDay) + kShiftsPerDay) % kShiftsPerDay) + 1;
}

std::optional<int> stationOf(const Machine& machine, int station)
{
    return machine.kind == StationKind::Single ? std::nullopt : std::optional<int>(station + 1);
}

// The hub's own names below the hub directory, in this system's separators.
std::string currentShiftPath(const std::string& hubDirectory, const Machine& machine, int station)
{
    return (std::filesystem::path(hubDirectory) / paths::normalizeSeparators(currentShiftFileName(
                                                      machine.slot, stationOf(machine, station))))
        .string();
}

std::filesystem::path archivedShiftPath(const std::string& hubDirectory, const Machine& machine,
                                        std::int64_t shiftStart, int station)
{
    return std::filesystem::path(hubDirectory) /
           paths::normalizeSeparators(
               archivedShiftFilePath(shiftStart, machine.name, shiftNumberOf(shiftStart),
                                     machine.kind, stationOf(machine, station)));
}

// Writes a file whole; the archive is written once, so no work file is needed.
WriteResult writeWhole(const std::string& path, std::string_view bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return {false, errnoText(errno)};
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const int error = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
        return {false, errnoText(written ? errno : error)};
    return {true, {}};
}

// Replaces a file so that a reader sees the old one or the new one whole. Not flushed to
// disk: a current-shift file is rewritten from the model whenever the hub starts.
WriteResult replaceForReaders(const std::string& path, std::string_view bytes)
{
    const std::string work = path + ".new";
    WriteResult written = writeWhole(work, bytes);
    if (!written.ok)
        return written;
    std::error_code error;
    std::filesystem::rename(work, path, error);
    if (error) {
        std::filesystem::remove(work, error);
        return {false, error.message()};
    }
    return written;
}

// The shade letter of an override: C for 0 % up to R at full scale.
char shadeLetter(int override)
{
    return static_cast<char>('C' +
                             std::clamp(override * kLastShade / kOverrideScale, 0, kLastShade));
}

std::string cycleOnEvent(const Machine& machine, const Station& station)
{
    if (machine.reportsFeedOverride) {
        std::string event = "_CON:";
        event += shadeLetter(station.feedOverride);
        event += std::to_string(station.feedOverride);
        if (machine.reportsSpindleOverride)
            event += "," + std::to_string(machine.spindleOverride) + "," +
                     std::to_string(kOverrideScale);
        return event;
    }
    return machine.reportsSpindleOverride ? "_CON,SPINDLE_ON" : "_CON";
}

std::string statusEvent(int status)
{
    switch (status) {
    case kCycleOff:
        return "_COFF";
    case kNoOperator:
        return "_COFF," + std::string(kNoOstler);
    case kSetup:
        return "_SETUP";
    default:
        return std::string(statusName(status));
    }
}

int lowestRate(const Station& station)
{
    return static_cast<int>(std::floor(strokeRateOf(station) * (1 - kRateTolerance)));
}

int highestRate(const Station& station)
{
    return static_cast<int>(std::ceil(strokeRateOf(station) * (1 + kRateTolerance)));
}

}  // namespace

int strokeRateOf(const Station& station)
{
    return 12 + static_cast<int>(hashOf(station.partNumber) % 37);
}

CycleReport cycleReportOf(const Machine& machine)
{
    // The fourth and seventh machine of each group of eight, when it has one station.
    if (machine.kind != StationKind::Single)
        return CycleReport::PerCycle;
    if (machine.slot.port == 3)
        return CycleReport::Rate;
    if (machine.slot.port == 6)
        return CycleReport::Print;
    return CycleReport::PerCycle;
}

std::string partRecord(const Machine& machine, int station)
{
    const Station& s = machine.stations[static_cast<std::size_t>(station)];
    std::string record = "_PARTNO:" + s.partNumber + ",";
    if (cycleReportOf(machine) == CycleReport::Rate) {
        const int rate = strokeRateOf(s);
        record += std::to_string(static_cast<int>(std::floor(rate * (1 - kRateTolerance)))) + "," +
                  std::to_string(static_cast<int>(std::ceil(rate * (1 + kRateTolerance))));
    } else {
        record += std::to_string(s.minCycle) + "," + std::to_string(s.maxCycle);
    }
    if (hashOf(s.partNumber) % kMinOnlyShare == 1)
        record += ",_MIN_ONLY";
    return record + ";" + std::to_string(s.piecesPerCycle);
}

ShiftRecorder::ShiftRecorder(std::string hubDirectory, std::uint64_t seed, Mode mode)
    : m_hubDirectory(std::move(hubDirectory)),
      m_seed(seed),
      m_mode(mode),
      m_reports(m_hubDirectory)
{
}

std::uint64_t ShiftRecorder::hash(const Machine& machine, std::int64_t time,
                                  std::uint64_t salt) const
{
    return mixBits(m_seed ^
                   mixBits(static_cast<std::uint64_t>(machine.slot.index()) * 0x9E37u + salt) ^
                   static_cast<std::uint64_t>(time));
}

ShiftRecorder::MachineFiles& ShiftRecorder::filesOf(const Machine& machine)
{
    const auto index = static_cast<std::size_t>(machine.slot.index());
    if (index >= m_machines.size())
        m_machines.resize(index + 1);
    return m_machines[index];
}

void ShiftRecorder::machineEvent(const Machine& machine, const MachineEvent& event)
{
    MachineFiles& files = filesOf(machine);
    switch (event.kind) {
    case MachineEvent::Kind::ShiftStart:
        if (files.open)
            endShift(machine, files, event.time);
        startShift(machine, files, event.time);
        return;
    case MachineEvent::Kind::Job: {
        if (!files.open)
            return;
        // The cycle before the new job ends first, so that it counts under its own part.
        for (int s = 0; s < machine.stationCount(); ++s) {
            StationFile& file = files.stations[static_cast<std::size_t>(s)];
            if (file.inCycle)
                endCycle(machine, files, file, event.time, true);
            write(file, event.time, partRecord(machine, s));
        }
        if (hash(machine, event.time, 1) % kOperatorChangeShare == 0) {
            ++files.operatorIndex;
            writeOperator(machine, files, event.time);
        }
        return;
    }
    case MachineEvent::Kind::Status:
        if (files.open)
            enterStatus(machine, files, machine.status, event.previousStatus, event.station,
                        event.time);
        return;
    }
}

void ShiftRecorder::startShift(const Machine& machine, MachineFiles& files, std::int64_t time)
{
    files.open = true;
    files.shiftStart = time;
    files.runStart.reset();
    files.operatorIndex = hash(machine, time, 2) % std::size(kOperators);
    for (int s = 0; s < machine.stationCount(); ++s) {
        StationFile& file = files.stations[static_cast<std::size_t>(s)];
        file.currentPath = currentShiftPath(m_hubDirectory, machine, s);
        file.inCycle = file.off = false;
        files.madeBefore[static_cast<std::size_t>(s)] =
            machine.stations[static_cast<std::size_t>(s)].made;
        write(file, time, "_SH_START");
        write(file, time, partRecord(machine, s));
    }
    writeOperator(machine, files, time);
    // The shift start carries no state: the machine's goes on the record with it.
    std::optional<int> pallet;
    if (machine.kind == StationKind::TwoPallets) {
        pallet = files.cuttingPallet;
        if (machine.status == kCycleOn || machine.status == kFeedHold)
            writeOff(files.stations[static_cast<std::size_t>(1 - *pallet)], time);
    }
    enterStatus(machine, files, machine.status, kCycleOff, pallet, time);
}

void ShiftRecorder::endShift(const Machine& machine, MachineFiles& files, std::int64_t time)
{
    for (int s = 0; s < machine.stationCount(); ++s) {
        StationFile& file = files.stations[static_cast<std::size_t>(s)];
        // A run of strokes is cut at the shift's end so that its rate is on this shift's
        // record; other cycles simply end with the shift.
        if (file.inCycle && files.runStart)
            endCycle(machine, files, file, time, true);
        write(file, time, "_SH_END");
    }
    archive(machine, files, time);
    files.open = false;
}

void ShiftRecorder::writeOperator(const Machine& machine, MachineFiles& files, std::int64_t time)
{
    const std::size_t index = files.operatorIndex % std::size(kOperators);
    const std::string badge = std::to_string(1001 + index * 37);
    for (int s = 0; s < machine.stationCount(); ++s) {
        StationFile& file = files.stations[static_cast<std::size_t>(s)];
        write(file, time, "_OPERATOR:" + std::string(kOperators[index]));
        write(file, time, "_EMPLOYEE:" + badge);
    }
}

void ShiftRecorder::enterStatus(const Machine& machine, MachineFiles& files, int status,
                                int previous, std::optional<int> station, std::int64_t time)
{
    const int count = machine.stationCount();
    const bool resumed = previous == kFeedHold;
    if (status == kCycleOn && station) {
        // Pallets take turns: the one that finished (or waited) is off while the other
        // is cut.
        files.cuttingPallet = *station;
        for (int s = 0; s < count; ++s) {
            StationFile& file = files.stations[static_cast<std::size_t>(s)];
            if (s == *station) {
                startCycle(machine, files, file, resumed && file.inCycle, time);
            } else {
                if (file.inCycle)
                    endCycle(machine, files, file, time, true);
                writeOff(file, time);
            }
        }
        return;
    }
    // A feed hold stops the pallet that was being cut; the other waits as it was.
    const bool cuttingOnly = status == kFeedHold && machine.kind == StationKind::TwoPallets;
    for (int s = 0; s < count; ++s) {
        StationFile& file = files.stations[static_cast<std::size_t>(s)];
        if (status == kCycleOn)
            startCycle(machine, files, file, resumed && file.inCycle, time);
        else if (!cuttingOnly || s == files.cuttingPallet)
            leaveCycle(machine, files, file, status, time);
    }
}

void ShiftRecorder::leaveCycle(const Machine& machine, MachineFiles& files, StationFile& file,
                               int status, std::int64_t time)
{
    if (file.inCycle) {
        if (status == kFeedHold && cycleReportOf(machine) != CycleReport::Rate) {
            write(file, time, statusEvent(status));
            file.off = false;
            return;
        }
        endCycle(machine, files, file, time, status == kCycleOff);
    }
    if (status == kCycleOff) {
        writeOff(file, time);
        return;
    }
    write(file, time, statusEvent(status));
    file.off = false;
}

void ShiftRecorder::startCycle(const Machine& machine, MachineFiles& files, StationFile& file,
                               bool resumed, std::int64_t time)
{
    const Station& station = machine.stations[static_cast<std::size_t>(
        machine.kind == StationKind::TwoPallets ? files.cuttingPallet : 0)];
    switch (cycleReportOf(machine)) {
    case CycleReport::Rate: {
        // Every run has its own pace around the part's rate.
        const double unit = static_cast<double>(hash(machine, time, 3) >> 11) * 0x1.0p-53;
        files.strokesPerMinute =
            strokeRateOf(station) * (kSlowestRun + (kFastestRun - kSlowestRun) * unit);
        files.runStart = time;
        files.countedUntil = time;
        // The job may change as the run ends: its counts keep the limits it began with.
        files.runLimits =
            "," + std::to_string(lowestRate(station)) + "," + std::to_string(highestRate(station));
        write(file, time, "_CON");
        break;
    }
    case CycleReport::Print:
        // A cycle resumed after a hold is not a new one: only its start is marked.
        write(file, time, resumed ? "_CON" : "_CON,_DPRINT_");
        break;
    case CycleReport::PerCycle:
        write(file, time, cycleOnEvent(machine, station));
        break;
    }
    file.inCycle = true;
    file.off = false;
}

void ShiftRecorder::countStrokes(MachineFiles& files, StationFile& file, std::int64_t until)
{
    const std::int64_t start = *files.runStart;
    const auto strokesBy = [&](std::int64_t t) {
        return static_cast<long>(files.strokesPerMinute * static_cast<double>(t - start) / 60);
    };
    std::int64_t from = files.countedUntil;
    while (from < until) {
        // The counter is read at whole minutes of the run and when the run stops.
        const std::int64_t next =
            std::min(until, start + ((from - start) / kCountPeriod + 1) * kCountPeriod);
        const long strokes = strokesBy(next) - strokesBy(from);
        if (strokes > 0)
            write(file, next, "_CYCOUNT," + std::to_string(strokes) + files.runLimits);
        from = next;
    }
    files.countedUntil = until;
}

void ShiftRecorder::endCycle(const Machine& machine, MachineFiles& files, StationFile& file,
                             std::int64_t time, bool writeOffRecord)
{
    switch (cycleReportOf(machine)) {
    case CycleReport::Rate:
        // The rate of a run is taken at its "_COFF": it is always written.
        countStrokes(files, file, time);
        files.runStart.reset();
        write(file, time, "_COFF");
        file.off = true;
        break;
    case CycleReport::Print:
        write(file, time, "_COFF,_DPRINT_");
        file.off = true;
        break;
    case CycleReport::PerCycle:
        if (writeOffRecord)
            writeOff(file, time);
        break;
    }
    file.inCycle = false;
}

void ShiftRecorder::write(StationFile& file, std::int64_t time, std::string_view event)
{
    std::string line = shiftRecordLine(time, event);
    line += '\n';
    // Archived whole, the pending lines are the shift's; live, they leave at every flush.
    if (m_mode == Mode::Live)
        file.shiftRecords += line;
    file.pending += line;
}

void ShiftRecorder::writeOff(StationFile& file, std::int64_t time)
{
    if (file.off)
        return;
    write(file, time, "_COFF");
    file.off = true;
}

void ShiftRecorder::archive(const Machine& machine, MachineFiles& files, std::int64_t end)
{
    EndedShift ended{machine.name,
                     machine.slot,
                     machine.kind,
                     files.shiftStart,
                     end,
                     shiftNumberOf(files.shiftStart),
                     {}};
    for (int s = 0; s < machine.stationCount(); ++s) {
        StationFile& file = files.stations[static_cast<std::size_t>(s)];
        const std::filesystem::path target =
            archivedShiftPath(m_hubDirectory, machine, files.shiftStart, s);
        std::error_code error;
        std::filesystem::create_directories(target.parent_path(), error);
        if (error) {
            fail(target.parent_path().string(), error.message());
        } else if (file.onDisk) {
            // The current file already holds the shift's beginning: its end joins it and
            // the whole moves into the month folder.
            const std::string& current = file.currentPath;
            const WriteResult appended = appendToFile(current, file.pending);
            if (!appended.ok)
                fail(current, appended.error);
            std::filesystem::rename(current, target, error);
            if (error)
                fail(target.string(), error.message());
            else
                ++m_archived;
        } else {
            const WriteResult written = writeWhole(target.string(), file.pending);
            if (written.ok)
                ++m_archived;
            else
                fail(target.string(), written.error);
        }
        const auto station = static_cast<std::size_t>(s);
        ended.stations.push_back(
            {std::move(m_mode == Mode::Live ? file.shiftRecords : file.pending),
             machine.stations[station].made.since(files.madeBefore[station])});
        file.shiftRecords.clear();
        file.pending.clear();
        file.onDisk = false;
    }
    m_reports.shiftEnded(ended);
}

WriteResult ShiftRecorder::flush()
{
    if (m_mode == Mode::Live) {
        for (MachineFiles& files : m_machines) {
            if (!files.open)
                continue;
            for (StationFile& file : files.stations) {
                if (file.pending.empty())
                    continue;
                // The shift's first lines replace whatever a hub run before left behind;
                // later ones are appended in one write each, whole lines only.
                if (!file.onDisk) {
                    std::error_code ignored;  // a folder that cannot be made fails the write
                    std::filesystem::create_directories(
                        std::filesystem::path(file.currentPath).parent_path(), ignored);
                }
                const WriteResult written =
                    file.onDisk ? appendToFile(file.currentPath, file.pending)
                                : replaceForReaders(file.currentPath, file.pending);
                if (written.ok)
                    file.onDisk = true;
                else
                    fail(file.currentPath, written.error);
                file.pending.clear();
            }
        }
    }
    const WriteResult reported = m_reports.flush();
    if (!reported.ok && m_firstFailure.ok)
        m_firstFailure = reported;
    WriteResult result = m_firstFailure;
    m_firstFailure = {true, {}};
    return result;
}

void ShiftRecorder::fail(const std::string& path, const std::string& error)
{
    if (m_firstFailure.ok)
        m_firstFailure = {false, path + ": " + error};
}

WriteResult writeShiftHistory(const ModelSettings& settings, std::int64_t now, int days,
                              const std::string& hubDirectory, std::size_t* files)
{
    ShiftRecorder recorder(hubDirectory, settings.seed, ShiftRecorder::Mode::ArchiveOnly);
    const std::int64_t end = shiftStartOf(now);
    const std::int64_t start = end - std::int64_t{days} * kShiftsPerDay * kShiftSeconds;
    HubModel model(settings, start, &recorder);
    // A shift at a time: the machines live one after the other, and the report lines of a
    // shift wait for every machine's before they are written in order.
    WriteResult result{true, {}};
    for (std::int64_t shiftEnd = start + kShiftSeconds; shiftEnd <= end;
         shiftEnd += kShiftSeconds) {
        model.advanceTo(shiftEnd);
        const WriteResult flushed = recorder.flush();
        if (!flushed.ok && result.ok)
            result = flushed;
    }
    if (files)
        *files = recorder.archivedFiles();
    return result;
}

}  // namespace quillon::hubsim
