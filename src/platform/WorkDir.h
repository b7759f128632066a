// The working directory: the one folder that holds every settings and hand-off file.
//
// It is $QUILLONLT_HOME when set, else ~/_QuillonLT/ (C:\_QuillonLT\ on Windows). The
// temporary folder _TMP/ lies inside it, and the second settings folder _Pellow/ beside
// it. File names and formats are those of the Windows installation, so its files can be
// copied in as they are.
#pragma once

#include <string>
#include <string_view>

namespace quillon {

class WorkDir {
public:
    // From $QUILLONLT_HOME, else the home folder's _QuillonLT.
    static WorkDir fromEnvironment();

    explicit WorkDir(std::string_view root);

    // The folder with a trailing "/".
    const std::string& root() const { return m_root; }
    // The folder without the trailing "/", as the editor default path shows it.
    std::string rootWithoutSeparator() const;
    // _TMP/ inside, with a trailing "/".
    std::string tmp() const;
    // The sibling folder _Pellow/ that the port setups fall back to.
    std::string secondSettingsFolder() const;

    std::string file(std::string_view name) const;
    std::string tmpFile(std::string_view name) const;

    // Creates the folder and _TMP/ when missing; true when both exist afterwards.
    bool ensureTree() const;

private:
    std::string m_root;
};

}  // namespace quillon
