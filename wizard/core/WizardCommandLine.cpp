#include "WizardCommandLine.h"

#include "platform/AsciiText.h"

#include <algorithm>
#include <limits>

namespace qv {

namespace {

constexpr std::string_view kFromSettings = "/FromSettings";
constexpr std::string_view kUnattended = "/unattended";
constexpr std::string_view kUsage = "/?";
constexpr std::string_view kSites = "/sites:";
constexpr std::string_view kDirectory = "/directory:";
constexpr std::string_view kNoRules = "/norules";
constexpr std::string_view kNoExamples = "/noexamples";

bool StartsNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && AsciiText::EqualNoCase(text.substr(0, prefix.size()), prefix);
}

WizardCommandLine::Parsed Error(std::string message) {
    WizardCommandLine::Parsed parsed;
    parsed.mode = WizardCommandLine::Mode::Error;
    parsed.error = std::move(message);
    return parsed;
}

// "1,3,7": decimal site numbers above 0 that fit in 32 bits, no empty item; repeats are dropped.
bool ParseSiteList(std::string_view text, std::vector<std::uint32_t>& ids) {
    if (text.empty())
        return false;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view item = text.substr(start, comma - start);
        std::uint64_t value = 0;
        const bool digits = !item.empty() && std::all_of(item.begin(), item.end(),
                                                         [](char c) { return c >= '0' && c <= '9'; });
        if (!digits || !AsciiText::ParseUnsigned(item, std::numeric_limits<std::uint32_t>::max(), value) ||
            value == 0)
            return false;
        const auto id = static_cast<std::uint32_t>(value);
        if (std::find(ids.begin(), ids.end(), id) == ids.end())
            ids.push_back(id);
        start = comma + 1;
    }
    return true;
}

} // namespace

WizardCommandLine::Parsed WizardCommandLine::Parse(const std::vector<std::string>& args) {
    const bool unattended = std::any_of(args.begin(), args.end(), [](const std::string& arg) {
        return AsciiText::EqualNoCase(arg, kUnattended);
    });
    const bool usage = std::find(args.begin(), args.end(), kUsage) != args.end();

    if (!unattended && !usage) {
        // The window reads nothing but its one option; anything else is ignored.
        Parsed parsed;
        parsed.fromSettings = FromSettings(Join(args));
        return parsed;
    }

    Parsed parsed;
    parsed.mode = usage ? Mode::Usage : Mode::Unattended;
    bool seenUnattended = false;
    bool seenSites = false;
    bool seenDirectory = false;
    bool seenNoRules = false;
    bool seenNoExamples = false;
    const auto once = [](bool& seen) {
        const bool first = !seen;
        seen = true;
        return first;
    };
    for (const std::string& arg : args) {
        if (arg == kUsage)
            continue;
        if (usage && !AsciiText::EqualNoCase(arg, kUnattended))
            return Error("\"/?\" takes no other switch: " + arg);
        if (AsciiText::EqualNoCase(arg, kUnattended)) {
            if (!once(seenUnattended))
                return Error("The switch /unattended is given twice.");
        } else if (StartsNoCase(arg, kSites)) {
            if (!once(seenSites))
                return Error("The switch /sites is given twice.");
            const std::string_view value = std::string_view(arg).substr(kSites.size());
            if (AsciiText::EqualNoCase(value, "all")) {
                parsed.sites = Sites::All;
            } else if (AsciiText::EqualNoCase(value, "none")) {
                parsed.sites = Sites::None;
            } else {
                parsed.sites = Sites::List;
                if (!ParseSiteList(value, parsed.siteIds))
                    return Error("The switch /sites takes all, none or site numbers separated by commas: " +
                                 arg);
            }
        } else if (StartsNoCase(arg, kDirectory)) {
            if (!once(seenDirectory))
                return Error("The switch /directory is given twice.");
            parsed.directory = arg.substr(kDirectory.size());
            if (parsed.directory->empty())
                return Error("The switch /directory needs a directory name.");
        } else if (AsciiText::EqualNoCase(arg, kNoRules)) {
            if (!once(seenNoRules))
                return Error("The switch /norules is given twice.");
            parsed.createRulesFile = false;
        } else if (AsciiText::EqualNoCase(arg, kNoExamples)) {
            if (!once(seenNoExamples))
                return Error("The switch /noexamples is given twice.");
            parsed.createExampleFiles = false;
        } else {
            return Error("Unknown switch: " + arg);
        }
    }
    if (usage) {
        Parsed help;
        help.mode = Mode::Usage;
        return help;
    }
    return parsed;
}

bool WizardCommandLine::FromSettings(std::string_view commandLine) {
    const std::size_t slash = commandLine.find('/');
    return slash != std::string_view::npos && commandLine.substr(slash) == kFromSettings;
}

std::string WizardCommandLine::Join(const std::vector<std::string>& args) {
    std::string line;
    for (const std::string& arg : args) {
        if (!line.empty())
            line += ' ';
        line += arg;
    }
    return line;
}

std::string WizardCommandLine::Usage() {
    return "Deploys Quorvane to the web sites of this server without the wizard's window.\n"
           "\n"
           "qv_wizard /unattended [/sites:1,3,7 | /sites:all | /sites:none] [/directory:NAME]\n"
           "          [/norules] [/noexamples]\n"
           "\n"
           "  /sites:      the sites to enable, by site number; without it, those the default\n"
           "               settings enable. Every other site is written disabled.\n"
           "  /directory:  the error directory's name in each site root; without it, the\n"
           "               default settings' name.\n"
           "  /norules     no rules file in the site roots.\n"
           "  /noexamples  no example error files in the error directories.\n"
           "\n"
           "Every site's stored settings are replaced by the default settings. They are first\n"
           "saved into Backups in the installation directory; \"qv_reg import FILE\" restores them.\n"
           "Switch names ignore letter case.\n"
           "\n"
           "Exit codes: 0 everything was done, 1 a piece failed or the backup could not be\n"
           "written (then nothing was written), 2 the command line cannot be read.\n";
}

} // namespace qv
