// How the editor cuts a file into lines, in one place for loading and inserting files.
//
// A line ends at LF. One LF, and then one CR just before it, are removed, so LF and CR LF
// both end a line while a lone CR is part of the text. The text after the last LF is the
// last line (empty when the file ends with LF), so there is always one line more than
// there are LFs. Every other byte, NUL included, is text.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// Calls visit(offset, length) for every line, in order.
template <typename Visit>
void forEachNcLine(std::string_view bytes, Visit&& visit)
{
    const char* data = bytes.data();
    const std::size_t size = bytes.size();
    std::size_t start = 0;
    while (true) {
        const auto* lineFeed =
            static_cast<const char*>(std::memchr(data + start, '\n', size - start));
        const std::size_t end = lineFeed ? static_cast<std::size_t>(lineFeed - data) : size;
        std::size_t length = end - start;
        if (lineFeed && length > 0 && data[end - 1] == '\r')
            --length;
        visit(start, length);
        if (!lineFeed)
            return;
        start = end + 1;
    }
}

// The number of lines forEachNcLine visits.
std::size_t countNcLines(std::string_view bytes);

std::vector<std::string> splitNcLines(std::string_view bytes);

}  // namespace quillon
