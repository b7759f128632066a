#include "app/MarginsSettings.h"

#include <functional>
#include <vector>

#include "platform/TextFile.h"
#include "platform/WorkDir.h"

namespace quillon {

namespace {

// One line of the file: how it is read and how it is written, in file order.
struct MarginsLine {
    std::function<void(MarginsSettings&, std::string_view)> read;
    std::function<std::string(const MarginsSettings&)> write;
};

MarginsLine textLine(std::string MarginsSettings::*field)
{
    return {[field](MarginsSettings& s, std::string_view line) { s.*field = line; },
            [field](const MarginsSettings& s) { return s.*field; }};
}

MarginsLine flagLine(bool MarginsSettings::*field)
{
    return {[field](MarginsSettings& s, std::string_view line) {
                s.*field = line.empty() || line.front() != '0';
            },
            [field](const MarginsSettings& s) { return std::string(s.*field ? "1" : "0"); }};
}

const std::vector<MarginsLine>& marginsLines()
{
    using S = MarginsSettings;
    static const std::vector<MarginsLine> lines = {
        textLine(&S::editorDefaultPath),
        textLine(&S::leftMargin),
        textLine(&S::rightMargin),
        textLine(&S::topMargin),
        textLine(&S::bottomMargin),
        flagLine(&S::printHeader),
        flagLine(&S::startMinimized),
        flagLine(&S::printFullPath),
        flagLine(&S::rememberEditorDirectory),
        flagLine(&S::scrollAllWithWheel),
        {[](S& s, std::string_view line) { s.localIpAddress = leadingInt32(line); },
         [](const S& s) { return std::to_string(s.localIpAddress); }},
        flagLine(&S::detailedFileOpenWindow),
        flagLine(&S::offerTransfer),
        flagLine(&S::scrollAllWithScrollBar),
        flagLine(&S::printPageNumbers),
        flagLine(&S::printTwoColumns),
        flagLine(&S::monthlyCsv),
        flagLine(&S::remoteFullPath),
    };
    return lines;
}

}  // namespace

MarginsSettings MarginsSettings::defaults(const WorkDir& workDir)
{
    MarginsSettings settings;
    settings.editorDefaultPath = workDir.rootWithoutSeparator();
    return settings;
}

void parseMargins(std::string_view bytes, MarginsSettings& settings)
{
    LineReader reader(bytes);
    for (const auto& line : marginsLines()) {
        const auto text = reader.next();
        if (!text)
            return;
        line.read(settings, *text);
    }
}

MarginsSettings readMarginsFile(const WorkDir& workDir)
{
    MarginsSettings settings = MarginsSettings::defaults(workDir);
    if (const auto bytes = readFile(workDir.file(kMarginsFile)))
        parseMargins(*bytes, settings);
    return settings;
}

std::string formatMargins(const MarginsSettings& settings)
{
    std::vector<std::string> lines;
    for (const auto& line : marginsLines())
        lines.push_back(line.write(settings));
    return joinLinesCrLf(lines);
}

WriteResult writeMarginsFile(const WorkDir& workDir, const MarginsSettings& settings)
{
    return replaceFileAtomically(workDir.file(kMarginsFile), formatMargins(settings));
}

}  // namespace quillon
