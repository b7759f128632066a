#include "monitoring/MonitoringListEdit.h"

#include <algorithm>

namespace quillon {

namespace {

// The valid rows, top to bottom, each once.
std::vector<int> sortedRows(std::vector<int> rows, std::size_t count)
{
    std::erase_if(rows,
                  [count](int row) { return row < 0 || static_cast<std::size_t>(row) >= count; });
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

std::size_t insertionPoint(const std::vector<std::string>& list, std::optional<int> before)
{
    if (!before || *before < 0 || static_cast<std::size_t>(*before) > list.size())
        return list.size();
    return static_cast<std::size_t>(*before);
}

}  // namespace

MonitoringListEdit::MonitoringListEdit(std::vector<std::string> monitored,
                                       std::vector<std::string> detailed,
                                       std::vector<std::string> timeline)
    : m_monitored(std::move(monitored)),
      m_detailed(std::move(detailed)),
      m_timeline(std::move(timeline))
{
}

const std::vector<std::string>& MonitoringListEdit::rows(DisplayedList which) const
{
    return which == DisplayedList::DetailedGraph ? m_detailed : m_timeline;
}

std::vector<std::string>& MonitoringListEdit::list(DisplayedList which)
{
    return which == DisplayedList::DetailedGraph ? m_detailed : m_timeline;
}

bool MonitoringListEdit::add(DisplayedList which, std::vector<int> monitoredRows,
                             std::optional<int> before)
{
    const std::vector<int> picked = sortedRows(std::move(monitoredRows), m_monitored.size());
    if (picked.empty())
        return false;
    std::vector<std::string>& target = list(which);
    std::size_t at = insertionPoint(target, before);
    for (const int row : picked) {
        const std::string& name = m_monitored[static_cast<std::size_t>(row)];
        if (std::find(target.begin(), target.end(), name) != target.end())
            continue;
        target.insert(target.begin() + static_cast<std::ptrdiff_t>(at++), name);
    }
    return true;
}

bool MonitoringListEdit::remove(DisplayedList which, std::vector<int> rowsToGo)
{
    std::vector<std::string>& target = list(which);
    const std::vector<int> going = sortedRows(std::move(rowsToGo), target.size());
    if (going.empty())
        return false;
    // From the bottom up, so that the rows still to go keep their numbers.
    for (auto row = going.rbegin(); row != going.rend(); ++row)
        target.erase(target.begin() + *row);
    return true;
}

void MonitoringListEdit::addTitle(std::string_view marker, std::string_view title,
                                  std::optional<int> before)
{
    if (title.find_first_not_of(' ') == std::string_view::npos)
        return;
    const std::size_t at = insertionPoint(m_detailed, before);
    m_detailed.insert(m_detailed.begin() + static_cast<std::ptrdiff_t>(at),
                      std::string(marker) + std::string(title));
}

}  // namespace quillon
