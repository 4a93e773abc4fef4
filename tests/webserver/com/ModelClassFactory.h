#pragma once
// The class object of the stand-in admin base: registered with CoRegisterClassObject under
// CLSID_MSAdminBase, so that CoCreateInstance finds it as it would find IIS's. Each instance is a fresh
// ModelComServer over the same metabase.
#include "webserver/MetabaseModel.h"

#include <windows.h>

#include <objbase.h>

#include <atomic>
#include <memory>

namespace qv::test {

class ModelClassFactory final : public IClassFactory {
public:
    explicit ModelClassFactory(std::shared_ptr<const MetabaseModel> model);
    ModelClassFactory(const ModelClassFactory&) = delete;
    ModelClassFactory& operator=(const ModelClassFactory&) = delete;

    // Registers in the calling thread's apartment; false when COM refused.
    bool Register();
    void Revoke();

    HRESULT WINAPI QueryInterface(REFIID riid, void** object) override;
    ULONG WINAPI AddRef() override { return ++m_references; }
    ULONG WINAPI Release() override { return --m_references; }
    HRESULT WINAPI CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    HRESULT WINAPI LockServer(BOOL) override { return S_OK; }

private:
    // Lives as long as the test that made it; COM's references only keep count.
    std::atomic<ULONG> m_references{1};
    std::shared_ptr<const MetabaseModel> m_model;
    DWORD m_cookie = 0;
};

} // namespace qv::test
