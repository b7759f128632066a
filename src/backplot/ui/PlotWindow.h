// A 2D or 3D plot window: the toolpath of one program on a chart, drawn at once or point
// by point, with its menu, the Find highlight and the settings that run the interpreter
// again.
#pragma once

#include <QMainWindow>
#include <QTimer>

#include <memory>
#include <optional>

#include "backplot/BackplotFiles.h"
#include "backplot/PathBuilder.h"
#include "backplot/PlotColors.h"
#include "backplot/PlotModel.h"
#include "backplot/PlotStepper.h"
#include "backplot/PlotWindowPlace.h"

class QAction;
class QMenu;

namespace quillon {

class ChartWidget;
struct ChartHit;
class WorkDir;

class PlotWindow : public QMainWindow {
    Q_OBJECT
public:
    // The window's timer: a step every 50 ms.
    static constexpr int kStepMilliseconds = 50;

    // settings: a copy of the plot settings when the window opens; number: the window's
    // number among the open windows of its kind (its position file).
    PlotWindow(PlotKind kind, bool stepMode, const BackplotSettings& settings,
               const WorkDir& workDir, int number, QWidget* owner = nullptr);
    ~PlotWindow() override;

    PlotKind kind() const { return m_kind; }
    bool stepMode() const { return m_stepMode; }
    int number() const { return m_number; }
    const BackplotSettings& settings() const { return m_settings; }
    const PlotBuild& points() const { return m_build; }
    // The model of the last build; null before the first one and for an empty list.
    const PlotModel* model() const { return m_model.get(); }
    const PlotStepper& stepper() const { return m_stepper; }
    ChartWidget& chart() const { return *m_chart; }

    // Takes the interpreter's points and builds with all tools. newRanges: the axis ranges
    // follow the points (the first build and after a changed setting); else they stay.
    void setPoints(PlotBuild build, const QString& documentTitle, bool newRanges);
    // The editor's answer to Find: the caret line and its G code. Rebuilds showing all
    // tools with that line highlighted.
    void find(int gCode, int line);
    // The program's window went away: the window stays, but no longer asks it anything.
    void detachEditor() { m_editorAttached = false; }

    // The menu commands, for the menu and for tests.
    void reset();
    void startOrStop();
    void nextStep();
    void slower();
    void faster();
    void requestFind();
    void choosePlane(int plane);
    void toggleLathe();
    void toggleRapids();
    void toggleAbsolute();
    // A click on the chart: a point takes the editor to its line, a legend entry shows
    // that series alone, anything else beeps.
    void chartClicked(const ChartHit& hit);
    // One timer tick of step mode.
    void stepTick();

    // The menu items, for tests: "&Reset", "&Start", "&Next", "&Find", "<<", the speed,
    // ">>", and in "&View" the planes, "Show G00", "Assume Absolute", "LATHE".
    QAction* action(const QString& name) const;

signals:
    // 1-based program line for the editor's carets.
    void goToLine(int line);
    // Find: the editor answers with find().
    void findRequested();
    // A setting changed that needs the interpreter again; the editor stores it, runs the
    // chain and hands the points back with setPoints(..., true).
    void rerunRequested(const quillon::BackplotSettings& settings);
    // The window is closing (its points are gone, its place written).
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createMenu();
    void updateMenu();
    // The build: the model from the points with the shown slots and the Find line, the
    // chart filled from it, the ranges and the place on the first build, the step run.
    void build(bool newRanges);
    // The model's cells from series `series`, cell `from` on, into the chart.
    void fillChart(bool newRanges);
    // The model goes, and first the chart's series that read it.
    void dropModel();
    void restorePlace();
    void settingChanged();

    PlotKind m_kind;
    bool m_stepMode;
    BackplotSettings m_settings;
    const WorkDir& m_workDir;
    int m_number;
    bool m_editorAttached = true;
    PlotBuild m_build;
    QString m_documentTitle;
    std::unique_ptr<PlotModel> m_model;
    PlotColors m_colors;
    SlotRange m_shown;
    std::optional<FindRequest> m_find;
    std::optional<PlotAxisRanges> m_ranges;
    PlotStepper m_stepper;
    QTimer m_timer;
    bool m_inTick = false;
    bool m_built = false;
    // The size the scale rule last gave, so that its own resize is not taken for a drag.
    QSize m_keptSize;

    ChartWidget* m_chart = nullptr;
    std::map<QString, QAction*> m_actions;
    QMenu* m_viewMenu = nullptr;
};

}  // namespace quillon
