#pragma once
// One open interface to the IIS metabase, used on the thread that opened it while the sites are loaded.
// On Windows 6.0 and later with an applicationHost.config (IIS 7 to 10) that file is read, the same on every
// system. Otherwise Windows: CoInitializeEx and CoCreateInstance of the IIS Admin Base Object. POSIX:
// MetaBase.xml of the machine directory. Files are read once per connection; no file is a machine without
// IIS (the connection stays empty), a malformed file gives an empty connection and one line on stderr.
#include "AdminBase.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace qv {

// Where a connection's answers come from.
enum class WebServerSource { None, Metabase, ApplicationHost };

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
    void Attach(std::unique_ptr<AdminBase> adminBase, WebServerSource source = WebServerSource::Metabase);

    AdminBase* Get() const { return m_adminBase.get(); }
    bool IsOpen() const { return m_adminBase != nullptr; }
    // What Open read (None until it read something), and its name for people: a file's path or the object.
    WebServerSource Source() const { return m_source; }
    const std::string& SourceName() const { return m_sourceName; }

private:
    // The IIS 7 to 10 configuration when this system has one: true when it decided the source (read, or
    // malformed and so no sites), false when the metabase is to be asked.
    bool OpenApplicationHost(bool* opened);
    // The metabase of the backend (COM or MetaBase.xml).
    bool OpenMetabase();

    std::unique_ptr<AdminBase> m_adminBase;
    bool m_comInitialized = false;
    WebServerSource m_source = WebServerSource::None;
    std::string m_sourceName;
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
