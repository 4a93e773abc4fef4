#pragma once
// One log file read into one buffer, with the index of the lines that give rows. A row costs 8 bytes: the
// offset of its line; the fields are cut again from the buffer when a row is asked for.
//
// A LogFileReader fills the file on one thread while others read it: RowCount() and Record() may be called
// from any thread at any time and see every row indexed so far.
#include "LogRecord.h"
#include "platform/LargeBuffer.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace qv {

class LogFile {
public:
    LogFile() = default;
    LogFile(LogFile&& other) noexcept;
    LogFile& operator=(LogFile&& other) noexcept;
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;
    ~LogFile();

    std::size_t RowCount() const { return m_published.load(std::memory_order_acquire); }
    bool Empty() const { return RowCount() == 0; }
    // row < RowCount().
    LogRecord Record(std::size_t row) const;
    // The row's line from its first non-space character to its line end.
    std::string_view Line(std::size_t row) const;
    const std::string& DateText() const { return m_date; }

private:
    friend class LogFileReader;
    static constexpr std::size_t kBlockRows = 8192;

    // Reader side.
    bool Allocate(std::uint64_t length, std::string date);
    bool Append(std::uint64_t offset) {
        const std::size_t slot = m_rows % kBlockRows;
        if (slot == 0 && !AddBlock())
            return false;
        m_blocks[m_rows / kBlockRows][slot] = offset;
        ++m_rows;
        return true;
    }
    bool AddBlock();
    void Publish(std::uint64_t indexedBytes);

    std::uint64_t OffsetOf(std::size_t row) const { return m_blocks[row / kBlockRows][row % kBlockRows]; }

    LargeBuffer m_buffer;
    std::string m_date;
    // Blocks of row offsets. The array of blocks is sized once for the most rows the file can hold, so that
    // appending never moves what readers look at.
    std::unique_ptr<std::unique_ptr<std::uint64_t[]>[]> m_blocks;
    std::size_t m_blockCapacity = 0;
    std::size_t m_rows = 0;
    std::atomic<std::uint64_t> m_indexedBytes{0};
    std::atomic<std::size_t> m_published{0};
};

} // namespace qv
