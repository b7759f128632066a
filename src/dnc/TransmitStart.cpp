#include "dnc/TransmitStart.h"

namespace quillon {

FilePrompt transmitFilePrompt(const PortSetup& setup, const std::string& pendingPath,
                              const std::string& editedFile, bool fanucProgram)
{
    FilePrompt prompt;
    prompt.filter = kTxFileFilter;
    if (setup.handshake == Handshake::FanucDnc) {
        prompt.title = fanucProgram ? "Select PROGRAM file.." : "Select SETUP file..";
        prompt.directory = setup.txDirectory;
        return prompt;
    }
    prompt.title = "Transmit on " + setup.name;
    if (!pendingPath.empty())
        prompt.fileName = pendingPath;
    else if (!editedFile.empty())
        prompt.fileName = editedFile;
    else
        prompt.directory = setup.txDirectory;
    return prompt;
}

FilePrompt repositioningFilePrompt(const PortSetup& setup)
{
    return {"Transmit on RS232..", setup.txDirectory, "", kTxFileFilter};
}

}  // namespace quillon
