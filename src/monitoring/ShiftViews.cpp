#include "monitoring/ShiftViews.h"

#include <algorithm>

#include "monitoring/HubFiles.h"
#include "monitoring/ShiftFiles.h"
#include "platform/Paths.h"

namespace quillon {

namespace {

bool twoStations(StationKind kind)
{
    return kind == StationKind::TwoHeads || kind == StationKind::TwoPallets;
}

}  // namespace

std::string shiftGraphTitle(StationKind kind, int station, bool secondWindow)
{
    std::string title(secondWindow ? kSecondShiftGraphTitle : kShiftGraphTitle);
    if (!twoStations(kind))
        return title;
    title += kind == StationKind::TwoHeads ? " HEAD" : " PALLET";
    title += station == 1 ? " 1" : station == 2 ? " 2" : " 1&2";
    return title;
}

std::vector<CurrentShiftWindow> currentShiftWindows(MachineSlot slot, StationKind kind,
                                                    StationChoice choice)
{
    if (!twoStations(kind))
        return {{{currentShiftFileName(slot, std::nullopt)}, shiftGraphTitle(kind, 0), 0}};
    const auto station = [&](int number, bool second = false) {
        return CurrentShiftWindow{
            {currentShiftFileName(slot, number)}, shiftGraphTitle(kind, number, second), number};
    };
    switch (choice) {
    case StationChoice::First:
        return {station(1)};
    case StationChoice::Second:
        return {station(2)};
    case StationChoice::Merged:
        return {{{currentShiftFileName(slot, 1), currentShiftFileName(slot, 2)},
                 shiftGraphTitle(kind, 3),
                 0}};
    case StationChoice::Separate:
        return {station(1), station(2, true)};
    }
    return {};
}

std::optional<std::string_view> missingCurrentShiftFile(std::string_view hubDirectory,
                                                        const CurrentShiftWindow& window)
{
    for (std::size_t index = 0; index < window.files.size(); ++index) {
        if (findHubFile(hubDirectory, window.files[index]))
            continue;
        // A merged pair names its stations by position.
        const int station = window.files.size() > 1 ? static_cast<int>(index) + 1 : window.station;
        return station == 2 ? kNoRecordStation2 : kNoRecordStation1;
    }
    return std::nullopt;
}

FilePrompt archivedShiftPrompt(std::string_view hubDirectory, std::int64_t now)
{
    const std::string folder = paths::join(paths::normalizeSeparators(hubDirectory),
                                           paths::normalizeSeparators(monthFolderName(now)));
    std::string filter(kShiftFileFilterTitle);
    filter += "|?????_*";
    filter += kShiftFileExtension;
    filter += "||";
    return FilePrompt{{}, folder, {}, filter};
}

std::string graphPlaceName(int number)
{
    return "ViewDetail" + std::to_string(number) + ".SYS";
}

std::string piePlaceName(int number)
{
    return "ViewDetailPie" + std::to_string(number) + ".SYS";
}

std::optional<int> WindowNumbers::take()
{
    const auto free = std::ranges::find(m_taken, false);
    if (free == m_taken.end())
        return std::nullopt;
    *free = true;
    return static_cast<int>(free - m_taken.begin()) + 1;
}

void WindowNumbers::release(int number)
{
    if (number >= 1 && number <= static_cast<int>(m_taken.size()))
        m_taken[static_cast<std::size_t>(number) - 1] = false;
}

int WindowNumbers::taken() const
{
    return static_cast<int>(std::ranges::count(m_taken, true));
}

}  // namespace quillon
