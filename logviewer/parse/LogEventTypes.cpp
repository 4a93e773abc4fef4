#include "LogEventTypes.h"

#include "platform/AsciiText.h"

#include <algorithm>
#include <array>

namespace qv {

namespace {

struct TypeNames {
    std::string_view name;
    std::string_view type;
    std::string_view description; // empty where it varies by row
    std::string_view shortName;
};

constexpr std::array<TypeNames, kLogEventKindCount> kNames = {{
    {"Unknown", "Unknown", "", "Other"},
    {"Redirection Rule", "Redirection Rule", "", "Rule"},
    {"Quorvane File / Static", "Quorvane File", "Static", "Static"},
    {"Quorvane File / Image", "Quorvane File", "Image", "Image"},
    {"Quorvane File / Dynamic", "Quorvane File", "Dynamic", "Dynamic"},
    {"Rules.qv Reloaded", "Rules.qv Reloaded", "", "Reload"},
}};

constexpr std::size_t kStepRows = 1 << 20;

} // namespace

std::string_view LogEventTypes::Name(LogEventKind kind) {
    return kNames[static_cast<std::size_t>(kind) % kLogEventKindCount].name;
}

std::string_view LogEventTypes::Type(LogEventKind kind) {
    return kNames[static_cast<std::size_t>(kind) % kLogEventKindCount].type;
}

std::string_view LogEventTypes::Description(LogEventKind kind) {
    return kNames[static_cast<std::size_t>(kind) % kLogEventKindCount].description;
}

std::string_view LogEventTypes::ShortName(LogEventKind kind) {
    return kNames[static_cast<std::size_t>(kind) % kLogEventKindCount].shortName;
}

LogEventKindMask LogEventTypes::FromName(std::string_view name) {
    LogEventKindMask kinds = 0;
    if (name.empty())
        return kinds;
    for (std::size_t kind = 0; kind < kLogEventKindCount; ++kind) {
        const TypeNames& names = kNames[kind];
        for (std::string_view candidate : {names.name, names.type, names.description, names.shortName}) {
            if (!candidate.empty() && AsciiText::EqualNoCase(candidate, name))
                kinds |= LogEventKindBit(static_cast<LogEventKind>(kind));
        }
    }
    return kinds;
}

std::vector<LogEventKind> LogEventTypes::Present(const LogFile& file, std::size_t rows,
                                                 const std::function<bool()>& goOn) {
    rows = std::min(rows, file.RowCount());
    LogEventKindMask seen = 0;
    for (std::size_t from = 0; from < rows && seen != kAllLogEventKinds; from += kStepRows) {
        if (goOn && !goOn())
            break;
        const std::size_t to = std::min(rows, from + kStepRows);
        for (std::size_t row = from; row < to; ++row)
            seen |= LogEventKindBit(LogFile::KindOf(file.Slot(row)));
    }
    std::vector<LogEventKind> kinds;
    for (std::size_t kind = 0; kind < kLogEventKindCount; ++kind) {
        if (seen & LogEventKindBit(static_cast<LogEventKind>(kind)))
            kinds.push_back(static_cast<LogEventKind>(kind));
    }
    return kinds;
}

} // namespace qv
