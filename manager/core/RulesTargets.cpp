#include "RulesTargets.h"

#include "SettingsSession.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "settings/RulesReader.h"
#include "settings/TemplateDeployment.h"

namespace qv {

std::string RulesTargets::PathOf(const SiteSettings& record, const std::string& installDirectory) {
    if (record.siteId == 0)
        return JoinPath(TemplatesDirectory(installDirectory), kRulesFileName);
    return JoinPath(record.siteRoot, kRulesFileName);
}

const SiteSettings* RulesTargets::BaseRecord(const SettingsSession& session) {
    if (!session.HasBase())
        return nullptr;
    // The row's record, not the combined copy: its siteRoot never carries the "Varies" marker.
    return session.Rows().RecordOfRow(session.ShownRow());
}

std::string RulesTargets::PathLine(const SettingsSession& session) {
    if (session.Selection().SelectedSiteCount() >= 2)
        return kSeveralSitesLine;
    const SiteSettings* base = BaseRecord(session);
    return base ? PathOf(*base, session.InstallDirectory()) : std::string();
}

RulesTargets::EditPlan RulesTargets::PlanEdit(const SettingsSession& session) {
    EditPlan plan;
    if (session.Selection().SelectedSiteCount() >= 2) {
        plan.ask = true;
        for (int row : session.Selection().SelectedRows())
            if (const SiteSettings* record = session.Rows().RecordOfRow(row))
                plan.records.push_back(record);
    } else if (const SiteSettings* base = BaseRecord(session)) {
        plan.records.push_back(base);
    }
    return plan;
}

bool RulesTargets::PrepareFile(const SiteSettings& record, const std::string& installDirectory) {
    if (record.siteId == 0 || FileSystem::Exists(PathOf(record, installDirectory)))
        return false;
    return CopyRulesTemplate(record, installDirectory);
}

} // namespace qv
