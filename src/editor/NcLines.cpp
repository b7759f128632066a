#include "editor/NcLines.h"

namespace quillon {

std::size_t countNcLines(std::string_view bytes)
{
    std::size_t lines = 1;
    const char* end = bytes.data() + bytes.size();
    for (const char* p = bytes.data();
         (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p))));
         ++p)
        ++lines;
    return lines;
}

std::vector<std::string> splitNcLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    lines.reserve(countNcLines(bytes));
    forEachNcLine(bytes, [&](std::size_t offset, std::size_t length) {
        lines.emplace_back(bytes.substr(offset, length));
    });
    return lines;
}

}  // namespace quillon
