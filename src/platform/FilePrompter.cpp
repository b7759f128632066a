#include "platform/FilePrompter.h"

namespace quillon {

std::vector<FileFilterEntry> parseFileFilter(std::string_view filter)
{
    std::vector<std::string_view> fields;
    while (!filter.empty()) {
        const auto bar = filter.find('|');
        fields.push_back(filter.substr(0, bar));
        if (bar == std::string_view::npos)
            break;
        filter.remove_prefix(bar + 1);
    }
    std::vector<FileFilterEntry> entries;
    for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
        if (fields[i].empty())
            break;  // the "||" that ends the filter
        FileFilterEntry entry{std::string(fields[i]), {}};
        std::string_view patterns = fields[i + 1];
        while (!patterns.empty()) {
            const auto semicolon = patterns.find(';');
            if (const auto pattern = patterns.substr(0, semicolon); !pattern.empty())
                entry.patterns.emplace_back(pattern);
            if (semicolon == std::string_view::npos)
                break;
            patterns.remove_prefix(semicolon + 1);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::optional<std::string> ScriptedFilePrompter::answer(const FilePrompt& prompt)
{
    m_prompts.push_back(prompt);
    if (m_answers.empty())
        return std::nullopt;
    auto result = std::move(m_answers.front());
    m_answers.pop_front();
    return result;
}

std::optional<std::string> ScriptedFilePrompter::openFile(const FilePrompt& prompt)
{
    return answer(prompt);
}

std::optional<std::string> ScriptedFilePrompter::saveFile(const FilePrompt& prompt)
{
    return answer(prompt);
}

std::optional<std::string> ScriptedFilePrompter::chooseFolder(const FilePrompt& prompt)
{
    return answer(prompt);
}

}  // namespace quillon
