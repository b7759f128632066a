// Writing user and settings files so that a failure never leaves a half-written file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

struct WriteResult {
    bool ok = false;
    std::string error;  // the system's text when !ok
};

// Writes a file through a work file in the same folder that replaces the target only when
// everything was written and flushed to disk. Until commit() the target is untouched;
// a writer destroyed without commit() removes its work file. The new file keeps the
// permissions (and, where allowed, the owner) of the one it replaces; a symbolic link is
// followed and its target replaced. Other hard links to the old file keep the old text.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string path);
    // With a work file of a fixed name in the target's folder (an old one is overwritten;
    // a link in its place is refused).
    AtomicFileWriter(std::string path, std::string workPath);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // False (with error() and errorCode() set) once anything failed; later calls do nothing.
    bool ok() const { return m_errorCode == 0; }
    bool write(std::string_view bytes);
    // The new file gets these times (nanoseconds since 1970) instead of the time of writing.
    void setTimes(std::int64_t accessedNanoseconds, std::int64_t modifiedNanoseconds);
    // Flushes, gives the work file the target's permissions and renames it over the target.
    bool commit();

    int errorCode() const { return m_errorCode; }
    std::string error() const;

private:
    bool fail(int errorCode);
    void discard();

    std::string m_target;
    std::string m_work;
    int m_fd = -1;
    int m_errorCode = 0;
    bool m_timesGiven = false;
    std::int64_t m_accessed = 0;
    std::int64_t m_modified = 0;
};

// Writes the bytes to a new file in the target's folder, flushes it to disk and renames
// it over the target. The target keeps its permissions; a new target gets the usual
// ones (0666 less the umask). On any failure the old file is untouched and the work
// file is removed.
WriteResult replaceFileAtomically(const std::string& path, std::string_view bytes);

// Appends the bytes, creating the file when missing.
WriteResult appendToFile(const std::string& path, std::string_view bytes);

}  // namespace quillon
