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

// Faults for trying the PC's side. The numbers count the blocks of the exchange from 1:
// for a control that receives, the blocks the PC sends (for MAZAK, where the control asks,
// the commands the control sends); for a control that sends, the blocks it sends, except
// that the Fanuc PC's request is a block too, as the header is when the PC sends. A block
// that is refused and goes again keeps its number.
struct FaultPlan {
    // The control answers (sends) the first N and then nothing at all, and ignores the
    // line.
    std::optional<std::size_t> silentAfter;
    // Every answer (block sent) after the first N is garbage: each byte replaced by '?'.
    std::optional<std::size_t> garbageAfter;
    // Block N is refused once (NAK) although it was right.
    std::optional<std::size_t> nakOnce;
    // The control lets the line go when block N+1 begins.
    std::optional<std::size_t> hangUpAfter;
    // A sending control: block N goes out once with a wrong check byte.
    std::optional<std::size_t> badCheckOnce;
    // A sending control: block N goes out once with kOverlongBlockData data bytes.
    std::optional<std::size_t> overlongBlock;
};

// What a garbled answer is made of.
inline constexpr char kGarbageByte = '?';

// An overlong block carries this many data bytes, its own followed by the filler: more
// than the 64 KiB the PC's receive engine holds for one block.
inline constexpr std::size_t kOverlongBlockData = 70'000;
inline constexpr char kOverlongFiller = 'X';

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

// The PC's reply to a sending control, checked byte by byte as it comes in: the first
// byte that differs from the reply expected makes it wrong, without waiting for the rest.
class AwaitedReply {
public:
    enum class Progress { Partial, Complete, Wrong };

    void expect(std::string reply)
    {
        m_expected = std::move(reply);
        m_got.clear();
    }
    Progress take(char byte)
    {
        m_got.push_back(byte);
        if (m_expected.compare(0, m_got.size(), m_got) != 0)
            return Progress::Wrong;
        return m_got.size() == m_expected.size() ? Progress::Complete : Progress::Partial;
    }
    const std::string& expected() const { return m_expected; }
    const std::string& got() const { return m_got; }

private:
    std::string m_expected;
    std::string m_got;
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
    // Stores what a complete exchange received (a sending control has nothing to store);
    // the summary.
    virtual SessionEnd store() = 0;
    // What a failed exchange's summary adds to the reason: what it still did.
    virtual std::string afterFailure() const { return "; nothing stored"; }

    enum class Answer { Given, Garbled, Withheld };
    // Puts the control's answer to block `block` on the line (a sending control: block
    // `block` itself), or what the fault plan makes of it; Withheld: the control has gone
    // silent.
    Answer answer(std::size_t block, std::string_view reply);
    // True once for the block the fault plan refuses although it is right.
    bool refusesOnce(std::size_t block);
    // True once for the block the fault plan sends with a wrong check byte.
    bool spoilsCheckOnce(std::size_t block);
    // True once for the block the fault plan makes overlong.
    bool overlongOnce(std::size_t block);
    // Answers a block that is not accepted with NAK; refused too often in a row, the
    // control gives up on it instead.
    void refuse(std::size_t block, const std::string& why);
    // Counts a refusal of the block due; true when it was one too many in a row.
    bool refusedTooOften() { return ++m_refusals >= kMaxRefusals; }
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
    bool completed() const { return m_complete; }
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
    bool m_spoiledCheck = false;
    bool m_madeOverlong = false;
    std::size_t m_refusals = 0;  // of the block due, in a row
    bool m_complete = false;
    bool m_hungUp = false;
    std::optional<std::string> m_failure;
};

// Bytes for a message: printable ASCII as it is, the control characters of the protocols
// by name ("<STX>"), any other byte in hexadecimal ("<8D>"); more than `limit` bytes
// shortened to their start and "...".
std::string shownBytes(std::string_view bytes, std::size_t limit = std::string_view::npos);
// One byte in hexadecimal, "0x4F", for check bytes.
std::string hexByte(char byte);
// The exclusive-or of the bytes: the block check of the protocols.
char xorOf(std::string_view bytes);

}  // namespace quillon::ctrlsim
