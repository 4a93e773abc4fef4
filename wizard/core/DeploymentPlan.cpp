#include "DeploymentPlan.h"

#include "platform/TextCodec.h"

namespace qv {

DeploymentPlan::DeploymentPlan(SiteSettings& defaultRecord, const std::vector<SiteSettings*>& records,
                               const Inputs& inputs)
    : m_inputs(inputs), m_directory(TextCodec::Cut(inputs.directory, kMaxDirectory)) {
    m_steps.reserve(1 + records.size() * 3);
    m_steps.push_back({Step::Kind::SaveDefault, &defaultRecord, 0});
    for (SiteSettings* record : records) {
        if (record == nullptr)
            continue;
        ++m_siteCount;
        m_steps.push_back({Step::Kind::SaveSite, record, m_siteCount});
        // The choice is read when the plan is made: the records are not touched until it runs.
        if (record->EnableDisable == 0)
            continue;
        ++m_chosenCount;
        if (inputs.createExampleFiles)
            m_steps.push_back({Step::Kind::CreateExampleFiles, record, m_siteCount});
        if (inputs.createRulesFile)
            m_steps.push_back({Step::Kind::CopyRulesTemplate, record, m_siteCount});
    }
}

} // namespace qv
