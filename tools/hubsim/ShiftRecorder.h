// The hub's shift record files: every event of a simulated machine becomes record lines in
// the machine's current-shift file below _TMP, and a shift that ends is closed and moved
// into its month folder below _MONITORING, where the program's shift displays find it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hubsim/HubModel.h"
#include "hubsim/ReportWriter.h"
#include "platform/AtomicFile.h"

namespace quillon::hubsim {

// How a machine reports its cycles in the records. Most machines write one "_CON" per
// cycle; a rate-mode machine (a press, a header) strokes many times a minute and writes
// the strokes counted once a minute ("_CYCOUNT"); a print-mode machine marks where its
// cycles begin and end (",_DPRINT_"), so that a feed hold does not cut a cycle in two.
enum class CycleReport { PerCycle, Rate, Print };
CycleReport cycleReportOf(const Machine& machine);
// Strokes a minute of a rate-mode part: the part's ideal "cycle" read as a run of strokes.
int strokeRateOf(const Station& station);

// "_PARTNO:" part "," minimum "," maximum [",_MIN_ONLY"] ";" pieces: cycle times in
// seconds, or for a rate-mode machine strokes a minute.
std::string partRecord(const Machine& machine, int station);

class ShiftRecorder final : public MachineEventSink {
public:
    enum class Mode {
        Live,         // current shifts appended to _TMP as they happen (on flush)
        ArchiveOnly,  // only ended shifts, written whole into the month folders
    };
    // `seed` varies what the model does not decide: operators, stroke rates.
    ShiftRecorder(std::string hubDirectory, std::uint64_t seed, Mode mode);

    void machineEvent(const Machine& machine, const MachineEvent& event) override;

    // Appends the lines written since the last flush to the current-shift files, whole
    // lines only, and the ended shifts' lines to the report files. The result reports the
    // first failure since the last flush, archiving included; the recorder carries on
    // after one.
    WriteResult flush();

    std::size_t archivedFiles() const { return m_archived; }

private:
    struct StationFile {
        std::string currentPath;
        std::string pending;       // whole lines not yet on disk
        std::string shiftRecords;  // live: every line of the shift, for its reports
        bool onDisk = false;       // the current-shift file holds the shift's earlier lines
        // A cycle is open: started and not ended (a feed hold keeps it open, except for a
        // rate-mode machine, whose run of strokes it ends).
        bool inCycle = false;
        bool off = false;  // its last state was cycle off
    };
    struct MachineFiles {
        bool open = false;
        std::int64_t shiftStart = 0;
        std::array<StationFile, 2> stations;
        std::array<ProductionTally, 2> madeBefore;  // the stations' tallies at the start
        int cuttingPallet = 0;
        std::size_t operatorIndex = 0;
        // Rate mode: the run of strokes under way.
        std::optional<std::int64_t> runStart;
        std::int64_t countedUntil = 0;
        double strokesPerMinute = 0;
        std::string runLimits;  // ",min,max" of the count records
    };

    MachineFiles& filesOf(const Machine& machine);
    void startShift(const Machine& machine, MachineFiles& files, std::int64_t time);
    void endShift(const Machine& machine, MachineFiles& files, std::int64_t time);
    void enterStatus(const Machine& machine, MachineFiles& files, int status, int previous,
                     std::optional<int> station, std::int64_t time);
    void leaveCycle(const Machine& machine, MachineFiles& files, StationFile& file, int status,
                    std::int64_t time);
    void startCycle(const Machine& machine, MachineFiles& files, StationFile& file, bool resumed,
                    std::int64_t time);
    void endCycle(const Machine& machine, MachineFiles& files, StationFile& file,
                  std::int64_t time, bool writeOff);
    void countStrokes(MachineFiles& files, StationFile& file, std::int64_t until);
    void writeOperator(const Machine& machine, MachineFiles& files, std::int64_t time);
    void write(StationFile& file, std::int64_t time, std::string_view event);
    void writeOff(StationFile& file, std::int64_t time);
    void archive(const Machine& machine, MachineFiles& files, std::int64_t end);
    void fail(const std::string& path, const std::string& error);
    std::uint64_t hash(const Machine& machine, std::int64_t time, std::uint64_t salt) const;

    std::string m_hubDirectory;
    std::uint64_t m_seed;
    Mode m_mode;
    std::vector<MachineFiles> m_machines;
    ReportWriter m_reports;
    std::size_t m_archived = 0;
    WriteResult m_firstFailure{true, {}};
};

// Past shifts for a fresh demo: `days` days (three shifts each) of every machine before
// the shift that holds `now`, written straight into the month folders, and their lines in
// the report files. The result tells the first failure; `files` (when given) receives how
// many shift files were written.
WriteResult writeShiftHistory(const ModelSettings& settings, std::int64_t now, int days,
                              const std::string& hubDirectory, std::size_t* files = nullptr);

}  // namespace quillon::hubsim
