#pragma once
// An admin base that writes down every call and hands it on to a model of the metabase.
#include "webserver/ModelAdminBase.h"

#include <memory>
#include <string>
#include <vector>

namespace qv::test {

struct AdminCall {
    std::string method;
    std::u16string path;
    std::uint32_t timeoutMs = 0;
    MetadataRecord record; // GetData: the record as it came in
    std::int32_t result = 0;
};

class RecordingAdminBase : public AdminBase {
public:
    RecordingAdminBase(std::shared_ptr<const MetabaseModel> model, std::vector<AdminCall>* calls,
                       std::size_t* openHandles)
        : m_model(std::move(model)), m_calls(calls), m_openHandles(openHandles) {}
    ~RecordingAdminBase() override { *m_openHandles = m_model.OpenHandleCount(); }

    std::int32_t OpenKey(MetadataHandle handle, const char16_t* path, std::uint32_t permissions,
                         std::uint32_t timeoutMs, MetadataHandle* newHandle) override {
        AdminCall call{"OpenKey", path, timeoutMs, {}, 0};
        call.result = m_model.OpenKey(handle, path, permissions, timeoutMs, newHandle);
        m_calls->push_back(call);
        *m_openHandles = m_model.OpenHandleCount();
        return call.result;
    }
    std::int32_t CloseKey(MetadataHandle handle) override {
        AdminCall call{"CloseKey", u"", 0, {}, m_model.CloseKey(handle)};
        m_calls->push_back(call);
        *m_openHandles = m_model.OpenHandleCount();
        return call.result;
    }
    std::int32_t EnumKeys(MetadataHandle handle, const char16_t* path, char16_t* name,
                          std::uint32_t index) override {
        AdminCall call{"EnumKeys", path, index, {}, m_model.EnumKeys(handle, path, name, index)};
        m_calls->push_back(call);
        return call.result;
    }
    std::int32_t GetData(MetadataHandle handle, const char16_t* path, MetadataRecord* record,
                         std::uint32_t* requiredLen) override {
        AdminCall call{"GetData", path, 0, *record, 0};
        call.result = m_model.GetData(handle, path, record, requiredLen);
        m_calls->push_back(call);
        return call.result;
    }

private:
    ModelAdminBase m_model;
    std::vector<AdminCall>* m_calls;
    std::size_t* m_openHandles;
};

} // namespace qv::test
