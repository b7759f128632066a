#include "cli/CliDocumentRun.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "editor/CLiDoc.h"
#include "platform/Notifier.h"

namespace quillon::cli {

namespace {

// Messages to the error stream; questions answered as the command line asked.
class AnsweringNotifier final : public Notifier {
public:
    AnsweringNotifier(std::ostream& err, bool yes) : m_stream(err), m_yes(yes) {}
    NoticeAnswer show(const Notice& notice) override
    {
        const NoticeAnswer answer = m_stream.show(notice);
        if (m_yes && notice.buttons == NoticeButtons::YesNo)
            return NoticeAnswer::Yes;
        return answer;
    }

private:
    StreamNotifier m_stream;
    bool m_yes;
};

// Standard input in a file of its own, so that it loads as any program does.
class StandardInputFile {
public:
    StandardInputFile()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quillonlt-stdin-XXXXXX").string();
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0)
            return;
        ::close(fd);
        m_path = pattern;
        std::ofstream file(m_path, std::ios::binary);
        // Copying nothing counts as a failure for a stream: an empty input is an empty
        // program.
        if (std::cin.peek() != std::char_traits<char>::eof())
            file << std::cin.rdbuf();
        if (!file.flush())
            m_path.clear();
    }
    ~StandardInputFile()
    {
        if (!m_path.empty())
            ::unlink(m_path.c_str());
    }
    StandardInputFile(const StandardInputFile&) = delete;
    StandardInputFile& operator=(const StandardInputFile&) = delete;

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

}  // namespace

bool takeDocumentArgument(const std::string& argument, DocumentIo& io)
{
    if (argument == "--in-place") {
        io.inPlace = true;
        return true;
    }
    if (argument == "--yes") {
        io.yes = true;
        return true;
    }
    if (io.file.empty() && (argument == "-" || argument.empty() || argument[0] != '-')) {
        io.file = argument;
        return true;
    }
    return false;
}

int runOnDocument(const DocumentIo& io, std::ostream& out, std::ostream& err,
                  const std::function<bool(CLiDoc& doc, Notifier& notifier)>& apply)
{
    const bool fromInput = io.file.empty() || io.file == "-";
    if (io.inPlace && fromInput) {
        err << "--in-place needs a FILE\n";
        return 2;
    }
    AnsweringNotifier notifier(err, io.yes);
    CLiDoc doc;
    if (fromInput) {
        const StandardInputFile input;
        if (input.path().empty() || !doc.open(input.path(), notifier))
            return 1;
    } else if (!doc.open(io.file, notifier)) {
        return 1;
    }
    if (!apply(doc, notifier))
        return 1;
    if (io.inPlace)
        return doc.save(io.file, notifier) ? 0 : 1;
    doc.writeText([&out](std::string_view bytes) {
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return static_cast<bool>(out);
    });
    return out ? 0 : 1;
}

}  // namespace quillon::cli
