#include "support/TempWorkDir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/FileAttributes.h"
#include "platform/TextFile.h"

namespace quillon::test {

namespace {

std::string makeBase()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quillon-test-XXXXXX");
    if (!::mkdtemp(pattern.data()))
        std::abort();
    return pattern;
}

}  // namespace

TempWorkDir::TempWorkDir() : m_base(makeBase()), m_workDir(m_base + "/_QuillonLT")
{
    m_workDir.ensureTree();
    ::setenv("QUILLONLT_HOME", m_workDir.root().c_str(), 1);
}

TempWorkDir::~TempWorkDir()
{
    ::unsetenv("QUILLONLT_HOME");
    std::error_code ignored;
    std::filesystem::remove_all(m_base, ignored);
}

void TempWorkDir::write(std::string_view name, std::string_view bytes) const
{
    writeBytes(path(name), bytes);
}

std::string TempWorkDir::read(std::string_view name) const
{
    return readFile(path(name)).value_or("<missing>");
}

bool TempWorkDir::exists(std::string_view name) const
{
    return fileExists(path(name));
}

void writeBytes(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string writeHubFile(const std::string& hubDirectory, std::string relative,
                         std::string_view bytes)
{
    std::ranges::replace(relative, '\\', '/');
    const std::filesystem::path path = hubDirectory + relative;
    std::filesystem::create_directories(path.parent_path());
    writeBytes(path.string(), bytes);
    return path.string();
}

}  // namespace quillon::test
