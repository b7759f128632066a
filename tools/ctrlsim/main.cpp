// quillonlt-ctrlsim: a simulated CNC control on the other end of a serial line.
#include <signal.h>

#include <cerrno>
#include <iostream>

#include "ctrlsim/CtrlSim.h"
#include "ctrlsim/StopRequest.h"

namespace {

quillon::ctrlsim::StopRequest* g_stop = nullptr;

extern "C" void requestStop(int)
{
    const int saved = errno;
    if (g_stop)
        g_stop->request();
    errno = saved;
}

// Ctrl+C, kill and a closed terminal end the exchange the way the line closing does: what
// was received is stored. Without SA_RESTART, so that a wait in the driver (tcdrain with
// CTS low) is cut short too.
void installStopHandlers()
{
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    // Standard output may be a pipe that a script closed after reading the path.
    ::signal(SIGPIPE, SIG_IGN);
}

}  // namespace

int main(int argc, char** argv)
{
    quillon::ctrlsim::StopRequest stop;
    g_stop = &stop;
    installStopHandlers();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return quillon::ctrlsim::ctrlSimMain(arguments, std::cout, std::cerr, stop);
}
