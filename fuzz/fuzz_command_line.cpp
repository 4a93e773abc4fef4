// Command lines: a line split by the Windows rules comes back the same after its arguments are quoted and
// split again; the Settings Manager's caller handle and the Log Viewer's site number are found again where
// a caller puts them, whatever comes before.
#include "FuzzCheck.h"
#include "logviewer/core/ViewerCommandLine.h"
#include "manager/core/ManagerCommandLine.h"
#include "platform/Process.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::uint64_t NumberOf(const std::uint8_t* data, std::size_t size) {
    std::uint64_t number = 0;
    std::memcpy(&number, data, std::min(size, sizeof number));
    return number;
}

// The arguments quoted so that a split gives them back; nothing when one cannot be.
std::optional<std::string> Quoted(const std::vector<std::string>& args) {
    std::optional<std::string> line = qv::Process::QuoteProgram(args.front());
    for (std::size_t i = 1; line && i < args.size(); ++i) {
        const std::optional<std::string> arg = qv::Process::QuoteArgument(args[i]);
        if (!arg)
            return std::nullopt;
        *line += ' ' + *arg;
    }
    return line;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const std::uint64_t number = NumberOf(data, size);

    const std::vector<std::string> args = qv::Process::SplitCommandLine(line);
    QV_FUZZ_CHECK(args == qv::Process::SplitCommandLine(line), "two splits disagree");
    if (!args.empty()) {
        if (const std::optional<std::string> again = Quoted(args))
            QV_FUZZ_CHECK(qv::Process::SplitCommandLine(*again) == args, "quoted arguments split otherwise");
    }

    const std::uint64_t handle = qv::ManagerCommandLine::CallerHandle(line);
    QV_FUZZ_CHECK(qv::ManagerCommandLine::CallerHandle(std::string(line) + " \t") == handle,
                  "blanks at the end change the caller handle");
    QV_FUZZ_CHECK(qv::ManagerCommandLine::CallerHandle(std::string(line) + " " + std::to_string(number)) ==
                      number,
                  "the last word's handle not found");
    QV_FUZZ_CHECK(qv::ManagerCommandLine::CallerHandle(
                      qv::ManagerCommandLine::Join({"Quorvane.exe", std::to_string(handle)})) == handle,
                  "a joined handle not found");

    // The viewer reads the number after the first "/": what comes before must hold none.
    const std::string before(line.substr(0, line.find('/')));
    const auto site = static_cast<std::uint32_t>(number);
    QV_FUZZ_CHECK(qv::ViewerCommandLine::RequestedSite(before + "/" + std::to_string(site) + " /9") == site,
                  "the site number not found after text without a slash");
    QV_FUZZ_CHECK(qv::ViewerCommandLine::RequestedSite(
                      qv::ViewerCommandLine::Join({"qv_logviewer", "/" + std::to_string(site)})) == site,
                  "a joined site number not found");
    return 0;
}
