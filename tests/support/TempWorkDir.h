// A working directory in a fresh temporary folder, named in QUILLONLT_HOME while it lives.
#pragma once

#include <string>
#include <string_view>

#include "platform/WorkDir.h"

namespace quillon::test {

class TempWorkDir {
public:
    TempWorkDir();
    ~TempWorkDir();
    TempWorkDir(const TempWorkDir&) = delete;
    TempWorkDir& operator=(const TempWorkDir&) = delete;

    const WorkDir& workDir() const { return m_workDir; }
    // The temporary folder that holds the working directory (and _Pellow beside it).
    const std::string& base() const { return m_base; }

    std::string path(std::string_view name) const { return m_workDir.file(name); }
    void write(std::string_view name, std::string_view bytes) const;
    std::string read(std::string_view name) const;
    bool exists(std::string_view name) const;

private:
    std::string m_base;
    WorkDir m_workDir;
};

// Writes bytes to a file (created or replaced); for fixtures.
void writeBytes(const std::string& path, std::string_view bytes);

// Writes a file of a hub folder (ending in "/") named as the hub names it
// ("_TMP\MonitorData25.SYS_"), with the folders it needs; its full path.
std::string writeHubFile(const std::string& hubDirectory, std::string relative,
                         std::string_view bytes);

}  // namespace quillon::test
