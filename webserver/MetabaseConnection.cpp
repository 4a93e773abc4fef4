#include "MetabaseConnection.h"

#include "ApplicationHostConfig.h"
#include "ModelAdminBase.h"
#include "platform/OsVersion.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace qv {

namespace {

constexpr std::uint32_t kSiteReadTimeoutMs = 60000;
constexpr std::uint32_t kServiceReadTimeoutMs = 20;
constexpr std::size_t kPathUnits = 260;        // path and name buffers, terminator included
constexpr std::uint32_t kSiteValueBytes = 260; // first buffer of the site reads
constexpr std::uint32_t kSiteValueLimit = 2600;
// A root directory is a path: 259 characters and the terminator.
constexpr std::uint32_t kRootValueLimit = 260 * sizeof(char16_t);
constexpr std::uint32_t kServiceValueBytes = 5048;

// The record a read fills: the property and its type; the buffer is the read's own.
MetadataRecord RecordFor(std::uint32_t propertyId, std::uint32_t attributes, std::uint32_t userType,
                         std::uint32_t dataType) {
    MetadataRecord record;
    record.identifier = propertyId;
    record.attributes = attributes;
    record.userType = userType;
    record.dataType = dataType;
    return record;
}

// A narrow metabase path as the call takes it; none when it does not fit the 260-unit buffer.
std::optional<std::u16string> WidePath(const std::string& narrow) {
    if (narrow.size() >= kPathUnits)
        return std::nullopt;
    std::u16string wide = TextCodec::ToUtf16(narrow);
    if (wide.size() >= kPathUnits)
        return std::nullopt;
    return wide;
}

// Opens a key for reading and closes it whatever the read does.
class OpenedKey {
public:
    OpenedKey(AdminBase* adminBase, const std::string& path, std::uint32_t timeoutMs)
        : m_adminBase(adminBase) {
        const std::optional<std::u16string> wide = WidePath(path);
        if (m_adminBase && wide &&
            m_adminBase->OpenKey(kMetadataMasterRootHandle, wide->c_str(), kMetadataPermissionRead, timeoutMs,
                                 &m_handle) == kS_OK)
            m_open = true;
    }
    ~OpenedKey() {
        if (m_open)
            m_adminBase->CloseKey(m_handle);
    }
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;

    bool IsOpen() const { return m_open; }
    MetadataHandle Handle() const { return m_handle; }

private:
    AdminBase* m_adminBase;
    MetadataHandle m_handle = 0;
    bool m_open = false;
};

// The UTF-16 units of a data buffer, units of them at most, up to the first zero unit.
std::u16string UnitsUpToZero(const std::vector<unsigned char>& data, std::size_t units) {
    std::u16string text;
    units = std::min(units, data.size() / sizeof(char16_t));
    for (std::size_t i = 0; i < units; ++i) {
        char16_t unit;
        std::memcpy(&unit, data.data() + i * sizeof(char16_t), sizeof unit);
        if (unit == u'\0')
            break;
        text.push_back(unit);
    }
    return text;
}

// GetData into a zero-filled buffer that grows while the metabase asks for a size below limit (0: any size).
// Gives the data and its length, or none.
std::optional<std::vector<unsigned char>> GetGrowing(AdminBase& adminBase, MetadataHandle handle,
                                                     const std::u16string& path, MetadataRecord record,
                                                     std::uint32_t firstLength, std::uint32_t limit,
                                                     std::uint32_t* dataLen) {
    std::uint32_t length = firstLength;
    std::vector<unsigned char> buffer(static_cast<std::size_t>(length) + 1, 0);
    for (;;) {
        record.dataLen = length;
        record.data = buffer.data();
        std::uint32_t required = 0;
        if (adminBase.GetData(handle, path.c_str(), &record, &required) == kS_OK) {
            *dataLen = record.dataLen;
            return buffer;
        }
        if (required <= length || (limit != 0 && required >= limit))
            return std::nullopt;
        length = required;
        buffer.assign(static_cast<std::size_t>(length) + 1, 0);
    }
}

} // namespace

MetabaseConnection::~MetabaseConnection() {
    if (m_adminBase || m_comInitialized)
        Close();
}

void MetabaseConnection::Attach(std::unique_ptr<AdminBase> adminBase, WebServerSource source) {
    m_adminBase = std::move(adminBase);
    m_source = m_adminBase ? source : WebServerSource::None;
}

bool MetabaseConnection::Open() {
    if (m_adminBase)
        return true;
    bool opened = false;
    if (OpenApplicationHost(&opened))
        return opened;
    return OpenMetabase();
}

bool MetabaseConnection::OpenApplicationHost(bool* opened) {
    *opened = false;
    // IIS 7 came with Windows 6.0; an older system's file would be a stray copy.
    if (OsVersion::Major() < 6)
        return false;
    const std::string path = ApplicationHostConfig::MachinePath();
    if (!ApplicationHostConfig::Exists(path))
        return false;
    m_source = WebServerSource::ApplicationHost;
    m_sourceName = path;
    MetabaseModel model;
    std::string error;
    if (!ApplicationHostConfig::Load(path, model, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return true;
    }
    m_adminBase = std::make_unique<ModelAdminBase>(std::make_shared<const MetabaseModel>(std::move(model)));
    *opened = true;
    return true;
}

std::optional<std::string> EnumSiteKey(const MetabaseConnection& connection, std::uint32_t index) {
    OpenedKey key(connection.Get(), "/LM", kSiteReadTimeoutMs);
    if (!key.IsOpen())
        return std::nullopt;
    std::vector<char16_t> name(kPathUnits, u'\0');
    if (connection.Get()->EnumKeys(key.Handle(), u"/W3SVC", name.data(), index) != kS_OK)
        return std::nullopt;
    const std::string narrow = TextCodec::FromUtf16(std::u16string_view(name.data()));
    // The name must fit a 260-byte buffer with its terminator; an empty one is no name.
    if (narrow.empty() || narrow.size() >= kPathUnits)
        return std::nullopt;
    return narrow;
}

std::optional<std::string> ReadSiteValue(const MetabaseConnection& connection, std::uint32_t siteId,
                                         std::uint32_t propertyId, std::uint32_t userType,
                                         std::uint32_t attributes) {
    OpenedKey key(connection.Get(), "/LM/W3SVC", kSiteReadTimeoutMs);
    if (!key.IsOpen())
        return std::nullopt;
    MetadataRecord record = RecordFor(propertyId, attributes, userType, kAllMetadata);
    const std::u16string path = TextCodec::ToUtf16("/" + std::to_string(siteId));
    std::uint32_t dataLen = 0;
    const std::optional<std::vector<unsigned char>> data =
        GetGrowing(*connection.Get(), key.Handle(), path, record, kSiteValueBytes, kSiteValueLimit, &dataLen);
    if (!data)
        return std::nullopt;
    const std::string text = TextCodec::FromUtf16(UnitsUpToZero(*data, data->size() / 2));
    if (text.empty())
        return std::nullopt;
    return text;
}

std::optional<std::string> ReadSiteRootValue(const MetabaseConnection& connection, std::uint32_t siteId,
                                             std::uint32_t propertyId) {
    OpenedKey key(connection.Get(), "/LM/W3SVC/" + std::to_string(siteId), kSiteReadTimeoutMs);
    if (!key.IsOpen())
        return std::nullopt;
    MetadataRecord record = RecordFor(propertyId, kMetadataInherit, kIisMdUtFile, kAllMetadata);
    // Grows as the site reads do, up to a path of 259 characters; a longer value gives none.
    std::uint32_t dataLen = 0;
    const std::optional<std::vector<unsigned char>> data = GetGrowing(
        *connection.Get(), key.Handle(), u"/Root", record, kSiteValueBytes, kRootValueLimit + 1, &dataLen);
    if (!data)
        return std::nullopt;
    return TextCodec::FromUtf16(UnitsUpToZero(*data, dataLen / 2));
}

std::optional<std::string> ReadServiceValue(const MetabaseConnection& connection, const std::string& path,
                                            std::uint32_t propertyId, std::uint32_t userType,
                                            std::uint32_t dataType, std::uint32_t attributes,
                                            std::uint32_t* length) {
    if (length)
        *length = 0;
    const std::optional<std::u16string> widePath = WidePath(path);
    if (!widePath)
        return std::nullopt;
    OpenedKey key(connection.Get(), "/LM", kServiceReadTimeoutMs);
    if (!key.IsOpen())
        return std::nullopt;
    MetadataRecord record = RecordFor(propertyId, attributes, userType, dataType);

    std::uint32_t dataLen = 0;
    const std::optional<std::vector<unsigned char>> data =
        GetGrowing(*connection.Get(), key.Handle(), *widePath, record, kServiceValueBytes, 0, &dataLen);
    if (!data)
        return std::nullopt;
    if (dataType == kDwordMetadata) {
        // Four bytes of the number in machine order and a zero byte.
        std::string number(static_cast<std::size_t>(dataLen) + 1, '\0');
        std::memcpy(number.data(), data->data(), std::min<std::size_t>(4, dataLen));
        if (length)
            *length = dataLen;
        return number;
    }
    std::string text = TextCodec::FromUtf16(UnitsUpToZero(*data, dataLen / 2));
    if (length)
        *length = static_cast<std::uint32_t>(text.size());
    return text;
}

} // namespace qv
