// Reading whole files and splitting them into lines the way the settings files are read.
//
// The settings files were read with a fixed 260-byte line buffer. A longer line came in
// pieces, and each piece was taken as the next setting, so one long path shifted every
// later value. Here a line is always read whole and cut to the limit afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/AtomicFile.h"

namespace quillon {

// The settings line buffer: 260 bytes, so at most 259 characters of a line are kept.
inline constexpr std::size_t kSettingsLineBuffer = 260;
inline constexpr std::size_t kSettingsLineLimit = kSettingsLineBuffer - 1;

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::string> readFile(const std::string& path);

// Yields the lines of a byte string: a line ends at LF, a CR just before the LF is
// dropped, and a last line without LF still counts. Each line is cut to the limit.
class LineReader {
public:
    explicit LineReader(std::string_view bytes, std::size_t limit = kSettingsLineLimit);

    std::optional<std::string_view> next();
    bool atEnd() const { return m_pos >= m_bytes.size(); }

private:
    std::string_view m_bytes;
    std::size_t m_limit;
    std::size_t m_pos = 0;
};

// All lines of a file (see LineReader); nothing when the file cannot be read.
std::optional<std::vector<std::string>> readLines(const std::string& path,
                                                  std::size_t limit = kSettingsLineLimit);

// The lines joined with CR LF after each one, as the settings files are written.
std::string joinLinesCrLf(const std::vector<std::string>& lines);

// Replaces the file by the lines, each ended by CR LF (see replaceFileAtomically).
WriteResult writeLinesCrLf(const std::string& path, const std::vector<std::string>& lines);

// The fields of a line, a request or a record: the texts between commas, empty ones
// included (a text without a comma is one field).
std::vector<std::string_view> splitAtCommas(std::string_view text);

// The text without the blanks at either end.
std::string_view trimmed(std::string_view text);

// The whole text as a number in that base (a leading '-' allowed, nothing else around it);
// nothing for anything else, an empty text or a value past the range.
std::optional<long> numberIn(std::string_view text, int base = 10);

// C's atoi on a line: optional blanks, an optional sign, digits; anything else ends the
// number and an empty number is 0. Out-of-range values saturate instead of overflowing.
long long leadingInteger(std::string_view text);

// leadingInteger saturated to the 32-bit range of the stored settings.
std::int32_t leadingInt32(std::string_view text);

}  // namespace quillon
