#include "ApplicationHostConfig.h"

#include "AdminBase.h"
#include "XmlReader.h"
#include "platform/AsciiText.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/TextCodec.h"
#include "platform/WindowsEnvironment.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <list>
#include <new>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace qv {

namespace {

constexpr std::u16string_view kService = u"/LM/W3SVC";
constexpr std::u16string_view kPools = u"/LM/W3SVC/AppPools";

struct IdentityName {
    const char* name;
    std::uint32_t type;
};

constexpr IdentityName kIdentityNames[] = {
    {"LocalSystem", ApplicationHostConfig::kIdentityLocalSystem},
    {"LocalService", ApplicationHostConfig::kIdentityLocalService},
    {"NetworkService", ApplicationHostConfig::kIdentityNetworkService},
    {"SpecificUser", ApplicationHostConfig::kIdentitySpecificUser},
    {"ApplicationPoolIdentity", ApplicationHostConfig::kIdentityApplicationPoolIdentity}};

// The identity type of its name or number; none for anything else.
std::optional<std::uint32_t> IdentityType(std::string_view text) {
    for (const IdentityName& identity : kIdentityNames) {
        if (AsciiText::EqualNoCase(text, identity.name))
            return identity.type;
    }
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '4')
        return static_cast<std::uint32_t>(text[0] - '0');
    return std::nullopt;
}

// A site id as IIS writes it: decimal digits, 1 to 4294967295.
std::optional<std::uint32_t> SiteId(std::string_view text) {
    std::uint64_t value = 0;
    if (text.empty() || text.size() > 10)
        return std::nullopt;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 0xFFFFFFFFull)
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

std::string_view Value(const XmlElement& element, std::string_view attribute) {
    const std::string* value = element.Attribute(attribute);
    return value ? std::string_view(*value) : std::string_view();
}

const XmlElement* FirstChild(const XmlElement& element, std::string_view name,
                             std::string_view pathAttribute = {}) {
    for (const XmlElement& child : element.children) {
        if (child.name == name && (pathAttribute.empty() || Value(child, "path") == pathAttribute))
            return &child;
    }
    return nullptr;
}

// The elements read, by the element they are in; everything else in the file (most of it on a real server)
// is checked but not kept.
constexpr std::pair<std::string_view, std::string_view> kKeptElements[] = {
    {"configuration", "system.applicationHost"},
    {"system.applicationHost", "sites"},
    {"system.applicationHost", "applicationPools"},
    {"sites", "site"},
    {"sites", "applicationDefaults"},
    {"site", "application"},
    {"site", "applicationDefaults"},
    {"application", "virtualDirectory"},
    {"applicationPools", "add"},
    {"applicationPools", "applicationPoolDefaults"},
    {"add", "processModel"},
    {"applicationPoolDefaults", "processModel"}};

// The attributes read; passwords (and every other secret IIS keeps encrypted) are not among them.
constexpr std::string_view kKeptAttributes[] = {
    "configSource", "id", "name", "path", "applicationPool", "physicalPath", "identityType", "userName"};

bool KeepElement(std::string_view parent, std::string_view element) {
    return std::find(std::begin(kKeptElements), std::end(kKeptElements), std::pair(parent, element)) !=
           std::end(kKeptElements);
}

bool KeepAttribute(std::string_view, std::string_view attribute) {
    return std::find(std::begin(kKeptAttributes), std::end(kKeptAttributes), attribute) !=
           std::end(kKeptAttributes);
}

struct Pool {
    std::string name;
    std::optional<std::uint32_t> identityType;
    std::string userName;
};

// The directory part of a stored path, with its separator.
std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

class Builder {
public:
    Builder(const std::string& name, const ApplicationHostConfig::FileSource& files,
            const ApplicationHostConfig::Expander& expand)
        : m_name(name), m_files(files), m_expand(expand) {}

    bool Build(std::string_view text, MetabaseModel& model, std::string* error) {
        const std::optional<XmlElement> root = ParseFile(text, m_name);
        if (!root)
            return Report(error);
        if (root->name != "configuration")
            return Fail(*root, m_name, "the root element is not <configuration>", error);
        // Each section once, as IIS has it: a file cannot make us read one configSource file over and over.
        const XmlElement* sites = nullptr;
        const XmlElement* pools = nullptr;
        for (const XmlElement& group : root->children) {
            if (group.name != "system.applicationHost")
                continue;
            for (const XmlElement& section : group.children) {
                if (section.name != "sites" && section.name != "applicationPools")
                    continue;
                const XmlElement*& slot = section.name == "sites" ? sites : pools;
                if (slot)
                    return Fail(section, m_name, "<" + section.name + "> is given a second time", error);
                slot = Section(section);
                if (!slot)
                    return Report(error);
            }
        }
        MetabaseModel built;
        built.AddKey(kService, u"IIsWebService");
        if (pools)
            ReadPools(*pools);
        if (sites)
            ReadSites(*sites, built);
        built.AddKey(kPools, u"IIsApplicationPools");
        for (const Pool& pool : m_pools)
            WritePool(pool, built);
        model = std::move(built);
        return true;
    }

private:
    // The tree of what a file holds for us; passwords stay in the text.
    std::optional<XmlElement> ParseFile(std::string_view text, const std::string& name) {
        XmlError xmlError;
        std::optional<XmlElement> root = XmlReader::Parse(text, &xmlError, KeepAttribute, KeepElement);
        if (!root)
            m_error = name + ":" + std::to_string(xmlError.line) + ":" + std::to_string(xmlError.column) +
                      ": " + xmlError.what;
        return root;
    }

    // The section itself, or what its configSource file holds in its place; none after an error.
    const XmlElement* Section(const XmlElement& section) {
        const std::string* source = section.Attribute("configSource");
        if (!source)
            return &section;
        // IIS takes only a relative path below the configuration's own directory.
        const std::string& relative = *source;
        const bool escapes = relative.empty() || relative.front() == '/' || relative.front() == '\\' ||
                             relative.find(':') != std::string::npos ||
                             relative.find("..") != std::string::npos;
        if (escapes) {
            SetError(section, m_name, "configSource \"" + relative + "\" is not a file beside this one");
            return nullptr;
        }
        std::string path = DirectoryOf(m_name) + relative;
        if (path.find('\\') != std::string::npos)
            std::replace(path.begin(), path.end(), '/', '\\');
        std::optional<std::string> text = m_files ? m_files(path) : std::nullopt;
        if (!text) {
            SetError(section, m_name, "configSource \"" + relative + "\" cannot be read");
            return nullptr;
        }
        std::optional<XmlElement> root = ParseFile(*text, path);
        std::fill(text->begin(), text->end(), '\0');
        if (!root)
            return nullptr;
        if (root->name != section.name) {
            SetError(*root, path, "the root element is not <" + section.name + ">");
            return nullptr;
        }
        return &m_loaded.emplace_back(std::move(*root));
    }

    void ReadPools(const XmlElement& section) {
        Pool defaults;
        if (const XmlElement* poolDefaults = FirstChild(section, "applicationPoolDefaults"))
            ReadProcessModel(*poolDefaults, defaults);
        for (const XmlElement& add : section.children) {
            if (add.name != "add")
                continue;
            Pool pool = defaults;
            pool.name = std::string(Value(add, "name"));
            ReadProcessModel(add, pool);
            // A name that would be a path in the metabase names no pool of IIS either.
            if (pool.name.empty() || pool.name.find_first_of("/\\") != std::string::npos)
                continue;
            // The first pool of a name stands, whatever the letter case of another.
            if (m_poolIndex
                    .emplace(MetabaseModel::FoldName(TextCodec::Utf8ToUtf16(pool.name)), m_pools.size())
                    .second)
                m_pools.push_back(std::move(pool));
        }
    }

    static void ReadProcessModel(const XmlElement& element, Pool& pool) {
        const XmlElement* processModel = FirstChild(element, "processModel");
        if (!processModel)
            return;
        if (const std::string* type = processModel->Attribute("identityType"))
            pool.identityType = IdentityType(*type).value_or(0xFFFFFFFFu);
        if (const std::string* user = processModel->Attribute("userName"))
            pool.userName = *user;
    }

    // By the folded name: a server may have thousands of sites, each naming a pool.
    const Pool* FindPool(std::string_view name) const {
        const auto found = m_poolIndex.find(MetabaseModel::FoldName(TextCodec::Utf8ToUtf16(name)));
        return found == m_poolIndex.end() ? nullptr : &m_pools[found->second];
    }

    static void WritePool(const Pool& pool, MetabaseModel& model) {
        const std::u16string path = std::u16string(kPools) + u"/" + TextCodec::Utf8ToUtf16(pool.name);
        model.AddKey(path, u"IIsApplicationPool");
        const std::uint32_t type =
            pool.identityType.value_or(ApplicationHostConfig::kIdentityApplicationPoolIdentity);
        if (type > ApplicationHostConfig::kIdentityApplicationPoolIdentity)
            return; // a type IIS does not know: no value, as a metabase without one
        model.SetDword(path, kMdAppPoolIdentityType, kIisMdUtServer, type, kMetadataInherit);
        if (type == ApplicationHostConfig::kIdentitySpecificUser && !pool.userName.empty())
            model.SetText(path, kMdWamUserName, kIisMdUtFile, TextCodec::Utf8ToUtf16(pool.userName),
                          kMetadataInherit);
    }

    void ReadSites(const XmlElement& section, MetabaseModel& model) {
        std::string defaultPool;
        if (const XmlElement* defaults = FirstChild(section, "applicationDefaults"))
            defaultPool = Value(*defaults, "applicationPool");
        for (const XmlElement& site : section.children) {
            const std::optional<std::uint32_t> id =
                site.name == "site" ? SiteId(Value(site, "id")) : std::nullopt;
            // IIS refuses a second site of one id; the first one stands.
            if (!id || !m_siteIds.insert(*id).second)
                continue;
            const std::u16string key =
                std::u16string(kService) + u"/" + TextCodec::Utf8ToUtf16(std::to_string(*id));
            model.AddKey(key, u"IIsWebServer");
            if (const std::string_view name = Value(site, "name"); !name.empty())
                model.SetText(key, kMdServerComment, kIisMdUtServer, TextCodec::Utf8ToUtf16(name),
                              kMetadataInherit);

            const XmlElement* application = FirstChild(site, "application", "/");
            if (!application)
                continue;
            const std::u16string root = key + u"/ROOT";
            model.AddKey(root, u"IIsWebVirtualDir");
            std::string pool(Value(*application, "applicationPool"));
            if (pool.empty()) {
                const XmlElement* siteDefaults = FirstChild(site, "applicationDefaults");
                pool = siteDefaults && siteDefaults->Attribute("applicationPool")
                           ? std::string(Value(*siteDefaults, "applicationPool"))
                           : defaultPool;
            }
            if (!pool.empty()) {
                // The pool as it names itself: the account of its identity is spelled that way.
                const Pool* known = FindPool(pool);
                model.SetText(root, kMdAppAppPoolId, kIisMdUtServer,
                              TextCodec::Utf8ToUtf16(known ? known->name : pool), kMetadataInherit);
            }
            const XmlElement* directory = FirstChild(*application, "virtualDirectory", "/");
            const std::string_view physical =
                directory ? Value(*directory, "physicalPath") : std::string_view();
            if (physical.empty())
                continue;
            const std::optional<std::string> expanded =
                m_expand ? m_expand(physical) : WindowsEnvironment::Expand(physical);
            if (expanded && !expanded->empty())
                model.SetText(root, kMdVrPath, kIisMdUtFile, TextCodec::Utf8ToUtf16(*expanded),
                              kMetadataInherit);
        }
    }

    void SetError(const XmlElement& element, const std::string& file, const std::string& what) {
        m_error =
            file + ":" + std::to_string(element.line) + ":" + std::to_string(element.column) + ": " + what;
    }
    bool Fail(const XmlElement& element, const std::string& file, const std::string& what,
              std::string* error) {
        SetError(element, file, what);
        return Report(error);
    }
    bool Report(std::string* error) const {
        if (error)
            *error = m_error;
        return false;
    }

    const std::string& m_name;
    const ApplicationHostConfig::FileSource& m_files;
    const ApplicationHostConfig::Expander& m_expand;
    // The sections read from configSource files; the list keeps them where they are.
    std::list<XmlElement> m_loaded;
    std::vector<Pool> m_pools;
    std::unordered_map<std::u16string, std::size_t> m_poolIndex;
    std::unordered_set<std::uint32_t> m_siteIds;
    std::string m_error;
};

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::error_code status;
    const std::filesystem::path native = FileSystem::Native(path);
    if (native.empty() || !std::filesystem::is_regular_file(native, status))
        return std::nullopt;
    std::ifstream file(native, std::ios::binary);
    if (!file)
        return std::nullopt;
    // A file larger than the memory there is cannot be read either.
    try {
        std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        if (file.bad())
            return std::nullopt;
        return text;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

} // namespace

std::string ApplicationHostConfig::MachinePath() {
    return JoinPath(WindowsEnvironment::NativeSystemDirectory(), "inetsrv\\config\\applicationHost.config");
}

bool ApplicationHostConfig::Exists(const std::string& path) {
    return FileSystem::Exists(path);
}

bool ApplicationHostConfig::Load(const std::string& path, MetabaseModel& model, std::string* error) {
    if (error)
        error->clear();
    std::optional<std::string> text = ReadWholeFile(path);
    if (!text) {
        if (error)
            *error = path + ":1:1: cannot be read";
        return false;
    }
    const bool loaded = Parse(*text, path, ReadWholeFile, model, error);
    std::fill(text->begin(), text->end(), '\0');
    return loaded;
}

bool ApplicationHostConfig::Parse(std::string_view text, const std::string& name, const FileSource& files,
                                  MetabaseModel& model, std::string* error, const Expander& expand) {
    if (error)
        error->clear();
    // A file too large for the memory there is counts as unreadable; model stays as it was.
    try {
        return Builder(name, files, expand).Build(text, model, error);
    } catch (const std::bad_alloc&) {
        if (error) {
            try {
                *error = name + ":1:1: not enough memory to read the file";
            } catch (const std::bad_alloc&) {
                error->clear();
            }
        }
        return false;
    }
}

} // namespace qv
