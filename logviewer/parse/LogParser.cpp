#include "LogParser.h"

#include "LogFileReader.h"
#include "platform/AsciiText.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <system_error>

namespace qv {

namespace {

constexpr std::size_t kDisplayTextMax = 127;
constexpr std::uint64_t kAheadFrom = 4 << 20;
constexpr std::uint64_t kAheadPiece = 8 << 20;
constexpr std::uint64_t kIndexPiece = 1 << 20;

bool StartsWith(std::string_view text, std::string_view prefix, bool ignoreCase) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const char c = ignoreCase ? AsciiText::Lower(text[i]) : text[i];
        if (c != prefix[i])
            return false;
    }
    return true;
}

bool IsLogFileName(std::string_view name) {
    constexpr std::string_view prefix = "qv";
    constexpr std::string_view suffix = ".log";
    return name.size() >= prefix.size() + suffix.size() && StartsWith(name, prefix, kFileNamesIgnoreCase) &&
           StartsWith(name.substr(name.size() - suffix.size()), suffix, kFileNamesIgnoreCase);
}

// The list sorts as a sorted combo box does: without regard to letter case; ties by bytes.
bool DisplayLess(const LogFileEntry& a, const LogFileEntry& b) {
    const auto lowerLess = [](char x, char y) {
        return static_cast<unsigned char>(AsciiText::Lower(x)) < static_cast<unsigned char>(AsciiText::Lower(y));
    };
    const std::string& x = a.displayText;
    const std::string& y = b.displayText;
    if (std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(), lowerLess))
        return true;
    if (std::lexicographical_compare(y.begin(), y.end(), x.begin(), x.end(), lowerLess))
        return false;
    return x < y;
}

} // namespace

std::string LogDateFromFileName(std::string_view fileName) {
    std::string date = "20";
    // Places 3 to 8 of the name (from 1), with a hyphen after the year and the month.
    for (std::size_t at = 2; at < 8; ++at) {
        if (at >= fileName.size())
            break;
        date += fileName[at];
        if (at == 3 || at == 5)
            date += '-';
    }
    return date;
}

std::string LogFileDisplayText(std::string_view dateText, std::string_view fileName, std::int64_t size) {
    std::string text(dateText);
    text += "  -  ";
    text += fileName;
    text += "    (";
    text += std::to_string(size);
    text += " bytes)";
    return TextCodec::Cut(text, kDisplayTextMax);
}

std::vector<LogFileEntry> ListLogFiles(const std::string& logDirectory) {
    std::vector<LogFileEntry> entries;
    if (logDirectory.empty())
        return entries;
    std::error_code error;
    std::filesystem::directory_iterator it(FileSystem::Native(logDirectory), error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::error_code ignored;
        if (!it->is_regular_file(ignored))
            continue;
        std::string name = FileSystem::Narrow(it->path().filename());
        if (!IsLogFileName(name))
            continue;
        const std::uintmax_t bytes = it->file_size(ignored);
        LogFileEntry entry;
        entry.size = ignored
                         ? 0
                         : static_cast<std::int64_t>(std::min<std::uintmax_t>(
                               bytes, static_cast<std::uintmax_t>(std::numeric_limits<std::int64_t>::max())));
        entry.dateText = LogDateFromFileName(name);
        entry.displayText = LogFileDisplayText(entry.dateText, name, entry.size);
        entry.fileName = std::move(name);
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(), DisplayLess);
    return entries;
}

LogFile ReadLogFile(const std::string& logDirectory, const LogFileEntry& entry) {
    LogFileReader reader;
    if (!reader.Open(logDirectory, entry))
        return {};
    // A large file is read on a second thread while this one indexes what has arrived (and, while it
    // waits, faults in the pages the reading comes to next).
    if (reader.Length() >= kAheadFrom)
        reader.ReadAhead(kAheadPiece, true);
    while (reader.ReadNext(kIndexPiece)) {
    }
    return std::move(*reader.File());
}

} // namespace qv
