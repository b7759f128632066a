#include "app/HandOff.h"

#include <algorithm>

#include "platform/AtomicFile.h"
#include "platform/FileAttributes.h"
#include "platform/TextFile.h"
#include "platform/WorkDir.h"

namespace quillon {

namespace {

std::optional<std::string> takeFirstLine(const std::string& path, std::size_t limit)
{
    const auto bytes = readFile(path);
    if (!bytes)
        return std::nullopt;
    removeFile(path);
    LineReader reader(*bytes, limit);
    const auto line = reader.next();
    return std::string(line.value_or(std::string_view{}));
}

}  // namespace

std::string commandLineText(const std::vector<std::string>& arguments)
{
    std::string line;
    for (const auto& argument : arguments) {
        if (!line.empty())
            line += ' ';
        line += '"';
        line += argument;
        line += '"';
    }
    return line;
}

void appendCommandLine(const WorkDir& workDir, std::string_view commandLine)
{
    std::string bytes(commandLine);
    bytes += "\r\n";
    appendToFile(workDir.file(kCommandFile), bytes);
}

std::optional<FileArgument> fileArgument(const std::vector<std::string>& arguments)
{
    const auto file = std::find_if(arguments.begin(), arguments.end(), [](const auto& arg) {
        return !arg.empty() && arg.front() != '-';
    });
    if (file == arguments.end())
        return std::nullopt;
    if (const auto marker = file->find(kTransmitMarker); marker != std::string::npos)
        return FileArgument{file->substr(marker + kTransmitMarker.size()), true};
    return FileArgument{*file, false};
}

bool writeDropIn(const WorkDir& workDir, std::string_view fileName)
{
    return writeLinesCrLf(workDir.file(kDropInFile), {std::string(fileName)}).ok;
}

bool writeTransmitHandOff(const WorkDir& workDir, std::string_view fileText)
{
    return writeLinesCrLf(workDir.file(kTransmitHandOffFile), {std::string(fileText)}).ok;
}

std::optional<std::string> takeDropIn(const WorkDir& workDir)
{
    return takeFirstLine(workDir.file(kDropInFile), kDropInLineLimit);
}

std::string takeTransmitHandOff(const WorkDir& workDir)
{
    return takeFirstLine(workDir.file(kTransmitHandOffFile), kPendingTransmitLimit)
        .value_or(std::string{});
}

std::string PendingTransmitFile::path() const
{
    std::string result = m_text;
    std::replace(result.begin(), result.end(), '?', ' ');
    return result;
}

}  // namespace quillon
