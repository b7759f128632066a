#include "app/SettingsLock.h"

#include "platform/FileAttributes.h"
#include "platform/TextFile.h"
#include "platform/WorkDir.h"

namespace quillon {

bool settingsLockActive(const WorkDir& workDir)
{
    return fileExists(workDir.file(kPasswordFile));
}

std::string decodeStoredPassword(std::string_view stored)
{
    std::string decoded(stored);
    for (auto& c : decoded)
        c = static_cast<char>(static_cast<unsigned char>(c) + 1);
    return decoded;
}

PasswordVerdict checkPassword(const WorkDir& workDir, std::string_view typed)
{
    const auto bytes = readFile(workDir.file(kPasswordFile));
    if (!bytes)
        return PasswordVerdict::Accepted;
    LineReader reader(*bytes, kPasswordLineLimit);
    const auto stored = reader.next();
    if (!stored)
        return PasswordVerdict::Accepted;
    if (typed.empty())
        return PasswordVerdict::NoPasswordEntered;
    return decodeStoredPassword(*stored) == typed ? PasswordVerdict::Accepted
                                                  : PasswordVerdict::BadPassword;
}

}  // namespace quillon
