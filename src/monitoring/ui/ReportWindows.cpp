#include "monitoring/ui/ReportWindows.h"

#include <QFileInfo>

#include <algorithm>
#include <cstdio>

#include "monitoring/HubSetup.h"
#include "monitoring/ui/ReportDateDialog.h"
#include "monitoring/ui/ReportGraphWindow.h"
#include "monitoring/ui/ReportPieWindow.h"
#include "platform/Clock.h"
#include "platform/FilePrompter.h"
#include "platform/LocalTime.h"
#include "platform/Notifier.h"
#include "platform/TextFile.h"
#include "platform/ui/Latin1.h"

namespace quillon {

namespace {

ReportWindowKind windowKindOf(ReportKind kind)
{
    return kind == ReportKind::Graph ? ReportWindowKind::Graph : ReportWindowKind::Pie;
}

}  // namespace

FilePrompt saveReportPrompt(const std::string& directory, const std::optional<ReportDate>& start)
{
    FilePrompt prompt;
    prompt.title = "Save report as .CSV file";
    prompt.directory = directory;
    if (start) {
        char name[16];
        std::snprintf(name, sizeof name, "%04d-%02d", start->year, start->month);
        prompt.fileName = name;
    }
    prompt.filter = "Save report (*.CSV)|*.CSV||";
    return prompt;
}

FilePrompt savedReportPrompt(const std::string& directory)
{
    return {"View report file", directory, {}, "Report file (*.CSV)|*.CSV||"};
}

std::string withCsvExtension(std::string path)
{
    const QString name = fromBytes(path);
    if (!name.endsWith(".CSV", Qt::CaseInsensitive))
        path += ".CSV";
    return path;
}

ReportWindows::ReportWindows(const ShiftViewEnvironment& environment, FilePrompter& files,
                             QWidget* owner)
    : QObject(owner), m_environment(environment), m_files(files), m_owner(owner)
{
}

ReportWindows::~ReportWindows() = default;

void ReportWindows::showDialog()
{
    if (!m_dialog) {
        const LocalDateTime now = secondsToLocal(m_environment.clock.now());
        m_dialog = new ReportDateDialog(*this, QDate(now.year, now.month, now.day), m_owner);
        // The monitored machines are offered at once when the hub describes them; the
        // buttons say why when it does not. Without a hub there is no folder to look in.
        const auto configuration =
            m_hubDirectory.empty() ? std::nullopt : readHubConfiguration(m_hubDirectory);
        const auto setup =
            m_hubDirectory.empty() ? std::nullopt : readMonitorSetup(m_hubDirectory);
        if (configuration && setup)
            m_dialog->setMachines(monitoredMachineNames(*configuration, *setup));
    }
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

ReportDateDialog* ReportWindows::dialog() const
{
    return m_dialog;
}

bool ReportWindows::hasRoomFor(ReportKind kind)
{
    const WindowNumbers& numbers =
        windowKindOf(kind) == ReportWindowKind::Graph ? m_graphNumbers : m_pieNumbers;
    if (numbers.taken() < kReportWindowsPerKind)
        return true;
    notifier().message(std::string(kTooManyReportWindows));
    return false;
}

void ReportWindows::viewSelection(const ReportSelection& selection, bool percent)
{
    ReportSelection asked = selection;
    asked.monthly = m_monthly;
    const ReportSelectionResult result = selectReport(m_hubDirectory, asked);
    if (!result.ok()) {
        notifier().message(result.message);
        return;
    }
    openWindow(result.reportText, {selection.kind, percent,
                                   fromBytes(result.start.text() + " - " + result.end.text())});
}

void ReportWindows::viewSaved(ReportKind kind, bool percent)
{
    // Refused before the file dialog: the user would choose a file for nothing.
    if (kind != ReportKind::None && !hasRoomFor(kind))
        return;
    const auto path = m_files.openFile(savedReportPrompt(m_environment.workDir.root()));
    if (!path)
        return;
    const SavedReport saved = checkSavedReport(*path, kind);
    if (!saved.ok()) {
        notifier().message(saved.message);
        return;
    }
    openWindow(saved.reportText, {kind, percent, QFileInfo(fromBytes(*path)).fileName()});
}

ReportWindow* ReportWindows::openWindow(const std::string& reportText, ReportView view)
{
    const ReportWindowKind kind = windowKindOf(view.kind);
    WindowNumbers& numbers = kind == ReportWindowKind::Graph ? m_graphNumbers : m_pieNumbers;
    const auto taken = numbers.take();
    if (!taken) {
        notifier().message(std::string(kTooManyReportWindows));
        return nullptr;
    }
    // The numbers count from 1; the windows and their letters from 0.
    const int number = *taken - 1;
    const std::string copy = m_environment.workDir.tmpFile(reportWindowFileName(kind, number));
    m_environment.workDir.ensureTree();
    if (!replaceFileAtomically(copy, reportText).ok) {
        numbers.release(*taken);
        notifier().message(std::string(kTempReportOpenError));
        return nullptr;
    }
    ReportWindow* window = nullptr;
    if (kind == ReportWindowKind::Graph)
        window = new ReportGraphWindow(number, copy, std::move(view), m_table, m_owner);
    else
        window = new ReportPieWindow(number, copy, std::move(view), m_owner);
    if (!window->load(m_table)) {
        delete window;
        std::remove(copy.c_str());
        numbers.release(*taken);
        notifier().message(kind == ReportWindowKind::Graph ? kCouldNotCreateGraph
                                                           : kCouldNotCreatePies);
        return nullptr;
    }
    connect(window, &ReportWindow::closing, this, [this, &numbers](ReportWindow* closed) {
        numbers.release(closed->number() + 1);
        std::erase(m_windows, closed);
    });
    connect(window, &ReportWindow::activated, this, [this](ReportWindow* active) {
        std::erase(m_windows, active);
        m_windows.emplace_back(active);
    });
    m_windows.emplace_back(window);
    window->show();
    return window;
}

void ReportWindows::saveAsCsv(const std::optional<ReportDate>& start)
{
    ReportWindow* last = lastWindow();
    if (!last) {
        notifier().message(kNoReportWindowToSave);
        return;
    }
    const auto chosen = m_files.saveFile(saveReportPrompt(m_environment.workDir.root(), start));
    if (!chosen)
        return;
    const auto bytes = readFile(last->copyPath());
    if (!bytes) {
        notifier().message(kSaveReadOpenError);
        return;
    }
    if (!replaceFileAtomically(withCsvExtension(*chosen), *bytes).ok)
        notifier().message(kSaveWriteOpenError);
}

std::vector<ReportWindow*> ReportWindows::windows(ReportWindowKind kind) const
{
    std::vector<ReportWindow*> open;
    for (const auto& window : m_windows) {
        if (window && window->windowKind() == kind)
            open.push_back(window);
    }
    std::ranges::sort(open, {}, &ReportWindow::number);
    return open;
}

ReportWindow* ReportWindows::lastWindow() const
{
    for (auto window = m_windows.rbegin(); window != m_windows.rend(); ++window) {
        if (*window)
            return *window;
    }
    return nullptr;
}

void ReportWindows::closeAll()
{
    for (const ReportWindowKind kind : {ReportWindowKind::Graph, ReportWindowKind::Pie}) {
        for (ReportWindow* window : windows(kind))
            window->close();
    }
    if (m_dialog)
        m_dialog->close();
}

}  // namespace quillon
