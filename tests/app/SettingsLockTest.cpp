#include "app/SettingsLock.h"

#include <gtest/gtest.h>

#include "support/TempWorkDir.h"

namespace quillon {
namespace {

// The stored form: every character code lowered by one.
std::string encode(std::string_view password)
{
    std::string stored(password);
    for (auto& c : stored)
        c = static_cast<char>(static_cast<unsigned char>(c) - 1);
    return stored;
}

TEST(SettingsLock, WithoutPswSysThereIsNoLock)
{
    test::TempWorkDir dir;
    EXPECT_FALSE(settingsLockActive(dir.workDir()));
    dir.write(kPasswordFile, "");
    EXPECT_TRUE(settingsLockActive(dir.workDir()));
}

TEST(SettingsLock, AnEmptyPswSysAcceptsAnyEntry)
{
    test::TempWorkDir dir;
    dir.write(kPasswordFile, "");
    for (const char* typed : {"", "anything", "Shop1"})
        EXPECT_EQ(checkPassword(dir.workDir(), typed), PasswordVerdict::Accepted) << typed;
}

TEST(SettingsLock, TheStoredLineIsDecodedByRaisingEachCode)
{
    test::TempWorkDir dir;
    EXPECT_EQ(encode("Shop1"), "Rgno0");
    dir.write(kPasswordFile, "Rgno0\r\n");
    struct Case {
        const char* typed;
        PasswordVerdict verdict;
    };
    const Case cases[] = {
        {"Shop1", PasswordVerdict::Accepted},
        {"shop1", PasswordVerdict::BadPassword},  // case-sensitive
        {"Shop1 ", PasswordVerdict::BadPassword},
        {"Rgno0", PasswordVerdict::BadPassword},  // the stored form is not the password
        {"", PasswordVerdict::NoPasswordEntered},
    };
    for (const auto& c : cases)
        EXPECT_EQ(checkPassword(dir.workDir(), c.typed), c.verdict) << c.typed;
    EXPECT_EQ(kNoPasswordEntered, "No password is entered");
    EXPECT_EQ(kBadPasswordEntered, "Bad password entered");
}

TEST(SettingsLock, OnlyTheFirstSeventyNineCharactersCount)
{
    test::TempWorkDir dir;
    const std::string password(100, 'k');
    dir.write(kPasswordFile, encode(password) + "\nsecond line\n");
    EXPECT_EQ(checkPassword(dir.workDir(), password), PasswordVerdict::BadPassword);
    EXPECT_EQ(checkPassword(dir.workDir(), password.substr(0, kPasswordLineLimit)),
              PasswordVerdict::Accepted);
}

TEST(SettingsLock, DecodingWrapsAtTheTopCode)
{
    EXPECT_EQ(decodeStoredPassword("\xff"), std::string(1, '\0'));
    EXPECT_EQ(decodeStoredPassword("`"), "a");
}

}  // namespace
}  // namespace quillon
