// What the transmit and receive windows share: the face of a transfer (the list of the
// latest lines, the status line, a counter and "Exit") and the tick that shows what the
// transfer reports.
#pragma once

#include <memory>

#include "dnc/Transfer.h"
#include "dnc/ui/CommWindows.h"

class QLabel;
class QListWidget;

namespace quillon {

class TransferWindow : public CommWindow {
    Q_OBJECT
public:
    TransferWindow(CommWindows& owner, CommWindowKind kind, const PortSetup& setup,
                   QWidget* parent = nullptr);
    ~TransferWindow() override;

    void tick() override;

    QListWidget* lines() const { return m_lines; }
    QLabel* statusLine() const { return m_status; }

protected:
    // Lays the window out with `counter` beside "Exit" and a list of `rows` lines.
    void layOut(QWidget* counter, int rows);
    // Opens the port and starts the transfer that `make` builds on it; false when the port
    // cannot be used (the user was told).
    bool begin(const std::function<std::unique_ptr<Transfer>(std::unique_ptr<CommPort>)>& make);
    // The window's own counter: the progress bar or the line count.
    virtual void showCounter(const TransferReport& report) = 0;
    // "Are you sure you want to exit?": Yes ends the transfer.
    bool confirmClose() override;
    bool holdsPort() const override { return m_transfer != nullptr; }
    void dropPort() override { m_transfer.reset(); }

private:
    void showReport(const TransferReport& report);

    std::unique_ptr<Transfer> m_transfer;
    QListWidget* m_lines;
    QLabel* m_status;
};

}  // namespace quillon
