#include "support/TempMachine.h"

#include "platform/Process.h"
#include "platform/TextEditor.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace qv::test {
namespace {

void Write(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

// The desktop's default editor for plain text, else the first application registered for it; none gives no
// command, so that the page can say so.
TEST(TextEditorPosix, DesktopDefaultElseAnyRegisteredEditor) {
    TempMachine machine;
    const std::filesystem::path config = machine.Path() / "config", data = machine.Path() / "data";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (machine.Path() / "none").c_str(), 1);
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    setenv("XDG_DATA_DIRS", (machine.Path() / "none").c_str(), 1);
    unsetenv(TextEditor::kOverrideVariable);
    const std::string path = "/srv/www/rules.qv";
    const std::string quoted = *Process::QuoteArgument(path);

    EXPECT_EQ(TextEditor::CommandFor(path), std::nullopt);
    Write(data / "applications/plain.desktop", "[Desktop Entry]\nName=Plain\nExec=plain-editor %f\n");
    Write(data / "applications/mimeinfo.cache", "[MIME Cache]\ntext/plain=gone.desktop;plain.desktop;\n");
    EXPECT_EQ(TextEditor::CommandFor(path), "plain-editor " + quoted);
    Write(data / "applications/chosen.desktop", "[Desktop Entry]\nExec=chosen --new %U\n");
    Write(config / "mimeapps.list", "[Default Applications]\ntext/plain=chosen.desktop;\n");
    EXPECT_EQ(TextEditor::CommandFor(path), "chosen --new " + quoted);

    for (const char* name : {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS"})
        unsetenv(name);
}

} // namespace
} // namespace qv::test
