// Receiving a program where the disk fills up or the folder may not be written: the
// reception fails with the cause shown, an existing program comes back byte for byte, and
// no part of the new one or work file is left to pass for a program.
#include <gtest/gtest.h>

#include "dnc/ReceiveEngine.h"
#include "faults/FaultTestSupport.h"
#include "support/FakeSerialLine.h"

namespace quillon {
namespace {

// A HEIDENHAIN frame: the first byte, the data, ETB and the block check.
std::string heidenhainFrame(char first, const std::string& data)
{
    const std::string bytes = first + data + "\x17";
    char check = 0;
    for (const char byte : bytes)
        check = static_cast<char>(check ^ byte);
    return bytes + static_cast<char>(check & 0x7F);
}

// What the control sends, a tick's worth at a time: far more than a full disk has room for.
std::vector<std::string> plainPieces()
{
    const std::string program = test::ncProgram(3000);
    std::vector<std::string> pieces;
    for (std::size_t at = 0; at < program.size(); at += 4096)
        pieces.push_back(program.substr(at, 4096));
    return pieces;
}

std::vector<std::string> heidenhainPieces()
{
    std::vector<std::string> pieces{heidenhainFrame('\x01', "%1000")};
    for (int tick = 0; tick < 30; ++tick) {
        std::string piece;
        for (int block = 0; block < 100; ++block)
            piece +=
                heidenhainFrame('\x02', "L X+" + std::to_string(tick * 100 + block) + " FMAX");
        pieces.push_back(piece);
    }
    return pieces;
}

class ReceiveFaults : public test::FolderFaultTest {};

TEST_P(ReceiveFaults, TheReceptionFailsWithTheCauseAndTheOldProgramStays)
{
    folder.write("O1000.NC", test::ncProgram(500, "Y"));
    const auto before = folder.contents();
    struct Case {
        const char* scenario;
        Handshake handshake;
        const char* target;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        {"plain reception over a program", Handshake::XonXoff, "O1000.NC", plainPieces()},
        {"plain reception of a new program", Handshake::XonXoff, "O2000.NC", plainPieces()},
        {"HEIDENHAIN blocks over a program", Handshake::Heidenhain, "O1000.NC",
         heidenhainPieces()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scenario);
        const std::string outcome = folder.run([&] {
            ReceiveJob job;
            job.setup = PortSetup::defaults(0);
            job.setup.handshake = c.handshake;
            job.path = folder.file(c.target);
            test::FakeSerialLine line;
            test::MessageObserver observer;
            ReceiveEngine engine(job, line, observer);
            engine.start();
            ExchangeOutcome outcome = ExchangeOutcome::Running;
            for (const std::string& piece : c.pieces) {
                line.send(piece);
                outcome = engine.tick();
                if (outcome != ExchangeOutcome::Running)
                    break;
            }
            return std::string(outcome == ExchangeOutcome::Failed ? "failed|" : "went on|") +
                   observer.message;
        });
        EXPECT_TRUE(outcome.starts_with("failed|")) << outcome;
        EXPECT_NE(outcome.find(test::reasonShown(GetParam())), std::string::npos) << outcome;
        EXPECT_NE(outcome.find(folder.file(c.target)), std::string::npos) << outcome;
        EXPECT_EQ(test::changes(before, folder.contents()), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, ReceiveFaults, ::testing::ValuesIn(test::kAllFolderFaults),
                         test::folderFaultName);

}  // namespace
}  // namespace quillon
