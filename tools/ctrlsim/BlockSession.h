// What the controls of the three block protocols (Fanuc DNC, MAZAK, HEIDENHAIN) have in
// common: the replies they queue for the line, the wait for the PC with its timeout, the
// faults a user can ask for to see what the PC does, and how an exchange ends.
//
// An exchange ends in one of three ways: complete (the protocol's own end came and what
// was received is stored), failed (a reason, nothing more is stored), or hung up on
// purpose. The line closing, a stop or the reply timeout in the middle of an exchange
// are failures; before an exchange has started the control waits as long as it takes,
// as a control standing at its read key does.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "ctrlsim/ControlSession.h"
#include "dnc/ControlCharacters.h"

namespace quillon::ctrlsim {

// Faults for trying the PC's side. The numbers count the blocks the PC sends (for MAZAK,
// where the control asks, the commands the control sends), from 1; a block that was
// refused and comes again keeps its number.
struct FaultPlan {
    // The control answers the first N and then nothing at all, and ignores the line.
    std::optional<std::size_t> silentAfter;
    // Every answer after the first N is garbage: each of its bytes replaced by '?'.
    std::optional<std::size_t> garbageAfter;
    // Block N is refused once (NAK) although it was right.
    std::optional<std::size_t> nakOnce;
    // The control lets the line go when block N+1 begins.
    std::optional<std::size_t> hangUpAfter;
};

// What a garbled answer is made of.
inline constexpr char kGarbageByte = '?';

// A block refused this many times in a row ends the exchange, as a control gives up after
// a few repetitions instead of asking for ever.
inline constexpr std::size_t kMaxRefusals = 3;

struct BlockSessionSettings {
    // How long the control waits for the PC in the middle of an exchange; nothing: for
    // ever.
    std::optional<Duration> replyTimeout = std::chrono::seconds(30);
    // How long after the line is there a control that opens the exchange does so: the
    // PC purges its port right after opening it.
    Duration startDelay = kDefaultStartDelay;
    FaultPlan faults;
};

// A block's data as it comes in, with the exclusive-or of its bytes: the data is kept up
// to a limit, beyond which the block counts as overlong.
struct IncomingBlock {
    std::string data;
    char check = 0;
    bool overlong = false;

    // A new block whose check starts from `checkStart`.
    void begin(char checkStart = 0)
    {
        data.clear();
        check = checkStart;
        overlong = false;
    }
    // Takes a byte of the block; true when it was the block's end character (which the
    // check includes and the data does not).
    bool take(char byte, char end, std::size_t limit)
    {
        check = static_cast<char>(check ^ byte);
        if (byte == end)
            return true;
        if (data.size() < limit)
            data.push_back(byte);
        else
            overlong = true;
        return false;
    }
};

class BlockSession : public ControlSession {
public:
    ~BlockSession() override;

    void start(TimePoint now) final;
    std::size_t inputRoom(TimePoint now) final;
    void received(std::string_view bytes, TimePoint now) final;
    bool hasOutput(TimePoint now) final;
    std::string takeOutput(std::size_t limit, TimePoint now) final;
    void written(std::size_t count, TimePoint now) final;
    std::optional<TimePoint> nextDeadline(TimePoint now) final;
    bool done(TimePoint now) final;
    SessionEnd end(EndCause cause, TimePoint now) final;

    bool silent() const { return m_silent; }

protected:
    // `opensExchange`: the control speaks first, the start delay after the line is there.
    BlockSession(const BlockSessionSettings& settings, bool opensExchange);

    // The control's first word (only for a control that opens the exchange).
    virtual void opening() {}
    // One byte from the PC.
    virtual void take(char byte) = 0;
    // True while the control waits for the PC in the middle of an exchange: the reply
    // timeout runs.
    virtual bool waitingForPc() const = 0;
    // Where the exchange stands, for the messages: "while waiting for block 3".
    virtual std::string position() const = 0;
    // True when the PC going quiet or away now is its way of saying that it has nothing
    // more; the exchange then counts as complete.
    virtual bool pcHasNoMore() const { return false; }
    // Stores what a complete exchange received; the summary.
    virtual SessionEnd store() = 0;
    // What was stored before the exchange failed, for its summary; empty when nothing was.
    virtual std::string alreadyStored() const { return {}; }

    enum class Answer { Given, Garbled, Withheld };
    // Puts the control's answer to block `block` on the line, or what the fault plan makes
    // of it; Withheld: the control has gone silent.
    Answer answer(std::size_t block, std::string_view reply);
    // True once for the block the fault plan refuses although it is right.
    bool refusesOnce(std::size_t block);
    // Answers a block that is not accepted with NAK; refused too often in a row, the
    // control gives up on it instead.
    void refuse(std::size_t block, const std::string& why);
    // A block went through: the refusals in a row start again.
    void accepted() { m_refusals = 0; }
    bool refusedBefore() const { return m_refusals > 0; }
    // True, and the exchange is over, when the fault plan lets the line go as `block`
    // begins.
    bool hangsUpAt(std::size_t block);
    // The control's own words, which no fault changes (a request it sends again).
    void send(std::string_view bytes);
    // A byte the control has no use for where the exchange stands, for the notes.
    void ignored(char byte) const;

    void complete();
    void fail(std::string reason);
    bool finished() const { return m_complete || m_failure || m_hungUp; }

private:
    // Lets the start delay run out.
    void update(TimePoint now);

    BlockSessionSettings m_settings;
    bool m_opensExchange;
    // When the control speaks first; set at the start, cleared once it has.
    std::optional<TimePoint> m_openAt;
    std::string m_out;
    // The last byte in either direction: the reply timeout counts from here.
    TimePoint m_lastActivity{};
    bool m_silent = false;
    bool m_refusedOnce = false;
    std::size_t m_refusals = 0;  // of the block due, in a row
    bool m_complete = false;
    bool m_hungUp = false;
    std::optional<std::string> m_failure;
};

// Bytes for a message: printable ASCII as it is, the control characters of the protocols
// by name ("<STX>"), any other byte in hexadecimal ("<8D>").
std::string shownBytes(std::string_view bytes);
// One byte in hexadecimal, "0x4F", for check bytes.
std::string hexByte(char byte);
// The exclusive-or of the bytes: the block check of the protocols.
char xorOf(std::string_view bytes);

}  // namespace quillon::ctrlsim
