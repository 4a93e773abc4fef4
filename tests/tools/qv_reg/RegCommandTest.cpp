#include "RegSandbox.h"

#include "RegCommand.h"

#include "platform/TextCodec.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <tuple>

using namespace std::string_literals;

namespace qv::test {
namespace {

struct Outcome {
    int code = -1;
    std::string out;
    std::string err;
};

class RegCommandTest : public RegSandbox {
protected:
    Outcome Run(const std::vector<std::string>& args, const std::string& input = {}) {
        std::istringstream in(input);
        std::ostringstream out, err;
        RegCommand command(in, out, err, RegFileWriter::Encoding::Utf16Le);
        Outcome outcome;
        outcome.code = command.Run(args);
        outcome.out = out.str();
        outcome.err = err.str();
        return outcome;
    }
    std::string File(const std::string& name) const { return (m_machine.Path() / name).string(); }
    static std::string Read(const std::string& path) {
        std::ifstream stream(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    }
    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
};

TEST_F(RegCommandTest, AddStoresEachTypeAndQueryShowsThemAsRegDoes) {
    const std::string key = Hklm("Types");
    for (const std::vector<std::string>& add :
         std::vector<std::vector<std::string>>{{"/v", "Text", "/d", "a b"},
                                               {"/V", "Path", "/T", "reg_expand_sz", "/D", "%SystemRoot%"},
                                               {"/v", "List", "/t", "REG_MULTI_SZ", "/d", "one\\0two"},
                                               {"/v", "Count", "/t", "REG_DWORD", "/d", "0x1f"},
                                               {"/v", "Big", "/t", "REG_QWORD", "/d", "12345678901"},
                                               {"/v", "Blob", "/t", "REG_BINARY", "/d", "00ff10"},
                                               {"/ve", "/d", "dflt"}}) {
        std::vector<std::string> args = {"ADD", key};
        args.insert(args.end(), add.begin(), add.end());
        EXPECT_EQ(Run(args).out, "The operation completed successfully.\n") << add[1];
    }
    EXPECT_EQ(Run({"add", Hklm("Types\\Sub\\Deeper")}).code, 0);

    std::uint32_t type = 0;
    EXPECT_EQ(Stored(Key("Types"), "Big", &type), "\x35\x1c\xdc\xdf\x02\0\0\0"s);
    EXPECT_EQ(type, kRegQword);

    const Outcome query = Run({"query", key});
    EXPECT_EQ(query.code, 0);
    for (const std::string& line : std::vector<std::string>{
             "\n" + Full("Types") + "\n", "    Text    REG_SZ    a b\n",
             "    Path    REG_EXPAND_SZ    %SystemRoot%\n", "    List    REG_MULTI_SZ    one\\0two\n",
             "    Count    REG_DWORD    0x1f\n", "    Big    REG_QWORD    0x2dfdc1c35\n",
             "    Blob    REG_BINARY    00FF10\n", "    (Default)    REG_SZ    dflt\n",
             "\n" + Full("Types\\Sub") + "\n"})
        EXPECT_NE(query.out.find(line), std::string::npos) << line << " in\n" << query.out;
    EXPECT_EQ(query.out.find("Deeper"), std::string::npos) << "without /s only the direct subkeys";

    const Outcome one = Run({"query", key, "/v", "Count"});
    EXPECT_EQ(one.out, "\n" + Full("Types") + "\n    Count    REG_DWORD    0x1f\n\n");
    const Outcome tree = Run({"query", key, "/s"});
    EXPECT_NE(tree.out.find(Full("Types\\Sub\\Deeper") + "\n"), std::string::npos) << tree.out;
    const Outcome search = Run({"query", Hklm(), "/v", "count", "/s"});
    EXPECT_EQ(search.code, 0);
    EXPECT_NE(search.out.find("End of search: 1 match(es) found."), std::string::npos) << search.out;
}

TEST_F(RegCommandTest, MissingKeysValuesAndBadArgumentsFailWithExitCodeOne) {
    Outcome outcome = Run({"query", Hklm("Nowhere")});
    EXPECT_EQ(outcome.code, 1);
    EXPECT_EQ(outcome.err, "ERROR: The system was unable to find the specified registry key or value.\n");
    Store(Key(), "x", kRegSz, "y\0"s);
    EXPECT_EQ(Run({"query", Hklm(), "/v", "missing"}).code, 1);
    outcome = Run({"query", Hklm(), "/ve"});
    EXPECT_EQ(outcome.code, 0);
    EXPECT_NE(outcome.out.find("(Default)    REG_SZ    (value not set)"), std::string::npos);
    EXPECT_EQ(Run({"delete", Hklm(), "/v", "missing", "/f"}).code, 1);

    outcome = Run({"add", "HKCU\\Software\\x", "/v", "a", "/d", "b"});
    EXPECT_EQ(outcome.code, 1);
    EXPECT_EQ(outcome.err, "ERROR: Only HKEY_LOCAL_MACHINE (HKLM) is supported.\n");
    outcome = Run({"add", Hklm(), "/v", "n", "/t", "REG_DWORD", "/d", "lots"});
    EXPECT_EQ(outcome.code, 1);
    EXPECT_NE(outcome.err.find("REG_DWORD"), std::string::npos);
    EXPECT_FALSE(Stored(Key(), "n"));

    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"query"},
                                               {"query", Hklm(), "/v"},
                                               {"query", Hklm(), "/v", "a", "/ve"},
                                               {"add", Hklm(), "/f", "/f"},
                                               {"delete", Hklm(), "/va", "/ve"},
                                               {"export", Hklm()},
                                               {"import"},
                                               {"frobnicate"}}) {
        outcome = Run(args);
        EXPECT_EQ(outcome.code, 1) << args.size();
        EXPECT_TRUE(outcome.err.starts_with("ERROR: Invalid syntax.")) << outcome.err;
    }
    EXPECT_EQ(Stored(Key(), "x"), "y\0"s) << "nothing was touched";
}

TEST_F(RegCommandTest, OverwritingAndDeletingAskFirstAndNoAnswerMeansNo) {
    Store(Key("Ask\\Child"), "v", kRegSz, "old\0"s);
    Store(Key("Ask"), "keep", kRegSz, "k\0"s);

    Outcome outcome = Run({"add", Hklm("Ask\\Child"), "/v", "V", "/d", "new"});
    EXPECT_EQ(outcome.code, 0);
    EXPECT_EQ(outcome.out, "Value V exists, overwrite(Yes/No)? \nThe operation was canceled by the user.\n");
    EXPECT_EQ(Stored(Key("Ask\\Child"), "v"), "old\0"s);

    outcome = Run({"add", Hklm("Ask\\Child"), "/v", "v", "/d", "new"}, "maybe\nyes\n");
    EXPECT_EQ(outcome.code, 0);
    EXPECT_EQ(Stored(Key("Ask\\Child"), "v"), "new\0"s);
    EXPECT_EQ(Run({"add", Hklm("Ask\\Child"), "/v", "v", "/d", "forced", "/f"}).code, 0);
    EXPECT_EQ(Stored(Key("Ask\\Child"), "v"), "forced\0"s);

    EXPECT_EQ(Run({"delete", Hklm("Ask\\Child"), "/v", "v"}, "n\n").code, 0);
    EXPECT_TRUE(Stored(Key("Ask\\Child"), "v"));
    EXPECT_EQ(Run({"delete", Hklm("Ask"), "/va"}).code, 0);
    EXPECT_TRUE(Stored(Key("Ask"), "keep"));
    EXPECT_EQ(Run({"delete", Hklm("Ask")}).code, 0);
    EXPECT_TRUE(KeyExists(Key("Ask\\Child")));

    outcome = Run({"delete", Hklm("Ask"), "/va"}, "Y\n");
    EXPECT_NE(outcome.out.find("Delete all values under the registry key " + Full("Ask") + " (Yes/No)? "),
              std::string::npos);
    EXPECT_FALSE(Stored(Key("Ask"), "keep"));
    EXPECT_TRUE(Stored(Key("Ask\\Child"), "v")) << "/va leaves the subkeys";

    outcome = Run({"delete", Hklm("Ask")}, "y\n");
    EXPECT_EQ(outcome.out, "Permanently delete the registry key " + Full("Ask") +
                               " (Yes/No)? The operation completed successfully.\n");
    EXPECT_FALSE(KeyExists(Key("Ask")));

    // The root itself is never deleted, whatever the answer.
    outcome = Run({"delete", "HKLM", "/f"});
    EXPECT_EQ(outcome.code, 1);
    EXPECT_NE(outcome.err.find("cannot be deleted"), std::string::npos);
    EXPECT_TRUE(KeyExists("SOFTWARE"));
}

TEST_F(RegCommandTest, ExportThenImportRestoresTheTreeByteForByte) {
    const std::string odd = TextCodec::FromUtf16(u"Gr\u00fc\u00dfe");
    // Every type is read back from a file by the parser's own tests; here the tree, odd names and types.
    const std::vector<std::tuple<std::string, std::string, std::uint32_t, std::string>> values = {
        {"Tree", "", kRegSz, "default\0"s},
        {"Tree", odd, kRegSz, odd + '\0'},
        {"Tree", "empty", kRegSz, ""},
        {"Tree\\" + odd + "\\Leaf", "n", kRegDword, "\x01\0\0\0"s},
        {"Tree\\Empty", "q", kRegQword, "\x01\x02\x03\x04\x05\x06\x07\x08"s}};
    for (const auto& [key, name, type, bytes] : values)
        Store(Key(key), name, type, bytes);
    const auto snapshot = [&] {
        std::vector<std::optional<std::string>> stored;
        for (const auto& [key, name, type, bytes] : values) {
            std::uint32_t storedType = 0;
            stored.push_back(Stored(Key(key), name, &storedType));
            stored.push_back(std::to_string(storedType));
        }
        return stored;
    };
    const auto before = snapshot();

    const std::string file = File("tree.reg");
    EXPECT_EQ(Run({"export", Hklm("Tree"), file}).code, 0);
    const std::string exported = Read(file);
    EXPECT_TRUE(exported.starts_with("\xff\xfeW\0"s));

    // An existing file is kept unless the answer is yes or /y is given.
    Write(file, "keep me");
    EXPECT_EQ(Run({"export", Hklm("Tree"), file}).out,
              "File " + file +
                  " already exists. Overwrite (Yes/No)? \nThe operation was canceled by the user.\n");
    EXPECT_EQ(Read(file), "keep me");
    EXPECT_EQ(Run({"export", Hklm("Tree"), file, "/y"}).code, 0);
    EXPECT_EQ(Read(file), exported);

    EXPECT_EQ(Run({"delete", Hklm("Tree"), "/f"}).code, 0);
    EXPECT_FALSE(KeyExists(Key("Tree")));
    const Outcome imported = Run({"import", file});
    EXPECT_EQ(imported.code, 0) << imported.err;
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(KeyExists(Key("Tree\\Empty")));
}

TEST_F(RegCommandTest, ImportAppliesDeletionsAndAMalformedFileWritesNothing) {
    Store(Key("Old\\Sub"), "x", kRegSz, "x\0"s);
    Store(Key("Keep"), "gone", kRegSz, "x\0"s);
    Store(Key("Keep"), "stays", kRegSz, "x\0"s);
    const std::string file = File("changes.reg");
    Write(file, "Windows Registry Editor Version 5.00\r\n\r\n[-" + Full("Old") + "]\r\n\r\n[" + Full("Keep") +
                    "]\r\n\"gone\"=-\r\n\"new\"=dword:00000002\r\n\r\n[" + Full("Fresh") + "]\r\n");
    EXPECT_EQ(Run({"import", file}).code, 0);
    EXPECT_FALSE(KeyExists(Key("Old")));
    EXPECT_FALSE(Stored(Key("Keep"), "gone"));
    EXPECT_TRUE(Stored(Key("Keep"), "stays"));
    EXPECT_EQ(Stored(Key("Keep"), "new"), "\x02\0\0\0"s);
    EXPECT_TRUE(KeyExists(Key("Fresh")));

    Write(file, "Windows Registry Editor Version 5.00\r\n\r\n[-" + Full("Keep") + "]\r\n[" + Full("Other") +
                    "]\r\n\"a\"=\"1\"\r\n\"b\"=hex:0g\r\n");
    const Outcome outcome = Run({"import", file});
    EXPECT_EQ(outcome.code, 1);
    EXPECT_NE(outcome.err.find("line 6: bad hex byte \"0g\""), std::string::npos) << outcome.err;
    EXPECT_TRUE(Stored(Key("Keep"), "stays")) << "the deletion before the fault did not happen";
    EXPECT_FALSE(KeyExists(Key("Other")));

    EXPECT_EQ(Run({"import", File("missing.reg")}).code, 1);
}

} // namespace
} // namespace qv::test
