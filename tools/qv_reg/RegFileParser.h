#pragma once
// Reads a .reg file whole before anything is applied: "Windows Registry Editor Version 5.00" in UTF-16LE
// with a BOM or in UTF-8 with or without one, and "REGEDIT4" in the narrow code page. [KEY] and [-KEY]
// sections, "name"= or @= with "text", dword:, hex:, hex(type): (continued over lines with '\') and -.
// The first fault ends the reading with its line number; a file with a fault gives no entries at all.
#include "RegFileEntry.h"

#include <string>
#include <string_view>
#include <vector>

namespace qv {

class RegFileParser {
public:
    // False on the first fault: see ErrorLine() and Error().
    bool Parse(std::string_view bytes);

    const std::vector<RegFileEntry>& Entries() const { return m_entries; }
    int ErrorLine() const { return m_errorLine; }
    // "line 12: ..."
    std::string Error() const;

private:
    bool Decode(std::string_view bytes, std::u16string& text);
    bool ParseLines(const std::vector<std::u16string_view>& lines);
    bool ParseSection(std::u16string_view line, int number);
    bool ParseValue(const std::vector<std::u16string_view>& lines, std::size_t& index);
    bool ParseHex(std::u16string_view text, std::string& bytes, int number);
    bool ToNarrow(std::u16string_view text, std::string& narrow, int number);
    bool Fail(int line, std::string message);

    std::vector<RegFileEntry> m_entries;
    bool m_regedit4 = false;
    bool m_inKey = false; // after a [KEY] section, where values may follow
    std::string m_key;
    int m_errorLine = 0;
    std::string m_error;
};

} // namespace qv
