// The verbs in-process: what they store, what they print, what they ask, and what they refuse.
#include "RegCommand.h"

#include "platform/RegistryKey.h"
#include "platform/TextCodec.h"
#include "platform/WinError.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <tuple>

using namespace std::string_literals;

namespace qv::test {
namespace {

const std::string kDone = "0|The operation completed successfully.\n|";
const std::string kCanceled = "\nThe operation was canceled by the user.\n";

// Works below a key of its own, deleted afterwards: Wine's registry outlives the test.
class RegCommandTest : public ::testing::Test {
protected:
    void TearDown() override { RegistryKey::DeleteTree("SOFTWARE\\QuorvaneTests"); }

    // Runs one command line, its words split at spaces; the exit code, stdout and stderr joined by '|'.
    std::string Run(const std::string& line, const std::string& input = {}) {
        std::istringstream in(input), words(line);
        std::ostringstream out, err;
        const std::vector<std::string> args(std::istream_iterator<std::string>(words), {});
        const int code = RegCommand(in, out, err, RegFileWriter::Encoding::Utf16Le).Run(args);
        return std::to_string(code) + "|" + out.str() + "|" + err.str();
    }

    // The sandbox key (plus a relative path) below HKEY_LOCAL_MACHINE, and as a command line names it.
    std::string Key(const std::string& sub = {}) const { return sub.empty() ? m_key : m_key + "\\" + sub; }
    std::string Hklm(const std::string& sub = {}) const { return "HKLM\\" + Key(sub); }
    std::string Full(const std::string& sub = {}) const { return "HKEY_LOCAL_MACHINE\\" + Key(sub); }
    std::string File(const std::string& name) const { return (m_machine.Path() / name).string(); }

    void Store(const std::string& sub, const std::string& name, std::uint32_t type,
               const std::string& bytes) {
        RegistryKey key;
        ASSERT_EQ(key.Create(Key(sub), RegAccess::ReadWrite), kErrorSuccess);
        ASSERT_EQ(key.SetValue(name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size())),
                  kErrorSuccess);
    }
    // A value of the sandbox as "type:bytes", or "(no key)" or "(no value)".
    std::string Stored(const std::string& sub, const std::string& name) const {
        RegistryKey key;
        std::string bytes;
        std::uint32_t type = 0;
        if (key.Open(Key(sub), RegAccess::Read) != kErrorSuccess)
            return "(no key)";
        return key.ReadValue(name, &type, bytes) == kErrorSuccess ? std::to_string(type) + ":" + bytes
                                                                  : "(no value)";
    }

    TempMachine m_machine;
    std::string m_key = "SOFTWARE\\QuorvaneTests\\qv_reg-" + std::to_string(std::random_device()());
};

TEST_F(RegCommandTest, AddStoresEachTypeAndQueryShowsThemAsRegDoes) {
    const std::string key = Hklm("Types");
    for (const char* add :
         {"/v Text /d a", "/V Path /T reg_expand_sz /D %SystemRoot%", "/v List /t REG_MULTI_SZ /d one\\0two",
          "/v Count /t REG_DWORD /d 0x1f", "/v Big /t REG_QWORD /d 12345678901",
          "/v Blob /t REG_BINARY /d 00ff10", "/ve /d dflt"})
        EXPECT_EQ(Run("ADD " + key + " " + add), kDone) << add;
    EXPECT_EQ(Run("add " + Hklm("Types\\Sub\\Deeper")), kDone);

    // Values come in the backend's order; without /s only the direct subkeys.
    const std::string query = Run("query " + key);
    EXPECT_TRUE(query.starts_with("0|\n" + Full("Types") + "\n    ")) << query;
    EXPECT_TRUE(query.ends_with("\n\n" + Full("Types\\Sub") + "\n\n|")) << query;
    for (const char* line : {"    Text    REG_SZ    a\n", "    Path    REG_EXPAND_SZ    %SystemRoot%\n",
                             "    List    REG_MULTI_SZ    one\\0two\n", "    Count    REG_DWORD    0x1f\n",
                             "    Big    REG_QWORD    0x2dfdc1c35\n", "    Blob    REG_BINARY    00FF10\n",
                             "    (Default)    REG_SZ    dflt\n"})
        EXPECT_NE(query.find(line), std::string::npos) << line;
    EXPECT_EQ(Run("query " + key + " /v Count"),
              "0|\n" + Full("Types") + "\n    Count    REG_DWORD    0x1f\n\n|");
    EXPECT_NE(Run("query " + key + " /s").find(Full("Types\\Sub\\Deeper") + "\n"), std::string::npos);
    EXPECT_NE(Run("query " + Hklm() + " /v count /s").find("End of search: 1 match(es) found."),
              std::string::npos);
    EXPECT_NE(Run("query " + Hklm("Types\\Sub") + " /ve").find("(Default)    REG_SZ    (value not set)"),
              std::string::npos);

    // Missing keys and values, other roots, bad data and bad command lines fail with 1 and touch nothing.
    for (const std::string& line :
         {"query " + Hklm("Nowhere"), "query " + key + " /v missing", "delete " + key + " /v missing /f"})
        EXPECT_EQ(Run(line), "1||ERROR: The system was unable to find the specified registry key or value.\n")
            << line;
    EXPECT_EQ(Run("add HKCU\\Software\\x /v a /d b"),
              "1||ERROR: Only HKEY_LOCAL_MACHINE (HKLM) is supported.\n");
    EXPECT_TRUE(Run("add " + key + " /v Count /t REG_DWORD /d lots /f").starts_with("1||ERROR"));
    for (const std::string& line :
         {"query"s, "query " + key + " /v", "query " + key + " /v a /ve", "add " + key + " /f /f",
          "delete " + key + " /va /ve", "export " + key, "import"s, "frobnicate"s})
        EXPECT_TRUE(Run(line).starts_with("1||ERROR: Invalid syntax.")) << line;
    EXPECT_EQ(Stored("Types", "Count"), "4:\x1f\0\0\0"s);
}

TEST_F(RegCommandTest, OverwritingAndDeletingAskFirstAndNoAnswerMeansNo) {
    Store("Ask\\Child", "v", kRegSz, "old\0"s);
    Store("Ask", "keep", kRegSz, "k\0"s);
    const std::string child = Hklm("Ask\\Child");
    EXPECT_EQ(Run("add " + child + " /v V /d new"),
              "0|Value V exists, overwrite(Yes/No)? " + kCanceled + "|");
    EXPECT_EQ(Stored("Ask\\Child", "v"), "1:old\0"s);
    EXPECT_EQ(Run("add " + child + " /v v /d new", "maybe\nyes\n")[0], '0');
    EXPECT_EQ(Stored("Ask\\Child", "v"), "1:new\0"s);
    EXPECT_EQ(Run("add " + child + " /v v /d forced /f"), kDone);
    EXPECT_EQ(Stored("Ask\\Child", "v"), "1:forced\0"s);

    for (const std::string& line :
         {"delete " + child + " /v v", "delete " + Hklm("Ask") + " /va", "delete " + Hklm("Ask")})
        EXPECT_EQ(Run(line, "n\n")[0], '0') << line;
    EXPECT_EQ(Stored("Ask\\Child", "v") + Stored("Ask", "keep"), "1:forced\0"s + "1:k\0"s);

    EXPECT_EQ(Run("delete " + Hklm("Ask") + " /va", "Y\n"),
              "0|Delete all values under the registry key " + Full("Ask") +
                  " (Yes/No)? The operation completed successfully.\n|");
    EXPECT_EQ(Stored("Ask", "keep") + Stored("Ask\\Child", "v"), "(no value)1:forced\0"s)
        << "/va leaves the subkeys";
    EXPECT_EQ(Run("delete " + Hklm("Ask"), "y\n"), "0|Permanently delete the registry key " + Full("Ask") +
                                                       " (Yes/No)? The operation completed successfully.\n|");
    EXPECT_EQ(Stored("Ask", ""), "(no key)");
    // The root itself is never deleted, whatever the answer.
    EXPECT_NE(Run("delete HKLM /f").find("cannot be deleted"), std::string::npos);
    EXPECT_EQ(Stored("", ""), "(no value)");
}

TEST_F(RegCommandTest, ExportThenImportRestoresTheTreeAndAMalformedFileWritesNothing) {
    const std::string odd = TextCodec::FromUtf16(u"Gr\u00fc\u00dfe");
    // Every type is read back from a file by the parser's own tests; here the tree, odd names and types.
    const std::vector<std::tuple<std::string, std::string, std::uint32_t, std::string>> values = {
        {"Tree", "", kRegSz, "default\0"s},
        {"Tree", odd, kRegSz, odd + '\0'},
        {"Tree", "empty", kRegSz, ""},
        {"Tree\\" + odd + "\\Leaf", "n", kRegDword, "\x01\0\0\0"s},
        {"Tree\\Empty", "q", kRegQword, "\x01\x02\x03\x04\x05\x06\x07\x08"s}};
    for (const auto& [key, name, type, bytes] : values)
        Store(key, name, type, bytes);
    const auto snapshot = [&] {
        std::string stored;
        for (const auto& [key, name, type, bytes] : values)
            stored += Stored(key, name) + "|";
        return stored;
    };
    const std::string before = snapshot(), file = File("tree.reg");

    // An existing file is kept unless the answer is yes or /y is given.
    std::ofstream(file) << "keep me";
    EXPECT_EQ(Run("export " + Hklm("Tree") + " " + file),
              "0|File " + file + " already exists. Overwrite (Yes/No)? " + kCanceled + "|");
    EXPECT_EQ(Run("export " + Hklm("Tree") + " " + file + " /y"), kDone);
    EXPECT_EQ(Run("delete " + Hklm("Tree") + " /f"), kDone);
    EXPECT_EQ(Run("import " + file), kDone);
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(Stored("Tree\\Empty", ""), "(no value)");

    // Deletions apply; a file with a fault anywhere writes nothing, not even what comes before the fault.
    const std::string head = "Windows Registry Editor Version 5.00\r\n\r\n[-" + Full("Tree\\" + odd) +
                             "]\r\n[" + Full("Tree") + "]\r\n\"empty\"=-\r\n\"new\"=dword:00000002\r\n";
    std::ofstream(File("bad.reg"), std::ios::binary) << head + "\"b\"=hex:0g\r\n";
    EXPECT_NE(Run("import " + File("bad.reg")).find("line 7: bad hex byte \"0g\""), std::string::npos);
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(Stored("Tree", "new"), "(no value)");
    std::ofstream(file, std::ios::binary) << head + "\r\n[" + Full("Fresh") + "]\r\n";
    EXPECT_EQ(Run("import " + file), kDone);
    EXPECT_EQ(Stored("Tree\\" + odd, "") + Stored("Tree", "empty"), "(no key)(no value)");
    EXPECT_EQ(Stored("Tree", "new"), "4:\x02\0\0\0"s);
    EXPECT_EQ(Stored("Tree", "") + Stored("Fresh", ""), "1:default\0(no value)"s);
    EXPECT_EQ(Run("import " + File("missing.reg"))[0], '1');
}

} // namespace
} // namespace qv::test
