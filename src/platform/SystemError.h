// Turns an errno value into the text shown to the user: the one place that does so.
#pragma once

#include <string>
#include <string_view>

namespace quillon {

std::string errnoText(int error);

enum class FileAction { Open, Save };

// The message for a file that could not be opened (read) or saved, by the cause.
std::string fileErrorText(int error, FileAction action, std::string_view path);

}  // namespace quillon
