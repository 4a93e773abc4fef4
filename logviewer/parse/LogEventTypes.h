#pragma once
// The event types a user picks from: their names, the kinds a typed name stands for, and the kinds that
// occur in a file (taken from the index, without cutting a line).
#include "LogEventKind.h"
#include "LogFile.h"

#include <functional>
#include <string_view>
#include <vector>

namespace qv {

class LogEventTypes {
public:
    // "Redirection Rule", "Quorvane File / Static", "Quorvane File / Image", "Quorvane File / Dynamic",
    // "Rules.qv Reloaded", "Unknown": the Type column, and the Description where it is fixed.
    static std::string_view Name(LogEventKind kind);
    // The Type column of the kind's rows, and their Description where it is the same for all of them (empty
    // where it is made from the line's numbers).
    static std::string_view Type(LogEventKind kind);
    static std::string_view Description(LogEventKind kind);
    // For a legend: "Rule", "Static", "Image", "Dynamic", "Reload", "Other".
    static std::string_view ShortName(LogEventKind kind);
    // The kinds a name stands for, without regard to ASCII letter case: a whole Name, its Type part
    // ("Quorvane File": three kinds) or its Description part ("static"), or a ShortName. 0 for none.
    static LogEventKindMask FromName(std::string_view name);
    // The kinds of rows [0, rows) of the file, in the order of LogEventKind. goOn is asked now and then;
    // a stop gives what was seen so far.
    static std::vector<LogEventKind> Present(const LogFile& file, std::size_t rows,
                                             const std::function<bool()>& goOn = {});
};

} // namespace qv
