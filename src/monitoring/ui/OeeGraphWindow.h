// The OEE graph windows and the two commands that open them: "OEE - &Overall" (a year, then
// the running averages of every machine) and "OEE/&Machine" (a machine, a year, then that
// machine's own values). Clicking a series shows it alone; clicking the background shows
// all four again.
#pragma once

#include <QMainWindow>
#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitoring/OeeReport.h"

namespace quillon {

class ChartWidget;
class Clock;
class Notifier;

// What a graph window shows and how it is called.
struct OeeGraphSource {
    OeeSeries series;
    QString windowTitle;  // "Graph OEE-All", or the machine + " - OEE"
    QString chartTitle;   // "Overall OEE", or the machine + " - OEE"
    QString windowName;   // "Graph OEE-All" or "Graph-OEE": tells the two kinds apart
    int year = 0;         // of the file
};

class OeeGraphWindow : public QMainWindow {
    Q_OBJECT
public:
    OeeGraphWindow(OeeGraphSource source, QWidget* owner);
    ~OeeGraphWindow() override;

    ChartWidget* chart() const { return m_chart; }
    const OeeSeries& series() const { return m_source.series; }
    // The series shown alone, or nothing while all four are shown.
    std::optional<OeeMeasure> alone() const { return m_alone; }

    void showAlone(OeeMeasure measure);
    void showAll();

private:
    void rebuild();
    // The measure behind a series index of the chart as it is drawn now.
    OeeMeasure measureAt(int series) const;

    OeeGraphSource m_source;
    ChartWidget* m_chart;
    std::optional<OeeMeasure> m_alone;
};

// The commands and the windows they opened.
class OeeWindows : public QObject {
    Q_OBJECT
public:
    // owner: the main frame, which the windows stay in front of.
    OeeWindows(Notifier& notifier, const Clock& clock, QWidget* owner);
    ~OeeWindows() override;

    // The hub's folder the commands read from (read at each one).
    void setHubDirectory(std::string directory) { m_hubDirectory = std::move(directory); }

    // How the year and the machine are asked for: the year dialog and "Display/List"
    // unless a test brings its own. The machine is given by its name.
    using YearAsker = std::function<std::optional<int>(std::string_view prompt, int proposed)>;
    using MachineChooser = std::function<std::optional<std::string>()>;
    void setYearAsker(YearAsker asker) { m_askYear = std::move(asker); }
    void setMachineChooser(MachineChooser chooser) { m_chooseMachine = std::move(chooser); }

    // "OEE - &Overall" and "OEE/&Machine".
    void viewOverall();
    void viewMachine();

    std::vector<OeeGraphWindow*> windows() const;
    // The program ends: every window closes with it.
    void closeAll();

private:
    std::optional<int> askYear(std::string_view prompt);
    std::optional<std::string> chooseMachine();
    // The year's file, or nothing after telling the user why there is none.
    std::optional<OeeFile> loadYear(int year, std::string_view windowFailed);
    void open(OeeGraphSource source);

    Notifier& m_notifier;
    const Clock& m_clock;
    QWidget* m_owner;
    std::string m_hubDirectory;
    YearAsker m_askYear;
    MachineChooser m_chooseMachine;
    std::vector<QPointer<OeeGraphWindow>> m_windows;
};

}  // namespace quillon
