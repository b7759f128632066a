#include "ctrlsim/ControlSession.h"

#include <cstdio>

namespace quillon::ctrlsim {

std::string secondsText(Duration duration)
{
    const double seconds = std::chrono::duration<double>(duration).count();
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", seconds);
    return text;
}

}  // namespace quillon::ctrlsim
