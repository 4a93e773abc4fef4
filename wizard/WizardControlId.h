#pragma once
// The numeric ids of the wizard pages' controls; each form names them in its "controlId" property.
namespace qv {

enum WizardControlId : int {
    kControlCancel = 2,
    kControlNext = 1000,
    kControlBack = 1001,
    kControlContinue = 1003,
    kControlLaunch = 1006,
    kControlDirectory = 1007,
    kControlDirectoryLabel = 1008,
    kControlQuestion = 1009,
    kControlClickNext = 1015,
    kControlInstructions = 1016,
    kControlSelectAll = 1017,
    kControlSubtitle = 1022,
    kControlTitle = 1023,
    kControlRulesFile = 1024,
    kControlExampleFiles = 1025,
    kControlSiteList = 1073,
    kControlSeparator = 1075,
};

} // namespace qv
