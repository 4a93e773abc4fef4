#include "RulesReader.h"

#include "SiteSettings.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>

namespace qv {

namespace {

bool IsTokenLetter(char c) {
    return c == 'P' || c == 'U' || c == 'Q' || c == 'R';
}

bool IsPermanentKind(std::string_view kind) {
    return kind.starts_with('p') || kind.starts_with("301");
}

// The fields of one line of the file, without its line end; nothing when the line is no rule.
struct LineFields {
    std::string_view source;
    std::string_view target;
    std::optional<std::string_view> kind;
};

std::optional<LineFields> SplitLine(std::string_view line) {
    // A NUL ends the line's text, as it would end a C string.
    if (const std::size_t nul = line.find('\0'); nul != std::string_view::npos)
        line = line.substr(0, nul);
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos || line[start] == '#')
        return std::nullopt;
    line.remove_prefix(start);
    const std::size_t firstTab = line.find('\t');
    if (firstTab == std::string_view::npos)
        return std::nullopt;
    LineFields fields{line.substr(0, firstTab), line.substr(firstTab + 1), std::nullopt};
    if (const std::size_t secondTab = fields.target.find('\t'); secondTab != std::string_view::npos) {
        fields.kind = fields.target.substr(secondTab + 1);
        fields.target = fields.target.substr(0, secondTab);
    }
    return fields;
}

// Calls take(fields) for every line of content that is a rule, in file order.
template <typename Take> void ForEachRuleLine(std::string_view content, Take take) {
    while (!content.empty()) {
        const std::size_t newline = content.find('\n');
        std::string_view line = content.substr(0, newline);
        if (newline != std::string_view::npos && line.ends_with('\r'))
            line.remove_suffix(1);
        content.remove_prefix(newline == std::string_view::npos ? content.size() : newline + 1);
        if (const std::optional<LineFields> fields = SplitLine(line))
            take(*fields);
    }
}

// The number of parts ParseTarget makes of text.
std::size_t CountParts(std::string_view text) {
    std::size_t parts = 0;
    std::size_t literalStart = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '$' || !IsTokenLetter(text[i + 1]) || (i > 0 && text[i - 1] == '\\'))
            continue;
        parts += i > literalStart ? 2 : 1;
        literalStart = i + 2;
        ++i;
    }
    return parts + (literalStart < text.size() ? 1 : 0);
}

struct FileState {
    std::time_t modified = 0;
    std::uintmax_t size = 0;
};

std::optional<FileState> StatFile(const std::filesystem::path& path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error)
        return std::nullopt;
    const std::filesystem::file_time_type written = std::filesystem::last_write_time(path, error);
    if (error)
        return std::nullopt;
    const auto system = std::chrono::file_clock::to_sys(written);
    return FileState{std::chrono::system_clock::to_time_t(system), size};
}

// "MM/DD/YY" and "HH:MM:SS" of now, in local time.
void StampNow(PendingLogEntry& entry) {
    // std::localtime shares one buffer per process.
    static std::mutex mutex;
    const std::time_t now = std::time(nullptr);
    char date[16] = {};
    char time[16] = {};
    {
        std::lock_guard lock(mutex);
        if (const std::tm* local = std::localtime(&now)) {
            std::strftime(date, sizeof date, "%m/%d/%y", local);
            std::strftime(time, sizeof time, "%H:%M:%S", local);
        }
    }
    entry.date = date;
    entry.time = time;
}

std::uint32_t CurrentCount(const SiteSettings& record) {
    return record.rules.empty() ? 0 : record.ruleCount;
}

} // namespace

void ParseTarget(RedirectRule& rule, std::string_view text) {
    std::size_t literalStart = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '$' || !IsTokenLetter(text[i + 1]) || (i > 0 && text[i - 1] == '\\'))
            continue;
        if (i > literalStart)
            rule.parts.push_back(RulePart{0, std::string(text.substr(literalStart, i - literalStart))});
        rule.parts.push_back(RulePart{static_cast<std::uint16_t>(text[i + 1]), {}});
        literalStart = i + 2;
        ++i;
    }
    if (literalStart < text.size())
        rule.parts.push_back(RulePart{0, std::string(text.substr(literalStart))});
}

std::vector<RedirectRule> ParseRules(std::string_view content) {
    // Counted first, so that the list and every part list are made at their size: no spare room, no copy
    // when a list grows.
    std::size_t count = 0;
    ForEachRuleLine(content, [&](const LineFields&) { ++count; });
    std::vector<RedirectRule> rules;
    rules.reserve(count);
    ForEachRuleLine(content, [&](const LineFields& fields) {
        RedirectRule& rule = rules.emplace_back();
        // The handler numbers its rules in 16 bits; the count itself is not limited.
        rule.index = static_cast<std::uint16_t>(rules.size());
        rule.source = std::string(fields.source);
        rule.parts.reserve(CountParts(fields.target));
        ParseTarget(rule, fields.target);
        if (fields.kind)
            rule.permanent = IsPermanentKind(*fields.kind) ? 1 : 0;
    });
    return rules;
}

std::uint32_t LoadRules(SiteSettings* record, const char* fileName) {
    if (!record)
        return 0;
    // Without a site root the path would name a file at the top of the drive (the default entry's case).
    if (record->siteRoot.empty())
        return CurrentCount(*record);
    const std::string path = JoinPathAlways(record->siteRoot, fileName ? fileName : kRulesFileName);
    const std::filesystem::path file = FileSystem::Native(path);

    const std::optional<FileState> state = StatFile(file);
    if (!state)
        return CurrentCount(*record);
    if (!record->rules.empty() && state->modified <= record->rulesFileTime)
        return record->ruleCount;
    if (state->size == 0)
        return CurrentCount(*record);

    std::ifstream stream(file, std::ios::binary);
    if (!stream)
        return CurrentCount(*record);
    record->rulesFileTime = state->modified;

    std::vector<RedirectRule> rules;
    try {
        const bool cut = state->size > kRulesFileMaxBytes;
        std::string content(static_cast<std::size_t>(cut ? kRulesFileMaxBytes : state->size), '\0');
        stream.read(content.data(), static_cast<std::streamsize>(content.size()));
        // The file may have shrunk since its size was taken.
        content.resize(static_cast<std::size_t>(stream.gcount()));
        stream.close();
        // A line the cap cuts in two is not read either.
        if (cut)
            content.resize(content.rfind('\n') + 1);
        rules = ParseRules(content);
    } catch (const std::bad_alloc&) {
        return CurrentCount(*record);
    }
    const auto count = static_cast<std::uint32_t>(rules.size());

    if (record->lock.TryLockFor(kRulesLockWaitMs)) {
        record->rules.swap(rules);
        record->ruleCount = count;
        record->lock.Unlock();
    }
    // rules now holds the previous list, or the new one when the lock was not had; either goes here.
    rules.clear();

    if (record->Logging) {
        PendingLogEntry entry;
        StampNow(entry);
        entry.clientAddress = "-";
        entry.serverAddress = "-";
        entry.eventCode = kRulesReloadedEvent;
        entry.value = static_cast<std::int32_t>(count);
        if (record->lock.TryLockFor(kRulesLockWaitMs)) {
            record->pendingLog.push_back(std::move(entry));
            record->lock.Unlock();
        }
    }
    return CurrentCount(*record);
}

} // namespace qv
