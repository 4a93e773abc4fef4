// The switches of the Setup Wizard and of the Log Viewer; the input is the arguments, one a line. Each parse
// gives the same answer twice; an error always says why and chooses nothing; a switch a run accepted is
// refused when it comes twice; the wizard's window option holds exactly when the line from its first "/"
// is "/FromSettings"; joined arguments without blanks or quotes split back into themselves.
#include "FuzzCheck.h"
#include "logviewer/core/ViewerCommandLine.h"
#include "platform/AsciiText.h"
#include "platform/Process.h"
#include "wizard/core/WizardCommandLine.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

using qv::ViewerCommandLine;
using qv::WizardCommandLine;

bool Same(const WizardCommandLine::Parsed& a, const WizardCommandLine::Parsed& b) {
    return a.mode == b.mode && a.fromSettings == b.fromSettings && a.sites == b.sites &&
           a.siteIds == b.siteIds && a.directory == b.directory && a.createRulesFile == b.createRulesFile &&
           a.createExampleFiles == b.createExampleFiles && a.error == b.error;
}

bool Same(const ViewerCommandLine::Parsed& a, const ViewerCommandLine::Parsed& b) {
    return a.mode == b.mode && a.site == b.site && a.exportPath == b.exportPath && a.fileName == b.fileName &&
           a.find == b.find && a.typeName == b.typeName && a.kinds == b.kinds && a.format == b.format &&
           a.error == b.error;
}

bool StartsNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && qv::AsciiText::EqualNoCase(text.substr(0, prefix.size()), prefix);
}

void CheckFromSettings(std::string_view line) {
    const bool expected = line.ends_with("/FromSettings") && std::count(line.begin(), line.end(), '/') == 1;
    QV_FUZZ_CHECK(WizardCommandLine::FromSettings(line) == expected, "the /FromSettings rule broken");
    const std::string before(line.substr(0, line.find('/')));
    QV_FUZZ_CHECK(WizardCommandLine::FromSettings(before + "/FromSettings"),
                  "/FromSettings after text without a slash not seen");
    QV_FUZZ_CHECK(!WizardCommandLine::FromSettings(before + "/FromSettings" + std::string(line) + " "),
                  "/FromSettings followed by more text seen");
}

void CheckWizard(const std::vector<std::string>& args) {
    const WizardCommandLine::Parsed parsed = WizardCommandLine::Parse(args);
    QV_FUZZ_CHECK(Same(parsed, WizardCommandLine::Parse(args)), "two wizard parses disagree");
    QV_FUZZ_CHECK((parsed.mode == WizardCommandLine::Mode::Error) != parsed.error.empty(),
                  "an error without a message, or a message without an error");
    if (parsed.mode == WizardCommandLine::Mode::Error)
        QV_FUZZ_CHECK(parsed.sites == WizardCommandLine::Sites::Default && parsed.siteIds.empty() &&
                          !parsed.directory,
                      "an error with sites or a directory chosen");
    QV_FUZZ_CHECK(!parsed.directory || !parsed.directory->empty(), "an empty directory given");
    QV_FUZZ_CHECK((parsed.sites == WizardCommandLine::Sites::List) != parsed.siteIds.empty(),
                  "a site list without sites, or sites without a list");
    const std::set<std::uint32_t> distinct(parsed.siteIds.begin(), parsed.siteIds.end());
    QV_FUZZ_CHECK(distinct.size() == parsed.siteIds.size() && !distinct.count(0),
                  "a site chosen twice, or site 0");
    const bool usage = std::find(args.begin(), args.end(), "/?") != args.end();
    QV_FUZZ_CHECK(parsed.mode != WizardCommandLine::Mode::Usage || usage, "the usage without /?");
    if (parsed.mode == WizardCommandLine::Mode::Window) {
        const std::string line = WizardCommandLine::Join(args);
        QV_FUZZ_CHECK(parsed.fromSettings == WizardCommandLine::FromSettings(line),
                      "the window's option read otherwise than from the line");
        CheckFromSettings(line);
    } else {
        QV_FUZZ_CHECK(!parsed.fromSettings, "/FromSettings outside the window");
    }
    if (parsed.mode == WizardCommandLine::Mode::Unattended) {
        for (const std::string& arg : args) {
            std::vector<std::string> twice = args;
            twice.push_back(arg);
            QV_FUZZ_CHECK(WizardCommandLine::Parse(twice).mode == WizardCommandLine::Mode::Error,
                          "a switch given twice accepted");
        }
    }

    const bool plain = std::all_of(args.begin(), args.end(), [](const std::string& arg) {
        return !arg.empty() && arg.find_first_of(" \t\"") == std::string::npos;
    });
    if (plain) {
        std::vector<std::string> split =
            qv::Process::SplitCommandLine("qv_wizard " + WizardCommandLine::Join(args));
        split.erase(split.begin());
        QV_FUZZ_CHECK(split == args, "joined arguments split otherwise");
    }
}

void CheckViewer(std::vector<std::string> args) {
    args.insert(args.begin(), "qv_logviewer");
    const ViewerCommandLine::Parsed parsed = ViewerCommandLine::Parse(args);
    QV_FUZZ_CHECK(Same(parsed, ViewerCommandLine::Parse(args)), "two viewer parses disagree");
    QV_FUZZ_CHECK((parsed.mode == ViewerCommandLine::Mode::Bad) != parsed.error.empty(),
                  "a bad line without a message, or a message without one");
    const bool usage = std::find(args.begin() + 1, args.end(), "/?") != args.end();
    const bool exporting = std::any_of(args.begin() + 1, args.end(),
                                       [](const std::string& arg) { return StartsNoCase(arg, "/export:"); });
    QV_FUZZ_CHECK((parsed.mode == ViewerCommandLine::Mode::Usage) == usage, "/? not read as the usage");
    if (!usage && !exporting) {
        QV_FUZZ_CHECK(parsed.mode == ViewerCommandLine::Mode::Window && parsed.site == 0,
                      "a line without an export not left to the window");
    }
    if (parsed.mode != ViewerCommandLine::Mode::Export)
        return;
    QV_FUZZ_CHECK(!parsed.exportPath.empty() && parsed.kinds != 0, "an export without a file or a type");
    const auto site = std::find_if(args.begin() + 1, args.end(), [](const std::string& arg) {
        return arg.size() > 1 && arg[0] == '/' && arg.find_first_not_of("0123456789", 1) == std::string::npos;
    });
    QV_FUZZ_CHECK(site != args.end() && parsed.site == ViewerCommandLine::RequestedSite(*site),
                  "an export's site is not the one its number names");
    const bool tsv = std::any_of(args.begin() + 1, args.end(), [](const std::string& arg) {
        return qv::AsciiText::EqualNoCase(arg, "/tsv");
    });
    QV_FUZZ_CHECK((parsed.format == qv::LogTableFormat::Tsv) == tsv, "the format not as asked");
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::vector<std::string> twice = args;
        twice.push_back(args[i]);
        QV_FUZZ_CHECK(ViewerCommandLine::Parse(twice).mode == ViewerCommandLine::Mode::Bad,
                      "a switch given twice accepted");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> args;
    for (std::size_t start = 0; start < input.size();) {
        const std::size_t newline = std::min(input.find('\n', start), input.size());
        args.emplace_back(input.substr(start, newline - start));
        start = newline + 1;
    }
    CheckFromSettings(input);
    CheckWizard(args);
    CheckViewer(args);
    return 0;
}
