#pragma once
// What the Redirection Rules page shows of a rules file: its rule count and its modification time, or the
// texts for a file that does not exist.
#include <cstdint>
#include <ctime>
#include <string>

namespace qv {

class RulesFileStatus {
public:
    static constexpr const char* kMissingText =
        "File does not exist.\nClick the Edit button above to create the rules.qv file.";
    static constexpr const char* kNotApplicable = "Not applicable";

    // The file named by path (stored form) read now: its time from the file system, its count as the
    // handler's reader counts it.
    static RulesFileStatus Read(const std::string& path);
    // The time as ctime writes it, day of the month in two digits: "Wed Jan 02 02:03:55 1980\n" (local time).
    static std::string TimeText(std::time_t time);

    bool exists = false;
    std::uint32_t count = 0;
    std::time_t modified = 0;

    // The two texts shown: the count (or the missing-file message) and the time (or "Not applicable").
    std::string CountText() const;
    std::string ModifiedText() const;
};

} // namespace qv
