#include "LogFileReader.h"

#include "LogLine.h"
#include "LogParser.h"
#include "platform/NativePath.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string_view>
#include <system_error>

namespace qv {

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

bool LogFileReader::ReadNext(std::uint64_t maxBytes) {
    if (m_done)
        return false;
    const std::uint64_t want =
        std::min<std::uint64_t>({std::max<std::uint64_t>(maxBytes, 1), m_length - m_read,
                                 static_cast<std::uint64_t>(std::numeric_limits<std::streamsize>::max())});
    m_stream.read(m_file->m_buffer.get() + m_read, static_cast<std::streamsize>(want));
    const auto got = static_cast<std::uint64_t>(m_stream.gcount());
    m_read += got;
    // A file that shrank since it was opened ends where the data ends.
    if (m_read == m_length || got < want) {
        m_length = m_read;
        m_done = true;
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
    LogFile& file = *m_file;
    const char* const buffer = file.m_buffer.get();
    const char* at = buffer + m_indexed;
    const char* const end = buffer + limit;
    while (at < end) {
        const auto* lineEnd = static_cast<const char*>(std::memchr(at, '\n', end - at));
        const char* textEnd = lineEnd ? lineEnd : end;
        // CR LF reads as LF, as a text-mode read on Windows gives it.
        if (lineEnd && textEnd > at && textEnd[-1] == '\r')
            --textEnd;
        // Empty and blank lines give no row and do not stop the reading.
        const LogLine line(std::string_view(at, textEnd - at));
        if (!line.IsBlank() && !line.IsComment() && line.Code() != 0 &&
            !file.Append(static_cast<std::uint64_t>(line.Text().data() - buffer)))
            break;
        at = lineEnd ? lineEnd + 1 : end;
    }
    m_indexed = limit;
    file.Publish(limit);
}

} // namespace qv
