#include "backplot/BackplotFiles.h"

#include "backplot/NcWords.h"
#include "platform/FileBytes.h"

namespace quillon {

namespace {

// The passes read with fgets into 4096 characters: 4095 and the terminating NUL.
constexpr std::size_t kRecordPiece = 4095;

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
    const auto bytes = readFileBytes(path);
    if (!bytes)
        return false;
    m_bytes.assign(bytes->data.get(), bytes->size);
    m_at = 0;
    return true;
}

std::optional<std::string_view> RecordReader::next()
{
    if (m_at >= m_bytes.size())
        return std::nullopt;
    const std::string_view rest = std::string_view(m_bytes).substr(m_at);
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

RecordWriter::~RecordWriter()
{
    close();
}

bool RecordWriter::create(const std::string& path)
{
    close();
    m_failed = false;
    m_file = std::fopen(path.c_str(), "wb");
    return m_file != nullptr;
}

void RecordWriter::write(int index, std::string_view text)
{
    if (!m_file)
        return;
    const std::string head = std::to_string(index) + ",";
    m_failed = std::fwrite(head.data(), 1, head.size(), m_file) != head.size() || m_failed;
    writeLine(text);
}

void RecordWriter::writeLine(std::string_view line)
{
    if (!m_file)
        return;
    m_failed = std::fwrite(line.data(), 1, line.size(), m_file) != line.size() || m_failed;
    m_failed = std::fwrite("\r\n", 1, 2, m_file) != 2 || m_failed;
}

bool RecordWriter::close()
{
    if (!m_file)
        return !m_failed;
    m_failed = std::fclose(m_file) != 0 || m_failed;
    m_file = nullptr;
    return !m_failed;
}

}  // namespace quillon
