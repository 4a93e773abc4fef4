#pragma once
// Rows as comma-separated values (RFC 4180): a header row with the column names, CR LF after every row,
// a field in quotes when it holds a comma, a quote, CR or LF, and a quote inside one doubled. The bytes of
// the log file are written as they are.
#include "LogFile.h"
#include "LogRecord.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class LogCsvWriter {
public:
    static void AppendField(std::string& out, std::string_view field);
    static void AppendHeader(std::string& out);
    static void AppendRecord(std::string& out, const LogRecord& record);

    // Writes the header and the given rows of the file to path. goOn(written) is asked every kStepRows
    // rows, and once at the end, whether to go on. False when the file could not be written whole or was
    // stopped: a file of ours is then removed, one that could not be opened is left alone, as it may be
    // someone else's.
    static constexpr std::size_t kStepRows = 4096;
    static bool WriteFile(const std::string& path, const LogFile& file,
                          const std::vector<std::uint32_t>& rows,
                          const std::function<bool(std::size_t written)>& goOn);
};

} // namespace qv
