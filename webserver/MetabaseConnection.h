#pragma once
// One open interface to the IIS metabase, used on the thread that opened it while the sites are loaded.
// Windows: CoInitializeEx and CoCreateInstance of the IIS Admin Base Object. POSIX: MetaBase.xml of the
// machine directory, read once per connection; no file is a machine without IIS (the connection stays
// empty), a malformed file gives an empty connection and one line on stderr.
#include "AdminBase.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace qv {

class MetabaseConnection {
public:
    MetabaseConnection() = default;
    ~MetabaseConnection();
    MetabaseConnection(const MetabaseConnection&) = delete;
    MetabaseConnection& operator=(const MetabaseConnection&) = delete;

    // True when the admin base object was had.
    bool Open();
    // Releases the object; afterwards the connection is empty.
    void Close();
    // Tests: use this admin base instead of the system's.
    void Attach(std::unique_ptr<AdminBase> adminBase);

    AdminBase* Get() const { return m_adminBase.get(); }
    bool IsOpen() const { return m_adminBase != nullptr; }

private:
    std::unique_ptr<AdminBase> m_adminBase;
    bool m_comInitialized = false;
};

// The four reads. "No value" is std::nullopt; a read never gives a cut value.
std::optional<std::string> EnumSiteKey(const MetabaseConnection& connection, std::uint32_t index);
std::optional<std::string> ReadSiteValue(const MetabaseConnection& connection, std::uint32_t siteId,
                                         std::uint32_t propertyId, std::uint32_t userType,
                                         std::uint32_t attributes);
std::optional<std::string> ReadSiteRootValue(const MetabaseConnection& connection, std::uint32_t siteId,
                                             std::uint32_t propertyId);
// Text: the characters without terminator, length their count. DWORD_METADATA: four bytes in machine order
// followed by a zero byte (five bytes), length the returned data length.
std::optional<std::string> ReadServiceValue(const MetabaseConnection& connection, const std::string& path,
                                            std::uint32_t propertyId, std::uint32_t userType,
                                            std::uint32_t dataType, std::uint32_t attributes,
                                            std::uint32_t* length);

} // namespace qv
