#include "monitoring/StatusChange.h"

#include "monitoring/CycleTimeEntry.h"
#include "monitoring/LiveColorRules.h"

namespace quillon {

namespace {

std::string cycleLabel(std::string_view which, int station, bool twoStations, bool inMinutes)
{
    std::string label(which);
    label += " Cyc.Time";
    if (twoStations)
        label += ' ' + std::to_string(station) + ' ';
    label += inMinutes ? "[min]:" : "[sec]:";
    return label;
}

// Why a typed range is not taken, or nothing when it is.
std::optional<std::string> rangeProblem(int minimum, int maximum, std::string_view station)
{
    if (minimum < 0)
        return "The minimum cycle time" + std::string(station) + " cannot be negative.";
    if (minimum > maximum)
        return "The minimum cycle time" + std::string(station) +
               " is above the maximum: neither was taken.";
    return std::nullopt;
}

}  // namespace

bool statusChangeAllowed(std::string_view status)
{
    return status != kNoOstler && !status.starts_with(kCycleOnWords);
}

std::string setStatusTitle(std::string_view machineName)
{
    return std::string(kSetStatusTitle) + std::string(machineName);
}

std::optional<std::size_t> preselectedStatus(const std::vector<std::string>& statuses,
                                             std::string_view current)
{
    if (statuses.empty())
        return std::nullopt;
    if (current == kLockedStatus)
        return statuses.size() - 1;
    for (std::size_t index = 0; index < statuses.size(); ++index) {
        if (!current.empty() && statuses[index].starts_with(current))
            return index;
    }
    return 0;
}

PartNumberForm partNumberForm(const MachineRecord& record)
{
    PartNumberForm form;
    form.twoStations = record.twoStations();
    form.inMinutes = record.timesInMinutes;
    const StationFigures& first = record.stations[0];
    const StationFigures& second = record.stations[1];
    form.partNumber1 = first.partNumber;
    form.partNumber2 = second.partNumber;
    form.minCycle1 = cycleTimeText(first.minCycleSeconds, form.inMinutes);
    form.maxCycle1 = cycleTimeText(first.maxCycleSeconds, form.inMinutes);
    form.minCycle2 = cycleTimeText(second.minCycleSeconds, form.inMinutes);
    form.maxCycle2 = cycleTimeText(second.maxCycleSeconds, form.inMinutes);
    form.pieces1 = first.piecesPerCycle;
    form.pieces2 = second.piecesPerCycle;
    return form;
}

std::string partNumberLabel(PartNumberField field, bool twoStations, bool inMinutes)
{
    switch (field) {
    case PartNumberField::PartNumber1:
        return twoStations ? "Enter new part number 1:" : "Enter new part number:";
    case PartNumberField::PartNumber2:
        return "Enter new part number 2:";
    case PartNumberField::MinCycle1:
        return cycleLabel("Min.", 1, twoStations, inMinutes);
    case PartNumberField::MaxCycle1:
        return cycleLabel("Max.", 1, twoStations, inMinutes);
    case PartNumberField::MinCycle2:
        return cycleLabel("Min.", 2, twoStations, inMinutes);
    case PartNumberField::MaxCycle2:
        return cycleLabel("Max.", 2, twoStations, inMinutes);
    case PartNumberField::Pieces1:
        return twoStations ? "Cycle multiplier 1: " : "Cycle multiplier: ";
    case PartNumberField::Pieces2:
        return "Cycle multiplier 2: ";
    }
    return {};
}

SetupVerdict checkPartNumberForm(const MachineRecord& record, const PartNumberForm& typed)
{
    SetupVerdict verdict;
    const bool two = record.twoStations();
    if (typed.partNumber1.empty() || (two && typed.partNumber2.empty())) {
        verdict.problem = two ? "Enter both part numbers." : "Enter the part number.";
        return verdict;
    }
    if (typed.partNumber1.find(',') != std::string::npos ||
        (two && typed.partNumber2.find(',') != std::string::npos)) {
        verdict.problem = "A part number cannot hold a comma.";
        return verdict;
    }
    SetupChange change;
    change.twoStations = two;
    change.partNumber1 = typed.partNumber1;
    change.partNumber2 = typed.partNumber2;
    change.minCycle1 = cycleTimeSeconds(typed.minCycle1, typed.inMinutes);
    change.maxCycle1 = cycleTimeSeconds(typed.maxCycle1, typed.inMinutes);
    change.minCycle2 = cycleTimeSeconds(typed.minCycle2, typed.inMinutes);
    change.maxCycle2 = cycleTimeSeconds(typed.maxCycle2, typed.inMinutes);
    change.pieces1 = typed.pieces1;
    change.pieces2 = typed.pieces2;
    auto problem = rangeProblem(change.minCycle1, change.maxCycle1, two ? " 1" : "");
    if (!problem && two)
        problem = rangeProblem(change.minCycle2, change.maxCycle2, " 2");
    if (problem) {
        verdict.problem = *problem;
        return verdict;
    }
    verdict.setup = confirmSetup(record, change);
    return verdict;
}

}  // namespace quillon
