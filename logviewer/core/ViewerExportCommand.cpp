#include "ViewerExportCommand.h"

#include "logviewer/parse/LogCsvWriter.h"
#include "logviewer/parse/LogParser.h"
#include "logviewer/parse/LogRowFilter.h"
#include "platform/AsciiText.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <filesystem>
#include <system_error>

namespace qv {

int ViewerExportCommand::Run(const ViewerCommandLine::Parsed& request, const std::vector<ViewerSite>& sites,
                             std::string& message) {
    // Site 0 is the first site, as in the window; any other number must name a site.
    const ViewerSite* site = nullptr;
    for (const ViewerSite& candidate : sites) {
        if (request.site == 0 || candidate.siteId == request.site) {
            site = &candidate;
            break;
        }
    }
    if (!site) {
        message = "no such site: " + std::to_string(request.site);
        return ViewerCommandLine::kExitFailed;
    }
    const std::vector<LogFileEntry> files = ListLogFiles(site->logDirectory);
    const LogFileEntry* entry = nullptr;
    if (request.fileName.empty()) {
        // The list runs oldest first: the window shows the last.
        if (!files.empty())
            entry = &files.back();
    } else {
        for (const LogFileEntry& candidate : files) {
            const bool same = kFileNamesIgnoreCase
                                  ? AsciiText::EqualNoCase(candidate.fileName, request.fileName)
                                  : candidate.fileName == request.fileName;
            if (same) {
                entry = &candidate;
                break;
            }
        }
    }
    if (!entry) {
        message =
            (request.fileName.empty() ? std::string("no log files") : "no such file: " + request.fileName) +
            " in " + site->logDirectory;
        return ViewerCommandLine::kExitFailed;
    }

    const LogFile file = ReadLogFile(site->logDirectory, *entry);
    LogRowQuery query;
    query.text = request.find;
    query.kinds = request.kinds;
    std::vector<std::uint32_t> rows;
    LogRowFilter(query).Collect(file, 0, file.RowCount(), rows);

    // The path is the user's, relative to where the command runs.
    std::error_code error;
    const std::filesystem::path target =
        std::filesystem::absolute(std::filesystem::path(request.exportPath), error);
    if (error ||
        !LogCsvWriter::WriteFile(
            FileSystem::Narrow(target), file, rows, [](std::size_t) { return true; }, request.format)) {
        message = "cannot write " + request.exportPath;
        return ViewerCommandLine::kExitFailed;
    }
    message =
        std::to_string(rows.size()) + " rows of " + entry->fileName + " written to " + request.exportPath;
    return ViewerCommandLine::kExitOk;
}

} // namespace qv
