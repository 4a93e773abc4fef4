#include "LogFileReader.h"

#include "LogBlockScanner.h"
#include "LogEventCode.h"
#include "LogParser.h"
#include "platform/FileSystem.h"
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
constexpr std::uint64_t kPreparePiece = 1 << 20;
// What a follow compares of the file's bytes to tell another file, and the least room of a follow's piece.
constexpr std::uint64_t kSameBytes = 256;
constexpr std::uint64_t kFollowPiece = 4 << 20;

// What the number reading skips or takes before the digits, and the digit 0: a sixth field that begins with
// one of them is read the careful way.
bool NeedsCarefulNumber(char c) {
    return c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '+' || c == '-' || c == '0';
}

// The kind of an event code.
LogEventKind KindOfCode(std::int64_t code) {
    switch (code) {
    case static_cast<std::int64_t>(LogEventCode::RedirectionRule):
        return LogEventKind::RedirectionRule;
    case static_cast<std::int64_t>(LogEventCode::StaticFile):
        return LogEventKind::StaticFile;
    case static_cast<std::int64_t>(LogEventCode::ImageFile):
        return LogEventKind::ImageFile;
    case static_cast<std::int64_t>(LogEventCode::DynamicFile):
        return LogEventKind::DynamicFile;
    case static_cast<std::int64_t>(LogEventCode::RulesReloaded):
        return LogEventKind::RulesReloaded;
    default:
        return LogEventKind::Other;
    }
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The kind of a one-digit code, without a branch per row.
constexpr LogEventKind kKindOfDigit[10] = {LogEventKind::Other,       LogEventKind::RedirectionRule,
                                           LogEventKind::StaticFile,  LogEventKind::ImageFile,
                                           LogEventKind::DynamicFile, LogEventKind::Other,
                                           LogEventKind::Other,       LogEventKind::Other,
                                           LogEventKind::Other,       LogEventKind::RulesReloaded};

// "HH:MM:SS" as eight bytes at once, the handler's usual form; false leaves it to SecondOfDay.
bool EightByteTime(const char* p, const char* end, std::uint32_t& second) {
    if constexpr (std::endian::native != std::endian::little)
        return false;
    if (end - p < 8)
        return false;
    std::uint64_t v = 0;
    std::memcpy(&v, p, 8);
    constexpr std::uint64_t kColons = 0x0000'3A00'003A'0000;
    constexpr std::uint64_t kColonBytes = 0x0000'FF00'00FF'0000;
    constexpr std::uint64_t kOnes = 0x0101'0101'0101'0101;
    if ((v & kColonBytes) != kColons)
        return false;
    // The colons become '0' so that every byte must be a digit: no byte above 0x39 or below 0x30.
    const std::uint64_t x = v - kColons + 0x0000'3000'0030'0000;
    if (((x + 0x46 * kOnes) | (x - 0x30 * kOnes) | x) & (0x80 * kOnes))
        return false;
    if (end - p > 8 && IsDigit(p[8]))
        return false;
    const auto digit = [&x](int byte) { return static_cast<int>((x >> (8 * byte)) & 0xFF) - '0'; };
    const int hours = digit(0) * 10 + digit(1);
    const int minutes = digit(3) * 10 + digit(4);
    const int seconds = digit(6) * 10 + digit(7);
    second = (hours > 23 || minutes > 59 || seconds > 59)
                 ? LogFile::kNoTime
                 : static_cast<std::uint32_t>(hours * 3600 + minutes * 60 + seconds);
    return true;
}

// The time of day that the line's first field begins with: "H:MM:SS" or "HH:MM:SS" not followed by a
// digit; LogFile::kNoTime for anything else.
std::uint32_t SecondOfDay(const char* p, const char* end) {
    std::uint32_t fast = 0;
    if (EightByteTime(p, end, fast))
        return fast;
    const auto two = [](const char* at) { return (at[0] - '0') * 10 + (at[1] - '0'); };
    const std::ptrdiff_t size = end - p;
    int hours = 0;
    const char* rest = nullptr;
    if (size >= 8 && IsDigit(p[0]) && IsDigit(p[1]) && p[2] == ':') {
        hours = two(p);
        rest = p + 3;
    } else if (size >= 7 && IsDigit(p[0]) && p[1] == ':') {
        hours = p[0] - '0';
        rest = p + 2;
    } else {
        return LogFile::kNoTime;
    }
    if (!IsDigit(rest[0]) || !IsDigit(rest[1]) || rest[2] != ':' || !IsDigit(rest[3]) || !IsDigit(rest[4]) ||
        (rest + 5 < end && IsDigit(rest[5])))
        return LogFile::kNoTime;
    const int minutes = two(rest);
    const int seconds = two(rest + 3);
    if (hours > 23 || minutes > 59 || seconds > 59)
        return LogFile::kNoTime;
    return static_cast<std::uint32_t>(hours * 3600 + minutes * 60 + seconds);
}

// Any line, the careful way, by the rules of LogLine but without cutting the fields: skip the leading
// spaces, pass comments, find the sixth field after five spaces and tell a number of 0 from any other.
// Gives where the next line begins; row and slot tell whether the line gives a row and what its slot is
// (its offset counted from base).
std::uint64_t IndexLine(LogBlockScanner& scanner, const char* buffer, std::uint64_t limit, std::uint64_t at,
                        std::uint64_t base, bool& row, std::uint64_t& slot) {
    row = false;
    const std::uint64_t text = scanner.SkipSpaces(at);
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
    bool negative = false;
    if (p < limit && (buffer[p] == '+' || buffer[p] == '-'))
        negative = buffer[p++] == '-';
    std::int64_t code = 0;
    for (; p < limit && IsDigit(buffer[p]); ++p) {
        row = row || buffer[p] != '0';
        code = std::min<std::int64_t>(code * 10 + (buffer[p] - '0'), 1000);
    }
    const std::uint64_t lineEnd = scanner.LineEnd(p);
    if (row) {
        const LogEventKind kind = negative ? LogEventKind::Other : KindOfCode(code);
        slot = LogFile::Pack(base + text, SecondOfDay(buffer + text, buffer + lineEnd), kind);
    }
    return lineEnd + 1;
}

} // namespace

bool LogFileReader::Open(const std::string& path, std::string dateText) {
    // A read ahead of an earlier Open ends first: it writes into that file's buffer.
    if (m_ahead.joinable()) {
        m_stopAhead.store(true);
        m_ahead.join();
    }
    m_stopAhead.store(false);
    m_available = 0;
    m_aheadEnded = false;
    m_path = path;
    m_dateText = dateText;
    m_file = std::make_shared<LogFile>();
    m_length = m_read = m_indexed = m_tailStart = 0;
    m_tailRow = false;
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
        m_path.clear();
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
    m_stream.read(m_file->m_pieces[0].buffer.Data() + offset, static_cast<std::streamsize>(bytes));
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
                m_canPrepare = m_file->m_pieces[0].buffer.Prepare(static_cast<std::size_t>(from),
                                                                  static_cast<std::size_t>(bytes));
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
        FindTail();
        return false;
    }
    // Up to the last complete line; the rest waits for the next piece.
    const std::string_view unindexed(m_file->m_pieces[0].buffer.Data() + m_indexed, m_read - m_indexed);
    const std::size_t lastEnd = unindexed.rfind('\n');
    if (lastEnd != std::string_view::npos)
        Index(m_indexed + lastEnd + 1);
    return true;
}

void LogFileReader::Index(std::uint64_t limit) {
    LogFile& file = *m_file;
    LogFile::Piece& piece = file.LastPiece();
    // Offsets below count from the piece's start; the rows' offsets from the file's.
    const std::uint64_t origin = piece.base;
    const std::uint64_t end = limit;
    const char* const buffer = piece.buffer.Data();
    limit -= origin;
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
    std::uint64_t at = m_indexed - origin;
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
                    const LogEventKind kind =
                        IsDigit(buffer[at + fifth + 2]) ? LogEventKind::Other : kKindOfDigit[code - '0'];
                    const std::uint32_t second = SecondOfDay(buffer + at, buffer + at + length);
                    if (!file.Append(LogFile::Pack(origin + at, second, kind)))
                        return Finish(end);
                    at = next;
                    continue;
                }
                if (!NeedsCarefulNumber(code)) {
                    at = next;
                    continue;
                }
            }
            bool row = false;
            std::uint64_t slot = 0;
            IndexLine(scanner, buffer, limit, at, origin, row, slot);
            if (row && !file.Append(slot))
                return Finish(end);
            at = next;
        }
        // A line that does not end in this batch: the careful way when it is longer than the batch or the
        // last line of the data; otherwise the next batch begins with it.
        if (at < limit && (count == 0 || base + kBatch * kBlock >= limit)) {
            bool row = false;
            std::uint64_t slot = 0;
            const std::uint64_t next = IndexLine(scanner, buffer, limit, at, origin, row, slot);
            if (row && !file.Append(slot))
                return Finish(end);
            at = next;
        }
    }
    Finish(end);
}

void LogFileReader::Finish(std::uint64_t limit) {
    m_indexed = limit;
    m_file->Publish(limit);
}

void LogFileReader::FindTail() {
    LogFile& file = *m_file;
    const LogFile::Piece& piece = file.LastPiece();
    const std::string_view data(piece.buffer.Data(), static_cast<std::size_t>(m_length - piece.base));
    const std::size_t lastEnd = data.rfind('\n');
    m_tailStart = lastEnd == std::string_view::npos ? piece.base : piece.base + lastEnd + 1;
    m_tailRow = file.m_rows > 0 && (file.Slot(file.m_rows - 1) & LogFile::kOffsetMask) >= m_tailStart;
}

bool LogFileReader::Reopen() {
    if (m_path.empty())
        return false;
    const std::string path = m_path;
    std::string date = m_dateText;
    if (!Open(path, std::move(date)))
        return false;
    return true;
}

bool LogFileReader::SameBytes(std::ifstream& stream, std::uint64_t offset, std::uint64_t bytes) const {
    std::string onDisk(static_cast<std::size_t>(bytes), '\0');
    stream.seekg(static_cast<std::streamoff>(offset));
    stream.read(onDisk.data(), static_cast<std::streamsize>(bytes));
    if (static_cast<std::uint64_t>(stream.gcount()) != bytes)
        return false;
    // The bytes may stand in two pieces: the later one holds the line the earlier one ends with, whole.
    for (std::uint64_t at = offset; at < offset + bytes;) {
        const LogFile::Piece& piece = m_file->PieceOf(at);
        const std::uint64_t pieceEnd = std::min(piece.end.load(std::memory_order_acquire), offset + bytes);
        if (pieceEnd <= at)
            return false;
        if (std::memcmp(piece.buffer.Data() + (at - piece.base), onDisk.data() + (at - offset),
                        static_cast<std::size_t>(pieceEnd - at)) != 0)
            return false;
        at = pieceEnd;
    }
    return true;
}

LogFollowStep LogFileReader::ReadAppended(std::uint64_t maxBytes) {
    LogFollowStep step;
    LogFile& file = *m_file;
    step.rowsBefore = step.rowsAfter = file.RowCount();
    if (!m_done)
        return step;
    step.change = LogFileChange::Replaced;
    if (m_path.empty() || !file.m_pieces)
        return step;
    const std::filesystem::path native = FileSystem::Native(m_path);
    std::error_code error;
    if (!std::filesystem::is_regular_file(native, error))
        return step;
    std::ifstream stream(native, std::ios::in | std::ios::binary);
    if (!stream.is_open())
        return step;
    stream.seekg(0, std::ios::end);
    const std::streamoff size = stream.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) < m_length)
        return step;
    const auto length = static_cast<std::uint64_t>(size);
    if (length == m_length) {
        step.change = LogFileChange::Unchanged;
        return step;
    }
    // Another file under the same name shows in its first bytes or in those before our end.
    const std::uint64_t check = std::min(kSameBytes, m_length);
    if (!SameBytes(stream, 0, check) || !SameBytes(stream, m_length - check, check))
        return step;

    const std::uint64_t want = std::min(length - m_length, std::max<std::uint64_t>(maxBytes, 1));
    LogFile::Piece* piece = &file.LastPiece();
    if (m_length + want > piece->base + piece->buffer.Size()) {
        // The line without an end moves into the new piece, so that each line stands whole in one piece.
        const std::string_view carry =
            m_length > m_tailStart ? std::string_view(piece->buffer.Data() + (m_tailStart - piece->base),
                                                      static_cast<std::size_t>(m_length - m_tailStart))
                                   : std::string_view();
        const std::uint64_t room = std::max({(carry.size() + want) * 2, kFollowPiece, m_length / 8});
        piece = file.AddPiece(m_tailStart, room, carry);
        if (!piece)
            return step;
    }
    stream.seekg(static_cast<std::streamoff>(m_length));
    stream.read(piece->buffer.Data() + (m_length - piece->base), static_cast<std::streamsize>(want));
    const auto got = static_cast<std::uint64_t>(stream.gcount());
    if (got == 0) {
        step.change = LogFileChange::Unchanged;
        return step;
    }
    m_length += got;
    m_read = m_length;

    // The line that had no end yet is read again: its row, if it gave one, is rewritten, not added.
    LogBlockScanner scanner(piece->buffer.Data(), m_length - piece->base);
    bool row = false;
    std::uint64_t slot = 0;
    const std::uint64_t next = piece->base + IndexLine(scanner, piece->buffer.Data(), m_length - piece->base,
                                                       m_tailStart - piece->base, piece->base, row, slot);
    // A row stays a row as its line grows: the digits of its code can only go on.
    if (m_tailRow && row)
        file.Replace(file.m_rows - 1, slot);
    else if (row && !file.Append(slot))
        return step;
    m_indexed = std::min(next, m_length);
    Index(m_length);
    FindTail();

    step.change = LogFileChange::Appended;
    step.rowsAfter = file.RowCount();
    step.bytes = got;
    step.more = m_length < length;
    return step;
}

} // namespace qv
