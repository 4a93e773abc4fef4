#include "LogCsvWriter.h"

namespace qv {

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

} // namespace qv
