#include "RegSandbox.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

using namespace std::string_literals;

namespace qv::test {
namespace {

class QvRegToolTest : public RegSandbox {
protected:
    ToolResult Reg(const std::vector<std::string>& args, const std::string& input = {}) {
        ToolResult result = ToolRun::Run(QV_REG_PROGRAM, args, input, m_machine.Str());
        // The program writes text: Windows line ends become '\n' for comparing.
        for (std::string* text : {&result.out, &result.err})
            text->erase(std::remove(text->begin(), text->end(), '\r'), text->end());
        return result;
    }
    std::string File(const std::string& name) const { return (m_machine.Path() / name).string(); }
};

TEST_F(QvRegToolTest, AddQueryAndDeleteThroughTheProgram) {
    ToolResult result = Reg({"add", Hklm("Tool"), "/v", "Greeting", "/d", "hello world"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "The operation completed successfully.\n");
    EXPECT_EQ(Stored(Key("Tool"), "Greeting"), "hello world\0"s);

    result = Reg({"query", "HKEY_LOCAL_MACHINE\\" + Key("Tool"), "/v", "Greeting"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "\n" + Full("Tool") + "\n    Greeting    REG_SZ    hello world\n\n");

    // Without /f and without an answer on the input nothing is deleted.
    result = Reg({"delete", Hklm("Tool")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("canceled"), std::string::npos);
    EXPECT_TRUE(KeyExists(Key("Tool")));
    result = Reg({"delete", Hklm("Tool")}, "yes\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_FALSE(KeyExists(Key("Tool")));

    result = Reg({"query", Hklm("Tool")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "ERROR: The system was unable to find the specified registry key or value.\n");
}

TEST_F(QvRegToolTest, ExportAndImportFilesThroughTheProgram) {
    Store(Key("Files"), "Name", kRegSz, "value with \"quotes\"\0"s);
    Store(Key("Files\\Sub"), "Blob", kRegBinary, std::string(120, '\x42'));
    const std::string file = File("files.reg");
    ToolResult result = Reg({"export", Hklm("Files"), file});
    ASSERT_EQ(result.exitCode, 0) << result.err;

    // UTF-16LE with a BOM on Windows, as reg.exe writes; UTF-8 on POSIX.
    std::string header(QV_REG_EXPORT_UTF16 ? 6 : 37, '\0');
    std::ifstream(file, std::ios::binary).read(header.data(), static_cast<std::streamsize>(header.size()));
    EXPECT_EQ(header, QV_REG_EXPORT_UTF16 ? "\xff\xfeW\0i\0"s : "Windows Registry Editor Version 5.00\n"s);

    ASSERT_EQ(Reg({"delete", Hklm("Files"), "/f"}).exitCode, 0);
    result = Reg({"import", file});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(Stored(Key("Files"), "Name"), "value with \"quotes\"\0"s);
    EXPECT_EQ(Stored(Key("Files\\Sub"), "Blob"), std::string(120, '\x42'));

    const std::string bad = File("bad.reg");
    std::ofstream(bad, std::ios::binary)
        << "Windows Registry Editor Version 5.00\n\n[" + Full("Half") + "]\n\"a\"=\"unfinished\n";
    result = Reg({"import", bad});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("line 4:"), std::string::npos) << result.err;
    EXPECT_FALSE(KeyExists(Key("Half")));
}

} // namespace
} // namespace qv::test
