#include "dnc/ReceiveStart.h"

namespace quillon {

FilePrompt receiveFilePrompt(const PortSetup& setup, bool fanucProgram)
{
    FilePrompt prompt;
    prompt.filter = kRxFileFilter;
    prompt.directory = setup.rxDirectory;
    if (setup.handshake == Handshake::FanucDnc)
        prompt.title = fanucProgram ? "Specify PROGRAM file.." : "Specify SETUP file..";
    else
        prompt.title = "Receive on " + setup.name;
    return prompt;
}

FilePrompt receiveSetupFilePrompt(const std::string& folder)
{
    return {"Specify SETUP file..", folder, "", kRxFileFilter};
}

}  // namespace quillon
