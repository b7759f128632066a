// How the core asks the user for a file or folder, without knowing of windows.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillon {

struct FilePrompt {
    std::string title;
    std::string directory;  // where the dialog starts
    std::string fileName;   // proposed name
    // The filter in its stored form: pairs of description and patterns separated by
    // "|", ended by "||", for example "DirLog file (*.sys)|*.sys||".
    std::string filter;
};

struct FileFilterEntry {
    std::string description;
    std::vector<std::string> patterns;  // "*.sys"; ";"-separated patterns are split
};

// The entries of a stored filter; an incomplete trailing pair is ignored.
std::vector<FileFilterEntry> parseFileFilter(std::string_view filter);

class FilePrompter {
public:
    virtual ~FilePrompter() = default;
    virtual std::optional<std::string> openFile(const FilePrompt& prompt) = 0;
    virtual std::optional<std::string> saveFile(const FilePrompt& prompt) = 0;
    virtual std::optional<std::string> chooseFolder(const FilePrompt& prompt) = 0;
};

// Answers from a script and records the prompts; for tests. An exhausted script
// answers as a cancelled dialog.
class ScriptedFilePrompter final : public FilePrompter {
public:
    std::optional<std::string> openFile(const FilePrompt& prompt) override;
    std::optional<std::string> saveFile(const FilePrompt& prompt) override;
    std::optional<std::string> chooseFolder(const FilePrompt& prompt) override;

    void script(std::optional<std::string> answer) { m_answers.push_back(std::move(answer)); }
    const std::vector<FilePrompt>& prompts() const { return m_prompts; }

private:
    std::optional<std::string> answer(const FilePrompt& prompt);

    std::vector<FilePrompt> m_prompts;
    std::deque<std::optional<std::string>> m_answers;
};

}  // namespace quillon
