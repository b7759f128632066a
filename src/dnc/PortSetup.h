// One port setup: the line settings, character code, protocol, framing characters and
// default folders of one serial connection to a CNC control.
//
// Values read from ComConf.sys are stored as they were read, without a range check, so
// a file writes back as it came. Everything that turns a value into a text or a table
// index therefore copes with values outside the known ranges.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

class SerialLine;

enum class EndOfBlock : std::uint8_t { Lf = 0, Cr = 1, CrLf = 2 };
enum class CharacterCode : std::uint8_t { Iso = 0, Eia = 1, Bin = 2 };
enum class Handshake : std::uint8_t {
    None = 0,
    XonXoff = 1,
    XonXoffWaitForXon = 2,
    Heidenhain = 4,
    Mazak = 5,
    FanucDnc = 6,
};
enum class VerticalParity : std::uint8_t { None = 0, Even = 1, Odd = 2 };
enum class KeepPortOpen : std::uint8_t { No = 0, WantedNotOpen = 1, Open = 2 };

inline constexpr int kPortCount = 10;  // COM1 to COM10
inline constexpr std::int32_t kMaxNullCount = 100;
// Names typed in the dialog are cut to this length.
inline constexpr std::size_t kSetupNameLimit = 31;

struct PortSetup {
    // The open line while the port is kept open; never stored in the file.
    std::shared_ptr<SerialLine> handle;

    std::string name;
    std::string txDirectory;
    std::string rxDirectory;
    std::int32_t nullCount = 0;
    std::int32_t txStart = 0;  // character codes: 0 none, 1-26 control, 27-127 as is
    std::int32_t txEnd = '%';
    std::int32_t rxStart = 0;
    std::int32_t rxEnd = 0;
    std::int32_t commentFilter = 0;
    std::uint8_t port = 0;  // 0 = COM1
    std::uint8_t baud = 5;  // a code of the baud table; 5 = 9600
    EndOfBlock endOfBlock = EndOfBlock::Lf;
    CharacterCode code = CharacterCode::Iso;
    std::uint8_t hardwareHandshake = 0;
    Handshake handshake = Handshake::XonXoff;
    std::uint8_t looping = 0;
    VerticalParity verticalParity = VerticalParity::None;
    std::uint8_t mazakDelay = 0;
    KeepPortOpen keepPortOpen = KeepPortOpen::No;
    std::uint8_t smallBuffer = 0;
    std::uint8_t includeStartForRepositioning = 0;

    // The defaults of the record at the index (0 to 9).
    static PortSetup defaults(int index);

    bool keepsPortOpen() const { return keepPortOpen != KeepPortOpen::No; }
    bool usesBlockProtocol() const;
    bool operator==(const PortSetup&) const = default;
};

struct BaudEntry {
    int rate;
    std::string_view summaryText;  // "19.2k"
    std::string_view buttonText;   // "19.2K"
};

// Indexed by the baud code: 0-9 rise from 300 to 115200; 10 and 11 were added later.
inline constexpr std::array<BaudEntry, 12> kBaudTable = {{
    {300, "300", "300"},
    {600, "600", "600"},
    {1200, "1200", "1200"},
    {2400, "2400", "2400"},
    {4800, "4800", "4800"},
    {9600, "9600", "9600"},
    {19200, "19.2k", "19.2K"},
    {38400, "38.4k", "38.4K"},
    {57600, "57.6k", "57.6K"},
    {115200, "115.2k", "115.2K"},
    {110, "110", "110"},
    {150, "150", "150"},
}};

std::optional<BaudEntry> baudEntry(std::uint8_t code);

// A framing character as the dialog, the summary and the file show it: 0 as nothing,
// 1-26 as "^A".."^Z", 27 and above as the character itself (code AND 127). A value whose
// character would be NUL, CR or LF is shown as nothing, so that it can never break a
// line of the file in two.
std::string characterDisplayForm(std::int32_t value);
// The same with "None" for nothing, as the summary shows it.
std::string characterSummaryForm(std::int32_t value);

// A character edit of the setup dialog: empty or a leading blank give 0, "^" and an
// upper-case letter give a control code, anything else the first character AND 127.
std::int32_t parseCharacterEdit(std::string_view text);
// The "Null:" edit: its decimal value (0 when empty), limited to 0..100.
std::int32_t parseNullCount(std::string_view text);

// The summary lines of "Select configuration", in their order. An entry may be empty
// ("PORT STAYS OPEN" only shows for a port that is open).
std::vector<std::string> setupSummaryLines(const PortSetup& setup);

}  // namespace quillon
