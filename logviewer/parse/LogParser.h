#pragma once
// The handler's daily log files: the list of a log directory and the rows of one file.
#include "LogFile.h"
#include "LogFileEntry.h"

#include <string>
#include <string_view>
#include <vector>

namespace qv {

// The log files ("qv*.log"; letter case counts where file names do) of the directory, oldest first: in
// ascending order of their display text, which begins with the date. Nothing for a missing directory.
std::vector<LogFileEntry> ListLogFiles(const std::string& logDirectory);

// The rows of the entry's file, read into one buffer. No row when the file cannot be opened.
// The directory and the name are joined with a separator unless the directory ends in one.
LogFile ReadLogFile(const std::string& logDirectory, const LogFileEntry& entry);

// "20" and the name's characters 3-4, "-", 5-6, "-", 7-8, as they stand: qv060315.log gives 2006-03-15.
// The text ends where a shorter name ends.
std::string LogDateFromFileName(std::string_view fileName);

// The display text of a file: "<date>  -  <name>    (<size> bytes)", cut to 127 characters.
std::string LogFileDisplayText(std::string_view dateText, std::string_view fileName, std::int64_t size);

} // namespace qv
