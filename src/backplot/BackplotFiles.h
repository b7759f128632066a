// The backplot's intermediate files and their records.
//
// The plot is built in three passes that hand text files to each other in the temporary
// folder: the pre-pass writes $BackPlotFile.TXT, the cycle expansion turns it into
// $BackPlotFile1.TXT (keeping the shape of the last turning cycle in $BackPlotFile2.TXT),
// and the path builder reads that into plot points. Users read the files too, so they
// keep their names and form: one record a line, the zero-based editor line index in
// decimal, a comma, then NC text; lines end with CR LF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

inline constexpr std::string_view kBackplotFile = "$BackPlotFile.TXT";
inline constexpr std::string_view kBackplotCycleFile = "$BackPlotFile1.TXT";
inline constexpr std::string_view kBackplotShapeFile = "$BackPlotFile2.TXT";
// The passes read their records with a buffer of this size (see RecordReader).
inline constexpr std::size_t kRecordLimit = 4096;

// What every pass takes from the plot window.
struct BackplotSettings {
    // View plane as an axis mask: X 1, Y 2, Z 4 (XY 3, XZ 5, YZ 6; 7 for the 3D view,
    // which is no arc plane until the program selects one).
    int plane = 3;
    bool lathe = false;      // diameter programming: X read as a diameter
    bool absolute = true;    // G90 at the program start (else G91)
    bool showRapids = true;  // whether the rapid slot is drawn (the windows only)
};

// A record a pass made itself, handed on as what its text says: "G90 " when it starts so,
// its move ("G00" or "G01"), the axes it names with the values their texts read back as,
// and " G91" when it ends so.
struct MadeRecord {
    int index = 0;
    bool absoluteFirst = false;
    bool incrementalAfter = false;
    std::uint8_t move = 0;  // 0 or 1
    std::uint8_t axes = 0;  // mask: X 1, Y 2, Z 4
    double values[3] = {};  // X, Y, Z
};

// Takes the records a pass writes, as they are written.
class RecordListener {
public:
    virtual ~RecordListener() = default;
    // A record copied from the program: its text after the comma.
    virtual void copied(int index, std::string_view text) = 0;
    // A record the pass made.
    virtual void made(const MadeRecord& record) = 0;
};

// A record as the passes read it: the integer before its first comma and the text after
// that comma. A record without a comma keeps the index it is given and its text is the
// whole record.
struct BackplotRecord {
    int index = 0;
    std::string_view text;
    bool hasComma = false;
};
BackplotRecord parseRecord(std::string_view line, int previousIndex);

// Reads a file's records as the passes did, with a line buffer of 4096 characters: a
// longer line comes in pieces of 4095. The line end (LF or CR LF) is not part of a record.
class RecordReader {
public:
    // False when the file cannot be opened.
    bool open(const std::string& path);
    // The next record, or nothing at the end of the file.
    std::optional<std::string_view> next();
    // The file's size in bytes.
    std::size_t size() const { return m_bytes.size(); }

private:
    std::unique_ptr<char[]> m_data;
    std::string_view m_bytes;
    std::size_t m_at = 0;
};

// Writes records, each followed by CR LF.
class RecordWriter {
public:
    RecordWriter();
    ~RecordWriter();
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    // Creates (or empties) the file, and a second one that gets the same records when
    // `copyPath` is given; false when one cannot be created.
    bool create(const std::string& path, const std::string& copyPath = {});
    // Hands the bytes to `sink` instead of a file (false from it fails the writing).
    void createForSink(std::function<bool(std::string_view bytes)> sink);
    // index "," text
    void write(int index, std::string_view text);
    // A line as it is (for records copied whole).
    void writeLine(std::string_view line);
    // A record in pieces: begin, append, end.
    void begin(int index);
    void append(std::string_view text)
    {
        room(text.size());
        std::memcpy(m_buffer.get() + m_used, text.data(), text.size());
        m_used += text.size();
    }
    void append(char c)
    {
        room(1);
        m_buffer[m_used++] = c;
    }
    // Returns the value the text written reads back as.
    double appendCoordinate(double value);
    void end()
    {
        append(std::string_view("\r\n", 2));
        if (m_used >= kFlushSize)
            flush();
    }
    // Flushes and closes; false when anything failed to be written.
    bool close();

private:
    // Records gather in a buffer and go to the file a megabyte at a time: the files run to
    // millions of records.
    static constexpr std::size_t kFlushSize = std::size_t{1} << 20;

    void room(std::size_t bytes)
    {
        if (m_used + bytes > m_capacity)
            grow(bytes);
    }
    void grow(std::size_t bytes);
    void flush();

    std::FILE* m_file = nullptr;
    std::function<bool(std::string_view)> m_sink;
    std::FILE* m_copy = nullptr;
    bool m_failed = false;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_used = 0;
    std::size_t m_capacity = 0;
    // The index of the last record begun, with its comma.
    int m_beginIndex = 0;
    char m_indexText[16] = {'0', ','};
    std::size_t m_indexLength = 2;
};

}  // namespace quillon
