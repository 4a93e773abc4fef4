#pragma once
// The viewer's command line: "/" and a site number, as the Settings Manager starts it ("/3", "/0"), or a
// command-line export that opens no window ("/3 /export:rows.csv ..."), or "/?" for the usage.
#include "logviewer/parse/LogCsvWriter.h"
#include "logviewer/parse/LogEventKind.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class ViewerCommandLine {
public:
    // Exit codes of a run without a window.
    static constexpr int kExitOk = 0;
    static constexpr int kExitFailed = 1;   // no such site or file, cannot write
    static constexpr int kExitBadUsage = 2; // a switch we do not know, or one without its value

    enum class Mode {
        Window, // the window, for RequestedSite
        Export, // the fields below
        Usage,  // "/?": the usage on standard output
        Bad,    // error says why; the usage follows it on standard error
    };

    struct Parsed {
        Mode mode = Mode::Window;
        std::uint32_t site = 0;
        std::string exportPath;
        std::string fileName; // empty: the newest file, as the window shows it
        std::string find;
        std::string typeName;
        LogEventKindMask kinds = kAllLogEventKinds; // from typeName
        LogTableFormat format = LogTableFormat::Csv;
        std::string error;
    };

    // The decimal number right after the first "/", up to the first non-digit; 0 when there is none.
    // A number past 32 bits names no site.
    static std::uint32_t RequestedSite(std::string_view commandLine);
    // The arguments after the program's name, joined by spaces as Windows hands a program its command line.
    static std::string Join(const std::vector<std::string>& arguments);

    // The arguments with the program's name first. A "/?" asks for the usage; an "/export:" makes the
    // line an export, where every argument must be one of the switches; anything else opens the window,
    // which reads its site as it always has.
    static Parsed Parse(const std::vector<std::string>& arguments);
    static std::string Usage();
};

} // namespace qv
