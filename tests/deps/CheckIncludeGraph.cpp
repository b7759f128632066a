// Fails when the #include lines under the given src/ folder break a folder rule; prints one
// line per broken rule, naming the file and the include.
#include <iostream>

#include "deps/IncludeGraph.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: check_include_graph SRC_DIR\n";
        return 2;
    }
    const auto includes = quillon::deps::readIncludes(argv[1]);
    if (includes.empty()) {
        std::cerr << argv[1] << ": no include lines found\n";
        return 1;
    }
    const auto problems = quillon::deps::checkIncludes(includes, quillon::deps::repositoryRules());
    for (const std::string& problem : problems)
        std::cerr << problem << '\n';
    if (!problems.empty())
        return 1;
    std::cout << includes.size() << " include lines keep the folder rules\n";
    return 0;
}
