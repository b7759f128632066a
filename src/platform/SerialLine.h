// The serial line as the transfers use it: configured for speed, framing and flow control,
// read and written without ever blocking, asked for its queues and flow holds, and emptied
// of the line errors it gathered.
//
// All calls come from the UI thread, in the ticks. A write hands the bytes over at once;
// what the driver cannot take yet stays pending in the line and goes out as the driver makes
// room, at the latest with the next service().
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace quillon {

enum class LineParity : std::uint8_t { None, Even };

inline constexpr char kXon = 0x11;   // DC1
inline constexpr char kXoff = 0x13;  // DC3

struct LineSettings {
    int baudRate = 9600;
    int dataBits = 8;
    LineParity parity = LineParity::None;
    int stopBits = 1;
    // Output waits while CTS or DSR is low; RTS (and DTR) follow the input queue.
    bool hardwareFlow = false;
    // XON/XOFF both ways: output stops on XOFF and goes on at XON; the driver sends XOFF
    // when its input queue fills and XON when it has drained.
    bool softwareFlow = false;

    bool operator==(const LineSettings&) const = default;
};

// Line errors, as bits of LineErrors::flags (the values the control program's error word
// used).
namespace LineError {
inline constexpr std::uint32_t Overrun = 0x0002;
inline constexpr std::uint32_t Parity = 0x0004;
inline constexpr std::uint32_t Frame = 0x0008;
inline constexpr std::uint32_t TransmitFull = 0x0100;
inline constexpr std::uint32_t IoError = 0x0400;
}  // namespace LineError

// What went wrong on the line since the errors were last taken.
struct LineErrors {
    std::uint32_t flags = 0;  // LineError bits
    // The system's error number of a write that failed for another reason than a device
    // that went away; 0 when every write went through.
    int writeFailure = 0;

    bool any() const { return flags != 0 || writeFailure != 0; }
};

struct LineStatus {
    std::size_t inQueue = 0;   // bytes waiting to be read
    std::size_t outQueue = 0;  // bytes not yet on the wire (the driver's and pending ones)
    bool ctsHold = false;      // output waits for CTS
    bool dsrHold = false;      // output waits for DSR
    bool xoffHold = false;     // output waits for XON
    bool lost = false;         // the device is gone (unplugged, other side closed)
};

enum class ConfigureResult { Ok, CannotRetrieve, CannotSet };

class SerialLine {
public:
    virtual ~SerialLine() = default;

    // The device path the line was opened on.
    virtual const std::string& devicePath() const = 0;

    // Sets speed, framing and flow control. CannotRetrieve when the current settings
    // cannot be read, CannotSet when the new ones are refused.
    virtual ConfigureResult configure(const LineSettings& settings) = 0;

    // The line's own work, once a tick before anything is asked: sends what is pending as
    // far as the driver takes it, watches for the XON a hold waits for, notices a device
    // that went away.
    virtual void service() = 0;

    // The queues and the holds as they stand. Only asks: calling it any number of times
    // changes nothing, errors included.
    virtual LineStatus status() const = 0;

    // The errors found since the last call; they are forgotten once taken. Errors gather in
    // the line until then, so the one exchange that takes them sees every one of them.
    virtual LineErrors takeErrors() = 0;

    // What waits, at most `limit` bytes; never waits itself. *error (when given) gets the
    // system's error number of a failed read, 0 otherwise.
    virtual std::string read(std::size_t limit, int* error = nullptr) = 0;

    // Hands the bytes over; never waits.
    virtual void write(std::string_view bytes) = 0;
    // Bytes of earlier writes not yet taken by the driver.
    virtual bool writePending() const = 0;

    virtual void setRts(bool on) = 0;
    virtual void setDtr(bool on) = 0;

    // Output stops as if the control had sent XOFF, until its XON comes in. The XON is
    // taken out of the input.
    virtual void holdOutputUntilXon() = 0;

    // Throws away what waits in both directions, pending bytes included.
    virtual void purge() = 0;

    // Closes the device; later calls do nothing useful.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

// Opens the device at the path; nothing, with the reason in *error, when it cannot.
using LineOpener =
    std::function<std::shared_ptr<SerialLine>(const std::string& devicePath, std::string* error)>;

}  // namespace quillon
