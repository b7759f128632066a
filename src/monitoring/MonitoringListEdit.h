// The "Monitoring list" edit without its window: the monitored machines on offer and the
// two lists being put together (MonList.sys for the detailed and graph views, MonList2.sys
// for the timeline), row by row as the window shows them. The window only displays it and
// passes on which rows the user highlighted.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// The two lists being edited.
enum class DisplayedList { DetailedGraph, TimeLine };

class MonitoringListEdit {
public:
    // The rows as the lists hold them: machine names, and marker + title.
    MonitoringListEdit(std::vector<std::string> monitored, std::vector<std::string> detailed,
                       std::vector<std::string> timeline);

    const std::vector<std::string>& monitored() const { return m_monitored; }
    const std::vector<std::string>& rows(DisplayedList which) const;

    // Puts the monitored machines of these rows, top to bottom, into the list before row
    // `before` (at the end when nothing or past the end), leaving out those it has
    // already. False when no row was given: nothing was selected.
    bool add(DisplayedList which, std::vector<int> monitoredRows, std::optional<int> before);
    // Takes these rows out of the list. False when none was given.
    bool remove(DisplayedList which, std::vector<int> rowsToGo);
    // marker + title as a row of the detailed/graph list, the only one whose views show
    // titles. A blank title adds nothing.
    void addTitle(std::string_view marker, std::string_view title, std::optional<int> before);

private:
    std::vector<std::string>& list(DisplayedList which);

    std::vector<std::string> m_monitored;
    std::vector<std::string> m_detailed;
    std::vector<std::string> m_timeline;
};

}  // namespace quillon
