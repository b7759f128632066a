// A serial line in memory for the engine and window tests: the test plays the control,
// pushing what it sends and looking at what the program wrote.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/SerialLine.h"

namespace quillon::test {

class FakeSerialLine final : public SerialLine {
public:
    explicit FakeSerialLine(std::string devicePath = "/dev/fake0")
        : m_devicePath(std::move(devicePath))
    {
    }

    // ---- The control's side ----
    void send(std::string_view bytes);  // what the program will read
    std::string takeWritten();          // what the program wrote, since the last take
    const std::string& written() const { return m_written; }

    // The driver takes at most this many bytes a write; the rest stays pending.
    std::optional<std::size_t> driverRoom;
    // Queues and holds status() reports on top of the line's own.
    LineStatus reported;
    // Line errors that the program has not taken yet; a test raises them at any moment.
    void raiseErrors(std::uint32_t flags) { m_errors.flags |= flags; }
    // Writes fail with this error number while it is not 0 (nothing reaches the control).
    int writeFailure = 0;
    // Runs right after the program took the errors: lets a test raise one at the moment
    // everything after the engine's look at the line (the window's query) takes place.
    std::function<void()> afterTakeErrors;
    // configure() answers this.
    ConfigureResult configureResult = ConfigureResult::Ok;

    std::optional<LineSettings> settings;  // the last configured
    bool rts = false;
    bool dtr = false;
    bool holding = false;
    int purges = 0;
    bool closed = false;

    // ---- SerialLine ----
    const std::string& devicePath() const override { return m_devicePath; }
    ConfigureResult configure(const LineSettings& settings) override;
    void service() override;
    LineStatus status() const override;
    LineErrors takeErrors() override;
    std::string read(std::size_t limit, int* error = nullptr) override;
    void write(std::string_view bytes) override;
    bool writePending() const override { return !m_pending.empty(); }
    void setRts(bool on) override { rts = on; }
    void setDtr(bool on) override { dtr = on; }
    void holdOutputUntilXon() override { holding = true; }
    void purge() override;
    void close() override { closed = true; }
    bool isOpen() const override { return !closed; }

private:
    void pushPending();
    void watchForXon();

    std::string m_devicePath;
    std::string m_incoming;
    std::string m_pending;
    std::string m_written;
    std::size_t m_taken = 0;
    LineErrors m_errors;
};

}  // namespace quillon::test
