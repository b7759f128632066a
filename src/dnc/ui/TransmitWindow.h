// The "Transmit" window: one transfer of a program to a control, driven by the ticks.
#pragma once

#include <memory>

#include "dnc/TransmitEngine.h"
#include "dnc/ui/CommWindows.h"

class QLabel;
class QListWidget;
class QProgressBar;

namespace quillon {

class TransmitWindow : public CommWindow, private TransmitObserver {
    Q_OBJECT
public:
    static constexpr int kListLines = 13;

    TransmitWindow(CommWindows& owner, TransmitJob job, QWidget* parent = nullptr);
    ~TransmitWindow() override;

    // Opens the port and starts the transfer; false when the port cannot be used (the user
    // was told).
    bool start();
    void tick() override;

    QListWidget* lines() const { return m_lines; }
    QLabel* statusLine() const { return m_status; }
    QProgressBar* progress() const { return m_progress; }

protected:
    // "Are you sure you want to exit?": Yes aborts the transfer.
    bool confirmClose() override;

private:
    // TransmitObserver
    void clearLines() override;
    void addLine(const std::string& line) override;
    void setStatus(const std::string& text) override;
    void setProgress(int percent) override;
    void setTitle(const std::string& title) override;
    void showMessage(const std::string& text) override;
    std::optional<std::string> askSetupFile(const std::string& folder) override;

    TransmitJob m_job;
    std::unique_ptr<TransmitEngine> m_engine;
    QListWidget* m_lines;
    QLabel* m_status;
    QProgressBar* m_progress;
};

}  // namespace quillon
