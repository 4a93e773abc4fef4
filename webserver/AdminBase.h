#pragma once
// The four methods of the IIS Admin Base Object that the suite calls, with IMSAdminBase's record and results.
// Implemented over COM on Windows (webserver/com) and over the metabase file MetaBase.xml on POSIX
// (webserver/file); both give the same answers, including the failures.
#include <cstdint>
#include <memory>

namespace qv {

using MetadataHandle = std::uint32_t;

inline constexpr std::int32_t kS_OK = 0;
inline constexpr std::int32_t kErrPathNotFound = static_cast<std::int32_t>(0x80070003);      // ERROR_PATH_NOT_FOUND
inline constexpr std::int32_t kErrNoMoreItems = static_cast<std::int32_t>(0x80070103);       // ERROR_NO_MORE_ITEMS
inline constexpr std::int32_t kErrInsufficientBuffer = static_cast<std::int32_t>(0x8007007A); // ERROR_INSUFFICIENT_BUFFER
inline constexpr std::int32_t kErrDataNotFound = static_cast<std::int32_t>(0x800CC801);      // MD_ERROR_DATA_NOT_FOUND
inline constexpr std::int32_t kErrInvalidParameter = static_cast<std::int32_t>(0x80070057);  // E_INVALIDARG
inline constexpr std::int32_t kErrInvalidHandle = static_cast<std::int32_t>(0x80070006);     // ERROR_INVALID_HANDLE

inline constexpr MetadataHandle kMetadataMasterRootHandle = 0;
inline constexpr std::uint32_t kMetadataPermissionRead = 1;
inline constexpr std::uint32_t kMetadataNoAttributes = 0;
inline constexpr std::uint32_t kMetadataInherit = 1;
inline constexpr std::uint32_t kMetadataPartialPath = 2;
inline constexpr std::uint32_t kMetadataIsInherited = 0x20;
inline constexpr std::uint32_t kIisMdUtServer = 1;
inline constexpr std::uint32_t kIisMdUtFile = 2;
inline constexpr std::uint32_t kAllMetadata = 0;
inline constexpr std::uint32_t kDwordMetadata = 1;
inline constexpr std::uint32_t kStringMetadata = 2;
inline constexpr std::uint32_t kBinaryMetadata = 3;
inline constexpr std::uint32_t kExpandStringMetadata = 4;
inline constexpr std::uint32_t kMultiStringMetadata = 5;

// Property identifiers the suite reads.
inline constexpr std::uint32_t kMdServerComment = 1015;
inline constexpr std::uint32_t kMdVrPath = 3001;
inline constexpr std::uint32_t kMdAppAppPoolId = 9101;
inline constexpr std::uint32_t kMdAppPoolIdentityType = 9021;
inline constexpr std::uint32_t kMdWamUserName = 7501;
inline constexpr std::uint32_t kMdGlobalStandardAppModeEnabled = 9203;

// Names in the metabase buffer of EnumKeys: METADATA_MAX_NAME_LEN units.
inline constexpr std::uint32_t kMetadataMaxNameLen = 256;

// IMSAdminBase's METADATA_RECORD. Strings are UTF-16 with their terminator; DWORDs four bytes.
struct MetadataRecord {
    std::uint32_t identifier = 0;
    std::uint32_t attributes = 0;
    std::uint32_t userType = 0;
    std::uint32_t dataType = 0;
    std::uint32_t dataLen = 0; // in: the buffer's size in bytes; out: the data's size
    unsigned char* data = nullptr;
    std::uint32_t dataTag = 0;
};

class AdminBase {
public:
    virtual ~AdminBase() = default;
    // Paths are UTF-16 with a terminator, relative to the handle; "/LM/W3SVC" style.
    virtual std::int32_t OpenKey(MetadataHandle handle, const char16_t* path, std::uint32_t permissions,
                                 std::uint32_t timeoutMs, MetadataHandle* newHandle) = 0;
    virtual std::int32_t CloseKey(MetadataHandle handle) = 0;
    // name: a buffer of at least kMetadataMaxNameLen units.
    virtual std::int32_t EnumKeys(MetadataHandle handle, const char16_t* path, char16_t* name,
                                  std::uint32_t index) = 0;
    // A buffer too small gives kErrInsufficientBuffer with the size needed in *requiredLen (bytes).
    virtual std::int32_t GetData(MetadataHandle handle, const char16_t* path, MetadataRecord* record,
                                 std::uint32_t* requiredLen) = 0;
};

} // namespace qv
