#include "LogFileReader.h"

#include "LogParser.h"
#include "platform/NativePath.h"
#include "platform/Paths.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string_view>
#include <system_error>

namespace qv {

namespace {

constexpr std::uint64_t kFirstAheadPiece = 256 * 1024;

// Eight bytes at a time: the high bit of each byte of a word that equals a given byte, exactly (no carry
// runs from one byte into the next).
constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
constexpr bool kWords = std::endian::native == std::endian::little;

std::uint64_t Load(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof(word));
    return word;
}

std::uint64_t Equal(std::uint64_t word, char c) {
    const std::uint64_t x = word ^ (kOnes * static_cast<unsigned char>(c));
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// The count-th space from p before the line's LF; when the line has fewer, its LF (or end).
const char* NthSpace(const char* p, const char* end, int count) {
    if constexpr (kWords) {
        for (; end - p >= 8; p += 8) {
            const std::uint64_t word = Load(p);
            const std::uint64_t lf = Equal(word, '\n');
            std::uint64_t spaces = Equal(word, ' ');
            if (lf)
                spaces &= (lf & (0 - lf)) - 1;
            for (; spaces; spaces &= spaces - 1) {
                if (--count == 0)
                    return p + std::countr_zero(spaces) / 8;
            }
            if (lf)
                return p + std::countr_zero(lf) / 8;
        }
    }
    for (; p < end && *p != '\n'; ++p) {
        if (*p == ' ' && --count == 0)
            return p;
    }
    return p;
}

// The LF that ends the line p is in, or end. The rest of a line after its number is short.
const char* LineEnd(const char* p, const char* end) {
    if constexpr (kWords) {
        if (end - p >= 8) {
            if (const std::uint64_t lf = Equal(Load(p), '\n'))
                return p + std::countr_zero(lf) / 8;
            p += 8;
        }
    }
    const auto* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
    return lf ? lf : end;
}

} // namespace

bool LogFileReader::Open(const std::string& path, std::string dateText) {
    m_file = std::make_shared<LogFile>();
    m_length = m_read = m_indexed = 0;
    m_done = true;
    // A directory opens for reading on POSIX and tells a nonsense length.
    const std::filesystem::path native = NativePath(path);
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
    m_stream.read(m_file->m_buffer.get() + offset, static_cast<std::streamsize>(bytes));
    return static_cast<std::uint64_t>(m_stream.gcount());
}

void LogFileReader::ReadAhead(std::uint64_t piece) {
    if (m_done || m_ahead.joinable())
        return;
    m_available = m_read;
    m_aheadEnded = false;
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
        m_arrived.wait(lock, [&] { return m_available >= target || m_aheadEnded; });
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
    const std::string_view unindexed(m_file->m_buffer.get() + m_indexed, m_read - m_indexed);
    const std::size_t lastEnd = unindexed.rfind('\n');
    if (lastEnd != std::string_view::npos)
        Index(m_indexed + lastEnd + 1);
    return true;
}

void LogFileReader::Index(std::uint64_t limit) {
    // One pass over each line, by the rules of LogLine but without cutting the fields: skip the leading
    // spaces, pass comments, find the sixth field after five spaces and tell a number of 0 from any other.
    LogFile& file = *m_file;
    const char* const buffer = file.m_buffer.get();
    const char* at = buffer + m_indexed;
    const char* const end = buffer + limit;
    while (at < end) {
        const char* p = at;
        while (p < end && *p == ' ')
            ++p;
        const char* const text = p;
        bool row = false;
        const char* lineEnd = nullptr;
        if (p < end && *p != '#' && *p != '\n') {
            const char* space = NthSpace(p, end, 5);
            if (space < end && *space == ' ') {
                p = space + 1;
                while (p < end && (*p == '\t' || *p == '\v' || *p == '\f' || *p == '\r'))
                    ++p;
                if (p < end && (*p == '+' || *p == '-'))
                    ++p;
                for (; p < end && *p >= '0' && *p <= '9'; ++p)
                    row = row || *p != '0';
            } else {
                lineEnd = space;
            }
        }
        // Empty and blank lines give no row and do not stop the reading.
        if (row && !file.Append(static_cast<std::uint64_t>(text - buffer)))
            break;
        if (!lineEnd)
            lineEnd = LineEnd(p, end);
        at = lineEnd < end ? lineEnd + 1 : end;
    }
    m_indexed = limit;
    file.Publish(limit);
}

} // namespace qv
