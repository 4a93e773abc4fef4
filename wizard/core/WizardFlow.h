#pragma once
// The wizard's four pages and the moves between them, without the window:
//
//   page              Back          Next text     Cancel text   Next leads to       Back leads to
//   Welcome           disabled      "&Next >"     "&Cancel"     SiteSelection       nothing
//   SiteSelection     enabled       "&Next >"     "&Cancel"     DefaultSettings     Welcome
//   DefaultSettings   enabled       "&Next >"     "Cancel"      Finish (deploys)    SiteSelection
//   Finish            disabled      "&Finish >"   "&Cancel"     Finish (closes)     nothing
//
// Next is the default button everywhere (Enter presses it). Entering Finish deploys, once per run: Back is
// not available there, so it is entered at most once; the flow still refuses a second deployment.
//
// Use: the frame calls Start() once its pages exist and shows Current(); each button press goes through
// Next() or Back(), and the frame carries out the answered Move (hide the old page, show the new one, deploy
// when told, or close on Finish).
#include <optional>
#include <string>

namespace qv {

enum class WizardPageId { Welcome, SiteSelection, DefaultSettings, Finish };

class WizardFlow {
public:
    static constexpr int kPageCount = 4;

    struct Buttons {
        bool backEnabled = false;
        std::string nextText;   // with its access key
        std::string cancelText; // with its access key where it has one
    };

    struct Move {
        enum class Kind { None, ShowPage, Finish };
        Kind kind = Kind::None;
        std::optional<WizardPageId> from; // the page that was current
        std::optional<WizardPageId> to;   // with ShowPage: the page that is current now
        bool deploy = false;              // entering Finish for the first time: run the deployment
    };

    static Buttons ButtonsOf(WizardPageId page);
    // The page's position, 0 for Welcome.
    static int IndexOf(WizardPageId page);

    // No page current: the empty frame (no site) never starts.
    std::optional<WizardPageId> Current() const { return m_current; }
    // Makes Welcome current (a ShowPage move from nothing); does nothing when a page is current already.
    Move Start();
    Move Next();
    Move Back();
    bool Deployed() const { return m_deployed; }

    // The Settings Manager to start at Finish: installDirectory + "Quorvane" + the program suffix.
    static std::string SettingsManagerPath(const std::string& installDirectory);
    // Whether Finish starts it: the box was ticked and the wizard was not started from the Settings Manager.
    static bool LaunchAtFinish(bool boxTicked, bool fromSettings) { return boxTicked && !fromSettings; }

private:
    Move ShowPage(WizardPageId page);

    std::optional<WizardPageId> m_current;
    bool m_deployed = false;
};

} // namespace qv
