#pragma once
// What a deployment did: one entry for the default record and one per site, in the order written, each with
// what was written and what failed. A failure never stops the deployment; it is only recorded here.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qv {

class DeploymentReport {
public:
    struct Entry {
        std::uint32_t siteId = 0; // 0: the default entry
        std::string description;
        bool chosen = false;
        std::vector<std::string> written; // "settings key", "folder C:\...\errors", "3 example files", ...
        std::vector<std::string> failed;  // "value Directory not written", "template folder missing", ...
        bool Failed() const { return !failed.empty(); }
    };

    Entry& Add(std::uint32_t siteId, std::string description, bool chosen);
    // The entry of siteId (0 for the default entry), or null.
    const Entry* Find(std::uint32_t siteId) const;
    const std::vector<Entry>& Entries() const { return m_entries; }

    // A failure that belongs to no site (the permission tool missing, the templates folder missing).
    void AddGeneralFailure(std::string text);
    const std::vector<std::string>& GeneralFailures() const { return m_general; }

    std::size_t FailureCount() const;
    // Every piece was done.
    bool Complete() const { return FailureCount() == 0; }
    // One line per entry ("Site 3 (Shop): written settings key, ...; failed: ..."), then the general
    // failures; each line ends in '\n'.
    std::string Lines() const;
    // "Deployed 3 sites (2 chosen) with 1 failure." and the like, without line end.
    std::string Summary() const;

private:
    std::vector<Entry> m_entries;
    std::vector<std::string> m_general;
};

} // namespace qv
