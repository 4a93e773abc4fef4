#include "LogFileReader.h"

#include "LogBlockScanner.h"
#include "LogParser.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <algorithm>
#include <bit>
#include <filesystem>
#include <limits>
#include <string_view>
#include <system_error>

namespace qv {

namespace {

constexpr std::uint64_t kFirstAheadPiece = 256 * 1024;
constexpr std::uint64_t kPreparePiece = 1 << 20;

// What the number reading skips or takes before the digits, and the digit 0: a sixth field that begins with
// one of them is read the careful way.
bool NeedsCarefulNumber(char c) {
    return c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '+' || c == '-' || c == '0';
}

// Any line, the careful way, by the rules of LogLine but without cutting the fields: skip the leading
// spaces, pass comments, find the sixth field after five spaces and tell a number of 0 from any other.
// Gives where the next line begins; row and text tell whether the line gives a row and where its text starts.
std::uint64_t IndexLine(LogBlockScanner& scanner, const char* buffer, std::uint64_t limit, std::uint64_t at,
                        bool& row, std::uint64_t& text) {
    row = false;
    text = scanner.SkipSpaces(at);
    if (text == limit)
        return limit;
    // Empty and blank lines give no row and do not stop the reading.
    if (buffer[text] == '\n')
        return text + 1;
    if (buffer[text] == '#')
        return scanner.LineEnd(text) + 1;
    bool sixth = false;
    const std::uint64_t space = scanner.NthSpace(text, 5, sixth);
    if (!sixth)
        return space + 1;
    std::uint64_t p = space + 1;
    while (p < limit && (buffer[p] == '\t' || buffer[p] == '\v' || buffer[p] == '\f' || buffer[p] == '\r'))
        ++p;
    if (p < limit && (buffer[p] == '+' || buffer[p] == '-'))
        ++p;
    for (; p < limit && buffer[p] >= '0' && buffer[p] <= '9'; ++p)
        row = row || buffer[p] != '0';
    return scanner.LineEnd(p) + 1;
}

} // namespace

bool LogFileReader::Open(const std::string& path, std::string dateText) {
    m_file = std::make_shared<LogFile>();
    m_length = m_read = m_indexed = 0;
    m_done = true;
    m_canPrepare = true;
    // A directory opens for reading on POSIX and tells a nonsense length.
    const std::filesystem::path native = FileSystem::Native(path);
    std::error_code error;
    if (!std::filesystem::is_regular_file(native, error))
        return false;
    m_stream = std::ifstream(native, std::ios::in | std::ios::binary);
    if (!m_stream.is_open())
        return false;
    m_stream.seekg(0, std::ios::end);
    const std::streamoff length = m_stream.tellg();
    m_stream.seekg(0, std::ios::beg);
    if (length < 0 || !m_stream) {
        m_stream.close();
        return false;
    }
    m_length = static_cast<std::uint64_t>(length);
    if (!m_file->Allocate(m_length, std::move(dateText))) {
        m_stream.close();
        m_file = std::make_shared<LogFile>();
        return false;
    }
    m_done = m_length == 0;
    return true;
}

bool LogFileReader::Open(const std::string& logDirectory, const LogFileEntry& entry) {
    if (entry.fileName.empty()) {
        m_file = std::make_shared<LogFile>();
        m_done = true;
        return false;
    }
    return Open(JoinPath(logDirectory, entry.fileName), LogDateFromFileName(entry.fileName));
}

LogFileReader::~LogFileReader() {
    m_stopAhead.store(true);
    if (m_ahead.joinable())
        m_ahead.join();
}

std::uint64_t LogFileReader::ReadInto(std::uint64_t offset, std::uint64_t bytes) {
    bytes = std::min(bytes, static_cast<std::uint64_t>(std::numeric_limits<std::streamsize>::max()));
    m_stream.read(m_file->m_buffer.Data() + offset, static_cast<std::streamsize>(bytes));
    return static_cast<std::uint64_t>(m_stream.gcount());
}

void LogFileReader::ReadAhead(std::uint64_t piece, bool faultInAhead) {
    if (m_done || m_ahead.joinable())
        return;
    m_available = m_read;
    m_aheadEnded = false;
    m_aheadPiece = std::max<std::uint64_t>(piece, 1);
    m_prepared = m_read;
    m_faultInAhead = faultInAhead;
    // The first pieces are small, so that the first rows come at once.
    m_ahead = std::thread(
        [this, at = m_read, length = m_length, piece = std::max<std::uint64_t>(piece, 1)]() mutable {
            std::uint64_t size = std::min<std::uint64_t>(piece, kFirstAheadPiece);
            bool more = true;
            while (more && !m_stopAhead.load()) {
                const std::uint64_t want = std::min(size, length - at);
                size = std::min(size * 2, piece);
                const std::uint64_t got = ReadInto(at, want);
                at += got;
                more = got == want && at < length;
                {
                    const std::lock_guard lock(m_mutex);
                    m_available = at;
                }
                m_arrived.notify_all();
            }
            m_stream.close();
            {
                const std::lock_guard lock(m_mutex);
                m_aheadEnded = true;
            }
            m_arrived.notify_all();
        });
}

bool LogFileReader::ReadNext(std::uint64_t maxBytes) {
    if (m_done)
        return false;
    const std::uint64_t target = m_read + std::min(std::max<std::uint64_t>(maxBytes, 1), m_length - m_read);
    bool ended = false;
    if (m_ahead.joinable()) {
        std::unique_lock lock(m_mutex);
        while (m_available < target && !m_aheadEnded) {
            // Rather than wait idle, fault in the pages that the reader comes to after its present piece:
            // its reads then only copy. Filling fresh memory costs as much as the copy itself.
            const std::uint64_t from = std::max(m_prepared, m_available + m_aheadPiece);
            if (m_faultInAhead && m_canPrepare && from < m_length) {
                lock.unlock();
                const std::uint64_t bytes = std::min(kPreparePiece, m_length - from);
                m_canPrepare =
                    m_file->m_buffer.Prepare(static_cast<std::size_t>(from), static_cast<std::size_t>(bytes));
                m_prepared = from + bytes;
                lock.lock();
            } else {
                m_arrived.wait(lock);
            }
        }
        m_read = std::min(m_available, target);
        ended = m_aheadEnded && m_read == m_available;
    } else {
        const std::uint64_t want = target - m_read;
        const std::uint64_t got = ReadInto(m_read, want);
        m_read += got;
        ended = got < want;
    }
    // A file that shrank since it was opened ends where the data ends.
    if (m_read == m_length || ended) {
        m_length = m_read;
        m_done = true;
        if (!m_ahead.joinable())
            m_stream.close();
        Index(m_read);
        return false;
    }
    // Up to the last complete line; the rest waits for the next piece.
    const std::string_view unindexed(m_file->m_buffer.Data() + m_indexed, m_read - m_indexed);
    const std::size_t lastEnd = unindexed.rfind('\n');
    if (lastEnd != std::string_view::npos)
        Index(m_indexed + lastEnd + 1);
    return true;
}

void LogFileReader::Index(std::uint64_t limit) {
    LogFile& file = *m_file;
    const char* const buffer = file.m_buffer.Data();
    LogBlockScanner scanner(buffer, limit);
    using Masks = LogBlockScanner::Masks;
    constexpr std::uint64_t kBlock = LogBlockScanner::kBlock;
    // A batch of blocks: first their masks, and two more, so that every line that begins in the batch can
    // be seen through a window of 128 bytes from its start; then the line ends in the batch; then the lines.
    // The lines do not wait for each other: where a line ends is known before it is looked at.
    constexpr std::uint64_t kBatch = 64;
    Masks masks[kBatch + 2];
    std::uint16_t ends[kBatch * kBlock];
    const auto window = [&](std::uint64_t Masks::*field, std::uint64_t from, std::uint64_t i) {
        const std::uint64_t block = from / kBlock + i;
        const unsigned shift = static_cast<unsigned>(from % kBlock);
        return (masks[block].*field >> shift) | ((masks[block + 1].*field << 1) << (63 - shift));
    };
    // The first set bit of 128, or 127 when there is none: bit 63 of the second word is set so that
    // countr_zero has no zero to test for.
    const auto first128 = [](std::uint64_t low, std::uint64_t high) {
        const bool inLow = low != 0;
        const std::uint64_t word = (inLow ? low : high) | (std::uint64_t{1} << 63);
        return static_cast<unsigned>(std::countr_zero(word)) + (inLow ? 0u : 64u);
    };
    std::uint64_t at = m_indexed;
    while (at < limit) {
        const std::uint64_t first = at / kBlock;
        const std::uint64_t base = first * kBlock;
        for (std::uint64_t i = 0; i < kBatch + 2; ++i) {
            masks[i] = scanner.BlockMasks(first + i);
            // The next batch, while this one is worked on.
            if (base + (kBatch + i) * kBlock < limit)
                LogBlockScanner::Prefetch(buffer + base + (kBatch + i) * kBlock);
        }
        // Line ends from at on, as offsets from base: four at a time, without a branch per end.
        std::size_t count = 0;
        masks[0].lf &= ~std::uint64_t{0} << (at - base);
        for (std::uint64_t i = 0; i < kBatch; ++i) {
            std::uint64_t lf = masks[i].lf;
            const auto offset = static_cast<std::uint16_t>(i * kBlock);
            for (int k = 0; k < 4; ++k) {
                ends[count] =
                    static_cast<std::uint16_t>(offset + std::countr_zero(lf | (std::uint64_t{1} << 63)));
                count += lf != 0;
                lf &= lf - 1;
            }
            for (; lf; lf &= lf - 1)
                ends[count++] = static_cast<std::uint16_t>(offset + std::countr_zero(lf));
        }
        for (std::size_t e = 0; e < count; ++e) {
            const std::uint64_t from = at - base;
            const std::uint64_t length = ends[e] - from;
            const std::uint64_t next = base + ends[e] + 1;
            // The common line: no leading space, at most 126 bytes, and a sixth field that begins with a
            // digit other than 0 (a row) or with no digit, sign or white space at all (no row).
            std::uint64_t low = window(&Masks::space, from, 0);
            std::uint64_t high = window(&Masks::space, from, 1);
            for (int i = 0; i < 4; ++i) {
                high &= high - std::uint64_t{low == 0};
                low &= low - 1;
            }
            const unsigned fifth = first128(low, high);
            const char lead = buffer[at];
            if (length < 127 && lead != ' ' && lead != '#' && lead != '\n') {
                if (fifth > length) {
                    at = next;
                    continue;
                }
                const char code = buffer[at + fifth + 1];
                if (code >= '1' && code <= '9') {
                    if (!file.Append(at))
                        return Finish(limit);
                    at = next;
                    continue;
                }
                if (!NeedsCarefulNumber(code)) {
                    at = next;
                    continue;
                }
            }
            bool row = false;
            std::uint64_t text = 0;
            IndexLine(scanner, buffer, limit, at, row, text);
            if (row && !file.Append(text))
                return Finish(limit);
            at = next;
        }
        // A line that does not end in this batch: the careful way when it is longer than the batch or the
        // last line of the data; otherwise the next batch begins with it.
        if (at < limit && (count == 0 || base + kBatch * kBlock >= limit)) {
            bool row = false;
            std::uint64_t text = 0;
            const std::uint64_t next = IndexLine(scanner, buffer, limit, at, row, text);
            if (row && !file.Append(text))
                return Finish(limit);
            at = next;
        }
    }
    Finish(limit);
}

void LogFileReader::Finish(std::uint64_t limit) {
    m_indexed = limit;
    m_file->Publish(limit);
}

} // namespace qv
