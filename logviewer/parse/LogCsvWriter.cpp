#include "LogCsvWriter.h"

#include "platform/FileSystem.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace qv {

namespace {
constexpr std::size_t kFlushBytes = 1 << 20;
} // namespace

void LogCsvWriter::AppendField(std::string& out, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += field;
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

void LogCsvWriter::AppendHeader(std::string& out) {
    for (std::size_t column = 0; column < kLogColumnCount; ++column) {
        if (column > 0)
            out += ',';
        AppendField(out, kLogColumnNames[column]);
    }
    out += "\r\n";
}

void LogCsvWriter::AppendRecord(std::string& out, const LogRecord& record) {
    for (std::size_t column = 0; column < kLogColumnCount; ++column) {
        if (column > 0)
            out += ',';
        AppendField(out, record.Column(column));
    }
    out += "\r\n";
}

bool LogCsvWriter::WriteFile(const std::string& path, const LogFile& file,
                             const std::vector<std::uint32_t>& rows,
                             const std::function<bool(std::size_t written)>& goOn) {
    const std::filesystem::path native = FileSystem::Native(path);
    std::ofstream out(native, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!out.is_open())
        return false;
    std::string buffer;
    AppendHeader(buffer);
    bool stopped = false;
    for (std::size_t i = 0; i < rows.size() && out && !stopped; ++i) {
        AppendRecord(buffer, file.Record(rows[i]));
        if (buffer.size() >= kFlushBytes) {
            out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            buffer.clear();
        }
        if ((i + 1) % kStepRows == 0)
            stopped = !goOn(i + 1);
    }
    // A stop that comes after the last step still removes the file: whoever stopped it wants none.
    if (!stopped && out)
        stopped = !goOn(rows.size());
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    out.close();
    const bool ok = out.good() && !stopped;
    if (!ok) {
        std::error_code ignored;
        std::filesystem::remove(native, ignored);
    }
    return ok;
}

} // namespace qv
