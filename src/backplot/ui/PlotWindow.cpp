#include "backplot/ui/PlotWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QResizeEvent>
#include <QScreen>

#include "backplot/ui/PlotChart.h"
#include "charting/ChartWidget.h"
#include "platform/WorkDir.h"
#include "platform/ui/QtWindowRect.h"

namespace quillon {

PlotWindow::PlotWindow(PlotKind kind, bool stepMode, const BackplotSettings& settings,
                       const WorkDir& workDir, int number, QWidget* owner)
    : QMainWindow(owner, Qt::Window),
      m_kind(kind),
      m_stepMode(stepMode),
      m_settings(settings),
      m_workDir(workDir),
      m_number(number),
      m_shown(SlotRange::allTools(settings.showRapids))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kind == PlotKind::TwoD ? "2D" : "3D");
    m_chart =
        new ChartWidget(kind == PlotKind::TwoD ? ChartKind::Graph2D : ChartKind::Chart3D, this);
    setCentralWidget(m_chart);
    connect(m_chart, &ChartWidget::clicked, this, &PlotWindow::chartClicked);
    createMenu();
    m_timer.setInterval(kStepMilliseconds);
    connect(&m_timer, &QTimer::timeout, this, &PlotWindow::stepTick);
}

PlotWindow::~PlotWindow() = default;

QAction* PlotWindow::action(const QString& name) const
{
    const auto found = m_actions.find(name);
    return found == m_actions.end() ? nullptr : found->second;
}

void PlotWindow::createMenu()
{
    QMenuBar* bar = menuBar();
    const auto add = [&](QWidget* where, const QString& text, auto slot) {
        QAction* action = new QAction(text, this);
        where->addAction(action);
        connect(action, &QAction::triggered, this, slot);
        m_actions[text] = action;
        return action;
    };
    add(bar, "&Reset", &PlotWindow::reset);
    if (m_stepMode) {
        add(bar, "&Start", &PlotWindow::startOrStop);
        add(bar, "&Next", &PlotWindow::nextStep);
    }
    add(bar, "&Find", &PlotWindow::requestFind);
    if (m_stepMode) {
        add(bar, "<<", &PlotWindow::slower);
        QAction* speed = new QAction(this);
        speed->setEnabled(false);
        bar->addAction(speed);
        m_actions["speed"] = speed;
        add(bar, ">>", &PlotWindow::faster);
    }
    m_viewMenu = bar->addMenu("&View");
    if (m_kind == PlotKind::TwoD) {
        const std::pair<const char*, int> planes[] = {
            {"XY", kPlaneXY}, {"XZ", kPlaneXZ}, {"YZ", kPlaneYZ}};
        for (const auto& [text, plane] : planes) {
            QAction* item = add(m_viewMenu, text, [this, plane = plane] { choosePlane(plane); });
            item->setCheckable(true);
        }
    }
    add(m_viewMenu, "Show G00", &PlotWindow::toggleRapids)->setCheckable(true);
    add(m_viewMenu, "Assume Absolute", &PlotWindow::toggleAbsolute);
    add(m_viewMenu, "LATHE", &PlotWindow::toggleLathe);
    updateMenu();
}

void PlotWindow::updateMenu()
{
    if (m_stepMode) {
        action("&Start")->setText(QString::fromLatin1(m_stepper.startText()));
        action("&Start")->setEnabled(m_stepper.canStartOrStop());
        action("&Next")->setEnabled(m_stepper.canNext());
        action("&Find")->setEnabled(m_stepper.canFind());
        action("speed")->setText(QString::number(m_stepper.speed()));
    }
    if (m_kind == PlotKind::TwoD) {
        action("XY")->setChecked(m_settings.plane == kPlaneXY);
        action("XZ")->setChecked(m_settings.plane == kPlaneXZ);
        action("YZ")->setChecked(m_settings.plane == kPlaneYZ);
    }
    action("Show G00")->setChecked(m_settings.showRapids);
    action("Assume Absolute")
        ->setText(m_settings.absolute ? "Assume Absolute" : "Assume Incremental");
    action("LATHE")->setText(m_settings.lathe ? "Lathe" : "Mill");
}

void PlotWindow::setPoints(PlotBuild build, const QString& documentTitle, bool newRanges)
{
    // The chart reads the model, and the model the list: they go first.
    dropModel();
    m_build = std::move(build);
    m_documentTitle = documentTitle;
    m_shown = SlotRange::allTools(m_settings.showRapids);
    this->build(newRanges);
}

void PlotWindow::find(int gCode, int line)
{
    m_find = FindRequest{line, gCode};
    m_shown = SlotRange::allTools(m_settings.showRapids);
    build(false);
}

void PlotWindow::build(bool newRanges)
{
    m_colors = readPlotColors(m_workDir);
    dropModel();
    m_model = std::make_unique<PlotModel>(m_build, m_kind, m_settings, m_shown, m_find);
    // A highlight lasts until the next build.
    m_find.reset();
    if (!m_stepMode)
        m_model->appendAll();
    if (newRanges || !m_built)
        m_ranges = m_model->axisRanges();
    fillChart(newRanges || !m_built);
    if (!m_built)
        restorePlace();
    m_built = true;
    if (m_stepMode) {
        m_stepper.restart();
        m_timer.start();
    }
    updateMenu();
}

void PlotWindow::fillChart(bool newRanges)
{
    fillPlotChart(m_chart->data(), *m_model, m_colors, m_documentTitle,
                  newRanges ? m_ranges : std::nullopt, newRanges);
    if (newRanges)
        m_chart->resetView();
    m_chart->reinitialize();
}

void PlotWindow::dropModel()
{
    m_chart->data().clearSeries();
    m_model.reset();
}

void PlotWindow::chartClicked(const ChartHit& hit)
{
    if (!m_model)
        return;
    switch (hit.target) {
    case ChartHit::Target::Point:
        if (const auto line = m_model->lineAt(static_cast<std::size_t>(hit.series),
                                              static_cast<std::size_t>(hit.point));
            line && m_editorAttached) {
            emit goToLine(*line + 1);
        }
        return;
    case ChartHit::Target::Series: {
        const auto& series = m_model->series();
        if (hit.series >= 0 && static_cast<std::size_t>(hit.series) < series.size() &&
            series[static_cast<std::size_t>(hit.series)].kind != SeriesKind::Find) {
            m_stepper.stop();
            m_shown = SlotRange::single(series[static_cast<std::size_t>(hit.series)].slot);
            build(false);
            return;
        }
        break;
    }
    case ChartHit::Target::Nothing:
        // With one series shown the background brings all of them back.
        if (m_shown.isSingle()) {
            m_stepper.stop();
            m_shown = SlotRange::allTools(m_settings.showRapids);
            build(false);
            return;
        }
        break;
    case ChartHit::Target::Category:
        break;
    }
    QApplication::beep();
}

void PlotWindow::restorePlace()
{
    const auto stored = readPlotWindowRect(m_workDir, m_kind, m_number);
    if (!stored)
        return;
    const QRect screen = this->screen() ? this->screen()->geometry() : QRect(0, 0, 1920, 1080);
    const auto placed = keepOnScreen(*stored, screen.width(), screen.height());
    if (placed)
        setGeometry(toQRect(*placed));
}

void PlotWindow::reset()
{
    m_stepper.stop();
    m_shown = SlotRange::allTools(m_settings.showRapids);
    build(false);
}

void PlotWindow::startOrStop()
{
    m_stepper.toggleRunning();
    updateMenu();
}

void PlotWindow::nextStep()
{
    m_stepper.next();
    stepTick();
}

void PlotWindow::slower()
{
    m_stepper.slower();
    updateMenu();
}

void PlotWindow::faster()
{
    m_stepper.faster();
    updateMenu();
}

void PlotWindow::requestFind()
{
    if (m_editorAttached)
        emit findRequested();
}

void PlotWindow::settingChanged()
{
    m_stepper.stop();
    updateMenu();
    emit rerunRequested(m_settings);
}

void PlotWindow::choosePlane(int plane)
{
    m_settings.plane = plane;
    settingChanged();
}

void PlotWindow::toggleLathe()
{
    m_settings.lathe = !m_settings.lathe;
    // A lathe program is read in the XZ plane: the 2D window goes there either way.
    if (m_kind == PlotKind::TwoD)
        m_settings.plane = kPlaneXZ;
    settingChanged();
}

void PlotWindow::toggleAbsolute()
{
    m_settings.absolute = !m_settings.absolute;
    settingChanged();
}

void PlotWindow::toggleRapids()
{
    m_stepper.stop();
    m_settings.showRapids = !m_settings.showRapids;
    m_shown = SlotRange::allTools(m_settings.showRapids);
    // The points stay: only which series are shown changes, and the ranges with them.
    build(true);
}

void PlotWindow::stepTick()
{
    if (m_inTick || !m_model || !m_stepper.due())
        return;
    m_inTick = true;
    const StepTick tick = m_stepper.tick(*m_model);
    // The chart reads the model's new cells itself.
    m_chart->redraw();
    if (tick.followLine && m_editorAttached)
        emit goToLine(*tick.followLine);
    if (tick.finished)
        updateMenu();
    else if (!m_stepper.running())
        updateMenu();
    m_inTick = false;
}

void PlotWindow::closeEvent(QCloseEvent* event)
{
    m_timer.stop();
    dropModel();
    m_build = {};
    writePlotWindowRect(m_workDir, m_kind, m_number, fromQRect(geometry()));
    emit closing();
    QMainWindow::closeEvent(event);
}

void PlotWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    // While the user drags an edge the other dimension follows, so that the axes keep one
    // scale. The size this rule sets is not a drag of its own.
    if (!m_ranges || !isVisible() || event->oldSize().isEmpty() || event->size() == m_keptSize)
        return;
    const QSize now = event->size();
    const QSize old = event->oldSize();
    if (now.width() != old.width() && now.height() != old.height())
        return;  // maximised, restored or set by the program: both changed
    const DraggedEdge edge =
        now.width() != old.width() ? DraggedEdge::LeftOrRight : DraggedEdge::TopOrBottom;
    const WindowSize kept = keepPlotScale(m_kind, *m_ranges, edge, {now.width(), now.height()},
                                          menuBar()->sizeHint().height());
    m_keptSize = QSize(kept.width, kept.height);
    if (m_keptSize != now)
        resize(m_keptSize);
}

}  // namespace quillon
