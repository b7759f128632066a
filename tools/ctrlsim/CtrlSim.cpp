#include "ctrlsim/CtrlSim.h"

#include <memory>
#include <ostream>

#include "ctrlsim/ControlLine.h"
#include "ctrlsim/ControlRunner.h"
#include "ctrlsim/CtrlSimLink.h"
#include "ctrlsim/CtrlSimOptions.h"
#include "ctrlsim/FanucReceive.h"
#include "ctrlsim/FanucSend.h"
#include "ctrlsim/HeidenhainReceive.h"
#include "ctrlsim/HeidenhainSend.h"
#include "ctrlsim/MazakReceive.h"
#include "ctrlsim/MazakSend.h"
#include "ctrlsim/PlainEcho.h"
#include "ctrlsim/PlainReceive.h"
#include "ctrlsim/PlainSend.h"
#include "ctrlsim/ProgramSource.h"
#include "ctrlsim/StopRequest.h"
#include "platform/AtomicFile.h"

namespace quillon::ctrlsim {

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// The writer of a file the control receives, or nothing with the reason in *error. The
// work file is created now, in the target's folder, so that a folder that cannot be
// written to shows before the other side has sent anything.
std::unique_ptr<AtomicFileWriter> openStore(const std::string& path, std::string* error)
{
    auto store = std::make_unique<AtomicFileWriter>(path);
    if (!store->ok()) {
        *error = "cannot write " + path + ": " + store->error();
        return nullptr;
    }
    return store;
}

// The program the control sends, or nothing with the reason in *error. A block protocol
// control (`needsData`) has nothing to send from an empty file.
std::unique_ptr<ProgramSource> openProgram(const std::string& path, bool needsData,
                                           std::string* error)
{
    std::string reason;
    auto program = ProgramSource::open(path, &reason);
    if (!program) {
        *error = "cannot read " + path + ": " + reason;
        return nullptr;
    }
    if (needsData && program->size() == 0) {
        *error = path + " is empty: nothing to send";
        return nullptr;
    }
    return program;
}

BlockSessionSettings blockSettings(const CtrlSimOptions& options)
{
    BlockSessionSettings settings;
    settings.replyTimeout = options.replyTimeout;
    settings.startDelay = options.startDelay;
    settings.faults = options.faults;
    return settings;
}

// The session of the mode, or nothing with the reason in *error when its file cannot be
// used. The file is looked at before the line exists, so that a wrong name fails at once.
std::unique_ptr<ControlSession> makeSession(const CtrlSimOptions& options, std::string* error)
{
    switch (options.mode) {
    case SimMode::Receive: {
        auto store = openStore(options.file, error);
        if (!store)
            return nullptr;
        PlainReceiveSettings settings;
        settings.buffer = options.buffer;
        settings.xonXoff = options.xonXoff;
        settings.xonAtStart = options.xonAtStart;
        settings.startDelay = options.startDelay;
        settings.idleEnd = options.idleEnd;
        return std::make_unique<PlainReceive>(settings, options.file, std::move(store));
    }
    case SimMode::Send: {
        auto program = openProgram(options.file, false, error);
        if (!program)
            return nullptr;
        PlainSendSettings settings;
        settings.xonXoff = options.xonXoff;
        settings.waitForXon = options.waitForXon;
        settings.dc2First = options.dc2First;
        settings.code = options.code;
        settings.highBit = options.highBit;
        settings.startDelay = options.startDelay;
        return std::make_unique<PlainSend>(settings, std::move(program));
    }
    case SimMode::Echo:
        return std::make_unique<PlainEcho>(options.xonXoff);
    case SimMode::Fanuc: {
        std::vector<FanucFile> files;
        for (const auto& path : {std::optional(options.file), options.secondFile}) {
            if (!path)
                continue;
            auto store = openStore(*path, error);
            if (!store)
                return nullptr;
            files.push_back({*path, std::move(store)});
        }
        return std::make_unique<FanucReceive>(blockSettings(options), std::move(files));
    }
    case SimMode::Mazak: {
        auto sequence = parseMazakSequence(options.mazakSequence, error);
        if (!sequence)
            return nullptr;
        auto store = openStore(options.file, error);
        if (!store)
            return nullptr;
        return std::make_unique<MazakReceive>(blockSettings(options), std::move(*sequence),
                                              options.file, std::move(store));
    }
    case SimMode::Heidenhain: {
        auto store = openStore(options.file, error);
        if (!store)
            return nullptr;
        return std::make_unique<HeidenhainReceive>(blockSettings(options), options.program,
                                                   options.file, std::move(store));
    }
    case SimMode::FanucSend: {
        std::vector<FanucSource> files;
        for (const auto& path : {std::optional(options.file), options.secondFile}) {
            if (!path)
                continue;
            auto program = openProgram(*path, true, error);
            if (!program)
                return nullptr;
            files.push_back({*path, std::move(program)});
        }
        return std::make_unique<FanucSend>(blockSettings(options), std::move(files),
                                           options.blockData);
    }
    case SimMode::MazakSend: {
        auto program = openProgram(options.file, true, error);
        if (!program)
            return nullptr;
        if (const auto problem = mazakRecordsProblem(*program)) {
            *error = "cannot send " + options.file + " as MAZAK records: " + *problem;
            return nullptr;
        }
        return std::make_unique<MazakSend>(blockSettings(options), options.file,
                                           std::move(program));
    }
    case SimMode::HeidenhainSend: {
        auto program = openProgram(options.file, true, error);
        if (!program)
            return nullptr;
        return std::make_unique<HeidenhainSend>(blockSettings(options), options.file,
                                                std::move(program));
    }
    }
    return nullptr;
}

std::string whatItDoes(const CtrlSimOptions& options)
{
    switch (options.mode) {
    case SimMode::Receive:
        return "receiving into " + options.file;
    case SimMode::Send: {
        std::string text = "sending " + options.file;
        if (options.code == CharacterCode::Eia)
            text += " in EIA";
        if (options.highBit)
            text += " with bit 7 set";
        if (options.waitForXon)
            text += " after the other side's XON";
        if (options.dc2First)
            text += ", asking with a DC2 first";
        return text;
    }
    case SimMode::Echo:
        return "echoing";
    case SimMode::Fanuc:
        return "Fanuc DNC, receiving into " + options.file +
               (options.secondFile ? " and a setup file after it into " + *options.secondFile
                                   : "");
    case SimMode::Mazak:
        return "MAZAK, asking with \"" + options.mazakSequence + "\" and receiving into " +
               options.file;
    case SimMode::Heidenhain:
        return "HEIDENHAIN, requesting program " + options.program + " into " + options.file;
    case SimMode::FanucSend:
        return "Fanuc DNC, sending " + options.file +
               (options.secondFile ? " and the setup file " + *options.secondFile + " after it"
                                   : "") +
               " when the PC asks";
    case SimMode::MazakSend:
        return "MAZAK, sending the records of " + options.file;
    case SimMode::HeidenhainSend:
        return "HEIDENHAIN, sending " + options.file;
    }
    return {};
}

}  // namespace

int runSimulator(const CtrlSimOptions& options, std::ostream& out, std::ostream& err,
                 const StopRequest& stop)
{
    const std::string prefix = std::string(kProgramName) + ": ";
    std::string error;
    auto session = makeSession(options, &error);
    if (!session) {
        err << prefix << error << '\n';
        return kExitFailure;
    }
    auto line = options.device ? ControlLine::openDevice(*options.device, options.line, &error)
                               : ControlLine::createPseudoTerminal(&error);
    if (!line) {
        err << prefix << "cannot open " << options.device.value_or("a pseudo-terminal") << ": "
            << error << '\n';
        return kExitFailure;
    }
    // Made after the line and dropped before it: the link never points at a line that
    // is not there, as long as the run ends normally (a signal ends it normally too).
    std::unique_ptr<CtrlSimLink> link;
    if (options.link) {
        link = CtrlSimLink::create(*options.link, line->path(), &error);
        if (!link) {
            err << prefix << error << '\n';
            return kExitFailure;
        }
    }
    out << line->path() << std::endl;
    err << prefix << whatItDoes(options)
        << (line->isPseudoTerminal() ? "; the other side opens " : " on ") << line->path()
        << (link ? " (linked as " + link->path() + ")" : std::string()) << std::endl;

    ControlRunner runner(*line, *session, stop);
    if (options.lineRate)
        runner.setLineRate(*options.lineRate);
    if (options.verbose) {
        auto note = [&err, prefix](const std::string& text) {
            err << prefix << text << std::endl;
        };
        session->setNoteSink(note);
        runner.setObserver({note, {}});
    }
    const SessionEnd end = runner.run();
    if (!runner.failure().empty())
        err << prefix << runner.failure() << '\n';
    err << prefix << end.summary << std::endl;
    return end.exitCode;
}

int ctrlSimMain(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                const StopRequest& stop)
{
    const ParsedArguments parsed = parseArguments(arguments);
    switch (parsed.action) {
    case ParsedArguments::Action::Help:
        out << usageText();
        return 0;
    case ParsedArguments::Action::UsageError:
        err << kProgramName << ": " << parsed.error << "\n\n" << usageText();
        return kExitUsage;
    case ParsedArguments::Action::Run:
        break;
    }
    return runSimulator(parsed.options, out, err, stop);
}

}  // namespace quillon::ctrlsim
