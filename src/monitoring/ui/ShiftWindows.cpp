#include "monitoring/ui/ShiftWindows.h"

#include <QDialog>

#include "monitoring/HubFiles.h"
#include "monitoring/ShiftFiles.h"
#include "monitoring/ShiftPie.h"
#include "monitoring/ui/HeadsPalletsDialog.h"
#include "monitoring/ui/ShiftCycleTimeDialog.h"
#include "monitoring/ui/ShiftPieWindow.h"
#include "platform/Clock.h"
#include "platform/FilePrompter.h"
#include "platform/Notifier.h"

namespace quillon {

namespace {

template <typename Window>
std::vector<Window*> openOnes(const std::vector<QPointer<Window>>& windows)
{
    std::vector<Window*> open;
    for (const auto& window : windows) {
        if (window)
            open.push_back(window);
    }
    return open;
}

}  // namespace

ShiftWindows::ShiftWindows(const ShiftViewEnvironment& environment, FilePrompter& files,
                           bool& dontAskAgain, QWidget* owner)
    : QObject(owner),
      m_environment(environment),
      m_files(files),
      m_dontAskAgain(dontAskAgain),
      m_owner(owner)
{
}

ShiftWindows::~ShiftWindows() = default;

StatusTable ShiftWindows::statusTable() const
{
    return readStatusTable(m_hubDirectory);
}

void ShiftWindows::viewCurrentShift()
{
    const auto machine =
        m_chooseMachine ? m_chooseMachine()
                        : chooseDisplayedMachine(m_hubDirectory, m_environment.notifier, m_owner);
    if (machine)
        openCurrentShift(*machine);
}

std::optional<StationChoice> ShiftWindows::askStations()
{
    if (m_dontAskAgain)
        return m_choice;
    HeadsPalletsDialog dialog(m_choice, m_owner);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const HeadsPalletsAnswer answer = dialog.answer();
    m_choice = answer.choice;
    m_dontAskAgain = answer.dontAskAgain;
    return answer.choice;
}

void ShiftWindows::openCurrentShift(const DisplayedMachine& machine)
{
    StationChoice choice = StationChoice::First;
    if (machine.kind == StationKind::TwoHeads || machine.kind == StationKind::TwoPallets) {
        const auto asked = askStations();
        if (!asked)
            return;
        choice = *asked;
    }
    for (const CurrentShiftWindow& window :
         currentShiftWindows(machine.slot, machine.kind, choice)) {
        if (const auto missing = missingCurrentShiftFile(m_hubDirectory, window)) {
            m_environment.notifier.message(std::string(*missing));
            continue;
        }
        ShiftGraphSource source;
        // A file the hub moves away just now is told by the window's read.
        for (const std::string& file : window.files)
            source.files.push_back(findHubFile(m_hubDirectory, file).value_or(file));
        source.title = window.title;
        source.currentShift = true;
        source.machine = machine.slot;
        openGraph(std::move(source));
    }
}

ShiftGraphWindow* ShiftWindows::openGraph(ShiftGraphSource source)
{
    const auto number = m_graphNumbers.take();
    if (!number) {
        m_environment.notifier.message(std::string(kTooManyGraphs));
        return nullptr;
    }
    auto* window = new ShiftGraphWindow(std::move(source), *number, statusTable(),
                                        m_refreshSeconds, m_environment, m_owner);
    // Every graph goes with the detailed view; a current shift's also follows its machine.
    if (m_link)
        m_link->shiftGraphOpened(*window, window->source().currentShift && window->source().machine
                                              ? *window->source().machine
                                              : MachineSlot{});
    connect(window, &ShiftGraphWindow::closing, this, [this, window, link = m_link](int closed) {
        if (link)
            link->shiftGraphClosed(*window);
        m_graphNumbers.release(closed);
        std::erase(m_graphs, window);
    });
    connect(window, &ShiftGraphWindow::cycleTimeRequested, this,
            [this, window] { openCycleTime(*window); });
    m_graphs.emplace_back(window);
    window->show();
    return window;
}

std::optional<std::string> ShiftWindows::chooseArchivedFile()
{
    const auto path =
        m_files.openFile(archivedShiftPrompt(m_hubDirectory, m_environment.clock.now()));
    if (!path)
        return std::nullopt;
    if (!hasShiftFileExtension(*path)) {
        m_environment.notifier.message(std::string(kShiftExtensionRefusal));
        return std::nullopt;
    }
    return path;
}

void ShiftWindows::viewGraph()
{
    // Refused before the file dialog: the user would choose a file for nothing.
    if (m_graphNumbers.taken() == kMaxShiftGraphs) {
        m_environment.notifier.message(std::string(kTooManyGraphs));
        return;
    }
    const auto path = chooseArchivedFile();
    if (!path)
        return;
    ShiftGraphSource source;
    source.files = {*path};
    source.title = std::string(kShiftGraphTitle);
    openGraph(std::move(source));
}

void ShiftWindows::viewPiechart()
{
    if (m_pieNumbers.taken() == kMaxShiftPies) {
        m_environment.notifier.message(std::string(kTooManyPies));
        return;
    }
    const auto path = chooseArchivedFile();
    if (!path)
        return;
    const ShiftPieLoad load = readShiftPie(*path);
    if (!load.pie) {
        m_environment.notifier.message(load.error);
        return;
    }
    const int number = *m_pieNumbers.take();
    auto* window =
        new ShiftPieWindow(*load.pie, number, statusTable(), m_environment.workDir, m_owner);
    connect(window, &ShiftPieWindow::closing, this, [this, window](int closed) {
        m_pieNumbers.release(closed);
        std::erase(m_pies, window);
    });
    m_pies.emplace_back(window);
    window->show();
}

void ShiftWindows::openCycleTime(ShiftGraphWindow& window)
{
    const ShiftGraph& graph = window.graph();
    CycleTimeInputs inputs;
    inputs.minCycleSeconds = graph.minCycleSeconds.value_or(0);
    inputs.maxCycleSeconds = graph.maxCycleSeconds.value_or(0);
    inputs.minRate = graph.minRate.value_or(0);
    inputs.maxRate = graph.maxRate.value_or(0);
    inputs.rateMode = graph.rateMode;
    ShiftCycleTimeDialog dialog(window.recordCopy(), inputs, &window);
    dialog.exec();
}

std::vector<ShiftGraphWindow*> ShiftWindows::graphs() const
{
    return openOnes(m_graphs);
}

std::vector<ShiftPieWindow*> ShiftWindows::pies() const
{
    return openOnes(m_pies);
}

void ShiftWindows::closeAll()
{
    for (ShiftGraphWindow* window : graphs())
        window->close();
    for (ShiftPieWindow* window : pies())
        window->close();
}

void ShiftWindows::refreshMachine(MachineSlot machine)
{
    for (ShiftGraphWindow* window : graphs()) {
        if (window->source().machine == machine)
            window->refresh();
    }
}

}  // namespace quillon
