// quillonlt-cli: the QuillonLT core from the shell.
//
// The start-up lives beside the picture writer: the commands know nothing of Qt, and the
// one command that draws gets its writer handed in here.
#include <iostream>

#include "cli/CliCommands.h"
#include "cli/ui/CliPlotImage.h"

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    quillon::cli::setPlotImageWriter(quillon::cli::writePlotImageFile);
    return quillon::cli::run(arguments, std::cout, std::cerr);
}
