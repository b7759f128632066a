// The simulated control for the tests: its runner on a thread of its own over a fresh
// pseudo-terminal, and the other side of that line as the PC sees it.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <sys/types.h>

#include "ctrlsim/ControlSession.h"
#include "ctrlsim/StopRequest.h"

namespace quillon::ctrlsim {
class ControlLine;
}

namespace quillon::test {

// How long the tests wait for something that normally takes milliseconds. Only a broken
// simulator makes a test wait this long.
inline constexpr int kPatienceMs = 10000;
// How long the other side listens to be sure that nothing is coming. A slow machine can
// only make such a check pass wrongly, never fail wrongly.
inline constexpr int kQuietMs = 300;

// The PC's end of the line: the pseudo-terminal's slave, raw, non-blocking.
class OtherSide {
public:
    // With `ixon` the driver stops this side's output on the control's DC3, as a port set
    // up for XON/XOFF does.
    explicit OtherSide(const std::string& path, bool ixon = false);
    ~OtherSide();
    OtherSide(const OtherSide&) = delete;
    OtherSide& operator=(const OtherSide&) = delete;

    bool ok() const { return m_fd >= 0; }
    int fd() const { return m_fd; }

    // Writes everything, waiting for room as long as the patience lasts.
    bool write(std::string_view bytes);
    // Reads until `count` bytes came or `timeoutMs` passed without all of them.
    std::string read(std::size_t count, int timeoutMs = kPatienceMs);
    // Reads until nothing came for `quietMs`.
    std::string readUntilQuiet(int quietMs = kQuietMs);
    void close();

private:
    int m_fd = -1;
};

// A control session run by its runner over a new pseudo-terminal on another thread.
class SimulatorThread {
public:
    explicit SimulatorThread(std::unique_ptr<ctrlsim::ControlSession> session,
                             std::optional<int> lineRate = std::nullopt);
    // Stops the runner if it still runs and waits for it.
    ~SimulatorThread();
    SimulatorThread(const SimulatorThread&) = delete;
    SimulatorThread& operator=(const SimulatorThread&) = delete;

    const std::string& path() const { return m_path; }

    // The end of the run, once it came within the time.
    std::optional<ctrlsim::SessionEnd> waitForEnd(int timeoutMs = kPatienceMs);
    void stop() { m_stop.request(); }
    // Waits until the control has written `count` of the byte to the line.
    bool waitForWritten(char byte, std::size_t count = 1, int timeoutMs = kPatienceMs);
    std::string written() const;

private:
    ctrlsim::StopRequest m_stop;
    std::unique_ptr<ctrlsim::ControlSession> m_session;
    std::unique_ptr<ctrlsim::ControlLine> m_line;
    std::string m_path;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::string m_written;
    std::optional<ctrlsim::SessionEnd> m_end;
    std::thread m_thread;
};

// quillonlt-ctrlsim started as a program, its standard output and error in pipes.
class SimulatorProcess {
public:
    explicit SimulatorProcess(const std::vector<std::string>& arguments);
    // Kills the program if it still runs.
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    bool started() const { return m_pid > 0; }
    // The first line of its output (the line's path); empty when none came in time.
    std::string firstLine();
    void signal(int number);
    // The exit code once it ended in time; nothing when it did not (it is killed then).
    std::optional<int> waitForExit(int timeoutMs = kPatienceMs);
    const std::string& errorOutput() const { return m_err; }

private:
    pid_t m_pid = -1;
    int m_outFd = -1;
    int m_errFd = -1;
    std::string m_out;
    std::string m_err;
};

// The blocks of the protocols by the test's own rules, so that a wrong check byte in the
// control does not go unseen. The check: the exclusive-or of the bytes.
char bcc(std::string_view bytes);
// A Fanuc header: `first` ("S" when the PC sends, "R" when it requests), "N", then from
// "PO1234" or "SS0001" the type, STX, the letter and the four characters, ETX, check.
std::string fanucHeader(std::string_view typeAndName, char first = 'S');
std::string fanucBlock(std::string_view data);
// SOH (the header) or STX, the data, ETB and the check with bit 7 cleared.
std::string heidenhainBlock(std::string_view data, char lead = '\x02');
// A MAZAK data block: "p00", STX, the text, ETX, EOT.
std::string mazakBlock(std::string_view text);

// Reads from the descriptor until `count` bytes came or `timeoutMs` passed without all.
std::string readBytes(int fd, std::size_t count, int timeoutMs = kPatienceMs);

// A file's bytes, or "<missing>".
std::string fileBytes(const std::string& path);

}  // namespace quillon::test
