#include "ModelAdminBase.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace qv {

namespace {

std::u16string_view PathView(const char16_t* path) {
    return path ? std::u16string_view(path) : std::u16string_view();
}

// The path without its last segment (trailing separators dropped first); empty when nothing is left.
std::u16string_view DropLastSegment(std::u16string_view path) {
    while (!path.empty() && (path.back() == u'/' || path.back() == u'\\'))
        path.remove_suffix(1);
    while (!path.empty() && path.back() != u'/' && path.back() != u'\\')
        path.remove_suffix(1);
    return path;
}

} // namespace

ModelAdminBase::ModelAdminBase(std::shared_ptr<const MetabaseModel> model) : m_model(std::move(model)) {}

std::int32_t ModelAdminBase::Resolve(MetadataHandle handle, const char16_t* path,
                                     MetabaseModel::NodeId* node) const {
    MetabaseModel::NodeId base = MetabaseModel::kRoot;
    if (handle != kMetadataMasterRootHandle) {
        auto found = m_handles.find(handle);
        if (found == m_handles.end())
            return kErrInvalidHandle;
        base = found->second;
    }
    const std::optional<MetabaseModel::NodeId> resolved = m_model->Find(PathView(path), base);
    if (!resolved)
        return kErrPathNotFound;
    *node = *resolved;
    return kS_OK;
}

std::int32_t ModelAdminBase::OpenKey(MetadataHandle handle, const char16_t* path, std::uint32_t permissions,
                                     std::uint32_t /*timeoutMs*/, MetadataHandle* newHandle) {
    if (!newHandle || (permissions & 3u) == 0)
        return kErrInvalidParameter;
    MetabaseModel::NodeId node = MetabaseModel::kRoot;
    const std::int32_t result = Resolve(handle, path, &node);
    if (result != kS_OK)
        return result;
    // Handle numbers are never reused, so a stale handle cannot reach another key.
    const MetadataHandle opened = m_nextHandle++;
    m_handles.emplace(opened, node);
    *newHandle = opened;
    return kS_OK;
}

std::int32_t ModelAdminBase::CloseKey(MetadataHandle handle) {
    return m_handles.erase(handle) ? kS_OK : kErrInvalidHandle;
}

std::int32_t ModelAdminBase::EnumKeys(MetadataHandle handle, const char16_t* path, char16_t* name,
                                      std::uint32_t index) {
    if (!name)
        return kErrInvalidParameter;
    MetabaseModel::NodeId node = MetabaseModel::kRoot;
    const std::int32_t result = Resolve(handle, path, &node);
    if (result != kS_OK)
        return result;
    if (index >= m_model->ChildCount(node))
        return kErrNoMoreItems;
    const std::u16string& childName = m_model->Name(m_model->Child(node, index));
    const std::size_t units = std::min<std::size_t>(childName.size(), kMetadataMaxNameLen - 1);
    std::memcpy(name, childName.data(), units * sizeof(char16_t));
    name[units] = u'\0';
    return kS_OK;
}

std::int32_t ModelAdminBase::GetData(MetadataHandle handle, const char16_t* path, MetadataRecord* record,
                                     std::uint32_t* requiredLen) {
    if (!record || !requiredLen)
        return kErrInvalidParameter;
    const bool inherit = (record->attributes & kMetadataInherit) != 0;

    MetabaseModel::NodeId node = MetabaseModel::kRoot;
    std::int32_t result = Resolve(handle, path, &node);
    // With a partial path the deepest key that exists answers, but only with what it hands down.
    bool onlyInherited = false;
    if (result == kErrPathNotFound && inherit && (record->attributes & kMetadataPartialPath)) {
        std::u16string_view rest = PathView(path);
        do {
            rest = DropLastSegment(rest);
            const std::u16string shorter(rest);
            result = Resolve(handle, shorter.c_str(), &node);
        } while (result == kErrPathNotFound && !rest.empty());
        onlyInherited = true;
    }
    if (result != kS_OK)
        return result;

    // The nearest key that holds the identifier where the asker can see it decides, as IIS does: it is
    // this key itself, or with METADATA_INHERIT an ancestor whose value is inheritable.
    const MetabaseProperty* property = nullptr;
    bool inherited = false;
    std::optional<MetabaseModel::NodeId> current = node;
    bool own = !onlyInherited;
    while (current) {
        const MetabaseProperty* candidate = m_model->FindProperty(*current, record->identifier);
        if (candidate && (own || (candidate->attributes & kMetadataInherit))) {
            property = candidate;
            inherited = !own;
            break;
        }
        if (!inherit)
            break;
        current = m_model->Parent(*current);
        own = false;
    }
    if (!property)
        return kErrDataNotFound;
    // A user type or data type asked must be the stored one: the metabase never converts.
    if ((record->userType != kAllMetadata && record->userType != property->userType) ||
        (record->dataType != kAllMetadata && record->dataType != property->dataType))
        return kErrDataNotFound;

    const auto size = static_cast<std::uint32_t>(property->bytes.size());
    if (record->dataLen < size || (size > 0 && !record->data)) {
        *requiredLen = size;
        return kErrInsufficientBuffer;
    }
    if (size > 0)
        std::memcpy(record->data, property->bytes.data(), size);
    record->attributes = property->attributes | (inherited ? kMetadataIsInherited : 0u);
    record->userType = property->userType;
    record->dataType = property->dataType;
    record->dataLen = size;
    return kS_OK;
}

} // namespace qv
