#include "UnattendedMode.h"

#include <ostream>

namespace qv {

UnattendedMode::UnattendedMode(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

int UnattendedMode::Run(const std::vector<std::string>& args) {
    (void)args;
    return kFailed;
}

int UnattendedMode::Run(const std::vector<std::string>& args, MetabaseConnection& connection,
                        const std::string& installDirectory) {
    (void)args;
    (void)connection;
    (void)installDirectory;
    return kFailed;
}

int RunUnattended(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return UnattendedMode(out, err).Run(args);
}

} // namespace qv
