#pragma once
// The wizard's command line (the arguments after the program's name).
//
// Window mode: "/FromSettings" hides the Settings Manager's launch box. It counts only when the text from the
// first "/" of the line to its end is exactly "/FromSettings": letter case counts and nothing may follow;
// any other text is ignored.
//
// Unattended mode, for scripted roll-outs:
//   qv_wizard /unattended [/sites:1,3,7 | /sites:all | /sites:none] [/directory:NAME]
//             [/norules] [/noexamples]
//   qv_wizard /?
// The names of these switches ignore letter case, as Windows tools do ("/UNATTENDED", "/Sites:All"); NAME
// is taken as typed. Without /sites the sites chosen are those the default entry enables. Each switch may
// appear once; an unknown switch ("/FromSettings" included: it belongs to the window), a repeated one, a
// malformed site list, an empty directory name or "/?" mixed with other switches is an error. "/?" alone (or
// with /unattended) asks for the usage. Site numbers are checked against the web server when the sites are
// loaded (see UnattendedMode).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class WizardCommandLine {
public:
    enum class Mode { Window, Unattended, Usage, Error };
    enum class Sites { Default, All, None, List };

    struct Parsed {
        Mode mode = Mode::Window;
        bool fromSettings = false; // window mode only
        Sites sites = Sites::Default;
        std::vector<std::uint32_t> siteIds; // with Sites::List, in the order given, without repeats
        std::optional<std::string> directory;
        bool createRulesFile = true;
        bool createExampleFiles = true;
        std::string error; // with Mode::Error: one line saying what is wrong
    };

    // args: without the program's name.
    static Parsed Parse(const std::vector<std::string>& args);
    // The exact "/FromSettings" rule over the whole line (without the program's name).
    static bool FromSettings(std::string_view commandLine);
    // The arguments joined by single spaces, as the line reaches a Windows program.
    static std::string Join(const std::vector<std::string>& args);
    // The text "/?" prints.
    static std::string Usage();
};

} // namespace qv
