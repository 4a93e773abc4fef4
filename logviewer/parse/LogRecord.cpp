#include "LogRecord.h"

#include "LogEventCode.h"
#include "LogLine.h"

#include <string>

namespace qv {

std::string_view LogRecord::Column(std::size_t column) const {
    switch (column) {
    case 0:
        return date;
    case 1:
        return time;
    case 2:
        return type;
    case 3:
        return description;
    case 4:
        return path;
    case 5:
        return queryString;
    case 6:
        return clientIp;
    case 7:
        return serverIp;
    default:
        return {};
    }
}

LogRecord LogRecord::FromLine(const LogLine& line, std::string_view date) {
    LogRecord record;
    record.date = date;
    record.time = line.Field(0);
    record.clientIp = line.Field(1);
    record.serverIp = line.Field(2);
    record.path = line.Field(3);
    record.queryString = line.Field(4);
    record.code = line.Code();
    switch (static_cast<LogEventCode>(record.code)) {
    case LogEventCode::RedirectionRule:
        record.type = "Redirection Rule";
        record.description = "Rule " + std::to_string(line.Number());
        break;
    case LogEventCode::StaticFile:
        record.type = "Quorvane File";
        record.description = "Static";
        break;
    case LogEventCode::ImageFile:
        record.type = "Quorvane File";
        record.description = "Image";
        break;
    case LogEventCode::DynamicFile:
        record.type = "Quorvane File";
        record.description = "Dynamic";
        break;
    case LogEventCode::RulesReloaded:
        record.type = "Rules.qv Reloaded";
        record.description = std::to_string(line.Number()) + " Rules Read";
        break;
    default:
        record.type = "Unknown";
        record.description = "Code " + std::to_string(record.code);
        break;
    }
    return record;
}

} // namespace qv
