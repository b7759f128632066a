// The inside of the receive engine: what plain reception and the block protocols share.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

#include "dnc/ReceiveEngine.h"

namespace quillon {

// The window's lines: the completed ones (the last twelve kept) and the one being received.
// Changes reach the observer once a tick, however many lines the tick brought.
class ReceiveDisplay {
public:
    explicit ReceiveDisplay(TransferObserver& observer) : m_observer(observer) {}

    // A byte as shown: control characters as "^" and the letter.
    void show(char byte);
    // Text shown as it is ("<CR>", "^R").
    void showText(std::string_view text);
    // Completes the current line; `counted` lines advance "Line: ".
    void endLine(bool counted = true);
    void clear();
    // Hands what changed to the observer.
    void publish();

    std::uint64_t count() const { return m_count; }

private:
    void append(char character);
    void complete();

    TransferObserver& m_observer;
    std::deque<std::string> m_lines;
    std::string m_current;
    std::uint64_t m_count = 0;
    bool m_linesChanged = true;
    bool m_countChanged = true;
};

// The file a reception stores into. Nothing happens to an existing file before the first
// bytes are stored. Then the old file steps aside under a work name in the same folder and
// the new one is written in its place, every append going to the system at once, so that
// what arrived survives a lost line or a crash. When the new file cannot be written (a full
// disk) it goes and the old one comes back as it was; once the file is complete, or the
// reception ends otherwise, the old one goes.
class ReceiveTarget {
public:
    explicit ReceiveTarget(std::string path) : m_path(std::move(path)) {}
    ~ReceiveTarget();
    ReceiveTarget(const ReceiveTarget&) = delete;
    ReceiveTarget& operator=(const ReceiveTarget&) = delete;

    const std::string& path() const { return m_path; }
    // The next file (Fanuc's setup file after the program); untouched until its data comes.
    void retarget(std::string path);
    // False when the file cannot be created or written; failureText() says why.
    bool append(std::string_view bytes);
    std::uint64_t stored() const { return m_stored; }
    // What the user is told about the last failed append: the cause in the system's words.
    std::string failureText() const;

private:
    bool begin();
    bool giveUp(int error);
    void close();

    std::string m_path;
    int m_fd = -1;
    std::string m_kept;  // the old file while the new one is written
    bool m_created = false;
    int m_error = 0;
    std::uint64_t m_stored = 0;
};

// The bytes as a text-mode file holds them: every LF becomes CR LF.
std::string textModeBytes(std::string_view bytes);

class ReceiveProtocol : public ExchangeProtocol {
public:
    ReceiveProtocol(ReceiveJob job, SerialLine& line, TransferObserver& observer);
    virtual ~ReceiveProtocol();

    // The window starts with an empty list.
    void start() override
    {
        m_display.clear();
        m_display.publish();
    }
    // One tick: the line's work and its errors, then the exchange's step.
    ExchangeOutcome run() final;
    virtual bool ended() const { return false; }
    // Nothing the exchange knows of is missing from what was stored, so a line lost now has
    // cut no program short: the plain end character has come, or a MAZAK control is
    // between records. The protocols that end by themselves are whole only then.
    virtual bool whole() const { return ended(); }
    // The exchange checks every block and has the control repeat a damaged one: a line
    // error is shown and the exchange goes on, as nothing damaged gets stored.
    virtual bool repeatsDamagedBlocks() const { return false; }

    std::uint64_t storedBytes() const { return m_stored + m_target.stored(); }
    std::uint64_t lineCount() const { return m_display.count(); }

protected:
    virtual ExchangeOutcome tick() = 0;
    const PortSetup& setup() const { return m_job.setup; }
    // What has arrived, read in pieces of `limit` bytes (a few of them at most). A failed
    // read shows "Generic Receive Error".
    std::string readInput(std::size_t limit);
    // Appends to the target; false after telling the user that it cannot be written.
    bool store(std::string_view bytes);
    // Shows the failure and ends the reception.
    ExchangeOutcome fail(const std::string& message);
    // The next file of the same reception.
    void retarget(std::string path);

    ReceiveJob m_job;
    SerialLine& m_line;
    TransferObserver& m_observer;
    ReceiveDisplay m_display;

private:
    ReceiveTarget m_target;
    std::uint64_t m_stored = 0;  // in earlier files of this reception
};

std::unique_ptr<ReceiveProtocol> makeFanucReceive(ReceiveJob job, SerialLine& line,
                                                  TransferObserver& observer);
std::unique_ptr<ReceiveProtocol> makeMazakReceive(ReceiveJob job, SerialLine& line,
                                                  TransferObserver& observer);
std::unique_ptr<ReceiveProtocol> makeHeidenhainReceive(ReceiveJob job, SerialLine& line,
                                                       TransferObserver& observer);

}  // namespace quillon
