#include "logviewer/core/ViewerExportCommand.h"
#include "TestData.h"
#include "logviewer/LogTestFiles.h"
#include "logviewer/core/ViewerCommandLine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace qv;

namespace {

using Mode = ViewerCommandLine::Mode;

ViewerCommandLine::Parsed Parse(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "qv_logviewer");
    return ViewerCommandLine::Parse(arguments);
}

std::string Slurp(const std::filesystem::path& path) {
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

} // namespace

TEST(ViewerCommandLine, AnExportTakesOnlyItsSwitchesAndTheWindowKeepsItsLine) {
    const struct {
        std::vector<std::string> arguments;
        Mode mode;
    } lines[] = {
        {{}, Mode::Window},
        {{"/3"}, Mode::Window},
        {{"-x", "/3", "/bogus"}, Mode::Window},
        {{"/?"}, Mode::Usage},
        {{"/3", "/export:a.csv", "/bogus", "/?"}, Mode::Usage},
        {{"/3", "/export:a.csv"}, Mode::Export},
        {{"/export:a.csv"}, Mode::Bad},
        {{"/3", "/export:a.csv", "/bogus"}, Mode::Bad},
        {{"/3", "/export:a.csv", "3"}, Mode::Bad},
        {{"/3", "/export:"}, Mode::Bad},
        {{"/3", "/4", "/export:a.csv"}, Mode::Bad},
        {{"/3", "/export:a.csv", "/export:b.csv"}, Mode::Bad},
        {{"/3", "/export:a.csv", "/file:"}, Mode::Bad},
        {{"/3", "/export:a.csv", "/type:nothing"}, Mode::Bad},
        {{"/3", "/export:a.csv", "/tsv", "/tsv"}, Mode::Bad},
    };
    for (const auto& [arguments, mode] : lines) {
        const ViewerCommandLine::Parsed parsed = Parse(arguments);
        EXPECT_EQ(parsed.mode, mode) << ViewerCommandLine::Join(arguments);
        EXPECT_EQ(parsed.error.empty(), mode != Mode::Bad) << ViewerCommandLine::Join(arguments);
    }
    const ViewerCommandLine::Parsed full = Parse({"/EXPORT:C:\\out\\a b.csv", "/File:qv060315.log",
                                                  "/find:two words", "/Type:static", "/TSV", "/714302958"});
    ASSERT_EQ(full.mode, Mode::Export);
    EXPECT_EQ(full.site, 714302958u);
    EXPECT_EQ(full.exportPath, "C:\\out\\a b.csv");
    EXPECT_EQ(full.fileName, "qv060315.log");
    EXPECT_EQ(full.find, "two words");
    EXPECT_EQ(full.kinds, LogEventKindBit(LogEventKind::StaticFile));
    EXPECT_EQ(full.format, LogTableFormat::Tsv);
}

TEST(ViewerExportCommand, WritesTheRowsTheWindowShowsOrSaysWhyNot) {
    test::LogTestDirectory logs;
    std::filesystem::copy_file(std::string(QV_TEST_DATA_DIR) + "/logs/kinds/qv060315.log",
                               logs.File("qv060315.log"));
    logs.Write("qv060314.log", "10:00:00 1.1.1.1 2.2.2.2 /older.htm - 2\n");
    test::LogTestDirectory empty;
    const std::vector<ViewerSite> sites = {{3, "Shop", empty.Str()}, {7, "Main", logs.Str()}};
    const std::string out = logs.File("out.csv").string();
    const std::string header = "Date,Time,Type,Description,Path,Query String,Client IP,Server IP\r\n";
    const std::string staticRows =
        "2006-03-15,10:00:01,Quorvane File,Static,/missing.htm,-,192.168.1.10,10.0.0.1\r\n"
        "2006-03-15,10:00:12,Quorvane File,Static,/emptyclient.htm,,,10.0.0.1\r\n"
        "2006-03-15,\t10:00:15,Quorvane File,Static,/tab.htm,-,192.168.1.22,10.0.0.1\r\n"
        "2006-03-15,10:00:17,Quorvane File,Static,/trailing.htm,-,192.168.1.24,10.0.0.1\r\n"
        "2006-03-15,10:00:19,Quorvane File,Static,/afterempty.htm,-,192.168.1.26,10.0.0.1\r\n";
    const struct {
        std::vector<std::string> arguments;
        int exitCode;
        std::string written; // empty: nothing to compare
    } runs[] = {
        // The newest file by default; type and text together.
        {{"/7", "/export:" + out, "/type:Static", "/find:.HTM"}, 0, header + staticRows},
        {{"/7", "/export:" + out, "/file:qv060314.log"},
         0,
         header + "2006-03-14,10:00:00,Quorvane File,Static,/older.htm,-,1.1.1.1,2.2.2.2\r\n"},
        {{"/7", "/export:" + out, "/find:afterempty", "/tsv"},
         0,
         "Date\tTime\tType\tDescription\tPath\tQuery String\tClient IP\tServer IP\n"
         "2006-03-15\t10:00:19\tQuorvane File\tStatic\t/afterempty.htm\t-\t192.168.1.26\t10.0.0.1\n"},
        {{"/7", "/export:" + out, "/find:no such text"}, 0, header},
        // Site 0 is the first site, as in the window: it has no log files.
        {{"/0", "/export:" + out}, 1, ""},
        {{"/99", "/export:" + out}, 1, ""},
        {{"/7", "/export:" + out, "/file:qv000000.log"}, 1, ""},
        {{"/7", "/export:" + logs.File("missing/out.csv").string()}, 1, ""},
    };
    for (const auto& [arguments, exitCode, written] : runs) {
        std::filesystem::remove(out);
        const ViewerCommandLine::Parsed request = Parse(arguments);
        ASSERT_EQ(request.mode, Mode::Export) << request.error;
        std::string message;
        EXPECT_EQ(ViewerExportCommand::Run(request, sites, message), exitCode) << message;
        EXPECT_FALSE(message.empty());
        if (!written.empty()) {
            EXPECT_EQ(Slurp(out), written) << ViewerCommandLine::Join(arguments);
        }
    }
    std::string message;
    EXPECT_EQ(ViewerExportCommand::Run(Parse({"/0", "/export:" + out}), {}, message), 1) << "no sites at all";
}
