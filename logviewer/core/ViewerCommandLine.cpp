#include "ViewerCommandLine.h"

#include "logviewer/parse/LogEventTypes.h"
#include "platform/AsciiText.h"

#include <limits>
#include <optional>
#include <utility>

namespace qv {

std::uint32_t ViewerCommandLine::RequestedSite(std::string_view commandLine) {
    const std::size_t slash = commandLine.find('/');
    if (slash == std::string_view::npos)
        return 0;
    std::uint64_t number = 0;
    for (std::size_t at = slash + 1;
         at < commandLine.size() && commandLine[at] >= '0' && commandLine[at] <= '9'; ++at) {
        number = number * 10 + static_cast<std::uint64_t>(commandLine[at] - '0');
        if (number > std::numeric_limits<std::uint32_t>::max())
            return std::numeric_limits<std::uint32_t>::max();
    }
    return static_cast<std::uint32_t>(number);
}

std::string ViewerCommandLine::Join(const std::vector<std::string>& arguments) {
    std::string line;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (i > 1)
            line += ' ';
        line += arguments[i];
    }
    return line;
}

namespace {

// The value after a switch's name ("/find:" and so on, without regard to letter case); none when the
// argument is another switch.
std::optional<std::string> ValueOf(std::string_view argument, std::string_view name) {
    if (argument.size() < name.size() || !AsciiText::EqualNoCase(argument.substr(0, name.size()), name))
        return std::nullopt;
    return std::string(argument.substr(name.size()));
}

bool IsSiteNumber(std::string_view argument) {
    return argument.size() > 1 && argument.front() == '/' &&
           argument.find_first_not_of("0123456789", 1) == std::string_view::npos;
}

ViewerCommandLine::Parsed Bad(std::string error) {
    ViewerCommandLine::Parsed parsed;
    parsed.mode = ViewerCommandLine::Mode::Bad;
    parsed.error = std::move(error);
    return parsed;
}

} // namespace

ViewerCommandLine::Parsed ViewerCommandLine::Parse(const std::vector<std::string>& arguments) {
    Parsed parsed;
    bool exporting = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "/?") {
            parsed.mode = Mode::Usage;
            return parsed;
        }
        exporting = exporting || ValueOf(arguments[i], "/export:").has_value();
    }
    // Without an export the window reads its command line as it always has.
    if (!exporting)
        return parsed;

    parsed.mode = Mode::Export;
    bool haveSite = false;
    bool haveFile = false;
    bool haveFind = false;
    bool haveType = false;
    bool haveTsv = false;
    const auto once = [](bool& seen) { return !std::exchange(seen, true); };
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (IsSiteNumber(argument)) {
            if (!once(haveSite))
                return Bad("the site number is given twice");
            parsed.site = RequestedSite(argument);
        } else if (auto path = ValueOf(argument, "/export:")) {
            if (!parsed.exportPath.empty())
                return Bad("/export: is given twice");
            if (path->empty())
                return Bad("/export: needs a file name");
            parsed.exportPath = std::move(*path);
        } else if (auto file = ValueOf(argument, "/file:")) {
            if (!once(haveFile) || file->empty())
                return Bad("/file: needs one log file name");
            parsed.fileName = std::move(*file);
        } else if (auto find = ValueOf(argument, "/find:")) {
            if (!once(haveFind))
                return Bad("/find: is given twice");
            parsed.find = std::move(*find);
        } else if (auto type = ValueOf(argument, "/type:")) {
            if (!once(haveType))
                return Bad("/type: is given twice");
            parsed.kinds = LogEventTypes::FromName(*type);
            if (parsed.kinds == 0)
                return Bad("no such event type: " + *type);
            parsed.typeName = std::move(*type);
        } else if (AsciiText::EqualNoCase(argument, "/tsv")) {
            if (!once(haveTsv))
                return Bad("/tsv is given twice");
            parsed.format = LogTableFormat::Tsv;
        } else {
            return Bad("unknown switch: " + argument);
        }
    }
    if (!haveSite)
        return Bad("an export needs the site number, /N");
    return parsed;
}

std::string ViewerCommandLine::Usage() {
    return "Usage: qv_logviewer [/N]\n"
           "       qv_logviewer /N /export:FILE [/file:qvYYMMDD.log] [/find:TEXT] [/type:NAME] [/tsv]\n"
           "       qv_logviewer /?\n"
           "\n"
           "  /N            the web site with the number N; 0: the first site (the window takes it without /N)\n"
           "  /export:FILE  write the rows to FILE and open no window: comma-separated values (RFC 4180)\n"
           "                in UTF-8, with the column names first\n"
           "  /file:NAME    the log file of the site's log directory to write; default: the newest\n"
           "  /find:TEXT    only the rows with TEXT in one of their columns, without regard to letter case\n"
           "  /type:NAME    only the rows of one event type: Static, Image, Dynamic, \"Quorvane File\",\n"
           "                \"Redirection Rule\", \"Rules.qv Reloaded\" or Unknown\n"
           "  /tsv          tab-separated text instead of comma-separated values\n"
           "\n"
           "Exit code: 0 the rows were written; 1 no such site, no such log file, or FILE cannot be "
           "written;\n"
           "2 an unknown switch or one without its value.\n";
}

} // namespace qv
