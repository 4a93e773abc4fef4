#pragma once
// The wizard without its window: the same sites, the same plan and runner as the window uses, after a backup
// of the stored settings. The program's main calls RunUnattended before any Qt object exists, when
// WizardCommandLine answers Mode::Unattended, Mode::Usage or Mode::Error.
//
// Output: for "/?" the usage (exit 0). Otherwise the backup's file, one line per site written (and one for
// the default entry) with what failed, and a summary. Messages that stop the run go to err. Exit codes:
//   0  everything was done;
//   1  a piece failed, or the backup could not be written (then nothing was written), or no web site;
//   2  the command line cannot be read: unknown switch, malformed value, unknown site number (a message on
//      err, nothing written).
#include <iosfwd>
#include <string>
#include <vector>

namespace qv {

class MetabaseConnection;

class UnattendedMode {
public:
    static constexpr int kDone = 0;
    static constexpr int kFailed = 1;
    static constexpr int kBadCommandLine = 2;

    UnattendedMode(std::ostream& out, std::ostream& err);

    // args: without the program's name. Records the Windows version and opens the system's metabase.
    int Run(const std::vector<std::string>& args);
    // The same over a connection the caller opened, with the given installation directory (tests,
    // benchmarks).
    int Run(const std::vector<std::string>& args, MetabaseConnection& connection,
            const std::string& installDirectory);

private:
    // Usage and bad command lines: their exit code; otherwise -1 to go on.
    int Answered(const std::vector<std::string>& args);
    int Deploy(const std::vector<std::string>& args, MetabaseConnection& connection,
               const std::string& installDirectory);

    std::ostream& m_out;
    std::ostream& m_err;
};

// UnattendedMode(out, err).Run(args).
int RunUnattended(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace qv
