// The communication windows (transmit, receive, terminal) and what drives them: one tick
// (kCommTick) that gives each live window its turn, port by port, never overlapping.
#pragma once

#include <QDialog>
#include <QFont>
#include <QPointer>
#include <QTimer>

#include <array>
#include <memory>

#include "dnc/CommPort.h"
#include "dnc/CommTick.h"
#include "dnc/PortSetup.h"
#include "dnc/ReceiveEngine.h"
#include "dnc/SerialLine.h"
#include "dnc/TransmitEngine.h"

class QLabel;
class QListWidget;

namespace quillon {

class ComDeviceMap;
class CommWindows;
class FilePrompter;
class Notifier;
class PortsInUse;

class CommWindow : public QDialog {
    Q_OBJECT
public:
    CommWindow(CommWindows& owner, CommWindowKind kind, const PortSetup& setup,
               QWidget* parent = nullptr);
    ~CommWindow() override;

    CommWindowKind kind() const { return m_kind; }
    int portIndex() const { return m_setup.port; }
    // The window's share of a tick: its work on the line.
    virtual void tick() = 0;

protected:
    // Opens and configures the port for this kind of window; nothing after a failure: the
    // user has been told and the window must not go on.
    std::unique_ptr<CommPort> openPort();
    // Whether the window still holds its port, and letting it go (by the close rules).
    virtual bool holdsPort() const = 0;
    virtual void dropPort() = 0;
    const PortSetup& setup() const { return m_setup; }
    CommWindows& owner() { return m_owner; }
    // The port is freed; the user is told why the window ends, and it closes.
    void endWithMessage(const std::string& text);
    // The window ends by itself: no question, the port is freed.
    void finish();
    // Asked before the user closes a window whose port is still in use; true lets it go.
    virtual bool confirmClose() { return true; }
    // The port is freed when the window closes.
    void closeEvent(QCloseEvent* event) override;
    // Escape closes the window like its close box (a dialog would only hide).
    void reject() override { close(); }
    // The face of a transmit or receive window: the list of the latest `rows` lines in
    // the port font (following its changes), the status line below it, and a bottom row
    // of `left` and an "Exit" button that closes the window as its close box does.
    void layOutTransfer(QListWidget* lines, int rows, QLabel* status, QWidget* left);

private:
    void releasePort();

    CommWindows& m_owner;
    CommWindowKind m_kind;
    PortSetup m_setup;  // the working copy as it was when the window started
    bool m_finishing = false;
};

class CommWindows : public QObject {
    Q_OBJECT
public:
    static constexpr int kCascade = 20;  // pixels per port index

    CommWindows(PortsInUse& ports, const ComDeviceMap& devices, LineOpener opener,
                Notifier& notifier, FilePrompter& files, QObject* parent = nullptr);
    ~CommWindows() override;

    PortsInUse& ports() { return m_ports; }
    const ComDeviceMap& devices() const { return m_devices; }
    const LineOpener& opener() const { return m_opener; }
    Notifier& notifier() { return m_notifier; }
    FilePrompter& files() { return m_files; }
    QFont portFont() const { return m_portFont; }
    void setPortFont(const QFont& font);

    // The tick runs from the start on, whether or not windows exist.
    void start(std::chrono::milliseconds interval = kCommTick);
    // One tick: each port in use that has a window gives it its turn, COM1 first. A tick
    // that comes while the last one is still busy (a window waiting in a message box) is
    // skipped.
    void tick();

    // "&Terminal mode" after the setup was chosen: refused on a busy port; otherwise a
    // terminal window on the port, placed 20 pixels per port index right of and below its
    // usual place. Nothing when the port cannot be used (the user was told).
    CommWindow* openTerminal(const PortSetup& setup, QWidget* parent);
    // A transmit window for the job, placed 20 pixels plus 20 per port index away from its
    // usual place; nothing when the port is busy or cannot be used (the user was told).
    CommWindow* openTransmit(const TransmitJob& job, QWidget* parent);
    // The same for a receive window.
    CommWindow* openReceive(const ReceiveJob& job, QWidget* parent);

    CommWindow* window(int port) const;
    void registerWindow(CommWindow* window);
    void unregisterWindow(CommWindow* window);

signals:
    void portFontChanged(const QFont& font);

private:
    template <typename Window, typename Job>
    CommWindow* openTransfer(const Job& job, QWidget* parent);

    PortsInUse& m_ports;
    const ComDeviceMap& m_devices;
    LineOpener m_opener;
    Notifier& m_notifier;
    FilePrompter& m_files;
    QFont m_portFont;
    QTimer m_timer;
    bool m_busy = false;
    std::array<QPointer<CommWindow>, kPortCount> m_registry;
};

}  // namespace quillon
