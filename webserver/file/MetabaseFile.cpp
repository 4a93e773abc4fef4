#include "MetabaseFile.h"

#include "platform/AsciiText.h"
#include "platform/FileSystem.h"
#include "platform/MachineDirectory.h"
#include "platform/Paths.h"
#include "platform/TextCodec.h"
#include "webserver/AdminBase.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <optional>
#include <vector>

namespace qv {

namespace {

constexpr std::uint32_t kMdKeyType = 1002;

struct NamedProperty {
    const char* name;
    std::uint32_t identifier;
    std::uint32_t userType;
    std::uint32_t dataType;
    std::uint32_t attributes;
};

// The schema of the properties the suite reads, as IIS 6 declares them.
constexpr NamedProperty kNamedProperties[] = {
    {"ServerComment", kMdServerComment, kIisMdUtServer, kStringMetadata, kMetadataInherit},
    {"Path", kMdVrPath, kIisMdUtFile, kStringMetadata, kMetadataInherit},
    {"AppPoolId", kMdAppAppPoolId, kIisMdUtServer, kStringMetadata, kMetadataInherit},
    {"AppPoolIdentityType", kMdAppPoolIdentityType, kIisMdUtServer, kDwordMetadata, kMetadataInherit},
    {"WAMUserName", kMdWamUserName, kIisMdUtFile, kStringMetadata, kMetadataInherit},
    {"IIs5IsolationModeEnabled", kMdGlobalStandardAppModeEnabled, kIisMdUtServer, kDwordMetadata,
     kMetadataNoAttributes},
};

struct Token {
    const char* name;
    std::uint32_t value;
};

constexpr Token kDataTypes[] = {{"DWORD", kDwordMetadata},
                                {"STRING", kStringMetadata},
                                {"BINARY", kBinaryMetadata},
                                {"EXPANDSZ", kExpandStringMetadata},
                                {"MULTISZ", kMultiStringMetadata}};
constexpr Token kUserTypes[] = {
    {"IIS_MD_UT_SERVER", 1}, {"IIS_MD_UT_FILE", 2}, {"IIS_MD_UT_WAM", 100}, {"ASP_MD_UT_APP", 101}};
constexpr Token kAttributeFlags[] = {{"NO_ATTRIBUTES", 0}, {"INHERIT", 1},      {"PARTIAL_PATH", 2},
                                     {"SECURE", 4},        {"REFERENCE", 8},    {"VOLATILE", 16},
                                     {"ISINHERITED", 32},  {"INSERT_PATH", 64}, {"LOCAL_MACHINE_ONLY", 128}};

std::string_view Trim(std::string_view text) {
    const char* space = " \t\r\n";
    const std::size_t first = text.find_first_not_of(space);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

// The element's name without a namespace prefix.
std::string_view LocalName(const pugi::xml_node& node) {
    std::string_view name = node.name();
    const std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// Decimal, 0x-hexadecimal, a negative decimal taken modulo 2^32, or TRUE / FALSE.
std::optional<std::uint32_t> ParseNumber(std::string_view text) {
    text = Trim(text);
    if (AsciiText::EqualNoCase(text, "TRUE"))
        return 1;
    if (AsciiText::EqualNoCase(text, "FALSE"))
        return 0;
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    std::uint64_t value = 0;
    if (!AsciiText::ParseUnsigned(text, 0xFFFFFFFFull, value))
        return std::nullopt;
    if (negative && value > 0x80000000ull)
        return std::nullopt;
    const auto result = static_cast<std::uint32_t>(value);
    return negative ? static_cast<std::uint32_t>(0u - result) : result;
}

// A token of the table or a number.
std::optional<std::uint32_t> ParseToken(std::string_view text, const Token* begin, const Token* end) {
    text = Trim(text);
    for (const Token* token = begin; token != end; ++token) {
        if (AsciiText::EqualNoCase(text, token->name))
            return token->value;
    }
    return ParseNumber(text);
}

// "INHERIT | SECURE" and the like.
std::optional<std::uint32_t> ParseAttributes(std::string_view text) {
    std::uint32_t flags = 0;
    while (true) {
        const std::size_t bar = text.find('|');
        const std::optional<std::uint32_t> flag =
            ParseToken(text.substr(0, bar), std::begin(kAttributeFlags), std::end(kAttributeFlags));
        if (!flag)
            return std::nullopt;
        flags |= *flag;
        if (bar == std::string_view::npos)
            return flags;
        text.remove_prefix(bar + 1);
    }
}

// Hexadecimal digits two to a byte; white space between them is allowed.
std::optional<std::vector<unsigned char>> ParseHex(std::string_view text) {
    std::string digits;
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            digits += c;
    }
    std::string bytes;
    if (!AsciiText::ParseHex(digits, bytes))
        return std::nullopt;
    return std::vector<unsigned char>(bytes.begin(), bytes.end());
}

// A multi-string is written one item a line, each indented.
std::u16string ParseMultiString(std::string_view text) {
    std::u16string joined;
    bool first = true;
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        const std::string_view item = Trim(text.substr(0, newline));
        if (!item.empty()) {
            if (!first)
                joined.push_back(u'\0');
            joined += TextCodec::ToUtf16(item);
            first = false;
        }
        if (newline == std::string_view::npos)
            break;
        text.remove_prefix(newline + 1);
    }
    return joined;
}

// Where a byte offset of the text lies: line and column from 1, columns in characters.
std::string Position(std::string_view text, std::ptrdiff_t offset) {
    std::size_t end = offset < 0 ? 0 : std::min(static_cast<std::size_t>(offset), text.size());
    std::size_t line = 1, column = 1;
    for (std::size_t i = 0; i < end; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            ++line;
            column = 1;
        } else if ((c & 0xC0) != 0x80) {
            ++column;
        }
    }
    return std::to_string(line) + ":" + std::to_string(column);
}

class Reader {
public:
    Reader(std::string_view text, const std::string& name, MetabaseModel& model)
        : m_text(text), m_name(name), m_model(model) {}

    bool Read(std::string* error) {
        pugi::xml_document document;
        const unsigned options = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_eol;
        const pugi::xml_parse_result parsed = document.load_buffer(m_text.data(), m_text.size(), options);
        if (!parsed)
            return Fail(parsed.offset, parsed.description(), error);
        const pugi::xml_node root = document.document_element();
        if (!root || LocalName(root) != "configuration")
            return Fail(root ? root.offset_debug() : 0, "the root element is not <configuration>", error);
        for (pugi::xml_node section : root.children()) {
            if (section.type() != pugi::node_element || LocalName(section) != "MBProperty")
                continue;
            // Each key leaves the document once read: the document's memory goes back as the model's grows,
            // so that the two are not held whole at once.
            for (pugi::xml_node key = section.first_child(); key;) {
                const pugi::xml_node next = key.next_sibling();
                if (key.type() == pugi::node_element && !ReadKey(key, error))
                    return false;
                section.remove_child(key);
                key = next;
            }
        }
        return true;
    }

private:
    bool Fail(std::ptrdiff_t offset, const std::string& what, std::string* error) const {
        if (error)
            *error = m_name + ":" + Position(m_text, offset) + ": " + what;
        return false;
    }

    bool ReadKey(pugi::xml_node key, std::string* error) {
        const pugi::xml_attribute location = key.attribute("Location");
        if (!location)
            return Fail(key.offset_debug(), std::string("<") + key.name() + "> has no Location", error);
        // IIS_Global sits at "." outside the key tree.
        if (std::string_view(location.value()) == ".")
            return true;
        const std::u16string path = TextCodec::ToUtf16(location.value());
        if (path.size() > MetabaseModel::kMaxPathUnits)
            return Fail(key.offset_debug(),
                        "the Location is longer than " + std::to_string(MetabaseModel::kMaxPathUnits) +
                            " characters",
                        error);
        if (MetabaseModel::Depth(path, MetabaseModel::kMaxDepth) > MetabaseModel::kMaxDepth)
            return Fail(key.offset_debug(),
                        "the Location has more than " + std::to_string(MetabaseModel::kMaxDepth) + " keys",
                        error);
        // The key is found once; its properties are set through its node.
        const std::u16string keyType = TextCodec::ToUtf16(LocalName(key));
        const MetabaseModel::NodeId node = m_model.AddKey(path, keyType);
        m_model.SetProperty(
            node, MetabaseProperty::Text(kMdKeyType, kIisMdUtServer, keyType, kMetadataNoAttributes));

        for (const pugi::xml_attribute& attribute : key.attributes()) {
            for (const NamedProperty& named : kNamedProperties) {
                if (std::string_view(attribute.name()) != named.name)
                    continue;
                std::optional<MetabaseProperty> property = MakeProperty(
                    named.identifier, named.userType, named.dataType, named.attributes, attribute.value());
                if (!property)
                    return Fail(key.offset_debug(),
                                std::string(named.name) + " is not a valid value: \"" + attribute.value() +
                                    "\"",
                                error);
                m_model.SetProperty(node, std::move(*property));
            }
        }
        std::size_t customs = 0;
        for (const pugi::xml_node& custom : key.children())
            customs += custom.type() == pugi::node_element ? 1 : 0;
        m_model.ReserveProperties(node, customs);
        for (pugi::xml_node custom = key.first_child(); custom;) {
            const pugi::xml_node next = custom.next_sibling();
            if (custom.type() == pugi::node_element && LocalName(custom) == "Custom" &&
                !ReadCustom(node, custom, error))
                return false;
            key.remove_child(custom);
            custom = next;
        }
        return true;
    }

    bool ReadCustom(MetabaseModel::NodeId node, const pugi::xml_node& custom, std::string* error) {
        const std::optional<std::uint32_t> identifier =
            custom.attribute("ID") ? ParseNumber(custom.attribute("ID").value()) : std::nullopt;
        const pugi::xml_attribute typeText = custom.attribute("Type");
        const std::optional<std::uint32_t> dataType =
            typeText ? ParseToken(typeText.value(), std::begin(kDataTypes), std::end(kDataTypes))
                     : std::optional<std::uint32_t>(kStringMetadata);
        const pugi::xml_attribute userText = custom.attribute("UserType");
        const std::optional<std::uint32_t> userType =
            userText ? ParseToken(userText.value(), std::begin(kUserTypes), std::end(kUserTypes))
                     : std::optional<std::uint32_t>(kIisMdUtServer);
        const pugi::xml_attribute attributeText = custom.attribute("Attributes");
        const std::optional<std::uint32_t> attributes =
            attributeText ? ParseAttributes(attributeText.value()) : std::optional<std::uint32_t>(0);
        const std::string name = custom.attribute("Name").value();
        if (!identifier)
            return Fail(custom.offset_debug(), "<Custom Name=\"" + name + "\"> has no valid ID", error);
        if (!dataType || *dataType < kDwordMetadata || *dataType > kMultiStringMetadata)
            return Fail(custom.offset_debug(), "<Custom Name=\"" + name + "\"> has no valid Type", error);
        if (!userType || !attributes)
            return Fail(custom.offset_debug(),
                        "<Custom Name=\"" + name + "\"> has an invalid UserType or Attributes", error);
        std::optional<MetabaseProperty> property =
            MakeProperty(*identifier, *userType, *dataType, *attributes, custom.attribute("Value").value());
        if (!property)
            return Fail(custom.offset_debug(), "<Custom Name=\"" + name + "\"> has an invalid Value", error);
        m_model.SetProperty(node, std::move(*property));
        return true;
    }

    static std::optional<MetabaseProperty> MakeProperty(std::uint32_t identifier, std::uint32_t userType,
                                                        std::uint32_t dataType, std::uint32_t attributes,
                                                        std::string_view value) {
        switch (dataType) {
        case kDwordMetadata: {
            const std::optional<std::uint32_t> number = ParseNumber(value);
            if (!number)
                return std::nullopt;
            return MetabaseProperty::Dword(identifier, userType, *number, attributes);
        }
        case kBinaryMetadata: {
            std::optional<std::vector<unsigned char>> bytes = ParseHex(value);
            if (!bytes)
                return std::nullopt;
            return MetabaseProperty::Binary(identifier, userType, std::move(*bytes), attributes);
        }
        case kMultiStringMetadata:
            return MetabaseProperty::Text(identifier, userType, ParseMultiString(value), attributes,
                                          dataType);
        default:
            // Paths stay as the server stores them: the suite maps them where it touches the files.
            return MetabaseProperty::Text(identifier, userType, TextCodec::ToUtf16(value), attributes,
                                          dataType);
        }
    }

    std::string_view m_text;
    const std::string& m_name;
    MetabaseModel& m_model;
};

bool OutOfMemory(const std::string& name, std::string* error) noexcept {
    if (error) {
        try {
            *error = name + ":1:1: not enough memory to read the file";
        } catch (const std::bad_alloc&) {
            error->clear();
        }
    }
    return false;
}

} // namespace

std::string MetabaseFile::MachinePath() {
    return JoinPath(MachineDirectory::Path(), "MetaBase.xml");
}

bool MetabaseFile::Load(const std::string& path, MetabaseModel& model, std::string* error) {
    if (error)
        error->clear();
    std::error_code status;
    const std::filesystem::file_status type = std::filesystem::status(FileSystem::Native(path), status);
    if (type.type() == std::filesystem::file_type::not_found)
        return false;
    std::ifstream file(FileSystem::Native(path), std::ios::binary);
    if (!file || std::filesystem::is_directory(type)) {
        if (error)
            *error = path + ":1:1: cannot be read";
        return false;
    }
    std::string text;
    try {
        text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    } catch (const std::bad_alloc&) {
        return OutOfMemory(path, error);
    }
    if (file.bad()) {
        if (error)
            *error = path + ":1:1: cannot be read";
        return false;
    }
    return Parse(text, path, model, error);
}

bool MetabaseFile::Parse(std::string_view text, const std::string& name, MetabaseModel& model,
                         std::string* error) {
    if (error)
        error->clear();
    // A file too large for the memory there is counts as unreadable; the caller drops what was read so far.
    try {
        return Reader(text, name, model).Read(error);
    } catch (const std::bad_alloc&) {
        return OutOfMemory(name, error);
    }
}

} // namespace qv
