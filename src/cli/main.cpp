// quillonlt-cli: the QuillonLT core from the shell.
#include <iostream>

#include "cli/CliCommands.h"
#include "cli/ui/CliPlotImage.h"

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    quillon::cli::setPlotImageWriter(quillon::cli::writePlotImageFile);
    return quillon::cli::run(arguments, std::cout, std::cerr);
}
