// The chart as a widget: it owns a ChartData and a ChartView, paints through a
// ChartRenderer, zooms, pans and turns the view with the mouse, reports clicks on points
// and legend entries, and exports PNG and SVG files from its context menu.
#pragma once

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <memory>

#include "charting/ChartData.h"
#include "charting/ChartRenderer.h"
#include "charting/ChartView.h"

class QMenu;

namespace quillon {

class FilePrompter;
class Notifier;

class ChartWidget : public QWidget {
    Q_OBJECT
public:
    // With a parent that has no layout the chart keeps itself the size of the parent's
    // inside; in a layout (or as a main window's central widget) the layout sizes it.
    explicit ChartWidget(ChartKind kind = ChartKind::Graph2D, QWidget* parent = nullptr);
    ~ChartWidget() override;

    ChartData& data() { return m_data; }
    const ChartData& data() const { return m_data; }
    // The view. Until the user (or a caller through this) changes it, it is the data's
    // initial view (ChartView::initialFor), whatever the data becomes.
    ChartView& view();
    const ChartView& view() const;
    ChartRenderer& renderer() { return m_renderer; }

    // After the data was built or rebuilt: drops every drawn form and repaints.
    void reinitialize();
    // After points were appended (or texts and colours changed): repaints, extending the
    // drawn forms by the new points only.
    void redraw() { update(); }
    // Back to the whole data, and for 3D to the default view.
    void resetView();

    // What lies under a pixel of the widget.
    ChartHit hitTest(QPointF pixel);

    // The chart as a PNG or SVG file; an empty size is the widget's. False when the file
    // could not be written (an existing file is then left as it was).
    bool exportPng(const QString& path, QSize size = {});
    bool exportSvg(const QString& path, QSize size = {});

    // Who asks for the export file and who tells of a failure; by default the platform's
    // file dialog and a message box (tests put scripted ones in). Not owned.
    void setFilePrompter(FilePrompter* prompter) { m_prompter = prompter; }
    void setNotifier(Notifier* notifier) { m_notifier = notifier; }

    // The right button's menu: "Export as PNG...", "Export as SVG...", "Reset view".
    QMenu* createContextMenu();
    // The menu's export commands: prompt for a file, write it, tell of a failure.
    void exportPngPrompted();
    void exportSvgPrompted();

    // A press that moves at most this many pixels before its release is a click; more,
    // a drag.
    static constexpr int kClickSlop = 4;

signals:
    // Every click, whatever it hit.
    void clicked(const quillon::ChartHit& hit);
    // A drawn point, a bar or a pie slice.
    void pointClicked(int series, int point);
    // A series' legend entry.
    void seriesClicked(int series);
    // A pie's legend entry (a slice label).
    void categoryClicked(int point);
    // Neither a point nor a legend entry.
    void nothingClicked();
    // The view was zoomed, panned, turned or reset.
    void viewChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Drag { None, Pan, Rotate };

    // The view as drawn, the initial one brought up to date with the data.
    const ChartView& currentView() const;
    void zoomAt(QPointF pixel, double factor);
    void dragTo(QPointF pixel);
    void followParent();
    void exportPrompted(bool svg);

    ChartData m_data;
    mutable ChartView m_view;
    bool m_viewIsInitial = true;
    ChartRenderer m_renderer;
    FilePrompter* m_prompter = nullptr;
    Notifier* m_notifier = nullptr;
    std::unique_ptr<FilePrompter> m_ownPrompter;
    std::unique_ptr<Notifier> m_ownNotifier;
    QPointer<QWidget> m_watchedParent;

    bool m_pressed = false;
    Drag m_drag = Drag::None;        // what the press has become
    Drag m_dragOnMove = Drag::None;  // what it becomes once it moves
    QPointF m_pressAt;
    QPointF m_lastAt;
};

}  // namespace quillon
