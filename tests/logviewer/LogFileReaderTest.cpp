#include "logviewer/LogFileReader.h"
#include "LogTestFiles.h"
#include "TestData.h"
#include "logviewer/LogParser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace qv;

namespace {

std::vector<std::string> Lines(const LogFile& file) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < file.RowCount(); ++i)
        lines.emplace_back(file.Line(i));
    return lines;
}

} // namespace

TEST(LogFileReader, PiecesGiveTheRowsOfOneRead) {
    for (const char* dir : {"/logs/kinds", "/logs/crlf"}) {
        const std::string directory = std::string(QV_TEST_DATA_DIR) + dir;
        const LogFileEntry entry{"qv060315.log", 0, "", ""};
        const std::vector<std::string> whole = Lines(ReadLogFile(directory, entry));
        ASSERT_EQ(whole.size(), 15u);
        // Pieces that cut lines, and CR LF pairs, anywhere.
        for (std::uint64_t piece : {1, 2, 7, 64}) {
            LogFileReader reader;
            ASSERT_TRUE(reader.Open(directory, entry));
            std::size_t seen = 0;
            while (reader.ReadNext(piece)) {
                EXPECT_GE(reader.File()->RowCount(), seen);
                seen = reader.File()->RowCount();
            }
            EXPECT_TRUE(reader.Done());
            EXPECT_EQ(reader.BytesRead(), reader.Length());
            EXPECT_EQ(Lines(*reader.File()), whole) << dir << " in pieces of " << piece;
        }
    }
}

TEST(LogFileReader, StoppingKeepsTheRowsSoFar) {
    test::LogTestDirectory dir;
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += "10:00:00 1.1.1.1 2.2.2.2 /page" + std::to_string(i) + ".htm - 2\n";
    dir.Write("qv060315.log", text);
    LogFileReader reader;
    ASSERT_TRUE(reader.Open(dir.Str(), LogFileEntry{"qv060315.log", 0, "", ""}));
    reader.ReadNext(text.size() / 2);
    const std::shared_ptr<LogFile> file = reader.File();
    ASSERT_GT(file->RowCount(), 400u);
    ASSERT_LT(file->RowCount(), 600u);
    for (std::size_t i = 0; i < file->RowCount(); ++i)
        ASSERT_EQ(file->Record(i).path, "/page" + std::to_string(i) + ".htm");
}

TEST(LogFileReader, ReadsTheFileAsItWasWhenOpened) {
    test::LogTestDirectory dir;
    const std::string line = "10:00:00 1.1.1.1 2.2.2.2 /a - 2\n";
    dir.Write("qv060315.log", line + line);
    const LogFileEntry entry{"qv060315.log", 0, "", ""};

    LogFileReader grown;
    ASSERT_TRUE(grown.Open(dir.Str(), entry));
    std::ofstream(dir.File("qv060315.log"), std::ios::binary | std::ios::app) << line;
    while (grown.ReadNext(1 << 20)) {
    }
    EXPECT_EQ(grown.File()->RowCount(), 2u);

    // A file cut short meanwhile ends where its data ends; the cut line still counts.
    LogFileReader shrunk;
    ASSERT_TRUE(shrunk.Open(dir.Str(), entry));
    std::filesystem::resize_file(dir.File("qv060315.log"), line.size() + 10);
    while (shrunk.ReadNext(1 << 20)) {
    }
    EXPECT_EQ(shrunk.BytesRead(), line.size() + 10);
    EXPECT_EQ(shrunk.File()->RowCount(), 1u);
}
