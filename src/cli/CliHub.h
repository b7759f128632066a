// quillonlt-cli hub: the link to the shop's hub from a shell, on the same objects as the
// monitoring windows.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quillon::cli {

inline constexpr char kHubUsage[] =
    "hub watch|machines [--seconds S] | hub lists | hub status HUB PORT [STATUS] | "
    "hub set-status --hub H --port P [--seconds S] STATUS | hub set-status --hub H --port P "
    "[--seconds S] SETUP --part P [--part2 P2] --min T --max T [--min2 T --max2 T] "
    "[--pieces N] [--pieces2 N] | hub bridge --mqtt HOST[:PORT] [--prefix TOPIC] "
    "[--client-id ID] [--user U --password-file F] [--tls-ca FILE] [--seconds S] | "
    "hub serve --http [ADDR:]PORT [--title TEXT] [--seconds S]";

// watch: subscribes like the detailed view for the machines of MonList.sys and prints a
//   line for every complete "_UPDATE:" record of them (of every machine the hub monitors
//   when the list names none):
//   HUB,PORT,NAME,STATUS,PART1,PART2,GOOD1,GOOD2,A1,P1,Q1,OEE1 (hub and port from 1).
// machines: the machine feed; after the first "_MCHUPDATE:" the 128 slots as
//   HUB,PORT,NAME,MONITORED,INCYCLE.
// Both end after S seconds (10 by default; machines earlier, with its table) and send the
// feed's disconnect as their last datagram.
// status HUB PORT: the statuses the hub lets a user set on that machine, one a line;
//   with STATUS (not SETUP, which asks for a new job), that status set.
// set-status: what the detailed view's status change sends, for the machine on hub H,
//   port P (from 1): the machine's record is fetched first, a machine in cycle or without
//   its operator is refused as the view refuses the click, then the status goes out; SETUP
//   sends the new job as the "New Part Number" entry would: times in the machine's unit
//   (minutes as m.t when the hub keeps them in minutes), anything not given as the record
//   has it, station 2 as station 1 unless given.
// bridge: publishes every monitored machine's state and events to an MQTT broker
//   (CliBridge.h).
// serve: the shop-floor board as a web page and a JSON API (CliServe.h).
// lists: the start-up reconcile of the machine lists, then MonList.sys and MonList2.sys as
//   they stand, each after a line with its name; a list that could not be rewritten is
//   named on standard error with the cause, and the command fails.
// 0 when done, 1 when the link could not be set up or nothing came or a list could not be
// rewritten, 2 on a usage error.
int runHub(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace quillon::cli
