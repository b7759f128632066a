#include "platform/WorkDir.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/FileAttributes.h"
#include "platform/Paths.h"

namespace quillon {

namespace {

constexpr std::string_view kHomeVariable = "QUILLONLT_HOME";
constexpr std::string_view kDefaultFolder = "_QuillonLT";
constexpr std::string_view kTmpFolder = "_TMP/";
constexpr std::string_view kSecondSettingsFolder = "_Pellow/";

std::string homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return "/tmp";
}

}  // namespace

WorkDir WorkDir::fromEnvironment()
{
    if (const char* configured = std::getenv(std::string(kHomeVariable).c_str());
        configured && *configured)
        return WorkDir(configured);
    return WorkDir(paths::join(homeFolder(), kDefaultFolder));
}

WorkDir::WorkDir(std::string_view root) : m_root(paths::normalizeSeparators(root))
{
    if (m_root.empty() || m_root.back() != '/')
        m_root += '/';
}

std::string WorkDir::rootWithoutSeparator() const
{
    return paths::withoutTrailingSeparator(m_root);
}

std::string WorkDir::tmp() const
{
    return m_root + std::string(kTmpFolder);
}

std::string WorkDir::secondSettingsFolder() const
{
    const std::string self = rootWithoutSeparator();
    return std::string(paths::directoryOf(self)) + std::string(kSecondSettingsFolder);
}

std::string WorkDir::file(std::string_view name) const
{
    return m_root + std::string(name);
}

std::string WorkDir::tmpFile(std::string_view name) const
{
    return tmp() + std::string(name);
}

bool WorkDir::ensureTree() const
{
    return makePath(m_root) && makePath(tmp());
}

}  // namespace quillon
