#include "dnc/TransmitEngine.h"

#include <algorithm>

#include "dnc/CharacterCodes.h"
#include "dnc/TransmitProtocol.h"

namespace quillon {

// ---- The program file ------------------------------------------------------------------

ProgramFile::ProgramFile(const std::string& path) : m_file(std::fopen(path.c_str(), "rb"))
{
    if (m_file && ::fseeko(m_file, 0, SEEK_END) == 0) {
        m_size = static_cast<std::uint64_t>(std::max<off_t>(::ftello(m_file), 0));
        ::fseeko(m_file, 0, SEEK_SET);
    }
}

ProgramFile::~ProgramFile()
{
    if (m_file)
        std::fclose(m_file);
}

std::uint64_t ProgramFile::position() const
{
    return m_file ? static_cast<std::uint64_t>(std::max<off_t>(::ftello(m_file), 0)) : 0;
}

bool ProgramFile::seek(std::uint64_t offset)
{
    return m_file && ::fseeko(m_file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

int ProgramFile::get()
{
    if (!m_file)
        return kEnd;
    const int c = std::fgetc(m_file);
    return c == EOF ? kEnd : c;
}

int ProgramFile::peek()
{
    const int c = get();
    if (c != kEnd)
        std::ungetc(c, m_file);
    return c;
}

std::string ProgramFile::readLine(std::size_t limit)
{
    std::string line;
    while (line.size() < limit) {
        const int c = get();
        if (c == kEnd)
            break;
        line.push_back(static_cast<char>(c));
        if (c == '\n')
            break;
    }
    return line;
}

// ---- Shared pieces ---------------------------------------------------------------------

char blockCheck(std::string_view bytes)
{
    char check = 0;
    for (const char byte : bytes)
        check = static_cast<char>(check ^ byte);
    return check;
}

std::string shownByte(char byte)
{
    if (static_cast<unsigned char>(byte) >= 27)
        return std::string(1, byte);
    return {'^', static_cast<char>(byte + 64)};
}

TransmitProtocol::TransmitProtocol(TransmitJob job, SerialLine& line, TransferObserver& observer)
    : m_job(std::move(job)), m_line(line), m_observer(observer), m_resume(m_job.resumeOffset)
{
}

void TransmitProtocol::updatePercent(std::uint64_t position, std::uint64_t length)
{
    m_percent = static_cast<int>(position * 100 / std::max<std::uint64_t>(length, 1));
    m_observer.setProgress(m_percent);
}

std::string TransmitProtocol::readReply(std::size_t limit)
{
    std::string reply = m_line.read(limit);
    for (char& byte : reply)
        byte = static_cast<char>(byte & 0x7F);
    return reply;
}

ExchangeOutcome TransmitProtocol::run()
{
    m_line.service();
    const LineTick now{m_line.status(), m_line.takeErrors()};
    if (now.errors.writeFailure != 0)
        return fail(ioWriteErrorText(now.errors.writeFailure));
    if (const std::string text = lineErrorText(now.errors.flags); !text.empty())
        m_observer.setStatus(text);
    const ExchangeOutcome outcome = tick(now);
    if (outcome != ExchangeOutcome::Done)
        return outcome;
    // A last write that failed must not pass for a transfer that went through.
    if (const int failure = m_line.takeErrors().writeFailure; failure != 0)
        return fail(ioWriteErrorText(failure));
    return outcome;
}

ExchangeOutcome TransmitProtocol::fail(const std::string& message)
{
    m_observer.showMessage(message);
    return ExchangeOutcome::Failed;
}

namespace {

// ---- Plain streaming --------------------------------------------------------------------

class PlainTransmit final : public TransmitProtocol {
public:
    using TransmitProtocol::TransmitProtocol;

    void start() override;
    bool complete() const override { return m_fileFinished && !m_line.writePending(); }

private:
    ExchangeOutcome tick(const LineTick& line) override;
    enum class Step { Continue, EndTick, Close };

    bool waitForXon() const { return setup().handshake == Handshake::XonXoffWaitForXon; }
    std::size_t chunkSize() const
    {
        return setup().smallBuffer ? TransmitEngine::kSmallChunk : TransmitEngine::kChunk;
    }
    char translated(char c) const { return translateForSending(setup().code, c); }
    void appendEndOfBlock(std::string& chunk) const;
    void appendNulls(std::string& chunk);
    void appendStart(std::string& chunk);
    void endDisplayLine();
    void showCharacter(char c);
    // A line end in the program: vertical parity padding, the end of block, the next line.
    void endLine(std::string& chunk);
    // A comment that the filter keeps from the control; the filter character was read.
    void filterComment(ProgramFile& file, std::string& chunk, char filter);
    Step sendChunk();

    std::uint64_t m_fileLength = 0;
    bool m_writeIssued = false;
    bool m_fileFinished = false;
    int m_idleTicks = 0;
    bool m_waitingForStartXon = false;
    bool m_transmittingShown = false;
    bool m_includeStart = false;
    std::size_t m_lineCount = 0;
    std::string m_displayLine;
};

void PlainTransmit::start()
{
    m_includeStart = setup().includeStartForRepositioning != 0;
    if (waitForXon()) {
        m_waitingForStartXon = true;
        m_line.holdOutputUntilXon();
    }
}

ExchangeOutcome PlainTransmit::tick(const LineTick& line)
{
    const LineStatus& status = line.status;
    if (m_writeIssued) {
        if (status.ctsHold || status.dsrHold) {
            m_observer.setStatus("Waiting for CTS/DSR");
            m_transmittingShown = false;
            return ExchangeOutcome::Running;
        }
        if (status.xoffHold) {
            m_observer.setStatus("Waiting for XON");
            m_transmittingShown = false;
            return ExchangeOutcome::Running;
        }
        if (!m_transmittingShown) {
            m_observer.setStatus("Transmitting..");
            m_transmittingShown = true;
        }
        if (line.errors.flags & LineError::TransmitFull) {
            m_observer.setStatus("Transmit buffer overflow");
            m_transmittingShown = false;
            return ExchangeOutcome::Running;
        }
    }
    // What the control says besides flow control is not listened to.
    if (status.inQueue > 0)
        m_line.read(8191);
    if (m_waitingForStartXon) {
        if (status.xoffHold) {
            m_observer.setStatus("Waiting for start of XON");
            return ExchangeOutcome::Running;
        }
        m_waitingForStartXon = false;
    }
    if (m_line.writePending()) {
        m_idleTicks = 0;
        return ExchangeOutcome::Running;
    }
    if (m_fileFinished) {
        if (status.outQueue > 0)
            return ExchangeOutcome::Running;
        if (++m_idleTicks <= TransmitEngine::kIdleTicksBeforeEnd)
            return ExchangeOutcome::Running;
        if (setup().looping && waitForXon()) {
            m_line.holdOutputUntilXon();
            m_fileFinished = false;
            m_idleTicks = 0;
            m_waitingForStartXon = true;
            return ExchangeOutcome::Running;
        }
        return ExchangeOutcome::Done;
    }
    if (status.outQueue >= chunkSize() / 8)
        return ExchangeOutcome::Running;
    switch (sendChunk()) {
    case Step::Close:
        return fail(kOpenTxFileFailedText);
    case Step::Continue:
    case Step::EndTick:
        break;
    }
    return ExchangeOutcome::Running;
}

void PlainTransmit::appendEndOfBlock(std::string& chunk) const
{
    for (const char byte : endOfBlockBytes(setup().endOfBlock))
        chunk += translated(byte);
}

void PlainTransmit::appendNulls(std::string& chunk)
{
    const auto count = static_cast<std::size_t>(std::clamp(setup().nullCount, 0, kMaxNullCount));
    if (count == 0)
        return;
    chunk.append(count, '\0');
    m_observer.addLine(std::string(count, '\x7F'));
}

void PlainTransmit::appendStart(std::string& chunk)
{
    const char start = static_cast<char>(setup().txStart);
    chunk += translated(start);
    if (start != '\n')
        appendEndOfBlock(chunk);
    m_observer.addLine(shownByte(start));
}

void PlainTransmit::showCharacter(char c)
{
    m_displayLine += shownByte(c);
}

void PlainTransmit::endDisplayLine()
{
    m_observer.addLine(m_displayLine);
    m_displayLine.clear();
}

void PlainTransmit::endLine(std::string& chunk)
{
    const VerticalParity parity = setup().verticalParity;
    const bool odd = m_lineCount % 2 == 1;
    if ((parity == VerticalParity::Even && odd) || (parity == VerticalParity::Odd && !odd))
        chunk += translated(' ');
    appendEndOfBlock(chunk);
    m_lineCount = 0;
    endDisplayLine();
}

void PlainTransmit::filterComment(ProgramFile& file, std::string& chunk, char filter)
{
    std::string comment(1, filter);
    bool closed = false;
    bool endedAtLineFeed = false;
    for (int c = file.get(); c != ProgramFile::kEnd; c = file.get()) {
        if (c == '\n') {
            endedAtLineFeed = true;
            break;
        }
        if (c != '\r')
            comment.push_back(static_cast<char>(c));
        if (filter == '(' && c == ')') {
            closed = true;
            break;
        }
    }
    m_observer.addLine(comment);
    // Does the line end right behind a closed comment?
    if (closed) {
        if (file.peek() == '\r') {
            file.get();
            if (file.peek() == '\n') {
                file.get();
                endedAtLineFeed = true;
            }
        } else if (file.peek() == '\n') {
            file.get();
            endedAtLineFeed = true;
        }
    }
    // A line that was nothing but the comment disappears; a line that sent words keeps its
    // end, or its block would run into the next one.
    if (endedAtLineFeed && m_lineCount > 0)
        endLine(chunk);
}

PlainTransmit::Step PlainTransmit::sendChunk()
{
    ProgramFile file(m_job.path);
    if (!file.isOpen())
        return Step::Close;
    m_fileLength = file.size();
    m_observer.clearLines();
    std::string chunk;
    const char start = static_cast<char>(setup().txStart);
    if (m_resume != 0) {
        file.seek(m_resume);
    } else {
        m_includeStart = false;
        appendNulls(chunk);
        if (start != 0) {
            appendStart(chunk);
            // The program's own start line gives way to the one just sent.
            std::string first = file.readLine(9);
            if (!first.empty() && (first[0] == '\n' || first[0] == '\r'))
                first = file.readLine(9);
            if (first.find(start) == std::string::npos) {
                file.seek(0);
            } else if (first.back() != '\n') {
                for (int c = file.get(); c != ProgramFile::kEnd && c != '\n'; c = file.get()) {
                }
            }
        }
    }
    if (m_includeStart && start != 0) {
        m_includeStart = false;
        appendStart(chunk);
    }

    const char filter = static_cast<char>(setup().commentFilter);
    const bool binary = setup().code == CharacterCode::Bin;
    bool atEnd = false;
    while (chunk.size() < chunkSize()) {
        const int next = file.get();
        if (next == ProgramFile::kEnd) {
            atEnd = true;
            if (setup().txEnd != 0) {
                const char end = static_cast<char>(setup().txEnd);
                chunk += translated(end);
                appendEndOfBlock(chunk);
                m_observer.addLine(shownByte(end));
            }
            appendNulls(chunk);
            break;
        }
        const char c = static_cast<char>(next);
        if (filter != 0 && c == filter && !binary) {
            filterComment(file, chunk, filter);
        } else if (c == '\n') {
            if (binary) {
                chunk += c;
                m_lineCount = 0;
                endDisplayLine();
            } else {
                endLine(chunk);
            }
        } else if (c == '\r') {
            if (binary)
                chunk += c;
        } else {
            chunk += translated(c);
            ++m_lineCount;
            showCharacter(c);
        }
    }
    if (!chunk.empty()) {
        m_line.write(chunk);
        m_writeIssued = true;
        m_idleTicks = 0;
    }
    m_resume = atEnd ? m_fileLength : file.position();
    updatePercent(m_resume, m_fileLength);
    if (atEnd) {
        m_resume = 0;
        if (!setup().looping) {
            m_fileFinished = true;
        } else if (waitForXon()) {
            m_fileFinished = true;
            m_waitingForStartXon = true;
        }
    }
    return Step::Continue;
}

std::unique_ptr<TransmitProtocol> makePlainTransmit(TransmitJob job, SerialLine& line,
                                                    TransferObserver& observer)
{
    return std::make_unique<PlainTransmit>(std::move(job), line, observer);
}

}  // namespace

// ---- The engine --------------------------------------------------------------------------

TransmitEngine::TransmitEngine(TransmitJob job, SerialLine& line, TransferObserver& observer)
    : ProtocolRunner(
          std::move(job), line, observer,
          {makePlainTransmit, makeFanucTransmit, makeMazakTransmit, makeHeidenhainTransmit})
{
}

TransmitEngine::~TransmitEngine() = default;

std::string TransmitEngine::titleFor(const std::string& path, const std::string& setupName)
{
    return "Transmit: " + path + " using setup: " + setupName;
}

int TransmitEngine::percent() const
{
    return protocol().percent();
}

bool TransmitEngine::complete() const
{
    return outcome() == ExchangeOutcome::Done || protocol().complete();
}

std::string waitingForControlText(std::chrono::seconds silent)
{
    const auto total = silent.count();
    const auto twoDigits = [](long long value) {
        std::string digits = std::to_string(value);
        if (value < 10)
            digits.insert(digits.begin(), '0');
        return digits;
    };
    std::string text = "Waiting for the control ";
    if (total >= 3600)
        text += std::to_string(total / 3600) + ":" + twoDigits(total / 60 % 60);
    else
        text += std::to_string(total / 60);
    return text + ":" + twoDigits(total % 60);
}

std::optional<std::uint64_t> lineStartOffset(const std::string& path, std::size_t line)
{
    ProgramFile file(path);
    if (!file.isOpen())
        return std::nullopt;
    for (std::size_t passed = 0; passed + 1 < line;) {
        const int c = file.get();
        if (c == ProgramFile::kEnd)
            return 0;
        if (c == '\n')
            ++passed;
    }
    return file.position();
}

}  // namespace quillon
