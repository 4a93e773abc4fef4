#include "DeploymentReport.h"

#include <utility>

namespace qv {

namespace {

std::string Joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) {
        if (!text.empty())
            text += ", ";
        text += part;
    }
    return text;
}

std::string Counted(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

} // namespace

DeploymentReport::Entry& DeploymentReport::Add(std::uint32_t siteId, std::string description, bool chosen) {
    Entry& entry = m_entries.emplace_back();
    entry.siteId = siteId;
    entry.description = std::move(description);
    entry.chosen = chosen;
    return entry;
}

const DeploymentReport::Entry* DeploymentReport::Find(std::uint32_t siteId) const {
    for (const Entry& entry : m_entries)
        if (entry.siteId == siteId)
            return &entry;
    return nullptr;
}

void DeploymentReport::AddGeneralFailure(std::string text) {
    m_general.push_back(std::move(text));
}

std::size_t DeploymentReport::FailureCount() const {
    std::size_t count = m_general.size();
    for (const Entry& entry : m_entries)
        count += entry.failed.size();
    return count;
}

std::string DeploymentReport::Lines() const {
    std::string text;
    for (const Entry& entry : m_entries) {
        if (entry.siteId == 0)
            text += "Default settings";
        else
            text += "Site " + std::to_string(entry.siteId) + " (" + entry.description + "), " +
                    (entry.chosen ? "enabled" : "disabled");
        text += ": ";
        text += entry.written.empty() ? "nothing written" : "wrote " + Joined(entry.written);
        if (entry.Failed())
            text += "; FAILED: " + Joined(entry.failed);
        text += ".\n";
    }
    for (const std::string& failure : m_general)
        text += "FAILED: " + failure + ".\n";
    return text;
}

std::string DeploymentReport::Summary() const {
    std::size_t sites = 0;
    std::size_t chosen = 0;
    for (const Entry& entry : m_entries) {
        if (entry.siteId == 0)
            continue;
        ++sites;
        if (entry.chosen)
            ++chosen;
    }
    const std::size_t failures = FailureCount();
    return "Deployed " + Counted(sites, "site", "sites") + " (" + std::to_string(chosen) + " enabled) " +
           (failures == 0 ? std::string("with no failure.")
                          : "with " + Counted(failures, "failure.", "failures."));
}

} // namespace qv
