// quillonlt-cli: the QuillonLT core from the shell.
//
// The start-up lives beside the picture writers: the commands know nothing of Qt, and the
// commands that draw get their writers handed in here.
#include <iostream>

#include "cli/CliCommands.h"
#include "cli/ui/CliBoardServe.h"
#include "cli/ui/CliOeeImage.h"
#include "cli/ui/CliPlotImage.h"
#include "cli/ui/CliReportImage.h"

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    quillon::cli::setPlotImageWriter(quillon::cli::writePlotImageFile);
    quillon::cli::setReportImageWriter(quillon::cli::writeReportImageFile);
    quillon::cli::setOeeImageWriter(quillon::cli::writeOeeImageFile);
    quillon::cli::setBoardServeRunner(quillon::cli::serveBoard);
    return quillon::cli::run(arguments, std::cout, std::cerr);
}
