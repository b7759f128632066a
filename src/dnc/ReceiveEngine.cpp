#include "dnc/ReceiveEngine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "dnc/CharacterCodes.h"
#include "dnc/ReceiveProtocol.h"
#include "platform/SystemError.h"

namespace quillon {

// ---- The display ------------------------------------------------------------------------

void ReceiveDisplay::show(char byte)
{
    const auto code = static_cast<unsigned char>(byte);
    if (code < 32) {
        append('^');
        append(static_cast<char>(code + 64));
    } else {
        append(byte);
    }
}

void ReceiveDisplay::showText(std::string_view text)
{
    for (const char character : text)
        append(character);
}

void ReceiveDisplay::append(char character)
{
    m_current.push_back(character);
    m_linesChanged = true;
    if (m_current.size() > ReceiveEngine::kDisplayWidth)
        complete();
}

void ReceiveDisplay::complete()
{
    m_lines.push_back(std::move(m_current));
    m_current.clear();
    while (m_lines.size() > ReceiveEngine::kShownLines)
        m_lines.pop_front();
    m_linesChanged = true;
}

void ReceiveDisplay::endLine(bool counted)
{
    complete();
    if (counted) {
        ++m_count;
        m_countChanged = true;
    }
}

void ReceiveDisplay::clear()
{
    m_lines.clear();
    m_current.clear();
    m_linesChanged = true;
}

void ReceiveDisplay::publish()
{
    if (m_linesChanged)
        m_observer.showLines(m_lines, m_current);
    if (m_countChanged)
        m_observer.setLineCount(m_count);
    m_linesChanged = false;
    m_countChanged = false;
}

// ---- The target file --------------------------------------------------------------------

ReceiveTarget::~ReceiveTarget()
{
    close();
}

void ReceiveTarget::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_kept.empty())
        ::unlink(m_kept.c_str());
    m_kept.clear();
}

void ReceiveTarget::retarget(std::string path)
{
    close();
    m_path = std::move(path);
    m_created = false;
    m_stored = 0;
}

bool ReceiveTarget::begin()
{
    m_created = false;
    // The old file goes only now that there is something to put in its place, and only
    // aside: renamed, which a full disk cannot stop, so that it can come back.
    struct stat old {};
    if (::lstat(m_path.c_str(), &old) == 0) {
        std::string kept = m_path + ".qltXXXXXX";
        const int placeholder = ::mkstemp(kept.data());
        if (placeholder < 0)
            return giveUp(errno);
        ::close(placeholder);
        if (::rename(m_path.c_str(), kept.c_str()) != 0) {
            const int error = errno;
            ::unlink(kept.c_str());
            return giveUp(error);
        }
        m_kept = std::move(kept);
    }
    m_fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (m_fd < 0)
        return giveUp(errno);
    m_created = true;
    return true;
}

bool ReceiveTarget::giveUp(int error)
{
    m_error = error != 0 ? error : EIO;
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
        // A part of a program must not pass for the program.
        ::unlink(m_path.c_str());
    }
    if (!m_kept.empty() && ::rename(m_kept.c_str(), m_path.c_str()) == 0)
        m_kept.clear();
    m_stored = 0;
    return false;
}

bool ReceiveTarget::append(std::string_view bytes)
{
    if (m_fd < 0 && !begin())
        return false;
    // Straight to the system, no buffer of our own: what was stored survives whatever
    // happens to this program next.
    while (!bytes.empty()) {
        const ssize_t written = ::write(m_fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return giveUp(written < 0 ? errno : EIO);
        m_stored += static_cast<std::uint64_t>(written);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string ReceiveTarget::failureText() const
{
    const std::string cause = fileErrorText(m_error, FileAction::Save, m_path);
    return m_created ? cause : std::string(kOpenRxFileFailedText) + "\n" + cause;
}

std::string textModeBytes(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 16);
    for (const char byte : bytes) {
        if (byte == '\n')
            text.push_back('\r');
        text.push_back(byte);
    }
    return text;
}

// ---- Shared pieces ----------------------------------------------------------------------

ReceiveProtocol::ReceiveProtocol(ReceiveJob job, SerialLine& line, TransferObserver& observer)
    : m_job(std::move(job)),
      m_line(line),
      m_observer(observer),
      m_display(observer),
      m_target(m_job.path)
{
}

ReceiveProtocol::~ReceiveProtocol() = default;

ExchangeOutcome ReceiveProtocol::run()
{
    m_line.service();
    const LineErrors errors = m_line.takeErrors();
    if (errors.writeFailure != 0)
        return fail(ioWriteErrorText(errors.writeFailure));
    // A byte the line damaged may be anywhere in what is stored: the reception cannot be
    // trusted from here on, and the user must not take the file for a good one. Once the
    // plain end character has come, nothing more is stored and the program stands; an
    // exchange that checks its blocks refuses the damaged one and gets it again.
    if (const std::string text = lineErrorText(errors.flags); !text.empty()) {
        m_observer.setStatus(text);
        if (!ended() && !repeatsDamagedBlocks())
            return fail(text);
    }
    const ExchangeOutcome outcome = tick();
    if (outcome != ExchangeOutcome::Done)
        return outcome;
    // The last answer to the control must have gone out for the exchange to count.
    if (const int failure = m_line.takeErrors().writeFailure; failure != 0)
        return fail(ioWriteErrorText(failure));
    return outcome;
}

std::string ReceiveProtocol::readInput(std::size_t limit)
{
    bool errorShown = false;
    std::string input;
    for (int i = 0; i < ReceiveEngine::kReadsPerTick; ++i) {
        int error = 0;
        const std::string piece = m_line.read(limit, &error);
        if (error > 2 && !errorShown) {
            m_observer.setStatus(genericReceiveErrorText(error));
            errorShown = true;
        }
        if (piece.empty())
            break;
        input += piece;
    }
    return input;
}

bool ReceiveProtocol::store(std::string_view bytes)
{
    if (m_target.append(bytes))
        return true;
    m_observer.showMessage(m_target.failureText());
    return false;
}

ExchangeOutcome ReceiveProtocol::fail(const std::string& message)
{
    m_display.publish();
    m_observer.showMessage(message);
    return ExchangeOutcome::Failed;
}

void ReceiveProtocol::retarget(std::string path)
{
    m_stored += m_target.stored();
    m_target.retarget(std::move(path));
    m_job.path = m_target.path();
}

namespace {

// ---- Plain reception --------------------------------------------------------------------

constexpr char kDc2 = 0x12;
constexpr char kDc4 = 0x14;

class PlainReceive final : public ReceiveProtocol {
public:
    PlainReceive(ReceiveJob job, SerialLine& line, TransferObserver& observer)
        : ReceiveProtocol(std::move(job), line, observer)
    {
        // BIN takes every byte from the first on, with no end.
        if (setup().code != CharacterCode::Bin) {
            m_start = static_cast<char>(setup().rxStart);
            m_end = static_cast<char>(setup().rxEnd);
        }
        m_started = m_start == 0;
    }

    void start() override
    {
        if (xonXoff())
            m_line.write(std::string(1, kXon));
        ReceiveProtocol::start();
    }
    bool ended() const override { return m_ended; }
    // Without an end character nothing tells a cut program from a whole one.
    bool whole() const override { return m_ended || m_end == 0; }

private:
    ExchangeOutcome tick() override;
    bool xonXoff() const
    {
        return setup().handshake == Handshake::XonXoff ||
               setup().handshake == Handshake::XonXoffWaitForXon;
    }
    // The bytes to store for one received character, once the reception has started.
    void take(char character, std::string& out);

    char m_start = 0;
    char m_end = 0;
    bool m_started = false;
    bool m_ended = false;
};

ExchangeOutcome PlainReceive::tick()
{
    const std::string input = readInput(ReceiveEngine::kPlainReadLimit);
    if (input.empty())
        return ExchangeOutcome::Running;
    // A control asking whether we are ready sends DC2 alone: it gets the XON, and the DC2
    // is no data.
    if (input.size() == 1 && (input[0] & 0x7F) == kDc2 && xonXoff()) {
        m_line.write(std::string(1, kXon));
        m_display.showText("^R");
        m_display.publish();
        return ExchangeOutcome::Running;
    }
    if (m_ended)
        return ExchangeOutcome::Running;
    const CharacterCode code = setup().code;
    std::string out;
    for (const char byte : input) {
        char character = translateReceived(code, byte);
        if (code != CharacterCode::Bin)
            character = static_cast<char>(character & 0x7F);
        if (!m_started) {
            if (character == m_start) {
                m_started = true;
                out.push_back(character);
                m_display.show(character);
            }
            continue;
        }
        if (m_end != 0 && character == m_end) {
            m_ended = true;
            out.push_back(character);
            m_display.show(character);
            break;  // the rest is not the program's
        }
        take(character, out);
    }
    if (!out.empty() && !store(out))
        return ExchangeOutcome::Failed;
    m_display.publish();
    return ExchangeOutcome::Running;
}

void PlainReceive::take(char character, std::string& out)
{
    const bool binary = setup().code == CharacterCode::Bin;
    const EndOfBlock endOfBlock = setup().endOfBlock;
    switch (character) {
    case '\0':
        if (binary)
            out.push_back(character);
        m_display.show(character);
        return;
    case '\n':
        if (binary)
            out += '\n';
        else if (endOfBlock != EndOfBlock::Cr)
            out += "\r\n";
        m_display.endLine();
        return;
    case '\r':
        if (binary)
            out += '\r';
        else if (endOfBlock == EndOfBlock::Cr)
            out += "\r\n";
        return;
    case kDc4:
        if (binary)
            out.push_back(character);
        m_display.show(character);
        return;
    default:
        out.push_back(character);
        m_display.show(character);
        return;
    }
}

std::unique_ptr<ReceiveProtocol> makePlainReceive(ReceiveJob job, SerialLine& line,
                                                  TransferObserver& observer)
{
    return std::make_unique<PlainReceive>(std::move(job), line, observer);
}

}  // namespace

// ---- The engine -------------------------------------------------------------------------

ReceiveEngine::ReceiveEngine(ReceiveJob job, SerialLine& line, TransferObserver& observer)
    : ProtocolRunner(std::move(job), line, observer,
                     {makePlainReceive, makeFanucReceive, makeMazakReceive, makeHeidenhainReceive})
{
}

ReceiveEngine::~ReceiveEngine() = default;

std::string ReceiveEngine::titleFor(const std::string& path, const std::string& setupName)
{
    return "Receive: " + path + " using setup: " + setupName;
}

std::uint64_t ReceiveEngine::storedBytes() const
{
    return protocol().storedBytes();
}

bool ReceiveEngine::ended() const
{
    return protocol().ended();
}

bool ReceiveEngine::whole() const
{
    return protocol().whole();
}

std::uint64_t ReceiveEngine::lineCount() const
{
    return protocol().lineCount();
}

std::string cutAtWildcard(const std::string& path)
{
    const std::size_t star = path.rfind('*');
    if (star == std::string::npos)
        return path;
    return path.substr(0, star == 0 ? 0 : star - 1);
}

}  // namespace quillon
