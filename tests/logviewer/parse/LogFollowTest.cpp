#include "logviewer/LogTestFiles.h"
#include "logviewer/parse/LogFileReader.h"
#include "logviewer/parse/LogParser.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace qv;

namespace {

const LogFileEntry kEntry{"qv060315.log", 0, "", ""};

struct Row {
    std::string line;
    LogEventKind kind;
    std::uint32_t second;
    bool operator==(const Row&) const = default;
};

std::vector<Row> Rows(const LogFile& file) {
    std::vector<Row> rows;
    for (std::size_t i = 0; i < file.RowCount(); ++i)
        rows.push_back({std::string(file.Line(i)), file.Kind(i), file.SecondOfDay(i)});
    return rows;
}

// What a fresh read of the file gives: the rows a follow must have come to.
std::vector<Row> ReadWhole(const test::LogTestDirectory& dir) {
    return Rows(ReadLogFile(dir.Str(), kEntry));
}

void Append(const test::LogTestDirectory& dir, const std::string& bytes) {
    std::ofstream(dir.File(kEntry.fileName), std::ios::binary | std::ios::app) << bytes;
}

LogFollowStep FollowToTheEnd(LogFileReader& reader, std::uint64_t piece) {
    LogFollowStep step = reader.ReadAppended(piece);
    const std::size_t before = step.rowsBefore;
    while (step.more)
        step = reader.ReadAppended(piece);
    step.rowsBefore = before;
    return step;
}

} // namespace

TEST(LogFollow, AppendedBytesGiveTheRowsOfAWholeRead) {
    // Each step appends to the file; a line may come in parts, and a last line without its end is shown
    // as it is and read again once it grows, whether it was a row already or not.
    struct Step {
        const char* bytes;
        std::size_t rows;
    };
    const std::vector<std::vector<Step>> cases = {
        {{"10:00:01 1.1.1.1 2.2.2.2 /a.htm - 2\n", 2}, {"10:00:02 1.1.1.1 2.2.2.2 /b.htm - 3\n", 3}},
        // Not a row until the code comes.
        {{"10:00:01 1.1.1.1 2.2.2.2 /pa", 1},
         {"th.htm - ", 1},
         {"4\n10:00:03 1.1.1.1 2.2.2.2 /c - 1 7\n", 3}},
        // A row at once whose code and path grow: code 2 becomes 23, an unknown one.
        {{"10:00:01 1.1.1.1 2.2.2.2 /a.htm - 2", 2},
         {"3", 2},
         {"\r\n# comment\n   \n", 2},
         {"11:00:00 - - /r - 9 4", 3}},
        // A time that is completed later; a CR before the line end arrives alone.
        {{"1", 1}, {"1:30", 1}, {":00 1.1.1.1 2.2.2.2 /late - 2\r", 2}, {"\n", 2}},
    };
    for (std::size_t c = 0; c < cases.size(); ++c) {
        for (std::uint64_t piece : {std::uint64_t{3}, std::uint64_t{1} << 20}) {
            test::LogTestDirectory dir;
            dir.Write(kEntry.fileName, "09:00:00 1.1.1.1 2.2.2.2 /first.htm - 2\n");
            LogFileReader reader;
            ASSERT_TRUE(reader.Open(dir.Str(), kEntry));
            while (reader.ReadNext(1 << 20)) {
            }
            const std::shared_ptr<LogFile> file = reader.File();
            EXPECT_EQ(reader.ReadAppended(piece).change, LogFileChange::Unchanged);
            for (const Step& step : cases[c]) {
                Append(dir, step.bytes);
                const LogFollowStep followed = FollowToTheEnd(reader, piece);
                EXPECT_EQ(followed.change, LogFileChange::Appended) << c << ": " << step.bytes;
                EXPECT_EQ(followed.rowsAfter, step.rows) << c << ": " << step.bytes;
                // The same LogFile grows: whoever shows it keeps it.
                ASSERT_EQ(reader.File(), file);
                EXPECT_EQ(Rows(*file), ReadWhole(dir)) << c << ": " << step.bytes << ", pieces of " << piece;
            }
        }
    }
}

TEST(LogFollow, AShrunkOrReplacedFileIsReadAgainWhole) {
    const std::string line = "10:00:01 1.1.1.1 2.2.2.2 /a.htm - 2\n";
    const std::string other = "10:00:01 1.1.1.1 2.2.2.2 /b.htm - 2\n";
    struct Change {
        const char* what;
        std::string content; // empty: the file is removed
    };
    const Change changes[] = {
        {"cut short", line},
        {"emptied", ""},
        {"another file, longer", other + other + other + line},
        {"the same first bytes, other ones before the old end", line + other + line + line},
        {"removed", ""},
    };
    for (const Change& change : changes) {
        test::LogTestDirectory dir;
        dir.Write(kEntry.fileName, line + line);
        LogFileReader reader;
        ASSERT_TRUE(reader.Open(dir.Str(), kEntry));
        // Read ahead, so that the read again must not wait for the thread of the first.
        reader.ReadAhead(5);
        while (reader.ReadNext(7)) {
        }
        const std::shared_ptr<LogFile> old = reader.File();
        if (std::string(change.what) == "removed")
            std::filesystem::remove(dir.File(kEntry.fileName));
        else
            dir.Write(kEntry.fileName, change.content);
        const LogFollowStep step = reader.ReadAppended(1 << 20);
        EXPECT_EQ(step.change, LogFileChange::Replaced) << change.what;
        // Nothing of what is shown changes until it is read again.
        EXPECT_EQ(old->RowCount(), 2u) << change.what;
        EXPECT_EQ(reader.Reopen(), std::string(change.what) != "removed") << change.what;
        reader.ReadAhead(5);
        while (reader.ReadNext(7)) {
        }
        EXPECT_NE(reader.File(), old);
        if (std::string(change.what) != "removed") {
            EXPECT_EQ(Rows(*reader.File()), ReadWhole(dir)) << change.what;
        }
    }
}

TEST(LogFollow, RowsReadWhileAWriterAppendsAndAnotherThreadShowsThem) {
    test::LogTestDirectory dir;
    dir.Write(kEntry.fileName, "");
    LogFileReader reader;
    ASSERT_TRUE(reader.Open(dir.Str(), kEntry));
    while (reader.ReadNext(1 << 20)) {
    }
    const std::shared_ptr<const LogFile> file = reader.File();
    std::atomic<bool> writing{true};
    // The handler's side: lines in parts of any size, flushed as they go.
    std::thread writer([&] {
        std::ofstream out(dir.File(kEntry.fileName), std::ios::binary | std::ios::app);
        std::mt19937 random(11);
        std::string pending;
        for (int i = 0; i < 6000; ++i) {
            pending += std::to_string(10 + i % 12) + ":00:0" + std::to_string(i % 10) +
                       " 1.1.1.1 2.2.2.2 /p" + std::to_string(i) + ".htm - " + std::to_string(1 + i % 4) +
                       "\n";
            const std::size_t cut = random() % (pending.size() + 1);
            out << pending.substr(0, cut) << std::flush;
            pending.erase(0, cut);
        }
        out << pending << std::flush;
        writing = false;
    });
    // The window's side: the last rows shown so far, cut into their fields again and again, until the
    // follow is done, and once more after.
    std::atomic<bool> following{true};
    std::size_t oddRows = 0;
    std::size_t seen = 0;
    std::thread shower([&] {
        do {
            const std::size_t rows = file->RowCount();
            for (std::size_t row = rows > 50 ? rows - 50 : 0; row < rows; ++row, ++seen)
                oddRows += file->Record(row).path.substr(0, 2) != "/p";
        } while (following);
    });
    std::size_t rowsBefore = 0;
    bool replaced = false;
    while (writing && !replaced) {
        const LogFollowStep step = reader.ReadAppended(1 + rowsBefore % 5000);
        replaced = step.change == LogFileChange::Replaced;
        EXPECT_GE(step.rowsAfter, rowsBefore);
        rowsBefore = step.rowsAfter;
    }
    writer.join();
    FollowToTheEnd(reader, 1 << 16);
    following = false;
    shower.join();
    EXPECT_FALSE(replaced);
    EXPECT_GT(seen, 0u);
    EXPECT_EQ(oddRows, 0u);
    EXPECT_EQ(file->RowCount(), 6000u);
    EXPECT_EQ(Rows(*file), ReadWhole(dir));
}
