// The settings lock: a password in psw.sys that guards the settings commands, the
// transfers and the batch tools. The program only reads the file; the shop writes it.
//
// The stored line holds the password with every character code lowered by one. It keeps
// a casual user from changing port setups; it is not meant as security.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillon {

class WorkDir;

inline constexpr std::string_view kPasswordFile = "psw.sys";
// The original read the line into an 80-byte buffer.
inline constexpr std::size_t kPasswordLineLimit = 79;

inline constexpr std::string_view kNoPasswordEntered = "No password is entered";
inline constexpr std::string_view kBadPasswordEntered = "Bad password entered";

// The lock asks for the password only while psw.sys exists.
bool settingsLockActive(const WorkDir& workDir);

enum class PasswordVerdict { Accepted, NoPasswordEntered, BadPassword };

// The OK button of the "Password" dialog. A file that cannot be read or holds no line
// accepts any entry, the empty one included.
PasswordVerdict checkPassword(const WorkDir& workDir, std::string_view typed);

// The stored line with each character code raised by one.
std::string decodeStoredPassword(std::string_view stored);

}  // namespace quillon
