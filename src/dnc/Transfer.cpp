#include "dnc/Transfer.h"

#include <utility>

namespace quillon {

// Gathers what the engine shows during one tick into the report.
class Transfer::Reporter final : public TransferObserver {
public:
    explicit Reporter(SetupFilePrompt askSetupFile) : m_askSetupFile(std::move(askSetupFile)) {}

    TransferReport take() { return std::exchange(m_report, TransferReport{}); }

    // Both engines
    void setStatus(const std::string& text) override { m_report.statuses.push_back(text); }
    void setTitle(const std::string& title) override { m_report.title = title; }
    void showMessage(const std::string& text) override
    {
        if (m_report.message.empty())
            m_report.message = text;
    }
    std::optional<std::string> askSetupFile(const std::string& folder) override
    {
        return m_askSetupFile ? m_askSetupFile(folder) : std::nullopt;
    }

    // Sending
    void clearLines() override
    {
        m_sent.clear();
        m_report.lines.emplace();
    }
    void addLine(const std::string& line) override
    {
        m_sent.push_back(line);
        while (m_sent.size() > kTransmitListLines)
            m_sent.pop_front();
        m_report.lines.emplace(m_sent.begin(), m_sent.end());
    }
    void setProgress(int percent) override { m_report.progress = percent; }

    // Receiving
    void showLines(const std::deque<std::string>& lines, const std::string& current) override
    {
        std::vector<std::string> rows(lines.begin(), lines.end());
        rows.push_back(current);
        m_report.lines = std::move(rows);
    }
    void setLineCount(std::uint64_t count) override { m_report.lineCount = count; }

private:
    SetupFilePrompt m_askSetupFile;
    std::deque<std::string> m_sent;
    TransferReport m_report;
};

Transfer::Transfer(std::unique_ptr<CommPort> port, TransmitJob job, SetupFilePrompt askSetupFile)
    : m_port(std::move(port)), m_reporter(std::make_unique<Reporter>(std::move(askSetupFile)))
{
    TransferObserver& observer = *m_reporter;
    m_transmit = std::make_unique<TransmitEngine>(std::move(job), m_port->line(), observer);
}

Transfer::Transfer(std::unique_ptr<CommPort> port, ReceiveJob job, SetupFilePrompt askSetupFile)
    : m_port(std::move(port)), m_reporter(std::make_unique<Reporter>(std::move(askSetupFile)))
{
    TransferObserver& observer = *m_reporter;
    m_receive = std::make_unique<ReceiveEngine>(std::move(job), m_port->line(), observer);
}

Transfer::~Transfer() = default;

TransferReport Transfer::start()
{
    if (m_transmit)
        m_transmit->start();
    else
        m_receive->start();
    return m_reporter->take();
}

namespace {

// Both engines end the same three ways.
template <typename Outcome>
TransferState stateOf(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Running:
        return TransferState::Running;
    case Outcome::Done:
        return TransferState::Done;
    case Outcome::Failed:
        break;
    }
    return TransferState::Failed;
}

}  // namespace

TransferState Transfer::engineTick()
{
    return m_transmit ? stateOf(m_transmit->tick()) : stateOf(m_receive->tick());
}

bool Transfer::controlMayHangUp() const
{
    return m_transmit ? m_transmit->complete() : m_receive->ended();
}

TransferReport Transfer::tick()
{
    if (m_state != TransferState::Running) {
        TransferReport report;
        report.state = m_state;
        return report;
    }
    m_state = engineTick();
    // A control may hang up once it has all; before that a lost line ends the transfer.
    // Whatever arrived before the line went is already stored.
    if (m_state == TransferState::Running && m_port->line().status().lost)
        m_state = controlMayHangUp() ? TransferState::Done : TransferState::Lost;
    TransferReport report = m_reporter->take();
    report.state = m_state;
    if (m_state == TransferState::Lost)
        report.message = lostPortText(m_port->portIndex());
    return report;
}

void Transfer::abort()
{
    // Receiving keeps what it stored; the port's close drops the rest either way.
    if (m_transmit)
        m_port->line().purge();
}

std::uint64_t Transfer::storedBytes() const
{
    return m_receive ? m_receive->storedBytes() : 0;
}

bool Transfer::ended() const
{
    return m_receive && m_receive->ended();
}

bool Transfer::receivedWhole() const
{
    return m_receive && m_receive->whole();
}

std::uint64_t Transfer::lineCount() const
{
    return m_receive ? m_receive->lineCount() : 0;
}

}  // namespace quillon
