// The datagrams sent to the hub: identity, words, machine requests and status changes.
#include "monitoring/Datagrams.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Ipv4Address.h"

namespace quillon {
namespace {

std::string nul(std::string text)
{
    text += '\0';
    return text;
}

TEST(DatagramsTest, TheIdentityIsTheSignedDecimalOfTheLocalAddress)
{
    EXPECT_EQ(clientIdentity(ipv4Of(10, 0, 0, 5)), "167772165");
    EXPECT_EQ(clientIdentity(ipv4Of(192, 168, 1, 10)), "-1062731510");
}

TEST(DatagramsTest, EveryDatagramIsItsTextAndOneNul)
{
    const std::int32_t local = ipv4Of(10, 0, 0, 5);
    const MachineSlot hub11port3{11, 3};
    struct Row {
        const char* scenario;
        std::string datagram;
        std::string expected;
    };
    const Row rows[] = {
        {"machine view", wordDatagram(kMachineViewWord, local), "MCH_VIEW,167772165"},
        {"machine update", wordDatagram(kMachineUpdateWord, local), "_MCHUPDATE,167772165"},
        {"machine disconnect", wordDatagram(kMachineDisconnectWord, local),
         "MCH_DISCONNECT,167772165"},
        {"remote view", wordDatagram(kRemoteViewWord, local), "REMOTE_VIEW,167772165"},
        {"remote disconnect", wordDatagram(kRemoteDisconnectWord, local),
         "REMOTE_DISCONNECT,167772165"},
        {"record request, hub in hexadecimal",
         machineRequestDatagram(kRecordRequestWord, local, hub11port3), "_UPDATE,167772165,b,3"},
        {"status list request", machineRequestDatagram(kStatusListRequestWord, local, {15, 7}),
         "_GETMON_LIST,167772165,f,7"},
        {"status change", setStatusDatagram(local, {0, 0}, "CYCLE OFF"),
         "_SETMON_STATUS,167772165,0,0,CYCLE OFF"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.datagram, nul(row.expected)) << row.scenario;
}

TEST(DatagramsTest, SetupFormsForOneAndTwoStations)
{
    const std::int32_t local = ipv4Of(192, 168, 1, 10);
    SetupChange single;
    single.partNumber1 = "P-77";
    single.partNumber2 = "IGNORED";
    single.minCycle1 = 60;
    single.maxCycle1 = 138;
    single.minCycle2 = 60;
    single.maxCycle2 = 138;
    single.pieces1 = 0;
    single.pieces2 = 250;
    EXPECT_EQ(setupDatagram(local, {2, 6}, single),
              nul("_SETMON_STATUS,-1062731510,2,6,SETUP,P-77,60,138,60,138, ,1,100,"));

    SetupChange pair = single;
    pair.twoStations = true;
    pair.partNumber2 = "P-78";
    pair.minCycle2 = 30;
    pair.maxCycle2 = 40;
    pair.pieces1 = 2;
    pair.pieces2 = 4;
    EXPECT_EQ(setupDatagram(local, {10, 1}, pair),
              nul("_SETMON_STATUS,-1062731510,a,1,SETUP,P-77,60,138,30,40,P-78,2,4,"));
}

TEST(DatagramsTest, TypedTextCannotShiftTheFieldsOrEndTheDatagram)
{
    SetupChange change;
    change.partNumber1 = std::string("A,B") + '\0' + "C";
    const std::string datagram = setupDatagram(ipv4Of(10, 0, 0, 5), {0, 1}, change);
    EXPECT_NE(datagram.find(",SETUP,ABC,"), std::string::npos);
    EXPECT_EQ(std::count(datagram.begin(), datagram.end(), '\0'), 1);
    EXPECT_EQ(std::count(datagram.begin(), datagram.end(), ','), 13);
}

}  // namespace
}  // namespace quillon
