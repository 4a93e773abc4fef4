#include "platform/TextEditor.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace qv {

namespace {

constexpr std::string_view kPlainText = "text/plain";

std::string Variable(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::stringstream stream(text);
    for (std::string item; std::getline(stream, item, ':');)
        if (!item.empty())
            items.push_back(item);
    return items;
}

std::string Home() {
    return Variable("HOME", "");
}

std::vector<std::string> DataDirectories() {
    std::vector<std::string> dirs{Variable("XDG_DATA_HOME", Home() + "/.local/share")};
    for (const std::string& dir : SplitList(Variable("XDG_DATA_DIRS", "/usr/local/share:/usr/share")))
        dirs.push_back(dir);
    return dirs;
}

// The mimeapps.list files in the order the desktop reads them, then the older defaults.list.
std::vector<std::string> DefaultsFiles() {
    std::vector<std::string> files{Variable("XDG_CONFIG_HOME", Home() + "/.config") + "/mimeapps.list"};
    for (const std::string& dir : SplitList(Variable("XDG_CONFIG_DIRS", "/etc/xdg")))
        files.push_back(dir + "/mimeapps.list");
    for (const std::string& dir : DataDirectories()) {
        files.push_back(dir + "/applications/mimeapps.list");
        files.push_back(dir + "/applications/defaults.list");
    }
    return files;
}

// The value of key in the group of a desktop-style file; empty when missing.
std::string ValueOf(const std::string& file, std::string_view group, std::string_view key) {
    std::ifstream in(file);
    bool inGroup = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.front() == '[') {
            inGroup = line == "[" + std::string(group) + "]";
            continue;
        }
        const std::size_t equals = line.find('=');
        if (inGroup && equals != std::string::npos && line.compare(0, equals, key) == 0)
            return line.substr(equals + 1);
    }
    return {};
}

std::string ExecOf(const std::string& desktopId) {
    for (const std::string& dir : DataDirectories()) {
        const std::string exec = ValueOf(dir + "/applications/" + desktopId, "Desktop Entry", "Exec");
        if (!exec.empty())
            return exec;
    }
    return {};
}

} // namespace

std::optional<std::string> TextEditor::DesktopCommand(const std::string& path) {
    for (const std::string& file : DefaultsFiles()) {
        const std::string ids = ValueOf(file, "Default Applications", kPlainText);
        std::stringstream stream(ids);
        for (std::string id; std::getline(stream, id, ';');) {
            if (id.empty())
                continue;
            const std::string exec = ExecOf(id);
            if (!exec.empty())
                return FromExecLine(exec, path);
        }
    }
    // No default named: any application the desktop registered for plain text.
    for (const std::string& dir : DataDirectories()) {
        const std::string ids = ValueOf(dir + "/applications/mimeinfo.cache", "MIME Cache", kPlainText);
        std::stringstream stream(ids);
        for (std::string id; std::getline(stream, id, ';');) {
            const std::string exec = id.empty() ? std::string() : ExecOf(id);
            if (!exec.empty())
                return FromExecLine(exec, path);
        }
    }
    return std::nullopt;
}

} // namespace qv
