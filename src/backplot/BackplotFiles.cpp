#include "backplot/BackplotFiles.h"

#include <charconv>

#include "backplot/CoordinateText.h"
#include "nc/Words.h"
#include "platform/FileBytes.h"

namespace quillon {

namespace {

// The passes read with fgets into 4096 characters: 4095 and the terminating NUL.
constexpr std::size_t kRecordPiece = kRecordLimit - 1;

}  // namespace

BackplotRecord parseRecord(std::string_view line, int previousIndex)
{
    BackplotRecord record;
    const std::size_t comma = line.find(',');
    if (comma == std::string_view::npos) {
        record.index = previousIndex;
        record.text = line;
        return record;
    }
    record.index = integerValue(line.substr(0, comma));
    record.text = line.substr(comma + 1);
    record.hasComma = true;
    return record;
}

bool RecordReader::open(const std::string& path)
{
    auto bytes = readFileBytes(path);
    if (!bytes)
        return false;
    m_data = std::move(bytes->data);
    m_bytes = std::string_view(m_data.get(), bytes->size);
    m_at = 0;
    return true;
}

std::optional<std::string_view> RecordReader::next()
{
    if (m_at >= m_bytes.size())
        return std::nullopt;
    const std::string_view rest = m_bytes.substr(m_at);
    const std::size_t lineFeed = rest.find('\n');
    std::string_view line = rest.substr(0, lineFeed);
    if (line.size() > kRecordPiece) {
        line = line.substr(0, kRecordPiece);
        m_at += kRecordPiece;
    } else {
        m_at += line.size() + (lineFeed == std::string_view::npos ? 0 : 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
    }
    return line;
}

RecordWriter::RecordWriter()
    : m_buffer(std::make_unique_for_overwrite<char[]>(2 * kFlushSize)), m_capacity(2 * kFlushSize)
{
}

RecordWriter::~RecordWriter()
{
    close();
}

bool RecordWriter::create(const std::string& path, const std::string& copyPath)
{
    close();
    m_failed = false;
    m_file = std::fopen(path.c_str(), "wb");
    if (m_file && !copyPath.empty()) {
        m_copy = std::fopen(copyPath.c_str(), "wb");
        if (!m_copy) {
            std::fclose(m_file);
            m_file = nullptr;
        }
    }
    return m_file != nullptr;
}

void RecordWriter::createForSink(std::function<bool(std::string_view)> sink)
{
    close();
    m_failed = false;
    m_sink = std::move(sink);
}

void RecordWriter::write(int index, std::string_view text)
{
    begin(index);
    append(text);
    end();
}

void RecordWriter::writeLine(std::string_view line)
{
    append(line);
    end();
}

void RecordWriter::begin(int index)
{
    // An arc's forty-odd records share their line's index: written once.
    if (index != m_beginIndex) {
        char* const end = std::to_chars(m_indexText, m_indexText + 15, index).ptr;
        *end = ',';
        m_indexLength = static_cast<std::size_t>(end - m_indexText) + 1;
        m_beginIndex = index;
    }
    room(sizeof m_indexText);
    std::memcpy(m_buffer.get() + m_used, m_indexText, sizeof m_indexText);
    m_used += m_indexLength;
}

double RecordWriter::appendCoordinate(double value)
{
    room(kCoordinateTextRoom);
    double readBack = 0;
    m_used += writeCoordinateText(value, m_buffer.get() + m_used, readBack);
    return readBack;
}

void RecordWriter::grow(std::size_t bytes)
{
    flush();
    if (bytes <= m_capacity)
        return;
    // A record longer than the buffer (a program line of megabytes): room for it whole.
    m_capacity = bytes;
    m_buffer = std::make_unique_for_overwrite<char[]>(m_capacity);
}

void RecordWriter::flush()
{
    for (std::FILE* file : {m_file, m_copy}) {
        if (file && m_used > 0)
            m_failed = std::fwrite(m_buffer.get(), 1, m_used, file) != m_used || m_failed;
    }
    if (m_sink && m_used > 0)
        m_failed = !m_sink(std::string_view(m_buffer.get(), m_used)) || m_failed;
    m_used = 0;
}

bool RecordWriter::close()
{
    if (m_sink) {
        flush();
        m_sink = nullptr;
        return !m_failed;
    }
    if (!m_file) {
        m_used = 0;
        return !m_failed;
    }
    flush();
    m_failed = std::fclose(m_file) != 0 || m_failed;
    m_file = nullptr;
    if (m_copy) {
        m_failed = std::fclose(m_copy) != 0 || m_failed;
        m_copy = nullptr;
    }
    return !m_failed;
}

}  // namespace quillon
