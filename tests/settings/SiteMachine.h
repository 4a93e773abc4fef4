#pragma once
// A fresh machine with an installation (templates, and a permission tool whose command lines are recorded
// instead of started) and a web server of our making.
#include "CleanRegistryTest.h"
#include "platform/FileSystem.h"
#include "platform/OsVersion.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/TextCodec.h"
#include "webserver/MetabaseConnection.h"
#include "webserver/MetabaseModel.h"
#include "webserver/ModelAdminBase.h"
#include "webserver/WorkerIdentity.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qv::test {

using NameList = std::vector<std::string>;

class SiteMachineTest : public CleanRegistryTest {
protected:
    void SetUp() override {
        CleanRegistryTest::SetUp();
        OsVersion::Set(5, 2); // the IIS 6 server: two grant commands per directory
        m_install = (m_machine.Path() / "Program Files" / "Quorvane").string() + kPathSeparator;
        WriteFile(m_install + "setacl" + kProgramSuffix, "");
        SetPermissionToolStarter([this](const std::string& commandLine) {
            m_commands.push_back(commandLine);
            return true;
        });
    }
    void TearDown() override {
        SetPermissionToolStarter({});
        CleanRegistryTest::TearDown();
    }

    // A quotation mark where file names may hold one; an apostrophe stands in on Windows.
    static std::string Quote() { return kPathSeparator == '/' ? "\"" : "'"; }
    // The installation's templates: two pages, an image ("t" each), the rules file and a subfolder.
    void MakeTemplates() {
        for (const char* name : {"404.htm", "404.gif", "500.htm", "more/inner.htm"})
            WriteFile(JoinPath(Templates(), name), "t");
        WriteFile(JoinPath(Templates(), "rules.qv"), "# template rules\n/old\t/new\n");
    }
    std::string Templates() const { return m_install + "Templates"; }
    // A directory below the machine (or at an absolute path), created.
    std::string MakeDirectory(const std::string& path) {
        const std::string full =
            FileSystem::Native(path).is_absolute() ? path : JoinPath(m_machine.Str(), path);
        std::filesystem::create_directories(FileSystem::Native(full));
        return full;
    }
    // A web site of the server: its key, root (none: no root key) and description.
    void AddWebSite(const std::u16string& keyName, const std::string& root,
                    const std::u16string& comment = u"") {
        const std::u16string site = u"/LM/W3SVC/" + keyName;
        m_model->AddKey(site, u"IIsWebServer");
        m_model->SetText(site, kMdServerComment, kIisMdUtServer, comment, kMetadataInherit);
        if (!root.empty()) {
            m_model->AddKey(site + u"/ROOT", u"IIsWebVirtualDir");
            m_model->SetText(site + u"/ROOT", kMdVrPath, kIisMdUtFile, TextCodec::ToUtf16(root),
                             kMetadataInherit);
        }
    }
    MetabaseConnection& Connect() {
        m_connection.Attach(std::make_unique<ModelAdminBase>(m_model));
        return m_connection;
    }

    static void WriteFile(const std::string& path, const std::string& content) {
        std::filesystem::create_directories(FileSystem::Native(path).parent_path());
        std::ofstream(FileSystem::Native(path), std::ios::binary) << content;
    }
    static std::optional<std::string> ReadFile(const std::string& path) {
        std::ifstream in(FileSystem::Native(path), std::ios::binary);
        return in ? std::optional(std::string(std::istreambuf_iterator<char>(in), {})) : std::nullopt;
    }
    static bool Exists(const std::string& path) { return std::filesystem::exists(FileSystem::Native(path)); }
    // What a directory holds, sorted, below it too: "path=content" for a file, "path/" for a folder.
    static NameList Files(const std::string& directory) {
        const std::filesystem::path top = FileSystem::Native(directory);
        NameList files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(top)) {
            // Names as the suite spells them: the ANSI code page on Windows.
            std::string path = FileSystem::Narrow(entry.path().lexically_relative(top));
            std::replace(path.begin(), path.end(), '\\', '/');
            std::ifstream in(entry.path(), std::ios::binary);
            files.push_back(entry.is_directory()
                                ? path + "/"
                                : path + "=" + std::string(std::istreambuf_iterator<char>(in), {}));
        }
        std::sort(files.begin(), files.end());
        return files;
    }
    // Command lines started for directory: the tool's first argument, as the tool reads it.
    std::size_t GrantsFor(const std::string& directory) const {
        return std::count_if(m_commands.begin(), m_commands.end(), [&](const std::string& command) {
            const std::vector<std::string> arguments = Process::SplitCommandLine(command);
            return arguments.size() > 1 && arguments[1] == directory;
        });
    }

    std::string m_install;
    std::shared_ptr<MetabaseModel> m_model = std::make_shared<MetabaseModel>();
    MetabaseConnection m_connection;
    std::vector<std::string> m_commands;
};

} // namespace qv::test
