// SIGTERM, SIGINT and SIGHUP (a kill, Ctrl+C in the starting shell, a logout) brought onto
// the event loop, so that the program can end the way closing its window ends it.
#pragma once

#include <QObject>

#include <array>
#include <csignal>

class QSocketNotifier;

namespace quillon {

// A signal handler may do next to nothing safely: it writes the signal's number into a
// pipe, and the event loop, watching the pipe's other end, emits received(). One object at a
// time; the handlers it replaced come back when it goes. Signals that follow the first keep
// arriving here, so an ending already under way is not cut short by a second one (a logout
// sends SIGHUP and SIGTERM together).
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // False when the pipe could not be made: the signals then keep their old meaning.
    bool installed() const { return m_notifier != nullptr; }

signals:
    void received(int signalNumber);

private:
    void readPipe();

    static constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};
    std::array<struct sigaction, kSignals.size()> m_previous{};
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace quillon
