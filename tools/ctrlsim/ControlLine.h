// The control's end of the line: the master side of a pseudo-terminal that the simulator
// creates, or a serial device it opens and sets up.
//
// Reads and writes never wait. The runner decides when to call them (poll) and how much
// to move; this class only turns the system's answers into "moved so many", "the line is
// closed" or "failed".
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "ctrlsim/ControlSession.h"
#include "dnc/SerialLine.h"

namespace quillon {
class PosixSerialLine;
}

namespace quillon::ctrlsim {

class StopRequest;

struct LineIo {
    enum class State { Ok, Closed, Failed };
    std::size_t count = 0;  // bytes moved; 0 with Ok when the line had nothing or no room
    State state = State::Ok;
    int error = 0;  // the errno of a failure
};

class ControlLine {
public:
    // A new pseudo-terminal pair in raw mode; the other side opens path(). Nothing, with
    // the reason in *error, when the system has none to give.
    static std::unique_ptr<ControlLine> createPseudoTerminal(std::string* error);
    // The device opened for exclusive use and set up with the settings. XON/XOFF is left
    // out of the driver's settings: the session handles the flow characters itself, so
    // that it sees them on a device as on a pseudo-terminal.
    static std::unique_ptr<ControlLine> openDevice(const std::string& path,
                                                   const LineSettings& settings,
                                                   std::string* error);
    ~ControlLine();
    ControlLine(const ControlLine&) = delete;
    ControlLine& operator=(const ControlLine&) = delete;

    bool isPseudoTerminal() const { return !m_device; }
    int fd() const { return m_fd; }
    // The path the other side opens: the pseudo-terminal's slave, or the device.
    const std::string& path() const { return m_path; }

    LineIo read(char* into, std::size_t limit);
    LineIo write(std::string_view bytes);

    // Bytes written but still in the driver's output queue (a pseudo-terminal has none:
    // what is written is in the other side's input at once).
    std::size_t driverQueue() const;
    // The time one character takes at the device's speed; zero on a pseudo-terminal.
    Duration characterTime() const;
    // Bits a character takes with the line's framing as it is set now: on a
    // pseudo-terminal, as the other side set up its end.
    int bitsPerCharacter() const;
    // Waits until the driver's output queue is on the wire; false when a stop request or
    // a failure cut it short.
    bool drain(const StopRequest& stop);

private:
    ControlLine(int fd, std::string path, std::shared_ptr<PosixSerialLine> device, int baud);

    int m_fd;
    std::string m_path;
    // Owns the descriptor of a device (and restores its settings at close); empty for a
    // pseudo-terminal, whose master descriptor this class owns.
    std::shared_ptr<PosixSerialLine> m_device;
    int m_baudRate;
};

}  // namespace quillon::ctrlsim
