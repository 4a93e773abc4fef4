#include "ControlStates.h"

namespace qv {

ControlStates ControlStates::For(const Inputs& in) {
    ControlStates states;
    const bool active = in.hasBase && (in.enableDisable == 1 || in.enableDisable == 2);
    states.enableBox = in.hasBase;
    states.errorDirectory = active;
    states.errorFiles = active;
    states.dynamicConfigure = active && in.dyn404 != 0;
    states.imageConfigure = active && in.sendErrorImage != 0;
    states.rules = active;
    states.loggingBox = active;
    states.loggingDetails = active && in.logging != 0;
    // With sites selected, the default entry's log is not what the user means to view.
    states.viewVisible = !(in.hasBase && in.baseSiteId == 0 && in.selectedSiteCount > 0);
    return states;
}

} // namespace qv
