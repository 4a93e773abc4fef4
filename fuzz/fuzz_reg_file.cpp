// .reg files: a refused file leaves no entries and names its line; the same bytes give the same answer from
// a fresh parser and from a used one; what is read and written out again (UTF-8 and UTF-16LE) reads back
// as the same entries; UTF-8 and the narrow text decode and encode back to the same bytes.
#include "FuzzCheck.h"
#include "NarrowText.h"
#include "RegFileParser.h"
#include "RegFileWriter.h"
#include "RegKeyPath.h"
#include "platform/Utf8.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using qv::RegFileEntry;

std::vector<RegFileEntry> WithoutLines(std::vector<RegFileEntry> entries) {
    for (RegFileEntry& entry : entries)
        entry.line = 0;
    return entries;
}

// The entries written out as a file, or nothing when the writer cannot carry them (deletions, names it
// refuses).
std::optional<qv::RegFileWriter> Written(const std::vector<RegFileEntry>& entries) {
    qv::RegFileWriter writer;
    std::string error;
    for (const RegFileEntry& entry : entries) {
        if (entry.kind == RegFileEntry::Kind::CreateKey) {
            if (!writer.AddKey(qv::RegKeyPath::FromSubKey(entry.key), error))
                return std::nullopt;
        } else if (entry.kind != RegFileEntry::Kind::SetValue || !writer.AddValue(entry.value, error)) {
            return std::nullopt;
        }
    }
    return writer;
}

void CheckCodecs(std::string_view bytes) {
    std::u16string text;
    std::size_t errorAt = 0;
    if (qv::Utf8::Decode(bytes, text, &errorAt))
        QV_FUZZ_CHECK(qv::Utf8::Encode(text) == bytes, "UTF-8 does not encode back to its bytes");
    else
        QV_FUZZ_CHECK(errorAt < bytes.size(), "a UTF-8 fault past the end");
    std::u16string wide;
    if (qv::NarrowText::ToUtf16(bytes, wide)) {
        std::string narrow;
        QV_FUZZ_CHECK(qv::NarrowText::FromUtf16(wide, narrow) && narrow == bytes,
                      "narrow text does not come back unchanged");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckCodecs(bytes);

    static qv::RegFileParser used;
    qv::RegFileParser parser;
    const bool read = parser.Parse(bytes);
    QV_FUZZ_CHECK(used.Parse(bytes) == read, "a used parser answers otherwise");
    QV_FUZZ_CHECK(used.Entries() == parser.Entries() && used.Error() == parser.Error(),
                  "a used parser reads otherwise");
    if (!read) {
        QV_FUZZ_CHECK(parser.Entries().empty(), "a refused file left entries");
        QV_FUZZ_CHECK(parser.ErrorLine() > 0, "a refusal without a line");
        QV_FUZZ_CHECK(parser.Error().rfind("line ", 0) == 0, "a message that does not name the line");
        return 0;
    }
    QV_FUZZ_CHECK(parser.ErrorLine() == 0, "a read file with an error line");
    int line = 1;
    for (const RegFileEntry& entry : parser.Entries()) {
        QV_FUZZ_CHECK(entry.line > 1 && entry.line >= line, "entries out of line order");
        line = entry.line;
    }

    const std::optional<qv::RegFileWriter> writer = Written(parser.Entries());
    if (!writer)
        return 0;
    const std::vector<RegFileEntry> expected = WithoutLines(parser.Entries());
    for (const auto encoding : {qv::RegFileWriter::Encoding::Utf8, qv::RegFileWriter::Encoding::Utf16Le}) {
        qv::RegFileParser again;
        QV_FUZZ_CHECK(again.Parse(writer->Bytes(encoding)), "a written file is refused");
        QV_FUZZ_CHECK(WithoutLines(again.Entries()) == expected, "a written file reads back otherwise");
    }
    return 0;
}
