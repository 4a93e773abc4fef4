#pragma once
// What the deployment does, in order, made once from the wizard's choices and then run by DeploymentRunner
// (the window on a worker thread, the unattended mode at once):
//
//   1. the default record's Directory becomes the typed name; the default record is saved;
//   2. for each site record in array order: its Directory becomes the typed name, it is saved (the wizard's
//      save, which writes LogThreshold and prepares the log directory when logging is on); then, when the
//      record's EnableDisable is not 0, its example files (when asked for) and then its rules file (when
//      asked for).
//
// Sites that are not chosen are saved too: their keys get the default entry's values with EnableDisable 0.
#include "settings/SiteSettings.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class DeploymentPlan {
public:
    // The directory text is cut at this many characters, as the page's edit holds it.
    static constexpr std::size_t kMaxDirectory = 259;

    struct Inputs {
        std::string directory; // as typed; cut when the plan is made
        bool createExampleFiles = true;
        bool createRulesFile = true;
    };

    struct Step {
        enum class Kind { SaveDefault, SaveSite, CreateExampleFiles, CopyRulesTemplate };
        Kind kind = Kind::SaveSite;
        SiteSettings* record = nullptr;
        // 0 for the default record, else 1..SiteCount() in array order (the "site N of M" of the progress).
        std::size_t siteNumber = 0;
    };

    // Records must outlive the plan; null positions are skipped.
    DeploymentPlan(SiteSettings& defaultRecord, const std::vector<SiteSettings*>& records,
                   const Inputs& inputs);

    const std::vector<Step>& Steps() const { return m_steps; }
    const std::string& Directory() const { return m_directory; }
    // M of "site N of M": the number of site records in the plan.
    std::size_t SiteCount() const { return m_siteCount; }
    std::size_t ChosenCount() const { return m_chosenCount; }
    const Inputs& Choices() const { return m_inputs; }

private:
    Inputs m_inputs;
    std::string m_directory;
    std::vector<Step> m_steps;
    std::size_t m_siteCount = 0;
    std::size_t m_chosenCount = 0;
};

} // namespace qv
