// Turns an errno value into the text shown to the user: the one place that does so.
#pragma once

#include <string>

namespace quillon {

std::string errnoText(int error);

}  // namespace quillon
