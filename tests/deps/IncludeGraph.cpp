#include "deps/IncludeGraph.h"

#include <algorithm>
#include <deque>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>

namespace quillon::deps {

FolderRules repositoryRules()
{
    FolderRules rules;
    // The GUI program's application object and main frame, and the command-line program's
    // start-up: the places where the editor, the plot windows, the port windows and the
    // calculators meet, each through a small interface of its own.
    rules.compositionRoots = {"app/ui", "cli/ui"};
    // Message boxes, file dialogs, Latin-1 text, fonts and colours for every window; the
    // chart component for every window that draws a chart.
    rules.sharedUiBases = {"platform/ui", "charting"};
    return rules;
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool isUiLevel(const std::string& folder)
{
    const auto slash = folder.rfind('/');
    const std::string last = slash == std::string::npos ? folder : folder.substr(slash + 1);
    return last == "ui" || folder == "charting";
}

namespace {

// "dnc/ui" and "dnc" are one subsystem; the chart component is one of its own.
std::string subsystemOf(const std::string& folder)
{
    const auto slash = folder.rfind('/');
    if (slash != std::string::npos && folder.substr(slash + 1) == "ui")
        return folder.substr(0, slash);
    return folder == "ui" ? std::string() : folder;
}

bool contains(const std::vector<std::string>& list, const std::string& item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

std::string where(const IncludeLine& include)
{
    return "src/" + include.file + ":" + std::to_string(include.lineNumber) + ": " + include.text;
}

using Graph = std::map<std::string, std::set<std::string>>;
using Arrow = std::pair<std::string, std::string>;

// The strongly connected components of more than one folder (Tarjan).
std::vector<std::set<std::string>> tangles(const Graph& graph)
{
    std::map<std::string, int> index;
    std::map<std::string, int> lowLink;
    std::set<std::string> onStack;
    std::vector<std::string> stack;
    std::vector<std::set<std::string>> result;
    int next = 0;

    std::function<void(const std::string&)> visit = [&](const std::string& folder) {
        index[folder] = lowLink[folder] = next++;
        stack.push_back(folder);
        onStack.insert(folder);
        if (const auto arrows = graph.find(folder); arrows != graph.end()) {
            for (const std::string& to : arrows->second) {
                if (!index.contains(to)) {
                    visit(to);
                    lowLink[folder] = std::min(lowLink[folder], lowLink[to]);
                } else if (onStack.contains(to)) {
                    lowLink[folder] = std::min(lowLink[folder], index[to]);
                }
            }
        }
        if (lowLink[folder] != index[folder])
            return;
        std::set<std::string> component;
        std::string member;
        do {
            member = stack.back();
            stack.pop_back();
            onStack.erase(member);
            component.insert(member);
        } while (member != folder);
        if (component.size() > 1)
            result.push_back(std::move(component));
    };
    for (const auto& [folder, arrows] : graph) {
        if (!index.contains(folder))
            visit(folder);
    }
    return result;
}

// The shortest way round from the first folder of a component back to it.
std::vector<std::string> cycleIn(const Graph& graph, const std::set<std::string>& component)
{
    const std::string& start = *component.begin();
    std::map<std::string, std::string> cameFrom;
    std::deque<std::string> queue{start};
    while (!queue.empty()) {
        const std::string folder = queue.front();
        queue.pop_front();
        for (const std::string& to : graph.at(folder)) {
            if (!component.contains(to))
                continue;
            if (to == start) {
                std::vector<std::string> cycle{start};
                for (std::string at = folder; at != start; at = cameFrom[at])
                    cycle.insert(cycle.begin() + 1, at);
                cycle.push_back(start);
                return cycle;
            }
            if (!cameFrom.contains(to)) {
                cameFrom[to] = folder;
                queue.push_back(to);
            }
        }
    }
    return {};
}

}  // namespace

std::vector<IncludeLine> readIncludes(const std::filesystem::path& srcDir)
{
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(srcDir)) {
        const auto extension = entry.path().extension();
        if (entry.is_regular_file() && (extension == ".h" || extension == ".cpp"))
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());

    static const std::regex includeLine(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    static const std::regex qtHeader(R"(^Q[A-Za-z])");
    std::vector<IncludeLine> result;
    for (const fs::path& file : files) {
        const std::string relative = fs::relative(file, srcDir).generic_string();
        std::ifstream in(file);
        std::string text;
        int lineNumber = 0;
        while (std::getline(in, text)) {
            ++lineNumber;
            std::smatch match;
            if (!std::regex_search(text, match, includeLine))
                continue;
            IncludeLine include{relative, lineNumber, text, {}, false};
            const std::string path = match[2];
            if (match[1] == "<") {
                include.qt = std::regex_search(path, qtHeader);
            } else if (fs::exists(srcDir / path)) {
                include.target = folderOf(path);
            } else if (fs::exists(file.parent_path() / path)) {
                include.target = folderOf(relative);
            }
            result.push_back(std::move(include));
        }
    }
    return result;
}

std::vector<std::string> checkIncludes(const std::vector<IncludeLine>& includes,
                                       const FolderRules& rules)
{
    std::vector<std::string> problems;
    Graph graph;
    std::map<Arrow, const IncludeLine*> firstInclude;
    std::set<Arrow> seenKnown;

    for (const IncludeLine& include : includes) {
        const std::string from = folderOf(include.file);
        if (include.qt && !isUiLevel(from))
            problems.push_back(where(include) + ": the core folder " + from + " includes Qt");
        const std::string& to = include.target;
        if (to.empty() || to == from)
            continue;
        if (!isUiLevel(from) && isUiLevel(to)) {
            problems.push_back(where(include) + ": the core folder " + from +
                               " includes the ui-level folder " + to);
        } else if (isUiLevel(from) && isUiLevel(to) && subsystemOf(from) != subsystemOf(to) &&
                   !contains(rules.compositionRoots, from) && !contains(rules.sharedUiBases, to)) {
            problems.push_back(where(include) + ": " + from + " includes another subsystem's " +
                               to + "; only a composition root may");
        }
        const Arrow arrow{from, to};
        const bool known = std::any_of(
            rules.knownArrows.begin(), rules.knownArrows.end(),
            [&](const KnownArrow& entry) { return entry.from == from && entry.to == to; });
        if (known) {
            seenKnown.insert(arrow);
            continue;
        }
        graph[from].insert(to);
        graph[to];
        firstInclude.emplace(arrow, &include);
    }

    for (const std::set<std::string>& component : tangles(graph)) {
        const std::vector<std::string> cycle = cycleIn(graph, component);
        std::string message = "folder cycle:";
        for (std::size_t i = 0; i < cycle.size(); ++i)
            message += (i == 0 ? " " : " -> ") + cycle[i];
        for (std::size_t i = 0; i + 1 < cycle.size(); ++i)
            message += "\n    " + where(*firstInclude.at({cycle[i], cycle[i + 1]}));
        problems.push_back(std::move(message));
    }
    for (const KnownArrow& entry : rules.knownArrows) {
        if (!seenKnown.contains({entry.from, entry.to})) {
            problems.push_back("the tolerated arrow " + entry.from + " -> " + entry.to +
                               " is gone: delete its entry from the rules");
        }
    }
    return problems;
}

}  // namespace quillon::deps
