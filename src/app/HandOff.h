// The files through which starts of the program hand work to the running one.
//
// Every start appends its command line to COMMAND.TXT. A second start hands its file to
// the first through DROPIN.TXT (open it) or _DADUV.TMP (transmit it) and wakes it. A
// file argument containing the marker "byKestrane_" asks for a transmit of the text that
// follows the marker; in that text "?" stands for a blank, so that the name survives
// command lines that split at blanks.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

class WorkDir;

inline constexpr std::string_view kCommandFile = "COMMAND.TXT";
inline constexpr std::string_view kDropInFile = "DROPIN.TXT";
inline constexpr std::string_view kTransmitHandOffFile = "_DADUV.TMP";
inline constexpr std::string_view kTransmitMarker = "byKestrane_";

// The pending transmit file holds at most 255 characters.
inline constexpr std::size_t kPendingTransmitLimit = 255;
// DROPIN.TXT is read with the 260-byte settings buffer.
inline constexpr std::size_t kDropInLineLimit = 259;

// The command line as Windows passed it whole: every argument in quotes, separated by
// one blank. The command-file reader takes a file from between a blank-quote and the
// next quote, so this form is what it understands.
std::string commandLineText(const std::vector<std::string>& arguments);

// Appends the line and a line end to COMMAND.TXT; nothing happens when it cannot be
// opened.
void appendCommandLine(const WorkDir& workDir, std::string_view commandLine);

struct FileArgument {
    std::string text;  // the file, or for a transmit the text after the marker
    bool transmit = false;
};

// The first argument that is not an option ("-..."), with the transmit marker found.
std::optional<FileArgument> fileArgument(const std::vector<std::string>& arguments);

// Created anew with the one line; false when the file cannot be written.
bool writeDropIn(const WorkDir& workDir, std::string_view fileName);
bool writeTransmitHandOff(const WorkDir& workDir, std::string_view fileText);

// The first line of DROPIN.TXT (line end removed), which is then deleted.
std::optional<std::string> takeDropIn(const WorkDir& workDir);
// The first line of _DADUV.TMP, which is then deleted; empty when missing or empty.
std::string takeTransmitHandOff(const WorkDir& workDir);

// The file a transmit hand-off asked for; the next transmit offers it.
class PendingTransmitFile {
public:
    void set(std::string_view text) { m_text = text.substr(0, kPendingTransmitLimit); }
    void clear() { m_text.clear(); }
    bool empty() const { return m_text.empty(); }
    // As stored, "?" for blanks.
    const std::string& text() const { return m_text; }
    // The path with every "?" turned back into a blank.
    std::string path() const;

private:
    std::string m_text;
};

}  // namespace quillon
