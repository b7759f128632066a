// "Report Graph": a report's minutes (or shares) per date and status as 3-D bars. Clicking
// a status in the legend shows that status's bars alone, with its name as the subtitle;
// clicking beside the bars shows every status again.
#pragma once

#include "monitoring/ui/ReportWindow.h"

namespace quillon {

class ReportGraphWindow : public ReportWindow {
    Q_OBJECT
public:
    ReportGraphWindow(int number, std::string copyPath, ReportView view, const StatusTable& table,
                      QWidget* owner);

    // The status shown alone, if one is.
    std::optional<std::size_t> shownAlone() const { return m_alone; }
    void showAlone(std::optional<std::size_t> status);

private:
    StatusTable m_table;
    std::optional<std::size_t> m_alone;
};

}  // namespace quillon
