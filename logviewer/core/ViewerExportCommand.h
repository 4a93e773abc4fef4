#pragma once
// The export of the command line, without a window: the rows that the window would show for the site,
// the file (the newest when none is named) and the find text and event type, written as CSV or TSV.
#include "ViewerCommandLine.h"
#include "ViewerSite.h"

#include <string>
#include <vector>

namespace qv {

class ViewerExportCommand {
public:
    // A ViewerCommandLine exit code; message says what was written or what failed, for the user.
    static int Run(const ViewerCommandLine::Parsed& request, const std::vector<ViewerSite>& sites,
                   std::string& message);
};

} // namespace qv
