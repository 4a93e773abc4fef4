#include "LogCsvWriter.h"

#include "LogLine.h"
#include "platform/FileSystem.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace qv {

namespace {
constexpr std::size_t kFlushBytes = 1 << 20;

char Separator(LogTableFormat format) {
    return format == LogTableFormat::Tsv ? '\t' : ',';
}

std::string_view RowEnd(LogTableFormat format) {
    return format == LogTableFormat::Tsv ? "\n" : "\r\n";
}
} // namespace

void LogCsvWriter::AppendField(std::string& out, std::string_view field, LogTableFormat format) {
    if (format == LogTableFormat::Tsv) {
        for (char c : field)
            out += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
        return;
    }
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

void LogCsvWriter::AppendHeader(std::string& out, LogTableFormat format) {
    for (std::size_t column = 0; column < kLogColumnCount; ++column) {
        if (column > 0)
            out += Separator(format);
        AppendField(out, kLogColumnNames[column], format);
    }
    out += RowEnd(format);
}

void LogCsvWriter::AppendRecord(std::string& out, const LogRecord& record, LogTableFormat format) {
    for (std::size_t column = 0; column < kLogColumnCount; ++column) {
        if (column > 0)
            out += Separator(format);
        AppendField(out, record.Column(column), format);
    }
    out += RowEnd(format);
}

void LogCsvWriter::AppendRow(std::string& out, const LogFile& file, std::size_t row, LogTableFormat format,
                             LogTextMode mode) {
    const std::string_view line = file.Line(row);
    const LogRecord record = LogRecord::FromLine(LogLine(line), file.DateText());
    const bool decode = LogText::Decodes(line, mode);
    if (!decode && mode == LogTextMode::Utf8OrWindows1252)
        return AppendRecord(out, record, format);
    for (std::size_t column = 0; column < kLogColumnCount; ++column) {
        if (column > 0)
            out += Separator(format);
        AppendField(out, LogText::Utf8(record.Column(column), decode, mode), format);
    }
    out += RowEnd(format);
}

bool LogCsvWriter::WriteFile(const std::string& path, const LogFile& file,
                             const std::vector<std::uint32_t>& rows,
                             const std::function<bool(std::size_t written)>& goOn, LogTableFormat format) {
    const std::filesystem::path native = FileSystem::Native(path);
    std::ofstream out(native, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!out.is_open())
        return false;
    std::string buffer;
    AppendHeader(buffer, format);
    bool stopped = false;
    for (std::size_t i = 0; i < rows.size() && out && !stopped; ++i) {
        AppendRow(buffer, file, rows[i], format);
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
