#include "LogFile.h"

#include "LogLine.h"

#include <algorithm>
#include <atomic>
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
    m_date = std::move(other.m_date);
    m_pieces = std::move(other.m_pieces);
    m_pieceCount.store(other.m_pieceCount.exchange(0));
    m_blocks = std::move(other.m_blocks);
    m_blockCapacity = std::exchange(other.m_blockCapacity, 0);
    m_rows = std::exchange(other.m_rows, 0);
    m_published.store(other.m_published.exchange(0));
    return *this;
}

LogFile::~LogFile() = default;

bool LogFile::Allocate(std::uint64_t length, std::string date) {
    m_date = std::move(date);
    if (length > kOffsetMask || length > std::numeric_limits<std::size_t>::max())
        return false;
    m_pieces.reset(new (std::nothrow) Piece[kMaxPieces]);
    if (!m_pieces)
        return false;
    if (length > 0) {
        m_pieces[0].buffer = LargeBuffer(static_cast<std::size_t>(length));
        if (!m_pieces[0].buffer)
            return false;
    }
    m_pieceCount.store(1, std::memory_order_release);
    const std::uint64_t maxRows = length / kShortestRowLine + 1;
    m_blockCapacity = static_cast<std::size_t>(maxRows / kBlockRows + 1) + kFollowBlocks;
    m_blocks.reset(new (std::nothrow) std::unique_ptr<std::uint64_t[]>[m_blockCapacity]);
    return m_blocks != nullptr;
}

LogFile::Piece* LogFile::AddPiece(std::uint64_t base, std::uint64_t bytes, std::string_view carry) {
    const std::size_t count = m_pieceCount.load(std::memory_order_relaxed);
    if (count == 0 || count >= kMaxPieces || base + bytes > kOffsetMask ||
        bytes > std::numeric_limits<std::size_t>::max() || carry.size() > bytes)
        return nullptr;
    Piece& piece = m_pieces[count];
    piece.buffer = LargeBuffer(static_cast<std::size_t>(bytes));
    if (!piece.buffer)
        return nullptr;
    piece.base = base;
    if (!carry.empty())
        std::memcpy(piece.buffer.Data(), carry.data(), carry.size());
    // Readers may look for the carried line here as soon as the piece counts.
    piece.end.store(base + carry.size(), std::memory_order_relaxed);
    m_pieceCount.store(count + 1, std::memory_order_release);
    return &piece;
}

bool LogFile::AddBlock() {
    const std::size_t block = m_rows / kBlockRows;
    if (block >= m_blockCapacity)
        return false;
    m_blocks[block].reset(new (std::nothrow) std::uint64_t[kBlockRows]);
    return m_blocks[block] != nullptr;
}

void LogFile::Replace(std::size_t row, std::uint64_t slot) {
    // Readers may be reading the slot right now.
    std::atomic_ref<std::uint64_t>(m_blocks[row / kBlockRows][row % kBlockRows])
        .store(slot, std::memory_order_release);
}

void LogFile::Publish(std::uint64_t indexedBytes) {
    LastPiece().end.store(indexedBytes, std::memory_order_release);
    m_published.store(m_rows, std::memory_order_release);
}

std::uint64_t LogFile::Slot(std::size_t row) const {
    return std::atomic_ref<std::uint64_t>(m_blocks[row / kBlockRows][row % kBlockRows])
        .load(std::memory_order_acquire);
}

const LogFile::Piece& LogFile::PieceOf(std::uint64_t offset) const {
    const std::size_t count = m_pieceCount.load(std::memory_order_acquire);
    // The last piece that begins at or before the offset: a later piece begins with the one line that may
    // also stand, cut short, at the end of the piece before, and the row is the whole line.
    std::size_t low = 0;
    std::size_t high = count;
    while (high - low > 1) {
        const std::size_t middle = low + (high - low) / 2;
        if (m_pieces[middle].base <= offset)
            low = middle;
        else
            high = middle;
    }
    return m_pieces[low];
}

std::string_view LogFile::Line(std::size_t row) const {
    const std::uint64_t offset = Slot(row) & kOffsetMask;
    const Piece& piece = PieceOf(offset);
    // Every published row's line ends within the bytes of its piece indexed when it was published.
    const std::uint64_t limit = piece.end.load(std::memory_order_acquire) - piece.base;
    const std::uint64_t at = offset - piece.base;
    const char* const data = piece.buffer.Data();
    const char* start = data + at;
    const auto* lineEnd = static_cast<const char*>(std::memchr(start, '\n', limit - at));
    const char* end = lineEnd ? lineEnd : data + limit;
    if (lineEnd && end > start && end[-1] == '\r')
        --end;
    return std::string_view(start, static_cast<std::size_t>(end - start));
}

LogRecord LogFile::Record(std::size_t row) const {
    return LogRecord::FromLine(LogLine(Line(row)), m_date);
}

} // namespace qv
