// "Monitoring Display/Graph": the shop's floor plan with a status pie at each machine of
// MonList.sys. The user drags the pies where the machines stand, draws straight lines
// (walls, aisles) over the picture, and picks the picture; mgpos.sys and GBKGND.sys keep
// all of it between openings.
#pragma once

#include <QImage>
#include <QMainWindow>
#include <QTimer>

#include <memory>
#include <optional>
#include <string_view>

#include "monitoring/GraphViewModel.h"
#include "monitoring/HubLink.h"
#include "monitoring/MonitoringStartup.h"
#include "monitoring/ui/MonitorEnvironment.h"

class QAction;

namespace quillon {

class FilePrompter;
class GraphCanvas;

inline constexpr char kGraphViewTitle[] = "Monitoring Display/Graph";

class GraphViewWindow : public QMainWindow, public DatagramReceiver {
    Q_OBJECT
public:
    explicit GraphViewWindow(const MonitorEnvironment& env, QWidget* owner = nullptr);
    ~GraphViewWindow() override;

    void datagramArrived(std::string_view bytes) override;

    // The background command asks through this one from now on (tests give a scripted one).
    void setFilePrompter(FilePrompter& prompter) { m_prompter = &prompter; }

    const GraphViewContent& content() const { return m_content; }
    // Where the pies and lines are now, as closing would save it.
    GraphPlace currentPlace() const;
    bool hasBackground() const { return !m_background.isNull(); }
    QWidget* canvas() const;
    QAction* lineAction() const { return m_lineAction; }

    // False when the view already holds its 32 lines.
    bool addLine(const GraphLine& line);
    // The line within a few pixels of a canvas point goes; false when none is that near.
    bool deleteLineAt(QPoint canvasPoint);
    void movePie(MachineSlot slot, QPoint topLeft);
    // The pie's box on the canvas; nothing for a machine the view does not show.
    std::optional<WindowRect> pieRect(MachineSlot slot) const;

public slots:
    // Asks for a picture, writes its path to GBKGND.sys and has the hub send everything
    // again, since the view starts over with it.
    void chooseBackground();
    // The 1000 ms tick: the current statuses' slices grow with the time.
    void tick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    friend class GraphCanvas;

    void loadBackground();
    void rebuild();
    WindowRect placeOf(MachineSlot slot);

    MonitorEnvironment m_env;
    std::vector<ListEntry> m_entries;
    MonitoringStartup m_startup;
    GraphViewContent m_content;
    GraphPlace m_place;
    QImage m_background;
    std::unique_ptr<FilePrompter> m_ownPrompter;
    FilePrompter* m_prompter = nullptr;
    GraphCanvas* m_canvas = nullptr;
    QAction* m_lineAction = nullptr;
    QTimer m_timer;
};

}  // namespace quillon
