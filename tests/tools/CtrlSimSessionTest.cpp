// The simulated control's sessions and pacing on made-up times, without a line.
#include <gtest/gtest.h>

#include <memory>

#include "ctrlsim/InputBuffer.h"
#include "ctrlsim/LinePacer.h"
#include "ctrlsim/PlainEcho.h"
#include "ctrlsim/PlainReceive.h"
#include "ctrlsim/PlainSend.h"
#include "ctrlsim/ProgramSource.h"
#include "platform/AtomicFile.h"
#include "support/TempWorkDir.h"
#include "tools/CtrlSimTestSupport.h"

namespace quillon::ctrlsim {
namespace {

using std::chrono::milliseconds;

constexpr char kDc1 = 0x11;
constexpr char kDc3 = 0x13;

const TimePoint t0 = TimePoint{} + std::chrono::hours(1);

TimePoint at(int ms)
{
    return t0 + milliseconds(ms);
}

// --- the input buffer -----------------------------------------------------------------

TEST(CtrlSimInputBuffer, ExecutesAtItsRateAndSavesNothingUpWhileEmpty)
{
    InputBuffer buffer(InputBufferSettings::withDefaultMarks(256, 100));  // 100 bytes/s
    EXPECT_EQ(buffer.settings().highWater, 192u);
    EXPECT_EQ(buffer.settings().lowWater, 64u);

    buffer.put(200, at(0));
    buffer.advance(at(505));  // 50.5 bytes executed: 50 whole ones
    EXPECT_EQ(buffer.fill(), 150u);
    buffer.advance(at(1000));  // the half byte carried over completes
    EXPECT_EQ(buffer.fill(), 100u);
    EXPECT_EQ(buffer.whenFillIs(64, at(1000)), at(1360));
    buffer.advance(at(1360));
    EXPECT_EQ(buffer.fill(), 64u);

    // Ten idle seconds do not let the next bytes vanish at once.
    buffer.advance(at(12000));
    EXPECT_EQ(buffer.fill(), 0u);
    buffer.put(50, at(12000));
    buffer.advance(at(12100));
    EXPECT_EQ(buffer.fill(), 40u);

    buffer.put(1000, at(12100));
    EXPECT_EQ(buffer.fill(), 256u);
    EXPECT_EQ(buffer.room(), 0u);
}

TEST(CtrlSimInputBuffer, WithoutAConsumeRateNeverFills)
{
    InputBuffer buffer(InputBufferSettings::withDefaultMarks(16, std::nullopt));
    buffer.put(1000, at(0));
    EXPECT_EQ(buffer.fill(), 0u);
    EXPECT_EQ(buffer.room(), 16u);
}

// --- line pacing --------------------------------------------------------------------

TEST(CtrlSimLinePacer, NoMoreThanTheLineCarriesOverAnyStretch)
{
    LinePacer pacer(9600);  // 960 bytes/s, 1.0417 ms a byte
    std::size_t moved = 0;
    int last = 0;
    // Wake-ups at uneven moments, each moving what is allowed.
    for (int ms = 0; ms <= 10000; ms += (ms % 7) + 1) {
        const std::size_t n = pacer.allowance(at(ms));
        pacer.moved(n, at(ms));
        moved += n;
        last = ms;
    }
    // 960 bytes a second, plus at most the catch-up burst of the first wake-up.
    const std::size_t carried = static_cast<std::size_t>(last) * 960 / 1000;
    EXPECT_LE(moved, carried + 12u);
    EXPECT_GE(moved, carried - 2u);
    EXPECT_EQ(pacer.allowance(at(last)), 0u);
    EXPECT_GT(pacer.nextAllowed(), at(last));

    EXPECT_EQ(LinePacer().allowance(at(0)), kUnlimited);
}

// --- plain receive ------------------------------------------------------------------

class CtrlSimPlainReceive : public ::testing::Test {
protected:
    std::unique_ptr<PlainReceive> receiver(PlainReceiveSettings settings)
    {
        auto store = std::make_unique<AtomicFileWriter>(m_dir.path("O1000.NC"));
        return std::make_unique<PlainReceive>(settings, m_dir.path("O1000.NC"), std::move(store));
    }
    static PlainReceiveSettings paced()
    {
        PlainReceiveSettings settings;
        settings.buffer = InputBufferSettings::withDefaultMarks(64, 100);  // XOFF 48, XON 16
        settings.xonXoff = true;
        settings.idleEnd = milliseconds(500);
        return settings;
    }

    test::TempWorkDir m_dir;
};

TEST_F(CtrlSimPlainReceive, SendsXoffAtTheHighMarkAndXonAtTheLowMarkOnce)
{
    auto session = receiver(paced());
    session->start(at(0));
    EXPECT_FALSE(session->hasOutput(at(0)));

    session->received(std::string(47, 'X'), at(0));
    EXPECT_FALSE(session->hasOutput(at(0)));
    session->received("Y", at(0));
    EXPECT_EQ(session->takeOutput(10, at(0)), std::string(1, kDc3));
    // More bytes after the XOFF (the other side's queue) send no second one.
    session->received(std::string(16, 'Z'), at(0));
    EXPECT_EQ(session->inputRoom(at(0)), 0u);
    EXPECT_FALSE(session->hasOutput(at(0)));

    // 64 bytes down to 16 at 100 bytes/s: 480 ms.
    EXPECT_EQ(session->nextDeadline(at(0)), at(160));  // room for the next bytes first
    EXPECT_FALSE(session->hasOutput(at(479)));
    EXPECT_EQ(session->takeOutput(10, at(480)), std::string(1, kDc1));
    EXPECT_FALSE(session->hasOutput(at(2000)));
}

TEST_F(CtrlSimPlainReceive, IdleTimeDoesNotRunWhileTheControlHoldsTheOtherSide)
{
    auto session = receiver(paced());
    session->start(at(0));
    session->received(std::string(64, 'X'), at(0));  // XOFF, buffer full
    EXPECT_EQ(session->takeOutput(1, at(0)), std::string(1, kDc3));
    // The other side obeys and sends nothing. The idle time would have run out 500 ms
    // after the last byte, but it only starts with the XON at 480 ms.
    EXPECT_FALSE(session->done(at(479)));
    EXPECT_EQ(session->takeOutput(1, at(480)), std::string(1, kDc1));
    EXPECT_FALSE(session->done(at(600)));
    EXPECT_EQ(session->nextDeadline(at(600)), at(980));
    EXPECT_TRUE(session->done(at(980)));

    const SessionEnd end = session->end(EndCause::Done, at(980));
    EXPECT_EQ(end.exitCode, 0) << end.summary;
    EXPECT_EQ(test::fileBytes(m_dir.path("O1000.NC")), std::string(64, 'X'));
}

TEST_F(CtrlSimPlainReceive, XonAtStartAndAnEmptyExchangeStoresNothing)
{
    PlainReceiveSettings settings;
    settings.xonAtStart = true;
    auto session = receiver(settings);
    session->start(at(0));
    EXPECT_FALSE(session->hasOutput(at(0)));
    EXPECT_EQ(session->nextDeadline(at(0)), at(0) + kDefaultStartDelay);
    EXPECT_EQ(session->takeOutput(10, at(0) + kDefaultStartDelay), std::string(1, kDc1));
    // No idle end before the first byte.
    EXPECT_FALSE(session->done(at(60000)));
    const SessionEnd end = session->end(EndCause::LineClosed, at(60000));
    EXPECT_EQ(end.exitCode, 1);
    EXPECT_EQ(test::fileBytes(m_dir.path("O1000.NC")), "<missing>");
}

// --- plain send ---------------------------------------------------------------------

class CtrlSimPlainSend : public ::testing::Test {
protected:
    // Takes bytes from the session and writes them all, as the runner does.
    static std::string sendOut(PlainSend& session, std::size_t limit, TimePoint now)
    {
        std::string piece = session.takeOutput(limit, now);
        session.written(piece.size(), now);
        return piece;
    }
    std::unique_ptr<PlainSend> sender(PlainSendSettings settings, const std::string& program)
    {
        m_dir.write("O2000.NC", program);
        std::string error;
        auto source = ProgramSource::open(m_dir.path("O2000.NC"), &error);
        EXPECT_TRUE(source) << error;
        return std::make_unique<PlainSend>(settings, std::move(source));
    }

    test::TempWorkDir m_dir;
};

TEST_F(CtrlSimPlainSend, XoffHoldsAndXonGoesOn)
{
    PlainSendSettings settings;
    settings.xonXoff = true;
    settings.startDelay = milliseconds(100);
    auto session = sender(settings, "%\r\nO2000\r\nM30\r\n%\r\n");
    session->start(at(0));
    EXPECT_FALSE(session->hasOutput(at(99)));
    EXPECT_EQ(session->nextDeadline(at(0)), at(100));
    EXPECT_EQ(sendOut(*session, 3, at(100)), "%\r\n");

    session->received(std::string(1, kDc3), at(110));
    EXPECT_FALSE(session->hasOutput(at(120)));
    EXPECT_EQ(sendOut(*session, 100, at(120)), "");
    session->received("x" + std::string(1, kDc1), at(130));  // data around it is ignored
    EXPECT_EQ(sendOut(*session, 100, at(130)), "O2000\r\nM30\r\n%\r\n");
    EXPECT_TRUE(session->done(at(130)));
    EXPECT_EQ(session->end(EndCause::Done, at(140)).exitCode, 0);
}

TEST_F(CtrlSimPlainSend, WaitsForTheStartXonAndAnXoffBeforeItChangesNothing)
{
    PlainSendSettings settings;
    settings.waitForXon = true;
    auto session = sender(settings, "O2000\r\n");
    session->start(at(0));
    EXPECT_FALSE(session->hasOutput(at(60000)));
    EXPECT_EQ(session->nextDeadline(at(0)), std::nullopt);

    session->received(std::string(1, kDc3), at(100));
    EXPECT_FALSE(session->hasOutput(at(200)));
    session->received(std::string(1, kDc1), at(300));
    EXPECT_EQ(sendOut(*session, 100, at(300)), "O2000\r\n");
}

TEST_F(CtrlSimPlainSend, WithoutXonXoffFlowCharactersAreNotObeyed)
{
    PlainSendSettings settings;
    settings.startDelay = Duration::zero();
    auto session = sender(settings, "O2000\r\n");
    session->start(at(0));
    session->received(std::string(1, kDc3), at(0));
    EXPECT_EQ(sendOut(*session, 100, at(0)), "O2000\r\n");
}

TEST_F(CtrlSimPlainSend, ALineLostMidwayOrAStopIsAFailure)
{
    PlainSendSettings settings;
    settings.startDelay = Duration::zero();
    for (const EndCause cause : {EndCause::LineClosed, EndCause::Stopped}) {
        auto session = sender(settings, std::string(100, 'G'));
        session->start(at(0));
        // The whole program taken, but the line accepted only 40 bytes before it ended.
        EXPECT_EQ(session->takeOutput(100, at(0)).size(), 100u);
        session->written(40, at(0));
        const SessionEnd end = session->end(cause, at(10));
        EXPECT_EQ(end.exitCode, 1);
        EXPECT_NE(end.summary.find("40 of 100 bytes"), std::string::npos) << end.summary;
    }
}

TEST_F(CtrlSimPlainSend, OnlyAnXonAfterTheDc2IsOnTheLineAnswersIt)
{
    PlainSendSettings settings;
    settings.dc2First = true;
    settings.startDelay = milliseconds(100);
    auto session = sender(settings, "O2000\r\n");
    session->start(at(0));
    // The PC's own XON as its window starts asks for nothing: the control has not asked.
    session->received(std::string(1, kDc1), at(50));
    EXPECT_FALSE(session->hasOutput(at(99)));
    EXPECT_EQ(session->takeOutput(100, at(100)), "\x12");  // alone, though 100 may go
    // Still waiting to be written: an XON now crossed it on the line.
    session->received(std::string(1, kDc1), at(100));
    session->written(1, at(101));
    EXPECT_FALSE(session->hasOutput(at(101)));
    EXPECT_FALSE(session->done(at(101)));

    session->received(std::string(1, kDc1), at(150));
    EXPECT_EQ(sendOut(*session, 100, at(150)), "O2000\r\n");
    EXPECT_TRUE(session->done(at(150)));
    const SessionEnd end = session->end(EndCause::Done, at(150));
    EXPECT_EQ(end.exitCode, 0);
    EXPECT_NE(end.summary.find("sent 7 bytes"), std::string::npos) << end.summary;
}

TEST_F(CtrlSimPlainSend, WaitingForXonAndAskingFirstTakesTwoXons)
{
    PlainSendSettings settings;
    settings.waitForXon = true;
    settings.dc2First = true;
    auto session = sender(settings, "O2000\r\n");
    session->start(at(0));
    EXPECT_FALSE(session->hasOutput(at(60000)));
    session->received(std::string(1, kDc1), at(60000));
    EXPECT_EQ(sendOut(*session, 100, at(60000)), "\x12");
    EXPECT_EQ(sendOut(*session, 100, at(60001)), "");
    session->received(std::string(1, kDc1), at(60002));
    EXPECT_EQ(sendOut(*session, 100, at(60002)), "O2000\r\n");
}

// --- echo ---------------------------------------------------------------------------

TEST(CtrlSimPlainEcho, FlowCharactersHoldTheEchoOnlyWithXonXoff)
{
    const std::string input = "G01" + std::string(1, kDc3) + "X1" + std::string(1, kDc1);

    PlainEcho plain(false);
    plain.received(input, at(0));
    EXPECT_EQ(plain.takeOutput(100, at(0)), input);

    PlainEcho paced(true);
    paced.received(input.substr(0, 4), at(0));  // "G01" and DC3
    EXPECT_FALSE(paced.hasOutput(at(0)));
    // Held, it still reads, so that the DC1 gets through; what overflows its buffer is lost.
    paced.received(std::string(5000, 'Y'), at(0));
    EXPECT_GT(paced.inputRoom(at(0)), 0u);
    paced.received(input.substr(4), at(0));
    const std::string echoed = paced.takeOutput(10000, at(0));
    EXPECT_EQ(echoed.size(), 4096u);
    EXPECT_EQ(echoed.substr(0, 4), "G01Y");
    EXPECT_NE(paced.end(EndCause::Stopped, at(0)).summary.find("lost"), std::string::npos);
}

}  // namespace
}  // namespace quillon::ctrlsim
