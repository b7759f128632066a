// The "Receive" window: one reception of a program from a control, driven by the ticks.
#pragma once

#include "dnc/ReceiveEngine.h"
#include "dnc/ui/TransferWindow.h"

class QLabel;

namespace quillon {

class ReceiveWindow : public TransferWindow {
    Q_OBJECT
public:
    // The completed lines and the one being received.
    static constexpr int kListLines = ReceiveEngine::kShownLines + 1;

    ReceiveWindow(CommWindows& owner, ReceiveJob job, QWidget* parent = nullptr);
    ~ReceiveWindow() override;

    // Opens the port and starts the reception; false when the port cannot be used (the
    // user was told).
    bool start();

    QLabel* lineCounter() const { return m_counter; }

private:
    void showCounter(const TransferReport& report) override;

    ReceiveJob m_job;
    QLabel* m_counter;
};

}  // namespace quillon
