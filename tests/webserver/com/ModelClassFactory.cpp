#include <initguid.h> // the GUIDs of iadmw.h are defined where they are used

#include "ModelClassFactory.h"

#include "ModelComServer.h"

#include <new>

namespace qv::test {

ModelClassFactory::ModelClassFactory(std::shared_ptr<const MetabaseModel> model)
    : m_model(std::move(model)) {}

bool ModelClassFactory::Register() {
    if (m_cookie)
        return true;
    return SUCCEEDED(CoRegisterClassObject(CLSID_MSAdminBase, static_cast<IClassFactory*>(this),
                                           CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_cookie));
}

void ModelClassFactory::Revoke() {
    if (m_cookie)
        CoRevokeClassObject(m_cookie);
    m_cookie = 0;
}

HRESULT WINAPI ModelClassFactory::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT WINAPI ModelClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    ModelComServer* server = new (std::nothrow) ModelComServer(m_model);
    if (!server)
        return E_OUTOFMEMORY;
    const HRESULT result = server->QueryInterface(riid, object);
    server->Release();
    return result;
}

} // namespace qv::test
