#pragma once
// The four admin-base methods over a MetabaseModel, answering as IIS does: the POSIX backend of
// MetabaseConnection and the data behind the test COM server. Portable.
//
// - OpenKey: a handle for a key that exists (kErrPathNotFound otherwise), relative to an open handle or
//   METADATA_MASTER_ROOT_HANDLE; an unknown handle gives kErrInvalidHandle. Read permission only matters to
//   IIS's locking, which a model has no use for: every open succeeds at once.
// - EnumKeys: the child at index in document order; past the end kErrNoMoreItems.
// - GetData: the property of the key; with METADATA_INHERIT in the record's attributes the nearest ancestor
//   whose property carries METADATA_INHERIT answers, and the returned attributes gain METADATA_ISINHERITED.
//   A user type or data type asked that is not ALL_METADATA must match the stored one, else
//   kErrDataNotFound. A buffer too small gives kErrInsufficientBuffer and the needed size in *requiredLen.
#include "AdminBase.h"
#include "MetabaseModel.h"

#include <cstddef>
#include <map>
#include <memory>

namespace qv {

class ModelAdminBase : public AdminBase {
public:
    explicit ModelAdminBase(std::shared_ptr<const MetabaseModel> model);

    std::int32_t OpenKey(MetadataHandle handle, const char16_t* path, std::uint32_t permissions,
                         std::uint32_t timeoutMs, MetadataHandle* newHandle) override;
    std::int32_t CloseKey(MetadataHandle handle) override;
    std::int32_t EnumKeys(MetadataHandle handle, const char16_t* path, char16_t* name,
                          std::uint32_t index) override;
    std::int32_t GetData(MetadataHandle handle, const char16_t* path, MetadataRecord* record,
                         std::uint32_t* requiredLen) override;

    // Handles opened and not yet closed (tests: every read closes what it opens).
    std::size_t OpenHandleCount() const { return m_handles.size(); }
    const MetabaseModel& Model() const { return *m_model; }

private:
    // The node a handle and a relative path name, or the failure to give.
    std::int32_t Resolve(MetadataHandle handle, const char16_t* path, MetabaseModel::NodeId* node) const;

    std::shared_ptr<const MetabaseModel> m_model;
    std::map<MetadataHandle, MetabaseModel::NodeId> m_handles;
    MetadataHandle m_nextHandle = 1;
};

} // namespace qv
