// quillonlt-cli: the QuillonLT core from the shell.
//
// The start-up lives beside the picture writers: the commands know nothing of Qt, and the
// commands that draw get their writers handed in here.
#include <cerrno>
#include <cstdio>
#include <iostream>

#include "cli/CliCommands.h"
#include "cli/ui/CliBoardServe.h"
#include "cli/ui/CliOeeImage.h"
#include "cli/ui/CliPlotImage.h"
#include "cli/ui/CliReportImage.h"
#include "platform/SystemError.h"

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    quillon::cli::setPlotImageWriter(quillon::cli::writePlotImageFile);
    quillon::cli::setReportImageWriter(quillon::cli::writeReportImageFile);
    quillon::cli::setOeeImageWriter(quillon::cli::writeOeeImageFile);
    quillon::cli::setBoardServeRunner(quillon::cli::serveBoard);
    const int code = quillon::cli::run(arguments, std::cout, std::cerr);
    // Output that never reached its file (a redirection onto a full disk) must not pass for
    // a command that went through: the last of it only leaves here.
    std::cout.flush();
    const bool flushed = std::fflush(stdout) == 0;
    // A write that failed before keeps its number unless something since replaced it.
    const int error = errno != 0 ? errno : EIO;
    if (flushed && !std::ferror(stdout) && std::cout)
        return code;
    std::cerr << "quillonlt-cli: standard output: " << quillon::errnoText(error) << '\n';
    return code == 0 ? 1 : code;
}
