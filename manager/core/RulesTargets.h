#pragma once
// Which rules files the Redirection Rules page names and opens for the selection. A site's file is rules.qv
// in its root; the default entry has none of its own and stands for the installation's template.
#include <string>
#include <vector>

namespace qv {

class SettingsSession;
struct SiteSettings;

class RulesTargets {
public:
    static constexpr const char* kSeveralSitesLine =
        "Multiple sites are selected, the path of rules.qv varies";

    // The file of a record: siteRoot and rules.qv for a site, the template for the default entry (siteId 0).
    static std::string PathOf(const SiteSettings& record, const std::string& installDirectory);
    // The path line before compaction: the text for two or more site rows, empty without a base, else the
    // base record's file.
    static std::string PathLine(const SettingsSession& session);
    // The record whose file the count and time describe; none without a base.
    static const SiteSettings* BaseRecord(const SettingsSession& session);

    struct EditPlan {
        bool ask = false; // the question for several sites comes first
        std::vector<const SiteSettings*> records;
    };
    // Two or more site rows: every selected row's record in list order ("All Web Sites" has none), after the
    // question. Otherwise the base record's alone.
    static EditPlan PlanEdit(const SettingsSession& session);

    // Makes sure a site's file exists, copying the template when it is missing; never touches the default
    // entry's template. True when the file was created.
    static bool PrepareFile(const SiteSettings& record, const std::string& installDirectory);
};

} // namespace qv
