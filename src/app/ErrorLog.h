// The yearly error log ErrorLog-YYYY.sys: the link and the hub's file readers write
// their troubles there instead of to the screen.
#pragma once

#include <string>
#include <string_view>

namespace quillon {

class Clock;
class WorkDir;

// The line written for a message about a machine (hub and port from 0; -2 for none, which
// shows as -1): message, ", HUB: " hub + 1, ", PORT: " port + 1, ",", the local time as
// " %m/%d/%y  %H:%M:%S".
std::string errorLogLine(std::string_view message, int hub, int port, long long seconds);

// Appends the line (with a line end) to ErrorLog-<year>.sys of the working directory.
void appendErrorLog(const WorkDir& workDir, const Clock& clock, std::string_view message, int hub,
                    int port);

}  // namespace quillon
