#pragma once
// The reader of a site's redirection rules file "rules.qv": one rule per line, TAB-separated source, target
// and optional kind; "#" starts a comment. The file is reread only when its modification time moves on.
#include "RedirectRule.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace qv {

struct SiteSettings;

inline constexpr const char* kRulesFileName = "rules.qv";
// The lock waits while a new rule list or a log entry is put on a record.
inline constexpr int kRulesLockWaitMs = 10000;
// Only this much of a rules file is read (2 MiB), up to its last whole line, and the rest is ignored: real
// rules files are a small part of it, and the handler numbers its rules in 16 bits anyway. Without a cap one
// site's file could take the memory of every program that loads the sites.
inline constexpr std::uintmax_t kRulesFileMaxBytes = std::uintmax_t{2} << 20;
// Event code of the "rules reloaded" log entry.
inline constexpr std::uint16_t kRulesReloadedEvent = 9;

// Rereads siteRoot/fileName (default "rules.qv") into record when the file changed since the last read, and
// queues a "rules reloaded" entry when the record logs; at most kRulesFileMaxBytes of the file are read.
// Returns the record's rule count (0 without record or without rules). A missing, empty or unreadable file
// keeps the rules the record has; a record without site root has no rules file.
std::uint32_t LoadRules(SiteSettings* record, const char* fileName = nullptr);

// Splits a rule's target into literal parts and the tokens $P, $U, $Q, $R (a "$" after a backslash is no
// token) and appends them to rule.parts.
void ParseTarget(RedirectRule& rule, std::string_view text);

// Parses the bytes of a rules file, numbering accepted lines from 1. A CR right before an LF is dropped; a
// NUL byte ends the text of its line.
std::vector<RedirectRule> ParseRules(std::string_view content);

} // namespace qv
