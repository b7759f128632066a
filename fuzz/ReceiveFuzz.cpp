// Plays a control on an in-memory line against a whole reception (port, engine, transfer),
// in every protocol. The first bytes pick the setup; the rest is a script of what happens
// between ticks: bytes arriving (XON/XOFF, DC2/DC4, %, EOT, NUL, parity junk, whatever the
// fuzzer makes), ticks with nothing (a control that went quiet), line errors, writes
// failing, the device going away. Besides crashes it checks what a reception promises:
//   - what it says it stored is on disk, byte for byte counted, at every tick, and an old
//     file is left alone until there is something to put in its place;
//   - the tick that ends a reception in failure tells why (a message); a reception running
//     or done tells nothing;
//   - once over it stays over: nothing more is written to the line or the disk;
//   - a line error before the plain end character fails the reception in that tick, so
//     a file with a damaged byte is never taken for a good one;
//   - HEIDENHAIN acknowledges a block only once it is stored, and stores none it does not
//     acknowledge; Fanuc DNC stores a block only with its acknowledgement;
//   - the window's display keeps within its lines and width.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "dnc/ComDeviceMap.h"
#include "dnc/CommPort.h"
#include "dnc/ControlCharacters.h"
#include "dnc/PortsInUse.h"
#include "dnc/Transfer.h"
#include "platform/TextFile.h"
#include "support/FakeSerialLine.h"

namespace {

using namespace quillon;

// What the target file held before the reception: it must stay until data comes. Long and
// with bytes no protocol but BIN passes, so no reception makes it again by chance.
constexpr std::string_view kOldContent = "\xff\xfe OLD PROGRAM, KEPT UNTIL DATA COMES \xfd\r\n";

constexpr Handshake kHandshakes[] = {
    Handshake::None,       Handshake::XonXoff, Handshake::XonXoffWaitForXon,
    Handshake::Heidenhain, Handshake::Mazak,   Handshake::FanucDnc};
// Framing characters a control really uses, and the odd ones.
constexpr std::int32_t kStartCharacters[] = {0, '%', 0x12, ':'};
constexpr std::int32_t kEndCharacters[] = {0, '%', 0x14, 0x04};
constexpr std::uint32_t kLineErrors[] = {LineError::Overrun, LineError::Parity, LineError::Frame,
                                         LineError::TransmitFull, LineError::IoError};

const std::string& folder()
{
    static const std::string path = fuzz::makeFolder("receive");
    return path;
}

std::uint64_t fileSize(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

std::size_t countOf(std::string_view bytes, char wanted)
{
    return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), wanted));
}

// The Fanuc acknowledgements of a block: DLE and a digit.
std::size_t dleDigits(std::string_view bytes)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
        count += bytes[i] == control::Dle && (bytes[i + 1] == '0' || bytes[i + 1] == '1');
    return count;
}

struct Script {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;

    bool done() const { return at >= size; }
    std::uint8_t next() { return at < size ? data[at++] : 0; }
    std::string_view take(std::size_t count)
    {
        count = std::min(count, size - at);
        const std::string_view bytes(reinterpret_cast<const char*>(data + at), count);
        at += count;
        return bytes;
    }
};

class Reception {
public:
    explicit Reception(Script& script) : m_script(script)
    {
        const std::uint8_t kind = script.next();
        const std::uint8_t framing = script.next();
        const std::uint8_t options = script.next();
        PortSetup setup = PortSetup::defaults(0);
        setup.handshake = kHandshakes[kind % std::size(kHandshakes)];
        setup.code = static_cast<CharacterCode>(kind / 6 % 3);
        setup.endOfBlock = static_cast<EndOfBlock>(kind / 18 % 3);
        setup.hardwareHandshake = kind >> 7;
        setup.rxStart = kStartCharacters[framing & 3];
        setup.rxEnd = kEndCharacters[(framing >> 2) & 3];
        setup.mazakDelay = options & 1;
        m_heidenhain = setup.handshake == Handshake::Heidenhain;
        m_fanuc = setup.handshake == Handshake::FanucDnc;
        m_plain = !m_heidenhain && !m_fanuc && setup.handshake != Handshake::Mazak;

        // The program's file: one to replace, or one in a folder that is not there.
        m_targetFolderMissing = (options & 0x10) != 0;
        m_target = folder() + (m_targetFolderMissing ? "missing/IN.NC" : "IN.NC");
        // The Fanuc setup file: where the user says, a folder that is not there, or none.
        switch ((options >> 2) % 3) {
        case 0:
            m_setupFile = folder() + "SETUP.NC";
            break;
        case 1:
            m_setupFile = folder() + "missing/SETUP.NC";
            break;
        default:
            break;
        }
        if (!m_targetFolderMissing)
            fuzz::putFile(m_target, kOldContent);

        ReceiveJob job;
        job.setup = setup;
        job.path = m_target;
        job.fanucProgram = m_fanuc && (options & 2) == 0;
        job.fanucSetup = m_fanuc && (!job.fanucProgram || (options & 0x20) != 0);
        job.programNumber = std::string(script.take(options >> 6));
        auto opened = CommPort::open(
            setup, CommWindowKind::Receive, ComDeviceMap(),
            [this](const std::string&, std::string*) { return m_line; }, m_ports);
        FUZZ_CHECK(opened.port != nullptr);
        m_transfer =
            std::make_unique<Transfer>(std::move(opened.port), std::move(job),
                                       [this](const std::string&) { return m_setupFile; });
        checkReport(m_transfer->start());
    }

    ~Reception()
    {
        m_transfer.reset();
        ::unlink(m_target.c_str());
        if (m_setupFile)
            ::unlink(m_setupFile->c_str());
    }

    void run()
    {
        while (!m_script.done()) {
            const std::uint8_t op = m_script.next();
            switch (op & 7) {
            case 0:
            case 1:
            case 2:
            case 3:
                m_line->send(m_script.take((op >> 3) + 1u));
                break;
            case 4:
                break;  // a tick with nothing new
            case 5:
                m_line->raiseErrors(kLineErrors[(op >> 3) % std::size(kLineErrors)]);
                m_errorRaised = (op >> 3) % std::size(kLineErrors) != 3;
                break;
            case 6:
                m_line->writeFailure = m_line->writeFailure == 0 ? 5 : 0;
                break;
            case 7:
                m_line->reported.lost = true;
                break;
            }
            tick();
        }
    }

private:
    void tick()
    {
        const bool wasRunning = m_state == TransferState::Running;
        const bool endedBefore = m_transfer->ended();
        const bool writesFail = m_line->writeFailure != 0;
        const std::uint64_t storedBefore = m_transfer->storedBytes();
        const std::size_t writtenBefore = m_line->written().size();

        const TransferReport report = m_transfer->tick();
        if (wasRunning)
            checkReport(report);
        const std::string_view written = std::string_view(m_line->written()).substr(writtenBefore);
        const std::uint64_t stored = m_transfer->storedBytes();
        FUZZ_CHECK(stored >= storedBefore);

        if (!wasRunning) {
            // Over stays over.
            FUZZ_CHECK(report.state == m_state && written.empty() && stored == storedBefore);
            return;
        }
        m_state = report.state;
        if (m_errorRaised && m_plain && !endedBefore)
            FUZZ_CHECK(report.state == TransferState::Failed);
        m_errorRaised = false;

        // Everything counted as stored is on disk; nothing touched the old file before (a
        // Fanuc program may bring nothing and its setup file something).
        const bool targetUntouched = m_targetFolderMissing
                                         ? !readFile(m_target).has_value()
                                         : readFile(m_target) == std::string(kOldContent);
        std::uint64_t onDisk = targetUntouched ? 0 : fileSize(m_target);
        if (m_setupFile)
            onDisk += fileSize(*m_setupFile);
        FUZZ_CHECK(onDisk == stored);
        if (stored == 0)
            FUZZ_CHECK(targetUntouched);

        if (writesFail || report.state == TransferState::Failed)
            return;
        if (m_heidenhain) {
            const std::size_t acks = countOf(written, control::Ack);
            FUZZ_CHECK((acks > 0) == (stored > storedBefore));
            FUZZ_CHECK(stored - storedBefore >= 2 * acks);
        }
        if (m_fanuc && stored > storedBefore)
            FUZZ_CHECK(dleDigits(written) > 0);
    }

    // A report of a reception that was running until this tick.
    void checkReport(const TransferReport& report)
    {
        const bool failed =
            report.state == TransferState::Failed || report.state == TransferState::Lost;
        FUZZ_CHECK(failed == !report.message.empty());
        if (report.lines) {
            FUZZ_CHECK(report.lines->size() <= ReceiveEngine::kShownLines + 1);
            for (const std::string& row : *report.lines)
                FUZZ_CHECK(row.size() <= ReceiveEngine::kDisplayWidth + 1);
        }
    }

    Script& m_script;
    std::shared_ptr<test::FakeSerialLine> m_line = std::make_shared<test::FakeSerialLine>();
    PortsInUse m_ports;
    std::unique_ptr<Transfer> m_transfer;
    std::string m_target;
    std::optional<std::string> m_setupFile;
    TransferState m_state = TransferState::Running;
    bool m_targetFolderMissing = false;
    bool m_plain = false;
    bool m_heidenhain = false;
    bool m_fanuc = false;
    bool m_errorRaised = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    Script script{data, size};
    Reception reception(script);
    reception.run();
    return 0;
}
