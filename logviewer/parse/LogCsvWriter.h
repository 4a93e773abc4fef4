#pragma once
// Rows as comma-separated values (RFC 4180): a header row with the column names, CR LF after every row,
// a field in quotes when it holds a comma, a quote, CR or LF, and a quote inside one doubled. Or as
// tab-separated text: LF after every row, a tab, CR or LF inside a field written as a space. The text is
// written as UTF-8 (LogText decides per line how the log's bytes read).
#include "LogFile.h"
#include "LogRecord.h"
#include "LogText.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

enum class LogTableFormat { Csv, Tsv };

class LogCsvWriter {
public:
    static void AppendField(std::string& out, std::string_view field,
                            LogTableFormat format = LogTableFormat::Csv);
    static void AppendHeader(std::string& out, LogTableFormat format = LogTableFormat::Csv);
    // The record's fields as they are.
    static void AppendRecord(std::string& out, const LogRecord& record,
                             LogTableFormat format = LogTableFormat::Csv);
    // The file's row, as UTF-8.
    static void AppendRow(std::string& out, const LogFile& file, std::size_t row,
                          LogTableFormat format = LogTableFormat::Csv,
                          LogTextMode mode = LogText::SystemMode());

    // Writes the header and the given rows of the file to path. goOn(written) is asked every kStepRows
    // rows, and once at the end, whether to go on. False when the file could not be written whole or was
    // stopped: a file of ours is then removed, one that could not be opened is left alone, as it may be
    // someone else's.
    static constexpr std::size_t kStepRows = 4096;
    static bool WriteFile(const std::string& path, const LogFile& file,
                          const std::vector<std::uint32_t>& rows,
                          const std::function<bool(std::size_t written)>& goOn,
                          LogTableFormat format = LogTableFormat::Csv);
};

} // namespace qv
