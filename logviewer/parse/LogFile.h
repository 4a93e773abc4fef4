#pragma once
// One log file read into memory, with the index of the lines that give rows. A row costs 8 bytes: the
// offset of its line with its event kind and its time of day packed beside it; the fields are cut again
// from the buffer when a row is asked for.
//
// A LogFileReader fills the file on one thread while others read it: RowCount(), Record(), Kind() and
// SecondOfDay() may be called from any thread at any time and see every row indexed so far. Rows are only
// ever added, also when the reader follows a growing file: then the bytes written since come into pieces
// of their own, so that nothing that readers look at moves. Only the last row may change, when its line
// had no line end yet and has grown since: its text, kind and time are then the whole line's.
#include "LogEventKind.h"
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
    // The time of a row whose Time field is no "H:MM:SS" or "HH:MM:SS" time of day.
    static constexpr std::uint32_t kNoTime = 0x1FFFF;

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
    LogEventKind Kind(std::size_t row) const { return KindOf(Slot(row)); }
    // Seconds since midnight, or kNoTime.
    std::uint32_t SecondOfDay(std::size_t row) const { return SecondOf(Slot(row)); }
    const std::string& DateText() const { return m_date; }

    // The packed slot of a row and its parts, for passes over many rows.
    std::uint64_t Slot(std::size_t row) const;
    static LogEventKind KindOf(std::uint64_t slot) { return static_cast<LogEventKind>((slot >> 57) & 7); }
    static std::uint32_t SecondOf(std::uint64_t slot) {
        return static_cast<std::uint32_t>((slot >> 40) & kNoTime);
    }
    // A file of up to 1 TB: the offset takes the low 40 bits, the time 17 and the kind 3.
    static constexpr std::uint64_t kOffsetMask = (std::uint64_t{1} << 40) - 1;
    static std::uint64_t Pack(std::uint64_t offset, std::uint32_t second, LogEventKind kind) {
        return offset | (std::uint64_t{second} << 40) |
               (std::uint64_t{static_cast<std::uint8_t>(kind)} << 57);
    }

private:
    friend class LogFileReader;
    static constexpr std::size_t kBlockRows = 8192;
    // Row blocks beyond those the first length can need, for the rows a follow adds.
    static constexpr std::size_t kFollowBlocks = 1 << 16;
    static constexpr std::size_t kMaxPieces = 1024;

    // The bytes of the file from base on; the first piece holds the file as it was opened, each later one
    // what a follow read (beginning with a last line that had no line end yet). end: the bytes indexed.
    struct Piece {
        std::uint64_t base = 0;
        LargeBuffer buffer;
        std::atomic<std::uint64_t> end{0};
    };

    // Reader side.
    bool Allocate(std::uint64_t length, std::string date);
    // A new piece for the bytes from base on, with room for bytes, that begins with carry (the last line
    // of the piece before, still without its line end); null when none can be had.
    Piece* AddPiece(std::uint64_t base, std::uint64_t bytes, std::string_view carry);
    Piece& LastPiece() { return m_pieces[m_pieceCount.load(std::memory_order_relaxed) - 1]; }
    bool Append(std::uint64_t slot) {
        const std::size_t index = m_rows % kBlockRows;
        if (index == 0 && !AddBlock())
            return false;
        m_blocks[m_rows / kBlockRows][index] = slot;
        ++m_rows;
        return true;
    }
    // Rewrites the last row: a line that had no end yet gave it and has grown since.
    void Replace(std::size_t row, std::uint64_t slot);
    bool AddBlock();
    void Publish(std::uint64_t indexedBytes);
    const Piece& PieceOf(std::uint64_t offset) const;

    std::string m_date;
    std::unique_ptr<Piece[]> m_pieces;
    std::atomic<std::size_t> m_pieceCount{0};
    // Blocks of row slots. The array of blocks is sized once for the most rows the file can hold, and a
    // margin for a follow, so that appending never moves what readers look at.
    std::unique_ptr<std::unique_ptr<std::uint64_t[]>[]> m_blocks;
    std::size_t m_blockCapacity = 0;
    std::size_t m_rows = 0;
    std::atomic<std::size_t> m_published{0};
};

} // namespace qv
