// The command lines the suite starts, split as the suite and the C runtime split them.
#include "GrantRequest.h"
#include "platform/Process.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace qv::setacl {
namespace {

TEST(GrantRequest, ReadsTheSuitesCommandLinesAndRefusesOthers) {
    // The line after the program name, the directory ("" when refused), the account (the error when refused).
    struct Case {
        const char *line, *directory, *account;
        bool write, silent;
    };
    const Case cases[] = {
        {R"("C:\sites\errors" /dir /grant "\IIS_WPG" /read /silent)", R"(C:\sites\errors)", R"(\IIS_WPG)",
         false, true},
        {R"("/srv/a b" /DIR /Grant nobody /WRITE /read)", "/srv/a b", "nobody", true, false},
        // A directory's trailing backslash escapes its closing quote: the tool repairs the command line.
        {R"("C:\logs\" /dir /grant "MACHINE\IIS_WPG" /write /silent)", R"(C:\logs\)", R"(MACHINE\IIS_WPG)",
         true, true},
        {R"("C:\logs\" /dir /grant "IIS AppPool\Default Pool" /read /silent)", R"(C:\logs\)",
         R"(IIS AppPool\Default Pool)", false, true},
        {R"("C:\logs\" /dir /grant SYSTEM /write /silent)", R"(C:\logs\)", "SYSTEM", true, true},
        {R"("C:\a b\" /dir /grant "\IIS_WPG" /read)", R"(C:\a b\)", R"(\IIS_WPG)", false, false},
        {"dir /grant x /read", "", "/dir is missing", false, false},
        {"dir /dir /grant", "", "/grant needs an account", false, false},
        {"dir /dir /grant x /read /recursive", "", "\"/recursive\"", false, false},
        {"dir /dir /grant x /grant y /read", "", "/grant given twice", false, false},
        {"dir /dir /grant \"\" /read", "", "no account", false, false},
        {"dir /dir /bogus /SILENT", "", "\"/bogus\"", false, true}, // silent even when refused
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<std::string> args = Process::SplitCommandLine(std::string("setacl ") + c.line);
        args.erase(args.begin());
        GrantRequest request;
        std::string error;
        const bool parsed = ParseGrantRequest(args, &request, &error);
        EXPECT_EQ(parsed, *c.directory != '\0') << error;
        EXPECT_EQ(request.silent, c.silent);
        if (parsed) {
            EXPECT_EQ(request.directory, c.directory);
            EXPECT_EQ(request.account, c.account);
            EXPECT_EQ(request.write, c.write);
            EXPECT_EQ(request.read, !c.write || std::string(c.line).find("/read") != std::string::npos);
        } else {
            EXPECT_NE(error.find(c.account), std::string::npos) << error;
        }
    }
    GrantRequest help;
    std::string error;
    EXPECT_TRUE(ParseGrantRequest({"/?"}, &help, &error) && help.help);
}

} // namespace
} // namespace qv::setacl
