// The "Machine Display" window: every machine of the hub as a button coloured by whether
// the hub monitors it and whether it is in cycle, in groups of eight under a button per
// hub, fed by the link's machine datagrams and brought up to date once a second.
#pragma once

#include <QMainWindow>
#include <QTimer>

#include <array>
#include <string_view>

#include "monitoring/HubLink.h"
#include "monitoring/MachineDisplayModel.h"
#include "monitoring/ui/MonitorEnvironment.h"

class QAction;
class QPushButton;
class QScrollBar;

namespace quillon {

class MachineDisplayWindow : public QMainWindow, public DatagramReceiver {
    Q_OBJECT
public:
    // The display's timer runs once a second.
    static constexpr int kTickMs = 1000;

    explicit MachineDisplayWindow(const MonitorEnvironment& env, QWidget* owner = nullptr);
    ~MachineDisplayWindow() override;

    // "_MCHINI:" names are kept and answered with "_MCHUPDATE,"; "_MCHUPDATE:" states
    // are kept for the next tick, the first ones creating the buttons.
    void datagramArrived(std::string_view bytes) override;

    const MachineDisplayModel& model() const { return m_model; }
    // nullptr until the buttons exist and for a machine that has none.
    QPushButton* machineButton(int slot) const { return m_machineButtons.at(std::size_t(slot)); }
    QPushButton* groupButton(int group) const { return m_groupButtons.at(std::size_t(group)); }
    QAction* sortAction() const { return m_sortAction; }
    QScrollBar* scrollBar() const { return m_scrollBar; }
    const QTimer& timer() const { return m_timer; }

public slots:
    // One tick of the display's timer: the buttons whose state changed are repainted.
    void tick();
    // "&Sort" or "Un&sort", whichever the menu shows.
    void toggleSort();

protected:
    void closeEvent(QCloseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void createButtons();
    void paintMachine(int slot);
    void paintGroup(int group);
    void layOut();
    void restorePlace();
    void unregister();

    MonitorEnvironment m_env;
    MachineDisplayModel m_model;
    QWidget* m_canvas;
    QScrollBar* m_scrollBar;
    QAction* m_sortAction;
    std::array<QPushButton*, kMachineSlots> m_machineButtons{};
    std::array<QPushButton*, kHubCount> m_groupButtons{};
    QTimer m_timer;
    bool m_registered = false;
};

}  // namespace quillon
