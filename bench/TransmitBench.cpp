// Streaming a program to a control.
//
// The goals:
//   1 MB at 115 200 baud to quillonlt-ctrlsim, sent by quillonlt-cli send with the 50 ms
//   tick: the line busy at least 98 % of the time from the control's first byte to its
//   last (busy_share), the sender using at most 3 % of one core (sender_cpu_share).
//   At 9 600 baud with the small buffer, to a control with a 256-byte input buffer that
//   sends XOFF at 200 and executes slower than the line brings: no byte overflows its
//   buffer (overflow_bytes, 0).
//
// The reference of the first is the line itself: the time the bytes take at its speed and
// framing (7E2 for ISO: eleven bits a character).
//
// The second cannot run through a pseudo-terminal: what the sender has written is past
// the XOFF at once there, where a serial port's driver holds it back and only its UART's
// FIFO still goes out. So it runs the engine in this process against a model of the PC's
// port (driver queue stopped by XOFF, 16-byte transmit FIFO, 960 characters a second) and
// of the control, in simulated time.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "BenchSupport.h"
#include "ctrlsim/InputBuffer.h"
#include "dnc/CommTick.h"
#include "dnc/SerialLine.h"
#include "dnc/TransmitEngine.h"

namespace {

using quillon::bench::BackgroundChild;
using quillon::bench::ChildRun;
using quillon::bench::folder;
using quillon::bench::runChild;

void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A contouring program with LF line ends, about `size` bytes.
std::string program(std::size_t size)
{
    std::mt19937 random(5);
    std::string text = "%\nO4711 (POCKET)\nG90 G54 G17\n";
    for (int n = 10; text.size() < size; n += 10) {
        char line[80];
        std::snprintf(line, sizeof line, "N%d G01 X%d.%03d Y%d.%03d F%d\n", n,
                      static_cast<int>(random() % 400), static_cast<int>(random() % 1000),
                      static_cast<int>(random() % 300), static_cast<int>(random() % 1000),
                      600 + static_cast<int>(random() % 900));
        text += line;
    }
    return text + "M30\n%\n";
}

// ---- 1 MB at 115 200 baud, two processes over a pseudo-terminal ----

constexpr int kFastBaud = 115200;

void BM_Send1MBAt115200(benchmark::State& state)
{
    const auto home = folder() / "send-home";
    std::filesystem::create_directories(home);
    // Setup 1 on COM1: 115 200 baud (code 9), XON/XOFF, ISO, LF.
    writeFile(home / "ComConf.sys", "\r\n1:\r\nPT:0\r\nBD:9\r\nXO:1\r\n");
    const auto file = folder() / "O4711.NC";
    writeFile(file, program(1 << 20));
    const auto stored = folder() / "STORED.NC";
    ::setenv("QUILLONLT_HOME", home.c_str(), 1);
    // The setup's framing, ISO for sending: 7 data bits, even parity, 2 stop bits.
    quillon::PortSetup setup = quillon::PortSetup::defaults(0);
    setup.baud = 9;
    const quillon::LineSettings framing =
        quillon::lineSettings(setup, quillon::CommWindowKind::Transmit);
    const double bitsPerCharacter = 1 + framing.dataBits +
                                    (framing.parity == quillon::LineParity::None ? 0 : 1) +
                                    framing.stopBits;

    double busy = 0;
    double cpu = 0;
    double lineSeconds = 0;
    for (auto _ : state) {
        BackgroundChild control({QUILLONLT_CTRLSIM, "--receive", stored.string(), "--xonxoff",
                                 "--line-rate", std::to_string(kFastBaud), "--start-delay", "0",
                                 "--idle", "1"});
        const std::string device = control.readLine();
        if (!control.started() || device.empty()) {
            state.SkipWithError("quillonlt-ctrlsim did not start");
            return;
        }
        ::setenv("QUILLONLT_COM1", device.c_str(), 1);
        const ChildRun sender = runChild({QUILLONLT_CLI, "send", "--setup", "1", file.string()});
        std::string report;
        const int controlExit = control.wait(&report);
        // "quillonlt-ctrlsim: received N bytes in T s, stored in FILE"
        const auto at = report.find("received ");
        unsigned long long bytes = 0;
        double seconds = 0;
        if (sender.exitCode != 0 || controlExit != 0 || at == std::string::npos ||
            std::sscanf(report.c_str() + at, "received %llu bytes in %lf s", &bytes, &seconds) !=
                2 ||
            seconds <= 0) {
            state.SkipWithError(("the transfer failed: " + report).c_str());
            return;
        }
        lineSeconds = static_cast<double>(bytes) * bitsPerCharacter / kFastBaud;
        busy = lineSeconds / seconds;
        cpu = sender.cpuSeconds / sender.seconds;
        state.SetIterationTime(sender.seconds);
    }
    ::unsetenv("QUILLONLT_COM1");
    ::unsetenv("QUILLONLT_HOME");
    state.counters["busy_share"] = busy;
    state.counters["sender_cpu_share"] = cpu;
    state.counters["line_seconds"] = lineSeconds;
}
BENCHMARK(BM_Send1MBAt115200)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(1);

// ---- 9 600 baud, small buffer, a slow control: a model in simulated time ----

using Nanos = std::chrono::nanoseconds;
using quillon::ctrlsim::InputBuffer;
using quillon::ctrlsim::InputBufferSettings;
using quillon::ctrlsim::TimePoint;

constexpr int kSlowBaud = 9600;
constexpr Nanos kCharacterTime{1'000'000'000LL * 10 / kSlowBaud};
constexpr Nanos kTick = quillon::kCommTick;
constexpr std::size_t kUartFifo = 16;

// The PC's port: a driver queue that XOFF stops, the UART's transmit FIFO that goes out
// regardless, and the character on the wire. The control's XON and XOFF are taken by the
// driver (IXON), so nothing ever comes in to read.
class ModelPort final : public quillon::SerialLine {
public:
    // ---- the model ----
    void xoffArrives() { m_stopped = true; }
    void xonArrives()
    {
        m_stopped = false;
        m_holding = false;
    }
    // One character time: the wire's character is done (returned), the next starts.
    bool step()
    {
        const bool delivered = m_onWire;
        m_onWire = false;
        if (m_fifo == 0 && !m_stopped && !m_holding) {
            const std::size_t loaded = std::min(kUartFifo, m_driver.size());
            m_driver.erase(0, loaded);
            m_fifo = loaded;
        }
        if (m_fifo > 0) {
            --m_fifo;
            m_onWire = true;
        }
        return delivered;
    }

    // ---- SerialLine ----
    const std::string& devicePath() const override { return m_path; }
    quillon::ConfigureResult configure(const quillon::LineSettings&) override
    {
        return quillon::ConfigureResult::Ok;
    }
    void service() override {}
    quillon::LineStatus status() const override
    {
        quillon::LineStatus status;
        status.outQueue = m_driver.size() + m_fifo + (m_onWire ? 1 : 0);
        status.xoffHold = m_stopped || m_holding;
        return status;
    }
    quillon::LineErrors takeErrors() override { return {}; }
    std::string read(std::size_t, int* error) override
    {
        if (error)
            *error = 0;
        return {};
    }
    void write(std::string_view bytes) override { m_driver += bytes; }
    bool writePending() const override { return false; }
    void setRts(bool) override {}
    void setDtr(bool) override {}
    void holdOutputUntilXon() override { m_holding = true; }
    void purge() override
    {
        m_driver.clear();
        m_fifo = 0;
    }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }

private:
    std::string m_path = "/dev/ttyS0";
    std::string m_driver;
    std::size_t m_fifo = 0;
    bool m_onWire = false;
    bool m_stopped = false;
    bool m_holding = false;
    bool m_open = true;
};

class QuietObserver final : public quillon::TransferObserver {
public:
    void setStatus(const std::string&) override {}
    void setTitle(const std::string&) override {}
    void showMessage(const std::string& text) override { message = text; }
    std::optional<std::string> askSetupFile(const std::string&) override { return {}; }
    std::string message;
};

struct SlowRun {
    std::size_t delivered = 0;
    std::size_t overflow = 0;
    std::size_t peakFill = 0;
    double seconds = 0;
    bool done = false;
};

// The engine sends `bytes` to a control that executes `consumeRate` characters a second.
SlowRun sendToSlowControl(const std::filesystem::path& file, std::size_t consumeRate)
{
    quillon::TransmitJob job;
    job.setup = quillon::PortSetup::defaults(0);
    job.setup.baud = 5;  // 9600
    job.setup.smallBuffer = 1;
    job.setup.handshake = quillon::Handshake::XonXoff;
    job.setup.txEnd = 0;
    job.path = file.string();
    ModelPort port;
    QuietObserver observer;
    quillon::TransmitEngine engine(job, port, observer);

    InputBufferSettings settings;
    settings.capacity = 256;
    settings.highWater = 200;
    settings.lowWater = 64;
    settings.consumeRate = consumeRate;
    InputBuffer buffer(settings);
    // What the control sends back: XON or XOFF, arriving at the PC a character later.
    std::deque<std::pair<Nanos, char>> answers;
    bool xoffSent = false;

    SlowRun run;
    engine.start();
    Nanos now{0};
    Nanos nextTick{0};
    const auto at = [](Nanos time) { return TimePoint(time); };
    while (now < std::chrono::hours(2)) {
        while (!answers.empty() && answers.front().first <= now) {
            if (answers.front().second == quillon::kXoff)
                port.xoffArrives();
            else
                port.xonArrives();
            answers.pop_front();
        }
        buffer.advance(at(now));
        if (xoffSent && buffer.fill() <= settings.lowWater) {
            answers.emplace_back(now + kCharacterTime, quillon::kXon);
            xoffSent = false;
        }
        if (port.step()) {
            ++run.delivered;
            if (buffer.room() == 0)
                ++run.overflow;
            else
                buffer.put(1, at(now));
            run.peakFill = std::max(run.peakFill, buffer.fill());
            if (!xoffSent && buffer.fill() >= settings.highWater) {
                answers.emplace_back(now + kCharacterTime, quillon::kXoff);
                xoffSent = true;
            }
        }
        if (now >= nextTick) {
            nextTick += kTick;
            if (engine.tick() != quillon::ExchangeOutcome::Running) {
                run.done = observer.message.empty();
                break;
            }
        }
        now += kCharacterTime;
    }
    run.seconds = std::chrono::duration<double>(now).count();
    return run;
}

void BM_SmallBufferAt9600(benchmark::State& state)
{
    const auto file = folder() / "O4712.NC";
    const std::string text = program(48 * 1024);
    writeFile(file, text);
    // Half the line's pace: the control's buffer fills again and again.
    const auto consumeRate = static_cast<std::size_t>(state.range(0));
    SlowRun run;
    for (auto _ : state) {
        run = sendToSlowControl(file, consumeRate);
        if (!run.done || run.delivered != text.size()) {
            state.SkipWithError("the transfer did not complete");
            return;
        }
    }
    state.counters["overflow_bytes"] = static_cast<double>(run.overflow);
    state.counters["peak_fill"] = static_cast<double>(run.peakFill);
    state.counters["simulated_seconds"] = run.seconds;
}
BENCHMARK(BM_SmallBufferAt9600)->Arg(480)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
