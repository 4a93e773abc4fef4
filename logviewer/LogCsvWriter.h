#pragma once
// Rows as comma-separated values (RFC 4180): a header row with the column names, CR LF after every row,
// a field in quotes when it holds a comma, a quote, CR or LF, and a quote inside one doubled. The bytes of
// the log file are written as they are.
#include "LogRecord.h"

#include <string>
#include <string_view>

namespace qv {

class LogCsvWriter {
public:
    static void AppendField(std::string& out, std::string_view field);
    static void AppendHeader(std::string& out);
    static void AppendRecord(std::string& out, const LogRecord& record);
};

} // namespace qv
