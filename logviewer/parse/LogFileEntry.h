#pragma once
// One daily log file of a site's log directory, as the file list shows it.
#include <cstdint>
#include <string>

namespace qv {

struct LogFileEntry {
    std::string fileName;    // the file's own name; it is what gets opened, whatever the display text holds
    std::int64_t size = 0;   // bytes
    std::string dateText;    // LogDateFromFileName
    std::string displayText; // "<date>  -  <name>    (<size> bytes)", at most 127 characters
};

} // namespace qv
