#pragma once
// Writes keys and values in the regedit format "Windows Registry Editor Version 5.00": a [key] section for
// each key, "name"="text" for plain strings, dword:, hex: and hex(type): for the rest, hex lines continued
// with '\' near 80 columns as regedit does. String data in hex(1), hex(2) and hex(7) is UTF-16LE, as in
// regedit's files.
#include "RegKeyPath.h"
#include "RegValue.h"

#include <string>

namespace qv {

class RegFileWriter {
public:
    enum class Encoding {
        Utf16Le, // with a BOM and CRLF line ends, as reg.exe and regedit write
        Utf8,    // without a BOM, LF line ends: the native text of POSIX
    };

    RegFileWriter();

    // False, writing nothing, when the name cannot be written in UTF-16 without a change.
    bool AddKey(const RegKeyPath& key, std::string& error);
    // False, writing nothing, when a name or text cannot be written in UTF-16 without a change.
    bool AddValue(const RegValue& value, std::string& error);

    // The whole file as text, each line ending in '\n'.
    std::u16string Text() const;
    // The file's bytes.
    std::string Bytes(Encoding encoding) const;

    // One value's line(s), each ending in '\n'; false when it cannot be written without a change.
    static bool FormatValue(const RegValue& value, std::u16string& lines);

private:
    std::u16string m_text;
};

} // namespace qv
