#pragma once
// Runs a built program to its end with the given input, as an administrator's shell would, and collects
// its exit code and output. The child gets QUORVANE_MACHINE, so on POSIX it works on the test's machine.
#include <string>
#include <vector>

namespace qv::test {

struct ToolResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class ToolRun {
public:
    static ToolResult Run(const std::string& program, const std::vector<std::string>& args,
                          const std::string& input, const std::string& machine);
};

} // namespace qv::test
