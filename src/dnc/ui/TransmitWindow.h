// The "Transmit" window: one transfer of a program to a control, driven by the ticks.
#pragma once

#include "dnc/TransmitEngine.h"
#include "dnc/ui/TransferWindow.h"

class QProgressBar;

namespace quillon {

class TransmitWindow : public TransferWindow {
    Q_OBJECT
public:
    static constexpr int kListLines = static_cast<int>(Transfer::kTransmitListLines);

    TransmitWindow(CommWindows& owner, TransmitJob job, QWidget* parent = nullptr);
    ~TransmitWindow() override;

    // Opens the port and starts the transfer; false when the port cannot be used (the user
    // was told).
    bool start();

    QProgressBar* progress() const { return m_progress; }

private:
    void showCounter(const TransferReport& report) override;

    TransmitJob m_job;
    QProgressBar* m_progress;
};

}  // namespace quillon
