// The "Receive" window: one reception of a program from a control, driven by the ticks.
#pragma once

#include <memory>

#include "dnc/ReceiveEngine.h"
#include "dnc/ui/CommWindows.h"

class QLabel;
class QListWidget;

namespace quillon {

class ReceiveWindow : public CommWindow, private ReceiveObserver {
    Q_OBJECT
public:
    // The completed lines and the one being received.
    static constexpr int kListLines = ReceiveEngine::kShownLines + 1;

    ReceiveWindow(CommWindows& owner, ReceiveJob job, QWidget* parent = nullptr);
    ~ReceiveWindow() override;

    // Opens the port and starts the reception; false when the port cannot be used (the
    // user was told).
    bool start();
    void tick() override;

    QListWidget* lines() const { return m_lines; }
    QLabel* statusLine() const { return m_status; }
    QLabel* lineCounter() const { return m_counter; }
    const ReceiveEngine* engine() const { return m_engine.get(); }

protected:
    // "Are you sure you want to exit?": Yes ends the reception; what was stored stays.
    bool confirmClose() override;

private:
    // ReceiveObserver
    void showLines(const std::deque<std::string>& lines, const std::string& current) override;
    void setLineCount(std::uint64_t count) override;
    void setStatus(const std::string& text) override;
    void setTitle(const std::string& title) override;
    void showMessage(const std::string& text) override;
    std::optional<std::string> askSetupFile(const std::string& folder) override;

    ReceiveJob m_job;
    std::unique_ptr<ReceiveEngine> m_engine;
    QListWidget* m_lines;
    QLabel* m_status;
    QLabel* m_counter;
};

}  // namespace quillon
