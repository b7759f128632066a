// The remote menu's "Report view &Graph/Pie": the "Select Report date" dialog and the report
// windows it opens, at most four graphs (copies "0".."3") and four pie windows ("A".."D"),
// and what its buttons do with them.
#pragma once

#include <QObject>
#include <QPointer>

#include <optional>
#include <string>
#include <vector>

#include "monitoring/ShiftViews.h"
#include "monitoring/StatusReport.h"
#include "monitoring/StatusTable.h"
#include "monitoring/ui/ReportWindow.h"
#include "monitoring/ui/ShiftGraphWindow.h"

class QWidget;

namespace quillon {

class FilePrompter;
class ReportDateDialog;

inline constexpr char kCouldNotCreateGraph[] = "Could not create Graph Window";
inline constexpr char kCouldNotCreatePies[] = "Could not create Piechart Window";
inline constexpr char kNoReportWindowToSave[] =
    "A graph/pie chart needs to be open to be able to save a report";
inline constexpr char kSaveReadOpenError[] = "Read open error";
inline constexpr char kSaveWriteOpenError[] = "Write open error";

// The prompts of "Save as .CSV" (the name proposed from the start date, "2026-12") and of
// "View saved .CSV".
FilePrompt saveReportPrompt(const std::string& directory, const std::optional<ReportDate>& start);
FilePrompt savedReportPrompt(const std::string& directory);
// The chosen name with ".CSV" put on when it has no such ending (in any case).
std::string withCsvExtension(std::string path);

class ReportWindows : public QObject {
    Q_OBJECT
public:
    // environment: the working directory (the copies go to its _TMP), how the user is told,
    // today's date. owner: the main frame, which the dialog and windows stay in front of.
    ReportWindows(const ShiftViewEnvironment& environment, FilePrompter& files, QWidget* owner);
    ~ReportWindows() override;

    // What the commands run with, set before each (the program's settings of the moment).
    void setHubDirectory(std::string directory) { m_hubDirectory = std::move(directory); }
    const std::string& hubDirectory() const { return m_hubDirectory; }
    void setMonthly(bool monthly) { m_monthly = monthly; }
    bool monthly() const { return m_monthly; }
    void setStatusTable(const StatusTable& table) { m_table = table; }
    Notifier& notifier() { return m_environment.notifier; }

    // The menu command: the dialog, brought to the front when it is open already.
    void showDialog();
    ReportDateDialog* dialog() const;

    // "View selection": the selector's checks and lines, then a window on its copy.
    void viewSelection(const ReportSelection& selection, bool percent);
    // "Save as .CSV": the copy of the last report window used, to a chosen file.
    void saveAsCsv(const std::optional<ReportDate>& start);
    // "View saved .CSV": a saved report's checks, then a window of the kind on it.
    void viewSaved(ReportKind kind, bool percent);

    std::vector<ReportWindow*> windows(ReportWindowKind kind) const;
    // The report window opened or activated last, of those still open.
    ReportWindow* lastWindow() const;
    void closeAll();

private:
    // A window of the kind on the report text: its copy written, read back and drawn.
    ReportWindow* openWindow(const std::string& reportText, ReportView view);
    bool hasRoomFor(ReportKind kind);

    ShiftViewEnvironment m_environment;
    FilePrompter& m_files;
    QWidget* m_owner;
    std::string m_hubDirectory;
    bool m_monthly = false;
    StatusTable m_table = StatusTable::defaults();
    QPointer<ReportDateDialog> m_dialog;
    WindowNumbers m_graphNumbers{kReportWindowsPerKind};
    WindowNumbers m_pieNumbers{kReportWindowsPerKind};
    // Open windows, the one used last at the back.
    std::vector<QPointer<ReportWindow>> m_windows;
};

}  // namespace quillon
