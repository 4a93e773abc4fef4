#include "LogFile.h"

#include "LogLine.h"

#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace qv {

namespace {
// The shortest line that gives a row: one character, five spaces, a digit and its line end.
constexpr std::uint64_t kShortestRowLine = 8;
} // namespace

LogFile::LogFile(LogFile&& other) noexcept {
    *this = std::move(other);
}

LogFile& LogFile::operator=(LogFile&& other) noexcept {
    if (this == &other)
        return *this;
    m_buffer = std::move(other.m_buffer);
    m_date = std::move(other.m_date);
    m_blocks = std::move(other.m_blocks);
    m_blockCapacity = std::exchange(other.m_blockCapacity, 0);
    m_rows = std::exchange(other.m_rows, 0);
    m_indexedBytes.store(other.m_indexedBytes.exchange(0));
    m_published.store(other.m_published.exchange(0));
    return *this;
}

LogFile::~LogFile() = default;

bool LogFile::Allocate(std::uint64_t length, std::string date) {
    m_date = std::move(date);
    if (length == 0)
        return true;
    if (length > std::numeric_limits<std::size_t>::max())
        return false;
    m_buffer = LargeBuffer(static_cast<std::size_t>(length));
    const std::uint64_t maxRows = length / kShortestRowLine + 1;
    m_blockCapacity = static_cast<std::size_t>(maxRows / kBlockRows + 1);
    m_blocks.reset(new (std::nothrow) std::unique_ptr<std::uint64_t[]>[m_blockCapacity]);
    return m_buffer && m_blocks;
}

bool LogFile::AddBlock() {
    const std::size_t block = m_rows / kBlockRows;
    if (block >= m_blockCapacity)
        return false;
    m_blocks[block].reset(new (std::nothrow) std::uint64_t[kBlockRows]);
    return m_blocks[block] != nullptr;
}

void LogFile::Publish(std::uint64_t indexedBytes) {
    m_indexedBytes.store(indexedBytes, std::memory_order_release);
    m_published.store(m_rows, std::memory_order_release);
}

std::string_view LogFile::Line(std::size_t row) const {
    const std::uint64_t offset = OffsetOf(row);
    // Every published row's line ends within the bytes indexed when it was published.
    const std::uint64_t limit = m_indexedBytes.load(std::memory_order_acquire);
    const char* start = m_buffer.Data() + offset;
    const auto* lineEnd = static_cast<const char*>(std::memchr(start, '\n', limit - offset));
    const char* end = lineEnd ? lineEnd : m_buffer.Data() + limit;
    if (lineEnd && end > start && end[-1] == '\r')
        --end;
    return std::string_view(start, end - start);
}

LogRecord LogFile::Record(std::size_t row) const {
    return LogRecord::FromLine(LogLine(Line(row)), m_date);
}

} // namespace qv
