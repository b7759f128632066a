// What the engines of both directions share: what they show and ask, how a tick ends, and
// the running of the protocol that the setup's handshake picks.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "dnc/PortSetup.h"

namespace quillon {

class SerialLine;

// What an engine shows and asks: the transfer windows, or the command line (both through
// Transfer). Each engine calls the methods of its own direction and those of both.
class TransferObserver {
public:
    virtual ~TransferObserver() = default;

    // Both directions
    virtual void setStatus(const std::string& text) = 0;
    virtual void setTitle(const std::string& title) = 0;
    // A message box: the transfer ends after it.
    virtual void showMessage(const std::string& text) = 0;
    // Fanuc DNC after the program: the setup file to send next, or where the received one
    // goes ("Specify SETUP file.."); nothing when the user declines.
    virtual std::optional<std::string> askSetupFile(const std::string& folder) = 0;

    // The display of one direction; an observer of the other leaves them as they are.
    // Sending: the list of the lines sent.
    virtual void clearLines() {}
    virtual void addLine(const std::string& /*line*/) {}
    virtual void setProgress(int /*percent*/) {}
    // Receiving: the most recent completed display lines (at most ReceiveEngine::kShownLines)
    // and the line being received; "Line: " and the number.
    virtual void showLines(const std::deque<std::string>& /*lines*/,
                           const std::string& /*current*/)
    {
    }
    virtual void setLineCount(std::uint64_t /*count*/) {}
};

enum class ExchangeOutcome {
    Running,
    Done,    // the exchange is over: the window closes
    Failed,  // it ended early; the user has been told why
};

// What a protocol of either direction is to the one who runs it.
class ExchangeProtocol {
public:
    virtual ~ExchangeProtocol() = default;
    // The window's start.
    virtual void start() = 0;
    // One tick: the line's work and its errors, then the exchange's step.
    virtual ExchangeOutcome run() = 0;
};

// The protocol of one direction (an ExchangeProtocol), picked by the setup's handshake,
// started once and then run a tick at a time. Once over it stays over: nothing more goes
// out, nothing is said twice. Job has the setup.
template <typename Protocol, typename Job>
class ProtocolRunner {
public:
    using Make = std::unique_ptr<Protocol> (*)(Job, SerialLine&, TransferObserver&);
    struct Makers {
        Make plain;
        Make fanuc;
        Make mazak;
        Make heidenhain;
    };

    ProtocolRunner(Job job, SerialLine& line, TransferObserver& observer, const Makers& makers)
    {
        Make make = makers.plain;
        switch (job.setup.handshake) {
        case Handshake::FanucDnc:
            make = makers.fanuc;
            break;
        case Handshake::Mazak:
            make = makers.mazak;
            break;
        case Handshake::Heidenhain:
            make = makers.heidenhain;
            break;
        default:
            break;
        }
        m_protocol = make(std::move(job), line, observer);
    }

    void start() { m_protocol->start(); }
    ExchangeOutcome tick()
    {
        if (m_outcome == ExchangeOutcome::Running)
            m_outcome = m_protocol->run();
        return m_outcome;
    }
    ExchangeOutcome outcome() const { return m_outcome; }
    const Protocol& protocol() const { return static_cast<const Protocol&>(*m_protocol); }

private:
    std::unique_ptr<ExchangeProtocol> m_protocol;
    ExchangeOutcome m_outcome = ExchangeOutcome::Running;
};

}  // namespace quillon
