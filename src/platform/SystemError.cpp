#include "platform/SystemError.h"

#include <cstring>

namespace quillon {

std::string errnoText(int error)
{
    // strerror_r comes in two flavours; std::strerror is fine on the UI thread, which
    // is the only caller.
    return std::strerror(error);
}

}  // namespace quillon
