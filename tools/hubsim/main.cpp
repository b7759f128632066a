// quillonlt-hubsim: a simulated shop-floor hub on the other end of QuillonLT's UDP link.
#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <iostream>
#include <optional>

#include "hubsim/HubFolder.h"
#include "hubsim/HubSimOptions.h"
#include "hubsim/HubSimServer.h"
#include "hubsim/RequestTaker.h"
#include "hubsim/ShiftRecorder.h"
#include "platform/Ipv4Address.h"
#include "platform/ui/TerminationSignals.h"

namespace {

// The shift records follow the machines once a real second, as the pushes do: a shift
// graph rereads its file no more often than that.
constexpr int kRecordIntervalMs = 1000;
// A station asks "not accepted yet?" only after the user answered; a fifth of a second
// is quick enough for any delay, and a look at one folder costs nothing.
constexpr int kRequestPollMs = 200;

}  // namespace

int main(int argc, char** argv)
{
    using namespace quillon;
    using namespace quillon::hubsim;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const ParsedHubSimArguments parsed = parseHubSimArguments(arguments);
    if (parsed.action == ParsedHubSimArguments::Action::Help) {
        std::cout << hubSimUsage();
        return 0;
    }
    if (parsed.action == ParsedHubSimArguments::Action::UsageError) {
        std::cerr << "quillonlt-hubsim: " << parsed.error << "\n"
                  << "Try quillonlt-hubsim --help\n";
        return 2;
    }
    const HubSimOptions& options = parsed.options;

    QCoreApplication application(argc, argv);
    SystemClock clock;
    SimulatedTime time(clock, options.speed, options.start);
    std::optional<ShiftRecorder> recorder;
    if (options.hubDirectory)
        recorder.emplace(*options.hubDirectory, options.model.seed, ShiftRecorder::Mode::Live);
    HubModel model(options.model, time.now(), recorder ? &*recorder : nullptr);
    if (options.hubDirectory) {
        const WriteResult written = writeHubFolder(model, *options.hubDirectory);
        if (!written.ok) {
            std::cerr << "quillonlt-hubsim: cannot write the hub folder: " << written.error
                      << "\n";
            return 1;
        }
    }
    if (options.historyDays > 0) {
        const auto began = std::chrono::steady_clock::now();
        std::size_t files = 0;
        const WriteResult written = writeShiftHistory(
            options.model, time.now(), options.historyDays, *options.hubDirectory, &files);
        if (!written.ok) {
            std::cerr << "quillonlt-hubsim: cannot write the past shifts: " << written.error
                      << "\n";
            return 1;
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - began;
        std::cout << "quillonlt-hubsim: " << files << " files of past shifts ("
                  << options.historyDays << (options.historyDays == 1 ? " day" : " days")
                  << ") in " << took.count() << " s" << std::endl;
    }
    // The shift records follow the machines once a second. A failure is told once, not
    // every second, and the hub keeps serving the displays.
    std::string lastFailure;
    const auto recordShifts = [&] {
        if (!recorder)
            return;
        model.advanceTo(time.now());
        const WriteResult flushed = recorder->flush();
        if (!flushed.ok && flushed.error != lastFailure)
            std::cerr << "quillonlt-hubsim: cannot write a shift record: " << flushed.error
                      << std::endl;
        lastFailure = flushed.error;
    };
    recordShifts();
    QTimer recordTimer;
    QObject::connect(&recordTimer, &QTimer::timeout, recordShifts);
    if (recorder)
        recordTimer.start(kRecordIntervalMs);
    // Remote requests: each step on stdout, a refused or failed request on stderr even
    // when quiet, since the station that asked learns nothing of it.
    SystemSteadyClock steadyClock;
    std::optional<RequestTaker> requests;
    if (options.hubDirectory)
        requests.emplace(*options.hubDirectory,
                         std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                             std::chrono::duration<double>(options.requestDelay)),
                         steadyClock, clock);
    const auto takeRequests = [&] {
        for (const RequestEvent& event : requests->poll()) {
            if (event.failure)
                std::cerr << "quillonlt-hubsim: " << event.text << std::endl;
            else if (!options.quiet)
                std::cout << "quillonlt-hubsim: " << event.text << std::endl;
        }
    };
    QTimer requestTimer;
    QObject::connect(&requestTimer, &QTimer::timeout, takeRequests);
    if (requests)
        requestTimer.start(kRequestPollMs);
    HubResponder responder(model, time, clock, options.clientPort);
    HubSimServer server(responder, options.quiet ? nullptr : &std::cout);
    if (!server.listen(options.address, options.port)) {
        std::cerr << "quillonlt-hubsim: cannot listen on " << ipv4ToDottedText(options.address)
                  << ":" << options.port << ": " << server.error() << "\n";
        return 1;
    }
    // Ctrl+C and kill end the event loop; the socket closes on the way out.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &application,
                     &QCoreApplication::quit);
    std::cout << "quillonlt-hubsim: " << model.machines().size() << " machines on "
              << ipv4ToDottedText(options.address) << ":" << options.port << " (seed "
              << options.model.seed << ", speed " << options.speed << ")" << std::endl;
    const int status = application.exec();
    recordShifts();
    std::cout << "quillonlt-hubsim: stopped" << std::endl;
    return status;
}
