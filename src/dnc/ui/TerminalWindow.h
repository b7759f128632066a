// Terminal mode ("View"): shows what arrives on a port and sends what the user types.
#pragma once

#include "dnc/TerminalSession.h"
#include "dnc/ui/CommWindows.h"

class QLineEdit;
class QListWidget;

namespace quillon {

class TerminalWindow : public CommWindow {
    Q_OBJECT
public:
    static constexpr std::size_t kReadLimit = 999;

    TerminalWindow(CommWindows& owner, const PortSetup& setup, QWidget* parent = nullptr);

    // Opens the port and greets the control with one XON, whatever the handshake; false
    // when the port cannot be used (the user was told).
    bool start();
    void tick() override;

    QListWidget* incoming() const { return m_incoming; }
    QLineEdit* outgoing() const { return m_outgoing; }

protected:
    bool holdsPort() const override { return m_port != nullptr; }
    void dropPort() override { m_port.reset(); }

private:
    SerialLine& line() { return m_port->line(); }
    void showLines();
    void outgoingEdited(const QString& text);

    std::unique_ptr<CommPort> m_port;
    TerminalSession m_session;
    QListWidget* m_incoming;
    QLineEdit* m_outgoing;
};

}  // namespace quillon
