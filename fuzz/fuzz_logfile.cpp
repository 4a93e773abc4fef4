// Handler logs: the fast indexer gives exactly the rows that the line-by-line field rules give, for the
// bytes read whole and read in small pieces (with and without a thread reading ahead), and a row's record
// is the one its line gives.
#include "FuzzCheck.h"
#include "FuzzTempFile.h"
#include "logviewer/parse/LogFileReader.h"
#include "logviewer/parse/LogLine.h"
#include "logviewer/parse/LogParser.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

const qv::LogFileEntry kEntry{"qv060315.log", 0, "2006-03-15", ""};

// The text of every line that LogLine reads as a row.
std::vector<std::string_view> RowsByLines(std::string_view text) {
    std::vector<std::string_view> rows;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find('\n', start);
        const bool last = end == std::string_view::npos;
        if (last)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!last && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const qv::LogLine parsed(line);
        if (!parsed.IsBlank() && !parsed.IsComment() && parsed.Code() != 0)
            rows.push_back(parsed.Text());
        start = end + 1;
    }
    return rows;
}

void CheckRows(const qv::LogFile& file, const std::vector<std::string_view>& expected, const char* how) {
    QV_FUZZ_CHECK(file.RowCount() == expected.size(), how);
    for (std::size_t row = 0; row < expected.size(); ++row) {
        QV_FUZZ_CHECK(file.Line(row) == expected[row], how);
        const qv::LogRecord record = file.Record(row);
        QV_FUZZ_CHECK(record.code == qv::LogLine(expected[row]).Code(), "a record of another code");
    }
}

} // namespace

// The first byte chooses the piece size and whether a thread reads ahead; the rest is the file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const qv::fuzz::FuzzTempFile file(kEntry.fileName);
    if (size == 0)
        return 0;
    const std::uint8_t control = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    file.Write(text);
    const std::vector<std::string_view> expected = RowsByLines(text);

    CheckRows(qv::ReadLogFile(file.Directory(), kEntry), expected, "the file read whole");

    qv::LogFileReader reader;
    QV_FUZZ_CHECK(reader.Open(file.Directory(), kEntry), "the file does not open");
    if (control & 0x80)
        reader.ReadAhead(1 + (control & 0x0F), (control & 0x40) != 0);
    const std::uint64_t piece = 1 + (control & 0x3F);
    std::size_t seen = 0;
    for (bool more = true; more;) {
        more = reader.ReadNext(piece);
        const qv::LogFile& read = *reader.File();
        QV_FUZZ_CHECK(read.RowCount() <= expected.size(), "more rows in pieces than by lines");
        for (; seen < read.RowCount(); ++seen)
            QV_FUZZ_CHECK(read.Line(seen) == expected[seen], "a row read in pieces differs");
    }
    QV_FUZZ_CHECK(seen == expected.size(), "fewer rows in pieces than by lines");
    QV_FUZZ_CHECK(reader.BytesRead() == text.size(), "not every byte read");
    return 0;
}
