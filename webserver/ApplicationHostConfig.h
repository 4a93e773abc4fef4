#pragma once
// applicationHost.config, the configuration of IIS 7 to 10, read into a MetabaseModel with the keys and
// values IIS's own metabase compatibility presents, so that the metabase reads work on it unchanged:
//
//   /LM/W3SVC/<id>           each <site id name> in document order; ServerComment = name
//   /LM/W3SVC/<id>/ROOT      the root application (path "/"): AppPoolId = its applicationPool, else the
//                            site's and then <sites>' <applicationDefaults>, written as the pool names
//                            itself; Path = physicalPath of its root virtual directory, environment variables
//                            expanded (an unknown one gives no Path)
//   /LM/W3SVC/AppPools/<n>   each pool; AppPoolIdentityType from <processModel identityType> or
//                            <applicationPoolDefaults> (LocalSystem 0, LocalService 1, NetworkService 2,
//                            SpecificUser 3, ApplicationPoolIdentity 4, the default); WAMUserName = userName
//                            for SpecificUser
//
// Pool names compare without letter case. <sites> and <applicationPools> moved out with configSource are read
// from their file beside the main one. Each section comes once: a second is an error, as it is for IIS.
// Passwords are never copied out of the file's text.
#include "MetabaseModel.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

class ApplicationHostConfig {
public:
    // The text of a file (a stored path), or none when it cannot be read.
    using FileSource = std::function<std::optional<std::string>(const std::string& path)>;
    // %NAME% expansion; none for an unknown variable (WindowsEnvironment::Expand by default).
    using Expander = std::function<std::optional<std::string>(std::string_view text)>;

    static constexpr std::uint32_t kIdentityLocalSystem = 0;
    static constexpr std::uint32_t kIdentityLocalService = 1;
    static constexpr std::uint32_t kIdentityNetworkService = 2;
    static constexpr std::uint32_t kIdentitySpecificUser = 3;
    static constexpr std::uint32_t kIdentityApplicationPoolIdentity = 4;

    // inetsrv\config\applicationHost.config in the 64-bit system directory, as a stored path.
    static std::string MachinePath();
    // Whether a file is at path (the choice between this file and the metabase).
    static bool Exists(const std::string& path);
    // Reads the file and its configSource files into model. False with *error "file:line:column: what" when
    // a file is malformed or cannot be read; model is then left as it was.
    static bool Load(const std::string& path, MetabaseModel& model, std::string* error);
    // The same over text; name is the file's stored path, for messages and to find configSource files.
    static bool Parse(std::string_view text, const std::string& name, const FileSource& files,
                      MetabaseModel& model, std::string* error, const Expander& expand = {});
};

} // namespace qv
